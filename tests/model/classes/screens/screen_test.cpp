// Screens: the banner decision, screens and worlds found by key (an unknown
// key makes, registers and logs one), screenOf, and what a copy keeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>

#include "../../core/support/model_test_support.h"
#include "../sections/section_test_support.h"
#include "model/classes/QVModelScreenScene.h"
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

template <class S>
std::shared_ptr<S> keyed(const std::string& key) {
    auto screen = S::create();
    set<QVAttributeString>(screen, "Key", key);
    QVModelController::shared()->addModel(screen);
    return screen;
}

TEST_F(ScreenTest, BannerChecksFollowTheFrequencyTheNetworkAndRemovedAds) {
    struct Row {
        float frequency;
        const char* network;
        bool adsRemoved;
        std::vector<bool> answers;
        int counterAfter;
    };
    for (const Row& row : std::vector<Row>{
             {3.0f, "kAdMob", false, {false, false, true, true}, 4},
             {0.9f, "kAdMob", false, {true, true}, 2},  // truncated to 0
             {std::numeric_limits<float>::quiet_NaN(), "kAdMob", false, {true}, 1},
             {1.0f, "kNoAds", false, {false, false}, 2},
             {1.0f, "kAdMob", true, {false, false}, 0},
         }) {
        SCOPED_TRACE(row.frequency);
        auto screen = keyed<QVModelScreen>("menu");
        set<QVAttributeFloat>(screen, "Ad Banner Freq.", row.frequency);
        set<QVAttributeStringList>(screen, "Ad Banner", std::string(row.network));
        QVPSettingsController::shared()->setRemoveAds(row.adsRemoved);
        modeltest::LogCapture log;
        std::vector<bool> answers;
        for (size_t i = 0; i < row.answers.size(); ++i) answers.push_back(screen->shouldShowBanner());
        EXPECT_EQ(answers, row.answers);
        EXPECT_EQ(screen->bannerCounter(), row.counterAfter);
        EXPECT_EQ(std::count(log.all().begin(), log.all().end(), "[QVBaseModelScreen] banner will show for: menu"),
                  std::count(answers.begin(), answers.end(), true));
    }
}

TEST_F(ScreenTest, ScreensAndWorldsAreFoundByKeyOrMadeRegisteredAndLogged) {
    auto menu = keyed<QVModelScreen>("menu");
    auto world = keyed<QVModelScreenScene>("menu");
    auto level = keyed<QVModelScreenScene>("level");
    EXPECT_EQ(QVModelScreen::screenForKey("menu"), menu);
    EXPECT_EQ(QVModelScreenScene::screenSceneForKey("menu"), world);
    EXPECT_EQ(QVModelScreenScene::screenSceneForKey("level"), level);

    // Worlds are no screens; an empty key is a key like any other.
    struct Row {
        std::function<std::shared_ptr<QVModelScreen>()> find;
        uint32_t type;
        std::string key;
        const char* logLine;
    };
    for (const Row& row : std::vector<Row>{
             {[] { return QVModelScreen::screenForKey("level"); }, typeId<QVModelScreen>(), "level",
              "[QVModelScreen] screenForKey: no screen with key 'level', created an empty one"},
             {[] { return QVModelScreenScene::screenSceneForKey(""); }, typeId<QVModelScreenScene>(), "",
              "[QVModelScreenScene] screenSceneForKey: no world with key '', created an empty one"},
         }) {
        SCOPED_TRACE(row.logLine);
        const size_t before = controller()->modelCount();
        modeltest::LogCapture log;
        auto made = row.find();
        EXPECT_EQ(made->type(), row.type);
        EXPECT_EQ(made->key(), row.key);
        EXPECT_EQ(controller()->getModel(made->id()), made);
        EXPECT_EQ(row.find(), made);  // found the second time, without a word
        EXPECT_EQ(controller()->modelCount(), before + 1);
        EXPECT_EQ(log.all(), std::vector<std::string>{row.logLine});
    }
}

TEST_F(ScreenTest, ScreenOfIgnoresWorldsAndACopyKeepsTheCounters) {
    auto shared = QVModelObject::create(), worldOnly = QVModelObject::create();
    controller()->addModel(with(QVModelScreenScene::create(), {shared, worldOnly}));
    auto screen = with(QVModelScreen::create(), {shared});
    controller()->addModel(screen);
    EXPECT_EQ(QVModelScreen::screenOf(shared), screen);
    EXPECT_FALSE(QVModelScreen::screenOf(worldOnly));

    screen->setBannerCounter(2);
    screen->setInterstitialCounter(5);
    auto copy = modelCast<QVModelScreen>(screen->clone(false, false));
    EXPECT_EQ(copy->bannerCounter(), 2);
    EXPECT_EQ(copy->interstitialCounter(), 5);
    EXPECT_EQ(copy->objects(), screen->objects());
}

}  // namespace
