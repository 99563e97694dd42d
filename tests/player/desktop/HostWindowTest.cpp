// The host's window glue on the headless view (fake 1920 x 1080 monitor):
// mode switches, centring, design resolution, posted messages and resizes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopHost.h"
#include "HostTestSupport.h"
#include "HostWindow.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

class HostWindow : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        CCDirector::resetForTest();
        resetHostWindow();
        orientation = GetParam();
        setOrientationProvider([this] { return orientation; });
        installWindowProcHook();
        QVHost::install(&desktop);  // the game's calls, as the player's main installs them
        view = CCDirector::sharedDirector()->getOpenGLView();
        ASSERT_TRUE(view->isHeadless());
    }
    void TearDown() override {
        QVHost::install(nullptr);
        resetHostWindow();
        CCDirector::resetForTest();
    }

    // One loop iteration as run() does it: poll, deliver, frame.
    void frame() {
        view->pollEvents();
        view->deliverEvents();
        CCDirector::sharedDirector()->stepFrame(1.0f / 60);
    }
    bool landscape() const { return orientation == 1; }
    CCSize size(float w, float h) const { return landscape() ? CCSize(w, h) : CCSize(h, w); }

    int orientation = 1;
    CCEGLView* view = nullptr;
    DesktopHost desktop;
    QVHost& game = desktop;
};

}  // namespace

TEST_P(HostWindow, SwitchesSizeAndCentreTheWindowOnItsMonitor) {
    view->setDesignResolutionSize(100, 100, kResolutionShowAll);
    view->setFrameZoomFactor(2.0f);

    // Start-up: forced windowed, half the monitor, the frame actually set centred.
    game.setFullscreen(false, true);
    EXPECT_FALSE(game.isFullscreenMode());
    EXPECT_FALSE(view->isFullscreen());
    // Portrait: inside the 1080 rows.
    EXPECT_EQ(view->getWindowRect(), landscape() ? CCRect(480, 270, 960, 540) : CCRect(690, 60, 540, 960));
    EXPECT_EQ(view->getFrameSize(), size(960, 540));
    EXPECT_EQ(view->getFrameZoomFactor(), 1.0f);
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), size(1136, 640));
    EXPECT_EQ(view->getResolutionPolicy(), kResolutionShowAll);

    // The current mode, unforced: nothing at all.
    view->setDesignResolutionSize(200, 200, kResolutionNoBorder);
    game.setFullscreen(false, false);
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), CCSize(200, 200));

    // Fullscreen covers the monitor and leaves the design resolution alone.
    view->setFrameZoomFactor(2.0f);
    game.setFullscreen(true, false);
    EXPECT_TRUE(game.isFullscreenMode());
    EXPECT_TRUE(view->isFullscreen());
    EXPECT_EQ(view->getFrameSize(), CCSize(1920, 1080));
    EXPECT_EQ(view->getFrameZoomFactor(), 1.0f);
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), CCSize(200, 200));
    EXPECT_EQ(view->getResolutionPolicy(), kResolutionNoBorder);

    // Forced, the current mode is applied again.
    view->setFrameSize(300, 300);
    game.setFullscreen(true, false);
    EXPECT_EQ(view->getFrameSize(), CCSize(300, 300));
    game.setFullscreen(true, true);
    EXPECT_EQ(view->getFrameSize(), CCSize(1920, 1080));

    // And back: the same windowed placement, the policy still the game's.
    game.setFullscreen(false, false);
    EXPECT_FALSE(view->isFullscreen());
    EXPECT_EQ(view->getFrameSize(), size(960, 540));
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), size(1136, 640));
    EXPECT_EQ(view->getResolutionPolicy(), kResolutionNoBorder);
    EXPECT_EQ(view->getWindowRect().origin, landscape() ? CCPoint(480, 270) : CCPoint(690, 60));
}

TEST_P(HostWindow, PostedModeMessagesSwitchInTheNextFrameAfterTheSaveInOrder) {
    setFullscreen(false, true);
    std::vector<std::string> seen;
    setBeforeSwitchHook([&] { seen.push_back(std::string("save while ") + (isFullscreenMode() ? "full" : "windowed")); });

    frame();
    postWindowModeRequest(true);  // from a button handler in this frame
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(isFullscreenMode());
    frame();
    EXPECT_EQ(seen, std::vector<std::string>({"save while windowed"}));
    EXPECT_TRUE(isFullscreenMode());
    EXPECT_EQ(view->getFrameSize(), CCSize(1920, 1080));

    // Two requests arrive in the order posted.
    seen.clear();
    postWindowModeRequest(false);
    postWindowModeRequest(true);
    frame();
    EXPECT_EQ(seen, std::vector<std::string>({"save while full", "save while windowed"}));
    EXPECT_TRUE(isFullscreenMode());

    // A request for the current mode still saves, then changes nothing.
    seen.clear();
    view->setFrameSize(1000, 600);
    postWindowModeRequest(true);
    frame();
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(view->getFrameSize(), CCSize(1000, 600));
}

TEST_P(HostWindow, ResizesAreFittedOnlyWhenWindowedAndChanged) {
    setFullscreen(false, true);
    const CCSize sentinel(100, 100);
    view->setDesignResolutionSize(sentinel.width, sentinel.height, kResolutionShowAll);

    // The echo of our own switch: same size, nothing to fit.
    const CCSize own = size(960, 540);
    view->queueResize(static_cast<int>(own.width), static_cast<int>(own.height));
    frame();
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), sentinel);

    // A user resize: several reports in one frame, the last one is fitted.
    view->queueResize(700, 500);
    view->queueResize(640, 480);
    frame();
    EXPECT_EQ(view->getFrameSize(), CCSize(640, 480));
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), size(1136, 640));
    EXPECT_EQ(view->getResolutionPolicy(), kResolutionShowAll);

    // In fullscreen the window's size reports never reset the design resolution.
    setFullscreen(true, false);
    view->setDesignResolutionSize(sentinel.width, sentinel.height, kResolutionShowAll);
    view->queueResize(1920, 1000);
    frame();
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), sentinel);

    // Directly, resizeView always fits.
    resizeView(500, 400);
    EXPECT_EQ(view->getFrameSize(), CCSize(500, 400));
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), size(1136, 640));
}

TEST_P(HostWindow, APostedCloseEndsRunAfterTheFrameThatPostedIt) {
    SceneApp app;
    CCDirector* director = CCDirector::sharedDirector();
    director->setFrameLimit(50);  // a lost close fails the test instead of hanging it
    std::vector<unsigned int> modeFrames;
    setBeforeSwitchHook([&] { modeFrames.push_back(director->getTotalFrames() + 1); });
    const int hook = director->addFrameHook([](unsigned int frame) {
        if (frame == 2) QVHost::current().postWindowModeRequest(true);
        if (frame == 5) QVHost::current().postCloseRequest();
    });
    EXPECT_EQ(app.run(), 0);
    director->removeFrameHook(hook);
    EXPECT_EQ(director->getTotalFrames(), 5u);
    EXPECT_EQ(modeFrames, std::vector<unsigned int>({3u}));
    EXPECT_TRUE(isFullscreenMode());
}

INSTANTIATE_TEST_SUITE_P(Orientation, HostWindow, ::testing::Values(1, 0),
                         [](const ::testing::TestParamInfo<int>& param) {
                             return param.param == 1 ? std::string("Landscape") : std::string("Portrait");
                         });
