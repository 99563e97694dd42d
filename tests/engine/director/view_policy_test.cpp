// Design-resolution maths of the view: the policy table, bad sizes and the
// requested design size surviving frame changes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "director/EngineHooks.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

// The view protocol on its own, without a back-end.
class TestView : public CCEGLViewProtocol {};

struct PolicyCase {
    int policy;
    float scaleX, scaleY;
    float winW, winH;
    float vpX, vpY, vpW, vpH;
    float visW, visH, visX, visY;
};

void expectLayout(const TestView& view, const PolicyCase& c) {
    SCOPED_TRACE(testing::Message() << "policy " << c.policy);
    const float tol = 0.01f;
    EXPECT_NEAR(view.getScaleX(), c.scaleX, 1e-4);
    EXPECT_NEAR(view.getScaleY(), c.scaleY, 1e-4);
    EXPECT_NEAR(view.getDesignResolutionSize().width, c.winW, tol);
    EXPECT_NEAR(view.getDesignResolutionSize().height, c.winH, tol);
    const CCRect& vp = view.getViewPortRect();
    EXPECT_NEAR(vp.origin.x, c.vpX, tol);
    EXPECT_NEAR(vp.origin.y, c.vpY, tol);
    EXPECT_NEAR(vp.size.width, c.vpW, tol);
    EXPECT_NEAR(vp.size.height, c.vpH, tol);
    EXPECT_NEAR(view.getVisibleSize().width, c.visW, tol);
    EXPECT_NEAR(view.getVisibleSize().height, c.visH, tol);
    EXPECT_NEAR(view.getVisibleOrigin().x, c.visX, tol);
    EXPECT_NEAR(view.getVisibleOrigin().y, c.visY, tol);
}

// Frame 1280 x 600, design 1136 x 640.
const PolicyCase kTable[] = {
    {0, 1.12676f, 0.9375f, 1136, 640, 0, 0, 1280, 600, 1136, 640, 0, 0},
    {1, 1.12676f, 1.12676f, 1136, 640, 0, -60.5634f, 1280, 721.127f, 1136, 532.5f, 0, 53.75f},
    {2, 0.9375f, 0.9375f, 1136, 640, 107.5f, 0, 1065, 600, 1136, 640, 0, 0},
    {3, 0.9375f, 0.9375f, 1365.333f, 640, 0, 0, 1280, 600, 1365.333f, 640, 0, 0},
    {4, 1.12676f, 1.12676f, 1136, 532.5f, 0, 0, 1280, 600, 1136, 532.5f, 0, 0},
    // Unknown and out-of-range values behave like exact fit.
    {5, 1.12676f, 0.9375f, 1136, 640, 0, 0, 1280, 600, 1136, 640, 0, 0},
    {42, 1.12676f, 0.9375f, 1136, 640, 0, 0, 1280, 600, 1136, 640, 0, 0},
};

}  // namespace

// Either order of frame and design size gives the same layout, and the
// requested design size survives the frame change.
TEST(ViewPolicy, TableForWideFrameAndDesign1136x640) {
    for (const PolicyCase& c : kTable) {
        for (bool frameFirst : {true, false}) {
            SCOPED_TRACE(frameFirst ? "frame first" : "design first");
            TestView view;
            view.setFrameSize(frameFirst ? 1280 : 640, frameFirst ? 600 : 480);
            view.setDesignResolutionSize(1136, 640, c.policy);
            view.setFrameSize(1280, 600);
            EXPECT_EQ(view.getResolutionPolicy(), c.policy);
            EXPECT_EQ(view.getRequestedDesignResolutionSize(), CCSize(1136, 640));
            expectLayout(view, c);
        }
    }
}

TEST(ViewPolicy, DesignFollowsFrameUntilFirstSet) {
    TestView view;
    EXPECT_EQ(view.getResolutionPolicy(), kResolutionUnKnown);
    view.setFrameSize(800, 450);
    EXPECT_EQ(view.getDesignResolutionSize(), CCSize(800, 450));
    view.setFrameSize(1024, 768);
    EXPECT_EQ(view.getDesignResolutionSize(), CCSize(1024, 768));
    EXPECT_FLOAT_EQ(view.getScaleX(), 1.0f);
    EXPECT_FLOAT_EQ(view.getScaleY(), 1.0f);
    EXPECT_EQ(view.getVisibleSize(), CCSize(1024, 768));
    EXPECT_FALSE(view.isDesignResolutionSet());

    view.setDesignResolutionSize(512, 384, kResolutionShowAll);
    view.setFrameSize(2048, 1536);
    EXPECT_EQ(view.getDesignResolutionSize(), CCSize(512, 384));
    EXPECT_FLOAT_EQ(view.getScaleX(), 4.0f);
}

TEST(ViewPolicy, ZeroNegativeAndNonFiniteSizesAreIgnored) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    TestView view;
    view.setFrameSize(1280, 600);
    view.setDesignResolutionSize(1136, 640, kResolutionNoBorder);
    const float scale = view.getScaleX();
    const float bad[][2] = {{0, 0}, {0, 600}, {1280, 0}, {-1, 600}, {nan, 600}, {1280, inf}};
    for (const auto& size : bad) {
        view.setFrameSize(size[0], size[1]);
        view.setDesignResolutionSize(size[0], size[1], kResolutionExactFit);
    }
    EXPECT_EQ(view.getFrameSize(), CCSize(1280, 600));
    EXPECT_EQ(view.getDesignResolutionSize(), CCSize(1136, 640));
    EXPECT_EQ(view.getResolutionPolicy(), kResolutionNoBorder);
    EXPECT_EQ(view.getScaleX(), scale);
    EXPECT_TRUE(std::isfinite(view.getVisibleSize().height));
    EXPECT_NEAR(view.getVisibleOrigin().y, 53.75f, 0.01f);

    view.setFrameZoomFactor(0);
    view.setFrameZoomFactor(nan);
    EXPECT_EQ(view.getFrameZoomFactor(), 1.0f);
}

TEST(EngineHooks, FlagsAndFrameLimitParsing) {
    // A flag is on for any value but "0"; unset or empty is off.
    for (const char* off : {static_cast<const char*>(nullptr), "", "0"}) EXPECT_FALSE(parseFlagHook("X", off));
    for (const char* on : {"1", "yes"}) EXPECT_TRUE(parseFlagHook("X", on));
    EXPECT_EQ(parseFrameLimitHook("X", "120"), 120u);
    EXPECT_EQ(parseFrameLimitHook("X", "4294967295"), 4294967295u);
    // Unset, and unparsable values, are no limit rather than a misread one.
    for (const char* bad : {static_cast<const char*>(nullptr), "", "0", "-5", "12abc", " 12", "abc", "4294967296",
                            "1e3", "+7"})
        EXPECT_EQ(parseFrameLimitHook("X", bad), 0u) << (bad ? bad : "null");
}
