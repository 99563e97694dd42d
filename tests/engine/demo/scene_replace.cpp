// --scene replace: scene A replaces itself with scene B from its draw in
// frame 60, and each step of the switch is printed as it happens.
#include <cstdio>
#include <string>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

unsigned int g_updates[2] = {0, 0};  // A's, B's
bool g_exactDt = true;               // every update got the animation interval

void say(const std::string& what) {
    // The transcript covers the frames; the tear-down after the last one is
    // summed up by the closing line instead.
    if (!CCDirector::sharedDirector()->isFrameLimitReached())
        demoSay("frame " + std::to_string(demoFrame()) + ": " + what);
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

CCScene* createNamedScene(char name);

class NamedLayer : public CCLayer {
public:
    explicit NamedLayer(char name) : m_name(name) {}
    void update(float dt) override {
        ++g_updates[m_name - 'A'];
        g_exactDt = g_exactDt && dt == static_cast<float>(CCDirector::sharedDirector()->getAnimationInterval());
    }
    void draw() override {
        if (m_name != 'A' || demoFrame() != 60) return;
        CCDirector::sharedDirector()->replaceScene(createNamedScene('B'));
        say("replaceScene(B) called from A's draw");
    }

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
    layer->scheduleUpdate();
    scene->addChild(layer);
    return scene;
}

class ReplaceDemo : public DemoScene {
public:
    // Nothing here keeps A: the director's reference is its only owner.
    CCScene* createScene() override { return createNamedScene('A'); }
    int finish(int status) override {
        CCDirector* director = CCDirector::sharedDirector();
        char line[160];
        std::snprintf(line, sizeof line, "end after %u frames: A updates %u, B updates %u, ",
                      director->getTotalFrames(), g_updates[0], g_updates[1]);
        const double interval = director->getAnimationInterval();
        char dt[64];
        std::snprintf(dt, sizeof dt,
                      g_exactDt && g_updates[0] ? "dt %.6f on every update" : "dt varies (interval %.6f)",
                      static_cast<double>(static_cast<float>(interval)));
        if (status == 0) demoSay(std::string(line) + dt);
        return status;
    }
};

ENGINE_DEMO_SCENE("replace", ReplaceDemo);

}  // namespace
