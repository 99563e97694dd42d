// Runs with ENGINE_HEADLESS=1, ENGINE_FIXED_DT=1 and ENGINE_MAX_FRAMES=3 set
// by ctest: the director and the view must pick them up on creation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "director/EngineHooks.h"
#include "scene/CCScene.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

class CountingScene : public CCScene {
public:
    void update(float dt) override { deltas.push_back(dt); }
    std::vector<float> deltas;
};

class HookApp : public CCApplication {
public:
    bool applicationDidFinishLaunching() override {
        scene = new CountingScene();
        scene->init();
        scene->scheduleUpdate();
        CCDirector::sharedDirector()->runWithScene(scene);
        return true;
    }
    CountingScene* scene = nullptr;
};

}  // namespace

TEST(EngineHooksFromEnvironment, RunStopsAfterTheFrameLimitWithFixedSteps) {
    ASSERT_STREQ(std::getenv("ENGINE_MAX_FRAMES"), "3") << "run this test through ctest";
    CCDirector* director = CCDirector::sharedDirector();
    EXPECT_TRUE(director->isFixedDeltaTime());
    EXPECT_EQ(director->getFrameLimit(), 3u);
    EXPECT_TRUE(director->getOpenGLView()->isHeadless());

    HookApp app;
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(director->getTotalFrames(), 3u);
    ASSERT_NE(app.scene, nullptr);
    // Frame 1 ticks before the scene enters; frames 2 and 3 reach it.
    EXPECT_EQ(app.scene->deltas, std::vector<float>(2, 1.0f / 60.0f));
    app.scene->release();
}
