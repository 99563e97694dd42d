// Screens: the banner decision, finding screens and worlds by key (an
// unknown key makes, registers and logs one), screenOf, and the counters a
// copy keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "../../core/support/model_test_support.h"
#include "../sections/section_test_support.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVModelSound.h"
#include "player/app/QVPSettingsController.h"

namespace {

using namespace sectiontest;

class ScreenTest : public ModelTest {
protected:
    void TearDown() override {
        QVPSettingsController::shared()->setRemoveAds(false);
        ModelTest::TearDown();
    }
};

std::shared_ptr<QVModelScreen> keyedScreen(const std::string& key) {
    auto screen = QVModelScreen::create();
    set<QVAttributeString>(screen, "Key", key);
    return screen;
}

TEST_F(ScreenTest, BannerChecksFollowTheFrequencyTheNetworkAndRemovedAds) {
    struct Row {
        const char* name;
        float frequency;
        const char* network;
        bool adsRemoved;
        std::vector<bool> answers;
        int counterAfter;
    };
    const std::vector<Row> rows = {
        {"every third", 3.0f, "kAdMob", false, {false, false, true, true}, 4},
        {"0.9 truncates to 0", 0.9f, "kAdMob", false, {true, true, true}, 3},
        {"no network", 1.0f, "kNoAds", false, {false, false}, 2},
        {"ads removed", 1.0f, "kAdMob", true, {false, false, false}, 0},
        {"NaN frequency", std::numeric_limits<float>::quiet_NaN(), "kAdMob", false, {true}, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto screen = keyedScreen("menu");
        set<QVAttributeFloat>(screen, "Ad Banner Freq.", row.frequency);
        set<QVAttributeStringList>(screen, "Ad Banner", std::string(row.network));
        QVPSettingsController::shared()->setRemoveAds(row.adsRemoved);
        modeltest::LogCapture log;
        std::vector<bool> answers;
        for (size_t i = 0; i < row.answers.size(); ++i) answers.push_back(screen->shouldShowBanner());
        EXPECT_EQ(answers, row.answers);
        EXPECT_EQ(screen->bannerCounter(), row.counterAfter);
        const auto shown = std::count(answers.begin(), answers.end(), true);
        EXPECT_EQ(std::count(log.all().begin(), log.all().end(), "[QVBaseModelScreen] banner will show for: menu"),
                  shown);
    }
}

TEST_F(ScreenTest, ScreensAndWorldsAreFoundByKeyOrMadeRegisteredAndLogged) {
    auto menu = keyedScreen("menu");
    auto world = QVModelScreenScene::create();
    set<QVAttributeString>(world, "Key", std::string("menu"));
    auto level = QVModelScreenScene::create();
    set<QVAttributeString>(level, "Key", std::string("level"));
    for (const std::shared_ptr<QVModel>& model :
         {std::shared_ptr<QVModel>(menu), std::shared_ptr<QVModel>(world), std::shared_ptr<QVModel>(level)}) {
        controller()->addModel(model);
    }
    using Find = std::function<std::shared_ptr<QVModelScreen>(const std::string&)>;
    const Find screen = [](const std::string& key) { return QVModelScreen::screenForKey(key); };
    const Find scene = [](const std::string& key) { return QVModelScreenScene::screenSceneForKey(key); };
    struct Row {
        const char* name;
        Find find;
        std::string key;
        std::shared_ptr<QVModelScreen> existing;  // empty: made
        uint32_t madeType;
        const char* logLine;
    };
    const std::vector<Row> rows = {
        {"screen", screen, "menu", menu, 0, nullptr},
        {"world", scene, "menu", world, 0, nullptr},
        {"second world", scene, "level", level, 0, nullptr},
        {"worlds are no screens", screen, "level", nullptr, typeId<QVModelScreen>(),
         "[QVModelScreen] screenForKey: no screen with key 'level', created an empty one"},
        {"empty key", scene, "", nullptr, typeId<QVModelScreenScene>(),
         "[QVModelScreenScene] screenSceneForKey: no world with key '', created an empty one"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t before = controller()->modelCount();
        modeltest::LogCapture log;
        auto found = row.find(row.key);
        ASSERT_TRUE(found);
        if (row.existing) {
            EXPECT_EQ(found, row.existing);
            EXPECT_EQ(controller()->modelCount(), before);
            EXPECT_TRUE(log.all().empty());
            continue;
        }
        EXPECT_EQ(found->type(), row.madeType);
        EXPECT_EQ(found->key(), row.key);
        EXPECT_EQ(found->name(), "");
        EXPECT_EQ(controller()->getModel(found->id()), found);
        EXPECT_EQ(log.all(), std::vector<std::string>{row.logLine});
        // Found the second time, without a word.
        EXPECT_EQ(row.find(row.key), found);
        EXPECT_EQ(controller()->modelCount(), before + 1);
        EXPECT_EQ(log.all().size(), 1u);
    }
}

TEST_F(ScreenTest, ScreenOfIgnoresWorldsAndACopyKeepsTheCounters) {
    auto shared = QVModelObject::create(), worldOnly = QVModelObject::create();
    auto world = withChildren(QVModelScreenScene::create(), {shared, worldOnly});
    auto screen = withChildren(QVModelScreen::create(), {shared});
    controller()->addModel(world);
    controller()->addModel(screen);
    EXPECT_EQ(QVModelScreen::screenOf(shared), screen);
    EXPECT_FALSE(QVModelScreen::screenOf(worldOnly));
    EXPECT_FALSE(QVModelScreen::screenOf(nullptr));

    screen->setBannerCounter(2);
    screen->setInterstitialCounter(5);
    screen->setMuted(true);
    auto copy = modelCast<QVModelScreen>(screen->clone(false, false));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->bannerCounter(), 2);
    EXPECT_EQ(copy->interstitialCounter(), 5);
    EXPECT_TRUE(copy->muted());
    EXPECT_EQ(copy->objects(), screen->objects());
}

TEST_F(ScreenTest, MusicRelinksAndNotifiesOnlyOnAChange) {
    auto screen = QVModelScreen::create();
    auto first = QVModelSound::create(), second = QVModelSound::create();
    RecordingListener listener;
    screen->addListener(&listener);
    screen->setMusic(first);
    screen->setMusic(first);
    EXPECT_EQ(events(listener), 1u);
    EXPECT_EQ(screen->music(), first);
    ASSERT_EQ(first->references().size(), 1u);
    screen->setMusic(second);
    screen->setMusic(nullptr);
    EXPECT_EQ(events(listener), 3u);
    EXPECT_TRUE(first->references().empty());
    EXPECT_TRUE(second->references().empty());
    EXPECT_FALSE(screen->music());
    screen->removeListener(&listener);
}

}  // namespace
