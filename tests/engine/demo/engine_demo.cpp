// Headless demo of the director: `engine_demo --scene replace` runs scene A,
// which replaces itself with scene B from its draw in frame 60, and prints
// each step of the switch as it happens.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio_scenes.h"
#include "cocos2d.h"
#include "input_scenes.h"

using namespace cocos2d;

namespace {

constexpr unsigned int kReplaceFrame = 60;
constexpr unsigned int kDefaultFrames = 120;

struct Stats {
    unsigned int updatesA = 0;
    unsigned int updatesB = 0;
    std::vector<float> deltas;
};
Stats g_stats;

unsigned int currentFrame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

void say(const std::string& what) {
    // The transcript covers the frames; the tear-down after the last one is
    // summed up by the closing line instead.
    CCDirector* director = CCDirector::sharedDirector();
    if (director->isFrameLimitReached()) return;
    std::printf("frame %u: %s\n", currentFrame(), what.c_str());
    std::fflush(stdout);
}

class DemoScene : public CCScene {
public:
    explicit DemoScene(char name) : m_name(name) {}
    ~DemoScene() override { say(std::string("scene ") + m_name + " destroyed"); }
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

class DemoLayer : public CCLayer {
public:
    explicit DemoLayer(char name) : m_name(name) {}
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

CCScene* createScene(char name) {
    DemoScene* scene = new DemoScene(name);
    scene->init();
    scene->autorelease();
    DemoLayer* layer = new DemoLayer(name);
    layer->init();
    layer->autorelease();
    scene->addChild(layer);
    return scene;
}

void DemoLayer::draw() {
    if (m_name == 'A' && currentFrame() == kReplaceFrame) {
        CCScene* b = createScene('B');
        CCDirector::sharedDirector()->replaceScene(b);
        say("replaceScene(B) called from A's draw");
    }
}

class DemoApp : public CCApplication {
public:
    bool applicationDidFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        director->setOpenGLView(CCEGLView::sharedOpenGLView());
        director->setAnimationInterval(1.0 / 60.0);
        if (director->getFrameLimit() == 0) director->setFrameLimit(kDefaultFrames);
        // Nothing here keeps A: the director's reference is its only owner.
        director->runWithScene(createScene('A'));
        return true;
    }
};

int usage() {
    std::fprintf(stderr, "usage: engine_demo --scene replace\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int audioStatus = 0;
    if (runAudioScene(argc, argv, &audioStatus)) return audioStatus;
    if (runInputScene(argc, argv, &audioStatus)) return audioStatus;
    if (argc != 3 || std::strcmp(argv[1], "--scene") != 0) return usage();
    if (std::strcmp(argv[2], "replace") != 0) {
        std::fprintf(stderr, "engine_demo: unknown scene \"%s\"\n", argv[2]);
        return usage();
    }
    DemoApp app;
    const int status = app.run();
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
