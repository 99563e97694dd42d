// Lives, checkpoints, pause and game over of a world built in code, run
// through the real screen manager: its HUD, a pause screen linked from the
// HUD, and one Init Section holding the character.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/CCArray.h"
#include "input/CCKeypadDispatcher.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/core/QVAttributeModel.h"
#include "physics/PhysicsGuard.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPAppDelegate.h"
#include "player/app/QVPSettingsController.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/objects/QVPObjectFactory.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "screens_test_support.h"

namespace {

using screentest::Names;

// Without a defeat animation a dying character finishes at once.
class Hero : public QVPObjectAssetCharacter {
public:
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model) { return new Hero(model); }
    void update(float dt) override {
        QVPObjectAssetCharacter::update(dt);
        if (getState() == kStateDying) setPendingState(kStateFinished);
    }

private:
    explicit Hero(const std::shared_ptr<QVModelObject>& model) : QVPObjectAssetCharacter(model) {}
};

class SceneFlow : public screentest::ScreenTest {
protected:
    void SetUp() override {
        registerObjectClasses();
        registerComponentClasses();
        m_previousBuilder = objectBuilder(QVPObjectRow::Character);
        setObjectBuilder(QVPObjectRow::Character, &Hero::build);
        QVPSettingsController::setLoaded(true);

        auto world = node<QVNodeScene, QVModelScreenScene>("W");
        worldModel = world->screenScene();
        hud = node<QVNodeUI>("HUD");
        pauseMenu = node<QVNodeUI>("PauseMenu");
        options = node<QVNodeUI>("Options");
        // A world node has its "UI" link from the start.
        world->attribute("UI")->connect(hud->load());
        link(*hud, "Pause", *pauseMenu);
        link(*hud, "Options", *options);
        // The pause button follows the link named like it.
        button(hud->screenModel(), "kPauseButton")->setName("Pause");
        button(hud->screenModel(), "kBackButton");
        button(pauseMenu->screenModel(), "kBackButton");
        button(pauseMenu->screenModel(), "kRestartCheckpointButton");

        auto section = uitest::registered<QVModelLevelSection>();
        setBool(*section, "Init Section", true);
        uitest::attr(*section, "Width")->setValue(1136);
        worldModel->addChild(section);
        auto shape = uitest::registered<QVModelPolygon>();
        for (const cocos2d::CCPoint& p : {cocos2d::CCPoint(-20, -20), cocos2d::CCPoint(20, -20),
                                          cocos2d::CCPoint(20, 20), cocos2d::CCPoint(-20, 20)}) {
            shape->addPoint(p);
        }
        heroAsset = uitest::registered<QVModelAssetCharacter>();
        heroAsset->collisionShapeAttribute()->setModel(shape);
        uitest::attr(*heroAsset, "Game Over Delay")->setValue(0.1f);
        health = uitest::registered<QVModelComponentHealth>();
        heroAsset->addChild(health);
        heroModel = uitest::registered<QVModelObjectAssetCharacter>();
        heroModel->setAsset(heroAsset);
        heroModel->setPosition(cocos2d::CCPoint(200, 60));
        section->addChild(heroModel);
    }
    void TearDown() override {
        // The running world goes before the settings it reads.
        manager()->reset();
        cocos2d::CCDirector::resetForTest();
        setObjectBuilder(QVPObjectRow::Character, m_previousBuilder);
        QVPSettingsController::setLoaded(false);
        clearCheckpoints();
    }

    // 5 points in the world's record, 20 in the global one, both saved.
    static void seedPoints() {
        for (const auto& [key, points] : {std::pair<const char*, int>{"W", 5}, {"", 20}}) {
            scoreRecord(key).points.add(points);
            scoreRecord(key).refreshSavedCopies();
        }
    }
    void setLives(int lives) {
        uitest::attr(*health, "Lives")->setValue(static_cast<float>(lives));
        health->setLivesLeft(lives);
    }

    // The world built by the manager and run by the director.
    QVPScreenScene* enter() {
        manager()->setScene("W");
        cocos2d::CCScene* scene = manager()->createCurrentScene();
        if (!scene) return nullptr;
        cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
        if (director->getRunningScene()) {
            director->replaceScene(scene);
            uitest::step(2);
        } else {
            director->runWithScene(scene);
            uitest::step(1);
        }
        return manager()->getGameScene();
    }
    // The character the field's reset made from the Init Section.
    static QVPObjectAssetCharacter* hero(const QVPScreenScene& scene) {
        cocos2d::CCArray* characters = scene.getInputController()->getCharacters();
        return characters->count() ? static_cast<QVPObjectAssetCharacter*>(characters->objectAtIndex(0)) : nullptr;
    }
    static std::string hudKey(const QVPScreenScene& scene) { return scene.getHud() ? scene.getHud()->key() : ""; }
    // Frames until game over, at most `limit`; the count, or -1.
    static int framesToGameOver(const QVPScreenScene& scene, int limit) {
        for (int frame = 1; frame <= limit; ++frame) {
            uitest::step(1);
            if (scene.isGameOver()) return frame;
        }
        return -1;
    }
    // A button whose model has that "Name", as a HUD would hold it.
    static QVPObjectButton* namedButton(const std::string& name) {
        auto model = QVModelObjectButton::create();
        model->setName(name);
        QVPObjectButton* made = QVPObjectButton::create(nullptr, nullptr, nullptr);
        made->setModel(model);
        return made;
    }

    std::shared_ptr<QVModelScreenScene> worldModel;
    std::shared_ptr<QVNodeUI> hud, pauseMenu, options;
    std::shared_ptr<QVModelAssetCharacter> heroAsset;
    std::shared_ptr<QVModelComponentHealth> health;
    std::shared_ptr<QVModelObjectAssetCharacter> heroModel;

private:
    QVPObjectBuilder m_previousBuilder = nullptr;
};

TEST_F(SceneFlow, DeathsSpendLivesThenEndTheGame) {
    struct Row {
        const char* name;
        int lives;  // -1: no health component
        std::vector<int> livesAfter;
    };
    const Row rows[] = {
        {"three lives", 3, {2, 1, 0}},
        {"one life", 1, {0}},
        {"no health model", -1, {-1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.lives < 0) {
            heroAsset->removeChild(health);
        } else {
            setLives(row.lives);
        }
        QVPScreenScene* scene = enter();
        ASSERT_NE(scene, nullptr);
        for (std::size_t death = 0; death < row.livesAfter.size(); ++death) {
            SCOPED_TRACE(death);
            ASSERT_NE(hero(*scene), nullptr);
            scene->setGameOver(true);
            uitest::step(1);
            const bool last = death + 1 == row.livesAfter.size();
            EXPECT_EQ(scene->isGameOver(), last);
            if (row.lives >= 0) {
                EXPECT_EQ(health->livesLeft(), row.livesAfter[death]);
            }
            // A respawn returns to the world's HUD, running.
            if (!last) {
                EXPECT_EQ(hudKey(*scene), "HUD");
            }
            EXPECT_FALSE(scene->isPaused());
        }
        // Game over holds; a second call changes nothing, not even lives
        // refilled meanwhile.
        if (row.lives >= 0) health->setLivesLeft(2);
        scene->setGameOver(true);
        uitest::step(1);
        EXPECT_TRUE(scene->isGameOver());
        if (row.lives >= 0) {
            EXPECT_EQ(health->livesLeft(), 2);
        }
        EXPECT_EQ(scene->getPendingActions() | scene->getScheduledActions(), 0);
        if (row.lives < 0) heroAsset->addChild(health);
        manager()->reset();
    }
}

// Leaving game over as Continue does (not through the pending actions)
// gives a spent life count one more try, not a refill from "Lives": the
// next death ends the game again at once, with no respawn.
TEST_F(SceneFlow, LeavingGameOverRefillsSpentLives) {
    const struct {
        const char* name;
        int lives;
        int leftAtGameOver;  // set after the game ends; -1 keeps what the deaths left
        int leftAfter;
    } rows[] = {
        {"three lives spent", 3, -1, 1},
        {"one life spent", 1, -1, 1},
        {"lives given back meanwhile", 3, 2, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setLives(row.lives);
        QVPScreenScene* scene = enter();
        ASSERT_NE(scene, nullptr);
        for (int death = 0; death < row.lives; ++death) {
            scene->setGameOver(true);
            uitest::step(1);
        }
        ASSERT_TRUE(scene->isGameOver());
        ASSERT_EQ(health->livesLeft(), 0);
        if (row.leftAtGameOver >= 0) health->setLivesLeft(row.leftAtGameOver);
        scene->setGameOver(false);
        uitest::step(1);
        EXPECT_FALSE(scene->isGameOver());
        EXPECT_EQ(health->livesLeft(), row.leftAfter);
        ASSERT_NE(hero(*scene), nullptr);
        // The deaths the count allows respawn; the last one ends the game
        // with nothing requested for a respawn.
        for (int left = row.leftAfter; left > 0; --left) {
            scene->setGameOver(true);
            uitest::step(1);
            EXPECT_EQ(scene->isGameOver(), left == 1);
            EXPECT_EQ(health->livesLeft(), left - 1);
        }
        EXPECT_EQ(scene->getPendingActions() | scene->getScheduledActions(), 0);
        manager()->reset();
    }
}

TEST_F(SceneFlow, ACharacterFinishingAtOnceStillEndsTheGame) {
    setLives(1);
    QVPScreenScene* scene = enter();
    ASSERT_NE(scene, nullptr);
    QVPObjectAssetCharacter* character = hero(*scene);
    ASSERT_NE(character, nullptr);
    ASSERT_NE(character->getBody(), nullptr);
    const int bodies = scene->getWorld()->GetBodyCount();
    character->retain();
    scene->getInputController()->killAllCharacters();
    // Finished at once (no defeat animation); its parent removes it in the
    // next update.
    uitest::step(1);
    for (int frame = 0; frame < 5 && character->getState() != QVPObject::kStateFinished; ++frame) uitest::step(1);
    ASSERT_EQ(character->getState(), QVPObject::kStateFinished);
    // Its body leaves the world with it, although lives still read it.
    EXPECT_EQ(character->getBody(), nullptr);
    EXPECT_EQ(scene->getWorld()->GetBodyCount(), bodies - 1);
    EXPECT_FALSE(scene->getInputController()->hasLiveCharacters());
    // "Game Over Delay" 0.1 s: about six frames.
    const int frames = framesToGameOver(*scene, 60);
    EXPECT_GT(frames, 0);
    EXPECT_LE(frames, 10);
    EXPECT_EQ(health->livesLeft(), 0);
    character->release();
}

TEST_F(SceneFlow, RequestsKeepEveryBitUntilTheyRun) {
    struct Row {
        const char* name;
        int closeFrames;  // -1: no HUD
    };
    for (const Row& row : {Row{"no HUD", -1}, Row{"HUD acting at once", 0}, Row{"HUD closing", 15}}) {
        SCOPED_TRACE(row.name);
        setLives(3);
        if (row.closeFrames < 0) {
            uitest::setText(*hud->screenModel(), "Key", "");
        } else {
            setInt(*hud->screenModel(), "Close Animation Frames", row.closeFrames);
        }
        QVPScreenScene* scene = enter();
        ASSERT_NE(scene, nullptr);
        checkpointRecord("W") = CheckpointRecord{300, 40, -100, 0, 0, 5};
        seedPoints();
        health->setLivesLeft(1);

        scene->requestPendingActions(2);
        scene->requestPendingActions(4);
        if (row.closeFrames != 0) {
            EXPECT_EQ(scene->getPendingActions() | scene->getScheduledActions(), 6);
        }
        uitest::step(row.closeFrames > 0 ? 40 : 1);
        EXPECT_EQ(scene->getPendingActions() | scene->getScheduledActions(), 0);
        // 2: a new run without checkpoint, lives refilled; 4: the world's
        // points leave the global ones.
        EXPECT_EQ(checkpointRecord("W").pointX, 0);
        EXPECT_EQ(checkpointRecord("W").sectionId, -1);
        EXPECT_EQ(health->livesLeft(), 3);
        EXPECT_EQ(scoreRecord("W").points.current, 0);
        EXPECT_EQ(scoreRecord("").points.current, 15);

        uitest::setText(*hud->screenModel(), "Key", "HUD");
        setInt(*hud->screenModel(), "Close Animation Frames", 0);
        manager()->reset();
        clearScores();
    }
}

TEST_F(SceneFlow, ARespawnWaitingOnAReplacedHudStillRuns) {
    setLives(3);
    setInt(*hud->screenModel(), "Close Animation Frames", 15);
    QVPScreenScene* scene = enter();
    ASSERT_NE(scene, nullptr);
    scene->setGameOver(true);
    EXPECT_EQ(scene->getScheduledActions(), 8);
    // Another screen replaces the HUD before its closing frames are over.
    ASSERT_TRUE(manager()->pushUi("Options", false));
    scene->refreshHud();
    ASSERT_EQ(hudKey(*scene), "Options");
    EXPECT_EQ(scene->getScheduledActions(), 0);
    EXPECT_EQ(scene->getPendingActions(), 8);
    uitest::step(1);
    EXPECT_EQ(scene->getPendingActions(), 0);
    EXPECT_FALSE(scene->isGameOver());
    EXPECT_EQ(health->livesLeft(), 2);
    EXPECT_EQ(hudKey(*scene), "HUD");
    EXPECT_EQ(manager()->uiNames(), Names{"HUD"});
}

TEST_F(SceneFlow, PendingBitsTenAndFourteenOnTheScores) {
    struct Row {
        int bits;
        int globalPoints;
    };
    for (const Row& row : {Row{10, 20}, Row{14, 15}}) {
        SCOPED_TRACE(row.bits);
        setLives(3);
        QVPScreenScene* scene = enter();
        ASSERT_NE(scene, nullptr);
        seedPoints();

        scene->runPendingActions(row.bits);
        EXPECT_EQ(scoreRecord("").points.current, row.globalPoints);
        EXPECT_EQ(scoreRecord("W").points.current, row.bits == 14 ? 0 : 5);
        manager()->reset();
        clearScores();
    }
}

// A world's score component resets its flagged counters when the world is
// built, although the build then drops the record back to its saved copies.
TEST_F(SceneFlow, AWorldsScoreResetsSurviveTheDropToSavedCopies) {
    auto score = uitest::registered<QVModelComponentScore>();
    setBool(*score, "Reset Distance", true);
    setBool(*score, "Reset Points", false);
    setBool(*score, "Reset Coins", true);
    worldModel->addChild(score);
    setLives(3);
    ScoreRecord& world = scoreRecord("W");
    world.distance.add(40.0f);
    world.points.add(5);
    world.coins.add(7);
    world.refreshSavedCopies();

    ASSERT_NE(enter(), nullptr);
    EXPECT_EQ(scoreRecord("W").distance.current, 0.0f);
    EXPECT_EQ(scoreRecord("W").points.current, 5);
    EXPECT_EQ(scoreRecord("W").coins.current, 0);
    clearScores();
}

TEST_F(SceneFlow, CheckpointsAreSavedAndRestartClearsThem) {
    QVPScreenScene* scene = enter();
    ASSERT_NE(scene, nullptr);
    scoreRecord("W").distance.add(50);
    scene->saveCheckpoint(cocos2d::CCPoint(300, 40), -1);
    const CheckpointRecord saved = checkpointRecord("W");
    EXPECT_EQ(saved.pointX, 300);
    EXPECT_EQ(saved.pointY, 40);
    EXPECT_EQ(saved.sectionId, -1);
    // Back along the gameplay direction from the characters' start (200, 60).
    EXPECT_FLOAT_EQ(saved.cameraX, -100);
    EXPECT_FLOAT_EQ(saved.cameraY, 0);
    ASSERT_TRUE(scoreRecord("W").distance.saved.has_value());
    EXPECT_EQ(scoreRecord("W").distance.saved->current, 50);

    scene->restartButtonAction(nullptr);
    const CheckpointRecord cleared = checkpointRecord("W");
    EXPECT_EQ(cleared.pointX, 0);
    EXPECT_EQ(cleared.pointY, 0);
    EXPECT_EQ(cleared.cameraX, 0);
    EXPECT_EQ(cleared.sectionId, -1);
    EXPECT_EQ(scoreRecord("W").distance.saved->current, 0);
}

TEST_F(SceneFlow, TheCheckpointScanGivesUp) {
    // No section is eligible anywhere: the scan steps 100 px at a time to
    // 1,000,000 and stops without a warning.
    QVPScreenScene* scene = enter();
    ASSERT_NE(scene, nullptr);
    {
        LogCapture log;
        scene->activateCheckpointPowerup();
        EXPECT_FALSE(log.has("Warning: checkpoint powerup NOT found"));
        EXPECT_FALSE(log.has("Checkpoint powerup activated"));
    }
    // One eligible section without a checkpoint: picked again and again
    // until it has come up too often.
    auto section = uitest::registered<QVModelLevelSection>();
    uitest::attr(*section, "Width")->setValue(500);
    uitest::attr(*section, "End Distance")->setValue(-1);
    section->addChild(uitest::registered<QVModelObjectAssetUnit>());
    worldModel->addChild(section);
    manager()->reset();
    scene = enter();
    ASSERT_NE(scene, nullptr);
    LogCapture log;
    scene->activateCheckpointPowerup();
    EXPECT_EQ(std::count(log.all().begin(), log.all().end(), "Warning: checkpoint powerup NOT found"), 1);
    EXPECT_FALSE(log.has("Checkpoint powerup activated"));
}

TEST_F(SceneFlow, PauseFollowsTheSendersNameElsePause) {
    struct Row {
        const char* name;
        std::function<QVPObjectButton*()> sender;
        bool linked;
        const char* hudAfter;
    };
    const Row rows[] = {
        {"no sender", [] { return nullptr; }, true, "PauseMenu"},
        {"no model", [] { return QVPObjectButton::create(nullptr, nullptr, nullptr); }, true, "PauseMenu"},
        {"empty name", [] { return namedButton(""); }, true, "PauseMenu"},
        {"named", [] { return namedButton("Options"); }, true, "Options"},
        {"name without a link", [] { return namedButton("Nowhere"); }, false, "HUD"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPScreenScene* scene = enter();
        ASSERT_NE(scene, nullptr);
        scene->pauseButtonAction(row.sender());
        EXPECT_EQ(scene->isPaused(), row.linked);
        EXPECT_EQ(hudKey(*scene), row.hudAfter);
        manager()->reset();
    }
}

// One back press pauses once and the next one resumes; going to the
// background pauses, and going there again changes nothing.
TEST_F(SceneFlow, OneBackPressPausesOnce) {
    QVPAppDelegate app;
    cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
    const struct {
        const char* name;
        std::function<void()> act;
        bool background;
    } rows[] = {
        {"back key", [director] { director->getKeypadDispatcher()->dispatchKeypadMSG(cocos2d::kTypeBackClicked); },
         false},
        {"background",
         [&app, director] {
             app.applicationDidEnterBackground();
             director->startAnimation();
         },
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QVPScreenScene* scene = enter();
        ASSERT_NE(scene, nullptr);
        LogCapture log;
        row.act();
        uitest::step(1);
        EXPECT_EQ(log.has("[QVPAppDelegate] send game to pause"), row.background);
        EXPECT_TRUE(scene->isPaused());
        EXPECT_EQ(manager()->uiNames(), (Names{"HUD", "PauseMenu"}));
        row.act();
        uitest::step(1);
        EXPECT_EQ(scene->isPaused(), row.background);
        EXPECT_EQ(hudKey(*scene), row.background ? "PauseMenu" : "HUD");
        manager()->reset();
    }
}

TEST_F(SceneFlow, TheHudButtonsReachTheSceneThroughTheManager) {
    manager()->setScene("W");
    cocos2d::CCScene* built = manager()->createCurrentScene();
    ASSERT_NE(built, nullptr);
    QVPScreenScene* scene = manager()->getGameScene();
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(built->getChildByTag(QVPScreen::kScreenTag), scene);
    EXPECT_EQ(manager()->getCurrentUi(), scene->getHud());
    cocos2d::CCDirector::sharedDirector()->runWithScene(built);
    uitest::step(1);

    auto press = [&](const char* action) {
        QVPScreenUi* current = scene->getHud();
        ASSERT_NE(current, nullptr);
        QVPObjectButton* pressed = current->findButton(action);
        ASSERT_NE(pressed, nullptr);
        pressed->activate();
        uitest::step(1);
    };
    press("kPauseButton");
    EXPECT_TRUE(scene->isPaused());
    EXPECT_EQ(hudKey(*scene), "PauseMenu");
    EXPECT_EQ(manager()->getCurrentUi(), scene->getHud());
    press("kBackButton");
    EXPECT_FALSE(scene->isPaused());
    EXPECT_EQ(hudKey(*scene), "HUD");

    // Game over switches the HUD off; a screen opened over it restarts from
    // the checkpoint and closes.
    heroAsset->removeChild(health);
    scene->setGameOver(true);
    ASSERT_TRUE(scene->isGameOver());
    ASSERT_TRUE(manager()->pushUi("Pause", false));
    scene->refreshHud();
    press("kRestartCheckpointButton");
    EXPECT_FALSE(scene->isGameOver());
    EXPECT_EQ(hudKey(*scene), "HUD");
    heroAsset->addChild(health);
}

}  // namespace
