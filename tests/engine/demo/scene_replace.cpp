// --scene replace: scene A replaces itself with scene B from its draw in
// frame 60, and each step of the switch is printed as it happens.
#include <cstdio>
#include <string>
#include <vector>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

constexpr unsigned int kReplaceFrame = 60;

struct Stats {
    unsigned int updatesA = 0;
    unsigned int updatesB = 0;
    std::vector<float> deltas;
};
Stats g_stats;

void say(const std::string& what) {
    // The transcript covers the frames; the tear-down after the last one is
    // summed up by the closing line instead.
    if (CCDirector::sharedDirector()->isFrameLimitReached()) return;
    std::printf("frame %u: %s\n", demoFrame(), what.c_str());
    std::fflush(stdout);
}

class NamedScene : public CCScene {
public:
    explicit NamedScene(char name) : m_name(name) {}
    ~NamedScene() override { say(std::string("scene ") + m_name + " destroyed"); }
    void onEnter() override {
        CCScene::onEnter();
        say(std::string("scene ") + m_name + " entered");
    }
    void onExit() override {
        CCScene::onExit();
        say(std::string("scene ") + m_name + " exited");
    }

private:
    char m_name;
};

class NamedLayer : public CCLayer {
public:
    explicit NamedLayer(char name) : m_name(name) {}
    bool init() override {
        if (!CCLayer::init()) return false;
        scheduleUpdate();
        return true;
    }
    void update(float dt) override {
        (m_name == 'A' ? g_stats.updatesA : g_stats.updatesB)++;
        g_stats.deltas.push_back(dt);
    }
    void draw() override;

private:
    char m_name;
};

CCScene* createNamedScene(char name) {
    NamedScene* scene = new NamedScene(name);
    scene->init();
    scene->autorelease();
    NamedLayer* layer = new NamedLayer(name);
    layer->init();
    layer->autorelease();
    scene->addChild(layer);
    return scene;
}

void NamedLayer::draw() {
    if (m_name == 'A' && demoFrame() == kReplaceFrame) {
        CCDirector::sharedDirector()->replaceScene(createNamedScene('B'));
        say("replaceScene(B) called from A's draw");
    }
}

class ReplaceDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 120; }
    // Nothing here keeps A: the director's reference is its only owner.
    CCScene* createScene() override { return createNamedScene('A'); }
    int finish(int status) override {
        if (status != 0) return status;
        const float expected = static_cast<float>(CCDirector::sharedDirector()->getAnimationInterval());
        bool exact = !g_stats.deltas.empty();
        for (float dt : g_stats.deltas) exact = exact && dt == expected;
        std::printf("end after %u frames: A updates %u, B updates %u, ", CCDirector::sharedDirector()->getTotalFrames(),
                    g_stats.updatesA, g_stats.updatesB);
        if (exact)
            std::printf("dt %.6f on every update\n", static_cast<double>(expected));
        else
            std::printf("dt varies (interval %.6f)\n", static_cast<double>(expected));
        return 0;
    }
};

ENGINE_DEMO_SCENE("replace", ReplaceDemo);

}  // namespace
