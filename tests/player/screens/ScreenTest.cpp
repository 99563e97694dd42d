// The screen base: what a screen model builds (menus, skipped and hidden
// kinds, draw order), the keyboard highlight, deferred button actions with
// the closing frames, and the idle loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "menu/CCMenu.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelUIObjects.h"
#include "player/screens/QVPScreenUi.h"
#include "screens_test_support.h"

namespace {

using screentest::Names;

class Screens : public screentest::ScreenTest {};

std::vector<cocos2d::CCMenu*> buttonMenus(const QVPScreen& screen) {
    std::vector<cocos2d::CCMenu*> menus;
    cocos2d::CCArray* children = screen.uiContainer()->getChildren();
    for (unsigned i = 0; i < children->count(); ++i) {
        auto* menu = dynamic_cast<cocos2d::CCMenu*>(children->objectAtIndex(i));
        if (menu && menu->getTag() == QVPScreen::kButtonMenuTag) menus.push_back(menu);
    }
    return menus;
}

TEST_F(Screens, EachButtonGetsAMenuOfItsOwn) {
    auto model = openScreenModel("Menu");
    struct Row {
        int z;
        bool blockTouch;
    };
    const Row rows[] = {{2, true}, {-1, false}, {7, true}};
    for (const Row& row : rows) setBool(*button(model, "", 0, 0, row.z), "Block Touch", row.blockTouch);
    setBool(*button(model, "", 0, 0, 3), "Hidden", true);

    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    const std::vector<cocos2d::CCMenu*> menus = buttonMenus(*screen);
    ASSERT_EQ(menus.size(), 3u);
    for (size_t i = 0; i < menus.size(); ++i) {
        SCOPED_TRACE(i);
        // Menus are added in depth order.
        const Row& row = rows[i == 0 ? 1 : i == 1 ? 0 : 2];
        EXPECT_EQ(menus[i]->getChildrenCount(), 1u);
        EXPECT_EQ(menus[i]->getZOrder(), row.z);
        EXPECT_EQ(menus[i]->getTouchPriority(), -row.z);
        EXPECT_EQ(menus[i]->isSwallowingTouches(), row.blockTouch);
    }
}

TEST_F(Screens, HiddenAndLaterKindsMakeNothingAndAreLoggedOnce) {
    auto model = openScreenModel("Kinds");
    object<QVModelObjectManipulator>(model);
    object<QVModelObjectManipulator>(model);
    object<QVModelObjectEventObserver>(model);
    object<QVModelObjectSwipeControl>(model);
    setBool(*object<QVModelObjectLabel>(model), "Hidden", true);
    auto shown = object<QVModelObjectLabel>(model);

    LogCapture log;
    for (int build = 0; build < 2; ++build) {
        QVPScreenUi* screen = QVPScreenUi::create();
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->objectMap().size(), 1u);
        EXPECT_EQ(screen->objectMap()[0].first, shown);
        EXPECT_EQ(screen->objects().size(), 1u);
    }
    for (const char* kind : {"QVModelObjectManipulator", "QVModelObjectEventObserver", "QVModelObjectSwipeControl"}) {
        SCOPED_TRACE(kind);
        const std::string line = std::string("[QVPScreen] no runtime object for ") + kind;
        EXPECT_EQ(std::count(log.all().begin(), log.all().end(), line), 1);
    }
}

TEST_F(Screens, ObjectsRunInDepthThenModelOrder) {
    auto model = openScreenModel("Order");
    auto deep = object<QVModelObjectLabel>(model, 0, 0, 3);
    auto firstFlat = object<QVModelObjectLabel>(model, 0, 0, 1);
    auto pressed = button(model, "", 0, 0, 2);
    auto secondFlat = object<QVModelObjectLabel>(model, 0, 0, 1);
    auto below = button(model, "", 0, 0, -4);

    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    std::vector<uint32_t> order;
    for (cocos2d::CCNode* object : screen->objects()) {
        for (const auto& entry : screen->objectMap()) {
            if (entry.second == object) order.push_back(entry.first->id());
        }
    }
    EXPECT_EQ(order,
              (std::vector<uint32_t>{below->id(), firstFlat->id(), secondFlat->id(), pressed->id(), deep->id()}));
}

TEST_F(Screens, HighlightMovesToTheNearestButtonInLine) {
    auto model = openScreenModel("Pad");
    auto start = button(model, "", 500, 100, 1);
    auto near = button(model, "", 500, 150);
    auto far = button(model, "", 500, 220);
    auto aside = button(model, "", 650, 160, 5);
    auto alsoDeepest = button(model, "", 100, 600, 5);
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    auto selected = [&] {
        std::vector<uint32_t> ids;
        for (const auto& entry : screen->objectMap()) {
            auto* item = dynamic_cast<QVPObjectButton*>(entry.second);
            if (item && item->isSelected()) ids.push_back(entry.first->id());
        }
        return ids;
    };

    // The deepest button, the later one on equal depth.
    screen->hilightDefaultButton();
    EXPECT_EQ(selected(), std::vector<uint32_t>{alsoDeepest->id()});
    buttonOf(*screen, alsoDeepest)->unselected();

    buttonOf(*screen, start)->selected();
    const std::vector<std::pair<int, uint32_t>> moves = {
        {12, near->id()},                    // 50 up wins over 120 up; 150 aside never counts
        {12, far->id()},  {12, far->id()},   // nothing above: stays
        {13, near->id()}, {14, near->id()},  // nothing to the left within reach
    };
    for (const auto& move : moves) {
        SCOPED_TRACE(move.first);
        screen->moveHighlight(move.first);
        EXPECT_EQ(selected(), std::vector<uint32_t>{move.second});
    }
    EXPECT_FALSE(buttonOf(*screen, aside)->isSelected());
}

class Deferred : public Screens {
protected:
    // [Previous, Closing]: a back press pops to Previous.
    QVPScreenUi* build(int closeFrames) {
        openScreenModel("Previous");
        model = openScreenModel("Closing");
        setInt(*model, "Close Animation Frames", closeFrames);
        nowhere = button(model, "", 100, 100);
        back = button(model, "kBackButton", 300, 100);
        QVPScreenUi* screen = QVPScreenUi::create();
        run(screen);
        return screen;
    }
    std::shared_ptr<QVModelScreen> model;
    std::shared_ptr<QVModelObjectButton> nowhere, back;
};

TEST_F(Deferred, NoClosingFramesRunsTheActionWithinThePress) {
    QVPScreenUi* screen = build(0);
    buttonOf(*screen, back)->activate();
    EXPECT_EQ(manager()->currentUiName(), "Previous");
    EXPECT_NE(cocos2d::CCDirector::sharedDirector()->getNextScene(), nullptr);
}

TEST_F(Deferred, ClosingFramesDelayTheActionAndIgnoreOtherPresses) {
    QVPScreenUi* screen = build(15);
    // A link the node lacks: nothing opens, and the screen must come back.
    buttonOf(*screen, nowhere)->activate();
    EXPECT_EQ(screen->screenState(), QVPScreen::kClosing);
    uitest::step(5);
    buttonOf(*screen, back)->activate();
    screen->keyBackClicked();
    uitest::step(20);  // 25 frames of the 30 the closing takes
    EXPECT_EQ(screen->screenState(), QVPScreen::kClosing);
    uitest::step(10);
    EXPECT_EQ(screen->screenState(), QVPScreen::kIdle);
    EXPECT_EQ(manager()->currentUiName(), "Closing");
    EXPECT_EQ(cocos2d::CCDirector::sharedDirector()->getNextScene(), nullptr);

    // Idle again: the back button works and takes the closing frames.
    buttonOf(*screen, back)->activate();
    EXPECT_EQ(manager()->currentUiName(), "Closing");
    uitest::step(35);
    EXPECT_EQ(manager()->currentUiName(), "Previous");
    EXPECT_NE(QVPScreen::runningScreen(), screen);
}

TEST_F(Screens, IdleLoopFiresOncePerPeriod) {
    auto model = openScreenModel("Idle");
    setBool(*model, "Idle Animation Loop", true);
    setInt(*model, "Open Animation Frames", 0);
    setInt(*model, "Idle Animation Frames", 30);
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    int firings = 0;
    float last = screen->screenTime();
    for (int i = 0; i < 12; ++i) {
        screen->update(0.25f);
        if (screen->screenTime() < last) ++firings;
        last = screen->screenTime();
        EXPECT_LT(last, 1.0f);
    }
    EXPECT_EQ(firings, 3);
    EXPECT_EQ(screen->screenState(), QVPScreen::kIdle);
}

TEST_F(Screens, AdsFollowTheirFrequenciesAndAnInterruptionSkipsOneInterstitial) {
    auto model = openScreenModel("Ads");
    uitest::setText(*model, "Ad Banner", "kAdMob");
    uitest::setText(*model, "Ad Interstitial", "kAdMob");
    uitest::attr(*model, "Ad Banner Freq.")->setValue(3.0f);
    uitest::attr(*model, "Ad Interstitials Freq.")->setValue(2.0f);
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    std::string shown;
    for (int call = 1; call <= 6; ++call) {
        if (call == 3) screen->setInterrupted();
        LogCapture log;
        screen->updateAds();
        shown += log.has("[QVAdAdMob] show banner") ? 'B' : '-';
        shown += log.has("[QVAdAdMob] show interstitial") ? 'I' : '-';
    }
    // Calls 1-6: the banner every third; the interstitial every second
    // count, and the interrupted third call does not count.
    EXPECT_EQ(shown, "---IB----IB-");
}

}  // namespace
