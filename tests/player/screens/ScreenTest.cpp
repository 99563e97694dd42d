// The screen base: what a screen model builds (menus, skipped and hidden
// kinds, draw order), the keyboard highlight, deferred button actions with
// the closing frames, the idle loop and the ads.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "menu/CCMenu.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelUIObjects.h"
#include "player/screens/QVPScreenUi.h"
#include "screens_test_support.h"

namespace {

using namespace screentest;
using Ids = std::vector<uint32_t>;

class Screens : public ScreenTest {};

TEST_F(Screens, EachButtonGetsAMenuOfItsOwn) {
    auto model = openScreenModel("Menu");
    for (const auto& [z, blockTouch] : {std::pair{2, true}, {-1, false}, {7, true}}) {
        set<QVAttributeBool>(*button(model, "", 0, 0, z), "Block Touch", blockTouch);
    }
    set<QVAttributeBool>(*button(model, "", 0, 0, 3), "Hidden", true);

    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    // Depth, touch priority and swallowing of each menu, in the order added.
    std::vector<std::tuple<int, int, bool>> menus;
    cocos2d::CCArray* children = screen->uiContainer()->getChildren();
    for (unsigned i = 0; i < children->count(); ++i) {
        auto* menu = dynamic_cast<cocos2d::CCMenu*>(children->objectAtIndex(i));
        if (!menu || menu->getTag() != QVPScreen::kButtonMenuTag) continue;
        EXPECT_EQ(menu->getChildrenCount(), 1u);
        menus.emplace_back(menu->getZOrder(), menu->getTouchPriority(), menu->isSwallowingTouches());
    }
    EXPECT_EQ(menus, (std::vector<std::tuple<int, int, bool>>{{-1, 1, false}, {2, -2, true}, {7, -7, true}}));
}

TEST_F(Screens, HiddenAndLaterKindsMakeNothingAndAreLoggedOnce) {
    auto model = openScreenModel("Kinds");
    set<QVAttributeBool>(*object<QVModelObjectLabel>(model), "Hidden", true);
    auto shown = object<QVModelObjectLabel>(model);

    LogCapture log;
    for (int build = 0; build < 2; ++build) {
        QVPScreenUi* screen = QVPScreenUi::create();
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->objectMap().size(), 1u);
        EXPECT_EQ(screen->objectMap()[0].first, shown);
        EXPECT_EQ(screen->objects().size(), 1u);
    }
    // Every kind has its runtime object now: nothing is logged as missing.
    for (const std::string& line : log.all()) {
        EXPECT_EQ(line.find("[QVPScreen] no runtime object for"), std::string::npos) << line;
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
    Ids order;
    for (cocos2d::CCNode* made : screen->objects()) {
        for (const auto& [madeFrom, node] : screen->objectMap()) {
            if (node == made) order.push_back(madeFrom->id());
        }
    }
    EXPECT_EQ(order, (Ids{below->id(), firstFlat->id(), secondFlat->id(), pressed->id(), deep->id()}));
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
        Ids ids;
        for (const auto& [madeFrom, node] : screen->objectMap()) {
            auto* item = dynamic_cast<QVPObjectButton*>(node);
            if (item && item->isSelected()) ids.push_back(madeFrom->id());
        }
        return ids;
    };

    // The deepest button, the later one on equal depth.
    screen->hilightDefaultButton();
    EXPECT_EQ(selected(), Ids{alsoDeepest->id()});
    buttonOf(*screen, alsoDeepest)->unselected();

    buttonOf(*screen, start)->selected();
    const std::pair<int, uint32_t> moves[] = {
        {12, near->id()},                    // 50 up wins over 120 up; 150 aside never counts
        {12, far->id()},  {12, far->id()},   // nothing above: stays
        {13, near->id()}, {14, near->id()},  // nothing to the left within reach
    };
    for (const auto& [direction, id] : moves) {
        SCOPED_TRACE(direction);
        screen->moveHighlight(direction);
        EXPECT_EQ(selected(), Ids{id});
    }
    EXPECT_FALSE(buttonOf(*screen, aside)->isSelected());
}

class Deferred : public Screens {
protected:
    // [Previous, Closing]: a back press pops to Previous.
    QVPScreenUi* build(int closeFrames) {
        openScreenModel("Previous");
        auto model = openScreenModel("Closing");
        set<QVAttributeInt>(*model, "Close Animation Frames", closeFrames);
        nowhere = button(model, "", 100, 100);
        back = button(model, "kBackButton", 300, 100);
        QVPScreenUi* screen = QVPScreenUi::create();
        run(screen);
        return screen;
    }
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
    step(5);  // while closing, the back button and the back key are ignored
    buttonOf(*screen, back)->activate();
    screen->keyBackClicked();
    step(20);  // 25 frames of the 30 the closing takes
    EXPECT_EQ(screen->screenState(), QVPScreen::kClosing);
    step(10);
    EXPECT_EQ(screen->screenState(), QVPScreen::kIdle);
    EXPECT_EQ(manager()->currentUiName(), "Closing");
    EXPECT_EQ(cocos2d::CCDirector::sharedDirector()->getNextScene(), nullptr);

    // Idle again: the back button works and takes the closing frames.
    buttonOf(*screen, back)->activate();
    EXPECT_EQ(manager()->currentUiName(), "Closing");
    step(35);
    EXPECT_EQ(manager()->currentUiName(), "Previous");
    EXPECT_NE(QVPScreen::runningScreen(), screen);
}

TEST_F(Screens, IdleLoopFiresOncePerPeriod) {
    auto model = openScreenModel("Idle");
    set<QVAttributeBool>(*model, "Idle Animation Loop", true);
    set<QVAttributeInt>(*model, "Open Animation Frames", 0);
    set<QVAttributeInt>(*model, "Idle Animation Frames", 30);
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    int firings = 0;
    for (int i = 0; i < 12; ++i) {
        const float before = screen->screenTime();
        screen->update(0.25f);
        if (screen->screenTime() < before) ++firings;
        EXPECT_LT(screen->screenTime(), 1.0f);
    }
    EXPECT_EQ(firings, 3);
    EXPECT_EQ(screen->screenState(), QVPScreen::kIdle);
}

// Calls 1-6: the banner every third; the interstitial every second count,
// and the interrupted third call does not count.
TEST_F(Screens, AdsFollowTheirFrequenciesAndAnInterruptionSkipsOneInterstitial) {
    auto model = openScreenModel("Ads");
    setText(*model, "Ad Banner", "kAdMob");
    setText(*model, "Ad Interstitial", "kAdMob");
    attr(*model, "Ad Banner Freq.")->setValue(3.0f);
    attr(*model, "Ad Interstitials Freq.")->setValue(2.0f);
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
    EXPECT_EQ(shown, "---IB----IB-");
}

}  // namespace
