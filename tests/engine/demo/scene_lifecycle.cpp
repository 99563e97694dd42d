// --scene lifecycle: the application stops the animation when sent to the
// background and starts it again in the foreground. Prints "background N",
// "foreground N", then the number of ticks and the dt of the first tick
// after the restart.
#include <cstdio>
#include <string>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

class LifecycleDemo : public DemoScene {
public:
    unsigned int defaultFrames() const override { return 30; }
    CCScene* createScene() override {
        CCScene* scene = CCScene::create();
        scene->addChild(demoTickNode([this](unsigned int, float dt) {
            ++m_ticks;
            if (m_awaitFirst) {
                m_firstDt = dt;
                m_awaitFirst = false;
            }
        }));
        return scene;
    }
    void didEnterBackground() override {
        demoSay("background " + std::to_string(demoFrame()));
        CCDirector::sharedDirector()->stopAnimation();
    }
    void willEnterForeground() override {
        demoSay("foreground " + std::to_string(demoFrame()));
        CCDirector::sharedDirector()->startAnimation();
        m_awaitFirst = true;
    }
    int finish(int status) override {
        if (status != 0) return status;
        char dt[32];
        std::snprintf(dt, sizeof dt, "%g", static_cast<double>(m_firstDt));
        demoSay("ticks " + std::to_string(m_ticks));
        demoSay(std::string("firstdt ") + dt);
        return status;
    }

private:
    unsigned int m_ticks = 0;
    bool m_awaitFirst = false;
    float m_firstDt = -1;
};
ENGINE_DEMO_SCENE("lifecycle", LifecycleDemo);

}  // namespace
