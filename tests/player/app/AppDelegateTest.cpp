// The application delegate on the real loader: the design resolution it
// picks, the low-performance flag, loading that ends exactly once (also when
// it fails, with nothing marked loaded or saved) and the trip to the
// background and back, headless on the silent audio back-end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../engine/audio/AudioTestSupport.h"
#include "state_test_support.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPAppDelegate.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/screens/ScreenManager.h"
#include "scene/CCScene.h"
#include "view/CCEGLView.h"

using namespace cocos2d;
using audiotest::Finishes;
using audiotest::step;

namespace {

const std::string kPlayerFixtures = std::string(QV_BINARY_DIR) + "/fixtures/player/";
const std::string kLoadFixtures = std::string(QV_BINARY_DIR) + "/fixtures/load/";

QVModelController* controller() { return QVModelController::shared(); }

size_t countLines(const std::string& line) {
    const auto& lines = LogCapture::lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        CCDirector::resetForTest();
        audio::resetForTest(audio::BackendKind::Null);
        statetest::useWritable(store.path);
        ScreenManager::shared()->reset();
        QVPSettingsController::destroy();
        QVPSettingsController::setLoaded(false);
        controller()->closeDataArchive();
        controller()->archiveMode = false;
        controller()->clear();
    }
    void TearDown() override {
        compat::setClockForTest(nullptr);
        ScreenManager::shared()->reset();
        CCDirector::resetForTest();
        QVPInputController::destroy();
        QVPSettingsController::destroy();
        QVPSettingsController::setLoaded(false);
        controller()->closeDataArchive();
        controller()->archiveMode = false;
        controller()->clear();
        audio::resetForTest(audio::BackendKind::Null);
        statetest::useWritable("");
        CCFileUtils::sharedFileUtils()->setResourceRoot(QV_SOURCE_DIR);
    }
    // What the entry does before the main loop.
    static void startUp(const std::string& root, bool archive) {
        CCFileUtils::sharedFileUtils()->setResourceRoot(root);
        controller()->archiveMode = archive;
        controller()->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
        ASSERT_EQ(controller()->lastError(), "") << controller()->lastErrorDetail();
    }
    // Loading steps until the delegate says it has finished; the percent after each.
    std::vector<int> loadToTheEnd() {
        std::vector<int> percents;
        for (int i = 0; i < 10000 && !app.isLoadingFinished(); ++i) {
            app.loadGameData();
            percents.push_back(controller()->loadingPercent());
        }
        EXPECT_TRUE(app.isLoadingFinished());
        return percents;
    }

    modeltest::TempDir store;
    LogCapture log;
    QVPAppDelegate app;
};

void setSettings(int orientation, int adjustment) {
    auto settings = QVModelGeneralSettings::shared();
    dynamic_cast<QVAttributeOrientation&>(*settings->attribute("Orientation"))
        .setValue(static_cast<QVOrientation>(orientation));
    dynamic_cast<QVAttributeScreenAdjustment&>(*settings->attribute("Screen Adjustment"))
        .setValue(static_cast<QVScreenAdjustment>(adjustment));
}

TEST_F(AppDelegateTest, SetupScreenPolicyTable) {
    struct Row {
        int orientation, adjustment;
        CCSize window;
        int policy;
        CCSize design;  // zero: left as it was
    };
    const CCSize landscape(1136, 640), portrait(640, 1136);
    const Row rows[] = {
        {1, 0, {1280, 720}, kResolutionNoBorder, landscape},
        {0, 0, {720, 1280}, kResolutionNoBorder, portrait},
        {1, 1, {1280, 720}, kResolutionFixedHeight, landscape},
        {0, 1, {720, 1280}, kResolutionFixedHeight, portrait},
        {1, 2, {1280, 720}, kResolutionFixedWidth, landscape},
        {0, 2, {720, 1280}, kResolutionFixedWidth, portrait},
        // 3 fits by the aspect ratio: 16:9 keeps the height, 4:3 the width.
        {1, 3, {1280, 720}, kResolutionFixedHeight, landscape},
        {1, 3, {1024, 768}, kResolutionFixedWidth, landscape},
        {0, 3, {720, 1280}, kResolutionFixedWidth, portrait},
        {0, 3, {768, 1024}, kResolutionFixedHeight, portrait},
        {1, 7, {1280, 720}, kResolutionUnKnown, landscape},
        {2, 1, {1280, 720}, kResolutionExactFit, {}},
    };
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    for (const Row& row : rows) {
        SCOPED_TRACE("orientation " + std::to_string(row.orientation) + " adjustment " +
                     std::to_string(row.adjustment) + " window " + std::to_string(int(row.window.width)) + "x" +
                     std::to_string(int(row.window.height)));
        // The window size the director reports.
        view->setDesignResolutionSize(row.window.width, row.window.height, kResolutionExactFit);
        setSettings(row.orientation, row.adjustment);
        app.setupScreen();
        EXPECT_EQ(view->getResolutionPolicy(), row.policy);
        EXPECT_EQ(view->getRequestedDesignResolutionSize(), row.design.width > 0 ? row.design : row.window);
    }
    EXPECT_EQ(QVPAppDelegate::resolutionPolicy(3, 1, CCSize(1280, 0)), kResolutionFixedWidth) << "no division by 0";
    // Without a settings model the view is left alone.
    controller()->clear();
    view->setDesignResolutionSize(800, 600, kResolutionExactFit);
    app.setupScreen();
    EXPECT_EQ(view->getRequestedDesignResolutionSize(), CCSize(800, 600));
}

TEST_F(AppDelegateTest, LowPerformanceOnlyAboveFourTenthsOfASecond) {
    struct Row {
        cc_timeval before, after;
        bool low;
    };
    const Row rows[] = {
        {{10, 0}, {10, 400000}, false},
        {{10, 800000}, {11, 200000}, false},
        {{10, 0}, {10, 410000}, true},
        {{10, 900000}, {11, 310000}, true},
        {{10, 0}, {10, 0}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.after.tv_sec) + "." + std::to_string(row.after.tv_usec));
        EXPECT_EQ(QVPAppDelegate::elapsedSeconds(row.before, row.after) > QVPAppDelegate::kLowPerformanceSeconds,
                  row.low);
    }
    // The launch takes its two readings from the clock tests replace.
    for (const int64_t stepTicks : {int64_t(0), int64_t(10000000)}) {
        SCOPED_TRACE(stepTicks);
        ScreenManager::shared()->reset();
        CCDirector::resetForTest();
        startUp(kPlayerFixtures + "menus", false);
        int64_t now = 16000000000000000;
        compat::setClockForTest([&] { return now += stepTicks; });
        ASSERT_TRUE(app.applicationDidFinishLaunching());
        compat::setClockForTest(nullptr);
        EXPECT_EQ(QVPSettingsController::shared()->isLowPerformance(), stepTicks > 0);
        EXPECT_NE(CCDirector::sharedDirector()->getNextScene(), nullptr) << "the loading screen runs";
    }
}

// Loading ends once: more calls neither clear the models nor repeat the
// completion, and the percent never goes back.
TEST_F(AppDelegateTest, MenusLoadOnceInFolderAndArchiveMode) {
    for (const char* root : {"menus", "menus-aes256"}) {
        SCOPED_TRACE(root);
        const bool archive = std::string(root) != "menus";
        QVPAppDelegate delegate;
        ScreenManager::shared()->reset();
        CCDirector::resetForTest();
        QVPSettingsController::setLoaded(false);
        LogCapture::lines().clear();
        startUp(kPlayerFixtures + root, archive);
        delegate.setArchivePassword(qvformat::kStoredArchivePassword);
        ASSERT_TRUE(delegate.applicationDidFinishLaunching());
        CCScene* loading = CCDirector::sharedDirector()->getNextScene();
        ASSERT_NE(loading, nullptr);
        loading->retain();  // compared below, after the menu replaced it
        const size_t startUpModels = controller()->modelCount();

        delegate.loadGameData();
        EXPECT_LT(controller()->modelCount(), startUpModels) << "the first step starts from an empty controller";
        std::vector<int> percents{controller()->loadingPercent()};
        for (int i = 0; i < 10000 && !delegate.isLoadingFinished(); ++i) {
            delegate.loadGameData();
            percents.push_back(controller()->loadingPercent());
        }
        ASSERT_TRUE(delegate.isLoadingFinished());
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        EXPECT_EQ(percents.back(), 100);
        EXPECT_FALSE(delegate.loadFailed());
        EXPECT_EQ(delegate.archivePassword(), "") << "erased once loading ends";
        EXPECT_TRUE(QVPSettingsController::isLoaded());
        EXPECT_EQ(ScreenManager::shared()->currentUiName(), "MainMenu");
        CCScene* menu = CCDirector::sharedDirector()->getNextScene();
        EXPECT_NE(menu, loading) << "the main menu replaces the loading screen";
        EXPECT_EQ(menu, ScreenManager::shared()->currentScene());
        loading->release();

        const size_t models = controller()->modelCount();
        const size_t lines = LogCapture::lines().size();
        for (int i = 0; i < 30; ++i) delegate.loadGameData();
        EXPECT_EQ(controller()->modelCount(), models);
        EXPECT_EQ(controller()->loadingPercent(), 100);
        EXPECT_EQ(LogCapture::lines().size(), lines) << "nothing runs again";
        EXPECT_EQ(countLines("End loading XML"), 1u);
        EXPECT_EQ(countLines("Start Atlas loading"), 1u);
        EXPECT_EQ(CCDirector::sharedDirector()->getNextScene(), menu);
        EXPECT_FALSE(CCDirector::sharedDirector()->isEndRequested());
    }
}

// A game whose start node has no "Load" link stays on the loading screen and
// says so once, however often the loading screen asks again.
TEST_F(AppDelegateTest, NoLoadLinkLogsOnce) {
    startUp(kLoadFixtures + "small", false);
    loadToTheEnd();
    for (int i = 0; i < 30; ++i) app.loadGameData();
    EXPECT_FALSE(app.loadFailed());
    EXPECT_TRUE(QVPSettingsController::isLoaded());
    EXPECT_EQ(countLines("ERROR! Failed to find ScreenScene attached to Start scene"), 1u);
    EXPECT_EQ(countLines("End loading XML"), 1u);
}

// A pack that fails to load ends the game: nothing is marked loaded, the
// player's progress stays as it was, and the failure is reported once.
TEST_F(AppDelegateTest, FailedLoadEndsTheGameAndSavesNothing) {
    statetest::writeStore({{"QVP_Fixture", "kept"}, {"QVP_fullscreen", "1"}});
    const std::string before = statetest::fileBytes(statetest::storePath());
    ASSERT_FALSE(before.empty());

    startUp(kLoadFixtures + "truncated", false);
    testing::internal::CaptureStderr();
    loadToTheEnd();
    for (int i = 0; i < 30; ++i) app.loadGameData();
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(app.loadFailed());
    EXPECT_FALSE(QVPSettingsController::isLoaded());
    EXPECT_TRUE(CCDirector::sharedDirector()->isEndRequested());
    EXPECT_EQ(countLines("[QVPAppDelegate] loading failed: " + controller()->lastError()), 1u);
    EXPECT_EQ(countLines("Start Atlas loading"), 0u);
    const std::string line = "qvplayer: cannot load the game from " + kLoadFixtures + "truncated: Unable to load data (" +
                             controller()->lastErrorDetail() + ")";
    EXPECT_NE(err.find(line + "\n"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(countLines(line), 1u);
    EXPECT_EQ(controller()->lastErrorDetail().rfind("data/QVModelObject.1.attributes.pack: ", 0), 0u)
        << controller()->lastErrorDetail();

    // The main loop's orderly end would save; so does a trip to the background.
    app.applicationDidEnterBackground();
    QVPSettingsController::shared()->save();
    EXPECT_EQ(statetest::fileBytes(statetest::storePath()), before);
}

TEST_F(AppDelegateTest, BackgroundAndForeground) {
    for (const bool muted : {false, true}) {
        SCOPED_TRACE(muted ? "effects muted" : "effects on");
        LogCapture::lines().clear();
        CCDirector* director = CCDirector::sharedDirector();
        Finishes finishes;
        const int beep = finishes.play("beep_mono.mp3");  // 30 frames long
        ASSERT_NE(beep, -1);
        step(5);
        app.applicationDidEnterBackground();
        EXPECT_EQ(countLines("[QVPSettingsController] - save while not loaded  = reset - issue prevented"), 1u);
        EXPECT_FALSE(director->isAnimating());
        director->startAnimation();  // so the steps below advance the audio clock
        step(60);
        EXPECT_EQ(finishes.count(beep), 0) << "paused in the background";

        // The foreground reloads the player state: the stored switch decides.
        CCUserDefault::sharedUserDefault()->setBoolForKey("QVP_muteEffectsSound", muted);
        director->stopAnimation();
        app.applicationWillEnterForeground();
        EXPECT_TRUE(director->isAnimating());
        step(60);
        EXPECT_EQ(finishes.count(beep), muted ? 0 : 1);
        experimental::AudioEngine::stopAll();
    }
}

}  // namespace
