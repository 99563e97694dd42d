// Navigation over the flow graph: the stack of UI screens, the current world,
// the scores a world change keeps or drops, links that must change nothing,
// and the scene built for the current state.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/classes/QVModelScreen.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "screens_test_support.h"

namespace {

using namespace screentest;

class ScreenManagerTest : public ScreenTest {};

// The flow fixture: Start -Load-> MainMenu -Play-> World1 (HUD), HUD -Menu->
// MainMenu, HUD -Restart-> World1.
class FlowManagerTest : public ScreenManagerTest {
protected:
    void SetUp() override { ASSERT_TRUE(loadGame(std::string(QV_BINARY_DIR) + "/fixtures/classes/flow")); }
    // In World1 with its HUD open.
    void enterWorld() {
        ASSERT_TRUE(manager()->pushUi("Load", false));
        ASSERT_TRUE(manager()->loadScreen("Play", true, 1));
    }
};

TEST_F(ScreenManagerTest, FreshManagerBuildsTheStartScreenOnce) {
    EXPECT_EQ(manager()->uiNames(), Names{"QVPScreenStart"});
    EXPECT_EQ(manager()->getSceneName(), "");
    EXPECT_EQ(manager()->getCurrentUi(), nullptr);

    cocos2d::CCScene* scene = manager()->createCurrentScene();
    ASSERT_NE(scene, nullptr);
    auto* screen = dynamic_cast<QVPScreenUi*>(scene->getChildByTag(QVPScreen::kScreenTag));
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->isLoadingScreen());
    EXPECT_EQ(manager()->getCurrentUi(), screen);
    EXPECT_EQ(manager()->createCurrentScene(), scene);
}

TEST_F(FlowManagerTest, PushOverTheStartScreenReplacesIt) {
    manager()->createCurrentScene();
    ASSERT_TRUE(manager()->pushUi("Load", false));
    EXPECT_EQ(manager()->uiNames(), Names{"MainMenu"});
    EXPECT_EQ(manager()->currentScene(), nullptr);
    EXPECT_FALSE(manager()->popUi());
    EXPECT_EQ(manager()->currentUiName(), "MainMenu");
}

TEST_F(ScreenManagerTest, PushAfterAPopDropsThePoppedScreens) {
    auto start = node<QVNodeUIStart>("QVPScreenStart");
    auto p = node<QVNodeUI>("P"), q = node<QVNodeUI>("Q"), r = node<QVNodeUI>("R");
    link(*start, "Go", *p);
    link(*p, "Q", *q);
    link(*p, "R", *r);
    link(*q, "P again", *p);

    ASSERT_TRUE(manager()->pushUi("Go", false));
    ASSERT_TRUE(manager()->pushUi("Q", false));
    ASSERT_TRUE(manager()->popUi());
    EXPECT_EQ(manager()->currentUiName(), "P");
    ASSERT_TRUE(manager()->pushUi("R", false));
    EXPECT_EQ(manager()->uiNames(), (Names{"P", "R"}));
    EXPECT_EQ(manager()->currentIndex(), 1u);

    // A Key already on the stack is pushed again.
    ASSERT_TRUE(manager()->popUi());
    ASSERT_TRUE(manager()->pushUi("Q", false));
    ASSERT_TRUE(manager()->pushUi("P again", false));
    EXPECT_EQ(manager()->uiNames(), (Names{"P", "Q", "P"}));
}

// Without a world, a UI opened by name after a pop drops the screens the
// player had left, so back returns to the screen the player came from.
TEST_F(ScreenManagerTest, ReplaceByNameAfterAPopDropsTheLeftScreens) {
    auto start = node<QVNodeUIStart>("QVPScreenStart");
    auto p = node<QVNodeUI>("P"), q = node<QVNodeUI>("Q");
    link(*start, "Go", *p);
    link(*p, "Q", *q);

    ASSERT_TRUE(manager()->pushUi("Go", false));
    ASSERT_TRUE(manager()->pushUi("Q", false));
    ASSERT_TRUE(manager()->popUi());
    EXPECT_EQ(manager()->replaceScene("", "R", 0), 1);
    EXPECT_EQ(manager()->uiNames(), (Names{"P", "R"}));
    ASSERT_TRUE(manager()->popUi());
    EXPECT_EQ(manager()->currentUiName(), "P");
}

TEST_F(FlowManagerTest, KeepScoresKeepsOrDropsTheGlobalRecord) {
    for (const auto& [keepScores, coins] : {std::pair{1, 7}, {0, 3}}) {
        SCOPED_TRACE(keepScores);
        manager()->reset();
        clearScores();
        ScoreRecord& global = scoreRecord("");
        global.coins.add(3);
        global.coins.refreshSavedCopy();
        global.coins.add(4);
        ASSERT_TRUE(manager()->pushUi("Load", false));
        ASSERT_TRUE(manager()->loadScreen("Play", true, keepScores));
        EXPECT_EQ(scoreRecord("").coins.current, coins);
        ASSERT_TRUE(scoreRecord("").coins.saved.has_value());
        EXPECT_EQ(scoreRecord("").coins.saved->current, coins);
    }
}

TEST_F(FlowManagerTest, ReplaceSceneTellsWhatToBuild) {
    enterWorld();
    // The current world and UI: nothing to do.
    EXPECT_EQ(manager()->replaceScene("World1", "HUD", 0), 0);
    EXPECT_EQ(manager()->replaceScene("World1", "", 0), 0);
    EXPECT_EQ(manager()->uiNames(), Names{"HUD"});
    // A UI alone leaves the world.
    EXPECT_EQ(manager()->replaceScene("", "MainMenu", 0), 1);
    EXPECT_EQ(manager()->getSceneName(), "");
    EXPECT_EQ(manager()->uiNames(), Names{"MainMenu"});
    ASSERT_NE(manager()->createCurrentScene(), nullptr);
    // A UI over the built menu scene needs a new scene again.
    EXPECT_EQ(manager()->replaceScene("", "HUD", 0), 1);
    EXPECT_EQ(manager()->uiNames(), (Names{"MainMenu", "HUD"}));
    // Back into the world: its HUD opens, and a new scene is needed.
    EXPECT_EQ(manager()->replaceScene("World1", "", 0), 1);
    EXPECT_EQ(manager()->getSceneName(), "World1");
    EXPECT_EQ(manager()->uiNames(), Names{"HUD"});
    EXPECT_EQ(manager()->replaceScene("", "", 0), 0);
    // A new world without a HUD still needs its scene.
    node<QVNodeScene, QVModelScreenScene>("Bare");
    EXPECT_EQ(manager()->replaceScene("Bare", "", 0), 1);
    EXPECT_EQ(manager()->getSceneName(), "Bare");
    EXPECT_EQ(manager()->currentUiName(), "");
}

TEST_F(FlowManagerTest, WorldsOpenTheirHudAndResetToIt) {
    ASSERT_TRUE(manager()->pushUi("Load", false));
    EXPECT_FALSE(manager()->resetToSceneUi());
    EXPECT_EQ(manager()->uiNames(), Names{"MainMenu"});

    ASSERT_TRUE(manager()->loadScreen("Play", true, 1));
    EXPECT_EQ(manager()->getSceneName(), "World1");
    EXPECT_EQ(manager()->uiNames(), Names{"HUD"});
    // A UI pushed over a world keeps the world.
    ASSERT_TRUE(manager()->pushUi("Menu", false));
    EXPECT_EQ(manager()->uiNames(), (Names{"HUD", "MainMenu"}));
    EXPECT_EQ(manager()->getSceneName(), "World1");
    ASSERT_TRUE(manager()->resetToSceneUi());
    EXPECT_EQ(manager()->uiNames(), Names{"HUD"});
    EXPECT_EQ(manager()->currentIndex(), 0u);
}

TEST_F(ScreenManagerTest, LinksThatLeadNowhereChangeNothing) {
    auto start = node<QVNodeUIStart>("QVPScreenStart");
    auto menu = node<QVNodeUI>("Menu");
    auto bare = std::make_shared<QVNodeUI>("No screen");
    QVModelController::shared()->addModel(bare);
    auto* source = new QVAttribute("Source", node<QVNodeUIStart>("Other start").get());
    source->setConnectionMode(QVBaseAttribute::kConnectionSource, true);
    link(*start, "Go", *menu);
    link(*menu, "Unlinked", nullptr);
    link(*menu, "To a start node", source);
    link(*menu, "To a world", *node<QVNodeScene, QVModelScreenScene>("World"));
    link(*menu, "To a bare node", *bare);
    link(*menu, "To a menu", *menu);
    ASSERT_TRUE(manager()->pushUi("Go", false));
    cocos2d::CCScene* scene = manager()->createCurrentScene();
    ASSERT_NE(scene, nullptr);

    const std::pair<const char*, std::function<bool()>> rows[] = {
        {"missing push", [] { return manager()->pushUi("Nothing", false); }},
        {"missing world", [] { return manager()->loadScreen("Nothing", true, 1); }},
        {"unlinked push", [] { return manager()->pushUi("Unlinked", false); }},
        {"unlinked world", [] { return manager()->loadScreen("Unlinked", true, 1); }},
        {"start node", [] { return manager()->pushUi("To a start node", false); }},
        {"push to a world", [] { return manager()->pushUi("To a world", false); }},
        {"world from a menu", [] { return manager()->loadScreen("To a menu", true, 1); }},
        {"bare node", [] { return manager()->pushUi("To a bare node", false); }},
        {"no world runs", [] { return manager()->pushUi("To a menu", true); }},
        {"no hud", [] { return manager()->resetToSceneUi(); }},
    };
    for (const auto& [name, move] : rows) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(move());
        EXPECT_EQ(manager()->uiNames(), Names{"Menu"});
        EXPECT_EQ(manager()->currentIndex(), 0u);
        EXPECT_EQ(manager()->getSceneName(), "");
        EXPECT_EQ(manager()->currentScene(), scene);
    }
}

TEST_F(FlowManagerTest, AWorldBuildsItsGameSceneAndPowerupsAreUndone) {
    QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    const cocos2d::CCPoint gravity = settings->gravity();
    settings->pushSettings();
    settings->setGravity(cocos2d::CCPoint(1, 2));
    settings->pushSettings();
    settings->setGravity(cocos2d::CCPoint(3, 4));
    enterWorld();

    LogCapture log;
    cocos2d::CCScene* scene = manager()->createCurrentScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_FALSE(log.hasPrefix("[ScreenManager] no game-field scene"));
    QVPScreenScene* game = manager()->getGameScene();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game, scene->getChildByTag(QVPScreen::kScreenTag));
    ASSERT_NE(game->getHud(), nullptr);
    EXPECT_EQ(game->getHud()->key(), "HUD");
    EXPECT_EQ(manager()->getCurrentUi(), game->getHud());
    EXPECT_EQ(settings->saveDepth(), 0);
    // The world sets no gravity of its own: the value from before the
    // outermost powerup is back.
    EXPECT_EQ(settings->gravity().x, gravity.x);
    EXPECT_EQ(settings->gravity().y, gravity.y);
}

}  // namespace
