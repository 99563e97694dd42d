// The application delegate on the real loader, headless and silent: the
// design resolution, the low-performance flag, loading that ends once (also
// when it fails, with nothing loaded or saved), background and foreground.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../../engine/audio/AudioTestSupport.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPAppDelegate.h"
#include "player/app/QVPInputController.h"
#include "player/screens/ScreenManager.h"
#include "scene/CCScene.h"
#include "state_test_support.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

const std::string kPlayer = std::string(QV_BINARY_DIR) + "/fixtures/player/";
const std::string kLoad = std::string(QV_BINARY_DIR) + "/fixtures/load/";

QVModelController* controller() { return QVModelController::shared(); }
size_t count(const std::string& line) {
    return static_cast<size_t>(std::count(LogCapture::lines().begin(), LogCapture::lines().end(), line));
}

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override { reset(store.path); }
    void TearDown() override {
        reset("");
        QVPInputController::destroy();
        CCFileUtils::sharedFileUtils()->setResourceRoot(QV_SOURCE_DIR);
    }
    static void reset(const std::string& writable) {
        compat::setClockForTest(nullptr);
        CCDirector::resetForTest();
        audio::resetForTest(audio::BackendKind::Null);
        statetest::useWritable(writable);
        ScreenManager::shared()->reset();
        QVPSettingsController::destroy();
        QVPSettingsController::setLoaded(false);
        controller()->closeDataArchive();
        controller()->archiveMode = false;
        controller()->clear();
    }
    // What the entry does before the main loop.
    static void startUp(const std::string& root, bool archive) {
        CCFileUtils::sharedFileUtils()->setResourceRoot(root);
        controller()->archiveMode = archive;
        controller()->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
        ASSERT_EQ(controller()->lastErrorDetail(), "");
    }
    // Steps until loading ends; the percent after each step.
    static std::vector<int> loadToTheEnd(QVPAppDelegate& delegate) {
        std::vector<int> percents;
        for (int i = 0; i < 10000 && !delegate.isLoadingFinished(); ++i) {
            delegate.loadGameData();
            percents.push_back(controller()->loadingPercent());
        }
        EXPECT_TRUE(delegate.isLoadingFinished());
        return percents;
    }

    modeltest::TempDir store;
    LogCapture log;
    QVPAppDelegate app;
};

TEST_F(AppDelegateTest, SetupScreenPolicyTable) {
    struct Row {
        int orientation, adjustment;
        CCSize window;
        int policy;
    };
    const Row rows[] = {
        {1, 0, {1280, 720}, kResolutionNoBorder},    {0, 0, {720, 1280}, kResolutionNoBorder},
        {1, 1, {1280, 720}, kResolutionFixedHeight}, {0, 1, {720, 1280}, kResolutionFixedHeight},
        {1, 2, {1280, 720}, kResolutionFixedWidth},  {0, 2, {720, 1280}, kResolutionFixedWidth},
        {1, 3, {1280, 720}, kResolutionFixedHeight}, {1, 3, {1024, 768}, kResolutionFixedWidth},
        {0, 3, {720, 1280}, kResolutionFixedWidth},  {0, 3, {768, 1024}, kResolutionFixedHeight},
        {1, 7, {1280, 720}, kResolutionUnKnown},     {2, 1, {1280, 720}, kResolutionExactFit},
    };
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.orientation) + " " + std::to_string(row.adjustment) + " " +
                     std::to_string(row.window.width));
        view->setDesignResolutionSize(row.window.width, row.window.height, kResolutionExactFit);  // the window size
        auto settings = QVModelGeneralSettings::shared();
        dynamic_cast<QVAttributeOrientation&>(*settings->attribute("Orientation"))
            .setValue(static_cast<QVOrientation>(row.orientation));
        dynamic_cast<QVAttributeScreenAdjustment&>(*settings->attribute("Screen Adjustment"))
            .setValue(static_cast<QVScreenAdjustment>(row.adjustment));
        app.setupScreen();
        EXPECT_EQ(view->getResolutionPolicy(), row.policy);
        const CCSize design = row.orientation == 1 ? CCSize(1136, 640) : CCSize(640, 1136);
        EXPECT_EQ(view->getRequestedDesignResolutionSize(), row.orientation > 1 ? row.window : design);
    }
    EXPECT_EQ(QVPAppDelegate::resolutionPolicy(3, 1, CCSize(1280, 0)), kResolutionFixedWidth) << "no division by 0";
}

TEST_F(AppDelegateTest, LowPerformanceOnlyAboveFourTenthsOfASecond) {
    const struct {
        cc_timeval before, after;
        bool low;
    } rows[] = {{{10, 0}, {10, 400000}, false},
                {{10, 800000}, {11, 200000}, false},
                {{10, 0}, {10, 410000}, true},
                {{10, 900000}, {11, 310000}, true}};
    for (const auto& row : rows)
        EXPECT_EQ(QVPAppDelegate::elapsedSeconds(row.before, row.after) > QVPAppDelegate::kLowPerformanceSeconds,
                  row.low)
            << row.after.tv_sec << "." << row.after.tv_usec;
    // The launch reads the clock that tests replace: still, or a second per reading.
    for (const int64_t tick : {int64_t(0), int64_t(10000000)}) {
        reset(store.path);
        startUp(kPlayer + "menus", false);
        int64_t now = 16000000000000000;
        compat::setClockForTest([&] { return now += tick; });
        ASSERT_TRUE(app.applicationDidFinishLaunching());
        EXPECT_EQ(QVPSettingsController::shared()->isLowPerformance(), tick > 0);
        EXPECT_NE(CCDirector::sharedDirector()->getNextScene(), nullptr) << "the loading screen";
    }
}

// The first step clears what the entry loaded; loading then ends once: more
// calls neither clear the models nor repeat the completion.
TEST_F(AppDelegateTest, MenusLoadOnceInFolderAndArchiveMode) {
    for (const std::string root : {"menus", "menus-aes256"}) {
        SCOPED_TRACE(root);
        reset(store.path);
        LogCapture::lines().clear();
        QVPAppDelegate delegate;
        startUp(kPlayer + root, root != "menus");
        delegate.setArchivePassword(qvformat::kStoredArchivePassword);
        ASSERT_TRUE(delegate.applicationDidFinishLaunching());
        CCScene* loading = CCDirector::sharedDirector()->getNextScene();
        ASSERT_NE(loading, nullptr);
        loading->retain();
        const size_t startUpModels = controller()->modelCount();
        delegate.loadGameData();
        EXPECT_LT(controller()->modelCount(), startUpModels);
        const std::vector<int> percents = loadToTheEnd(delegate);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        EXPECT_FALSE(delegate.loadFailed());
        EXPECT_EQ(delegate.archivePassword(), "");
        EXPECT_TRUE(QVPSettingsController::isLoaded());
        EXPECT_EQ(ScreenManager::shared()->currentUiName(), "MainMenu");
        CCScene* menu = CCDirector::sharedDirector()->getNextScene();
        EXPECT_NE(menu, loading);
        loading->release();

        const size_t models = controller()->modelCount(), lines = LogCapture::lines().size();
        for (int i = 0; i < 30; ++i) delegate.loadGameData();
        EXPECT_EQ(controller()->modelCount(), models);
        EXPECT_EQ(LogCapture::lines().size(), lines);
        EXPECT_EQ(count("Start Atlas loading"), 1u);
        EXPECT_EQ(CCDirector::sharedDirector()->getNextScene(), menu);
    }
}

// A game that loads but has no first screen would keep the loading screen
// for good: it is a failed load, reported once, and nothing is saved.
TEST_F(AppDelegateTest, NoLoadLinkLogsOnce) {
    statetest::writeStore({{"QVP_Fixture", "kept"}});
    const std::string before = statetest::fileBytes(statetest::storePath());
    startUp(kLoad + "small", false);
    testing::internal::CaptureStderr();
    loadToTheEnd(app);
    for (int i = 0; i < 30; ++i) app.loadGameData();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(app.loadFailed());
    EXPECT_FALSE(QVPSettingsController::isLoaded());
    EXPECT_TRUE(CCDirector::sharedDirector()->isEndRequested());
    EXPECT_EQ(count("ERROR! Failed to find ScreenScene attached to Start scene"), 1u);
    EXPECT_EQ(err, "qvplayer: cannot load the game from " + kLoad +
                       "small: Unable to start the game (Failed to find ScreenScene attached to Start scene)\n");
    app.applicationDidEnterBackground();
    QVPSettingsController::shared()->save();
    EXPECT_EQ(statetest::fileBytes(statetest::storePath()), before);
}

// A pack that fails ends the game: nothing marked loaded, the progress left
// as it was, one line for a person.
TEST_F(AppDelegateTest, FailedLoadEndsTheGameAndSavesNothing) {
    statetest::writeStore({{"QVP_Fixture", "kept"}});
    const std::string before = statetest::fileBytes(statetest::storePath());
    startUp(kLoad + "truncated", false);
    testing::internal::CaptureStderr();
    loadToTheEnd(app);
    for (int i = 0; i < 30; ++i) app.loadGameData();
    const std::string err = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(app.loadFailed());
    EXPECT_FALSE(QVPSettingsController::isLoaded());
    EXPECT_TRUE(CCDirector::sharedDirector()->isEndRequested());
    EXPECT_EQ(count("[QVPAppDelegate] loading failed: Unable to load data"), 1u);
    EXPECT_EQ(err, "qvplayer: cannot load the game from " + kLoad + "truncated: Unable to load data (" +
                       controller()->lastErrorDetail() + ")\n");
    EXPECT_EQ(controller()->lastErrorDetail().rfind("data/QVModelObject.1.attributes.pack: ", 0), 0u);
    app.applicationDidEnterBackground();  // saves, as the orderly end of the loop would
    QVPSettingsController::shared()->save();
    EXPECT_EQ(statetest::fileBytes(statetest::storePath()), before);
}

TEST_F(AppDelegateTest, BackgroundAndForeground) {
    for (const bool muted : {false, true}) {
        SCOPED_TRACE(muted);
        LogCapture::lines().clear();
        CCDirector* director = CCDirector::sharedDirector();
        audiotest::Finishes finishes;
        const int beep = finishes.play("beep_mono.mp3");  // 30 frames
        audiotest::step(5);
        app.applicationDidEnterBackground();
        EXPECT_EQ(count("[QVPSettingsController] - save while not loaded  = reset - issue prevented"), 1u);
        EXPECT_FALSE(director->isAnimating());
        director->startAnimation();  // the audio clock runs on
        audiotest::step(60);
        EXPECT_EQ(finishes.count(beep), 0) << "paused";
        // The foreground reloads the player state, so the stored switch decides.
        CCUserDefault::sharedUserDefault()->setBoolForKey("QVP_muteEffectsSound", muted);
        director->stopAnimation();
        app.applicationWillEnterForeground();
        EXPECT_TRUE(director->isAnimating());
        audiotest::step(60);
        EXPECT_EQ(finishes.count(beep), muted ? 0 : 1);
        experimental::AudioEngine::stopAll();
    }
}

}  // namespace
