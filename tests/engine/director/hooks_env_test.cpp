// Runs with ENGINE_HEADLESS=1, ENGINE_FIXED_DT=1 and ENGINE_MAX_FRAMES=3 set
// by ctest: the director and the view must pick them up on creation.
#include <gtest/gtest.h>

#include "../view/ViewTestSupport.h"

using namespace cocos2d;

TEST(EngineHooksFromEnvironment, RunStopsAfterTheFrameLimitWithFixedSteps) {
    ASSERT_STREQ(std::getenv("ENGINE_MAX_FRAMES"), "3") << "run this test through ctest";
    CCDirector* director = CCDirector::sharedDirector();
    EXPECT_TRUE(director->isFixedDeltaTime());
    EXPECT_EQ(director->getFrameLimit(), 3u);
    EXPECT_TRUE(director->getOpenGLView()->isHeadless());

    viewtest::TestApp app;
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(director->getTotalFrames(), 3u);
    EXPECT_EQ(app.scene->updates, std::vector<float>(3, 1.0f / 60.0f));
}
