// The game-field settings (filled from the general settings, overridden by
// worlds, characters and nested powerups) and the section order of the
// screen manager.
#include <gtest/gtest.h>

#include <memory>

#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVModelController.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/ScreenManager.h"
#include "view/CCEGLView.h"

using cocos2d::CCPoint;

namespace {

class GameFieldSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QVPGameFieldSettings::destroy(); }
    void TearDown() override {
        QVPGameFieldSettings::destroy();
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVPGameFieldSettings* settings() { return QVPGameFieldSettings::shared(); }
};

TEST_F(GameFieldSettingsTest, FilledFromTheGeneralSettings) {
    auto* entry = cocos2d::CCDictionary::create();
    entry->setObject(cocos2d::CCString::create("0.02"), "value");
    auto* dict = cocos2d::CCDictionary::create();
    dict->setObject(entry, "Velocity Scale");
    QVModelGeneralSettings::shared()->fromDictionary(dict);
    EXPECT_FLOAT_EQ(settings()->velocityScale(), 0.98f);
    EXPECT_EQ(settings()->generalSettings(), QVModelGeneralSettings::shared());

    settings()->setGameplayAngleDirection(90.0f);
    EXPECT_NEAR(settings()->gameplayDirection().x, 0.0f, 1e-6f);
    EXPECT_NEAR(settings()->gameplayDirection().y, -1.0f, 1e-6f);
}

// Nested powerups: only the outermost push saves, the last pop restores
// exactly what was there before it, the jump ground threshold included.
TEST_F(GameFieldSettingsTest, NestedPushesRestoreTheOutermostValuesExactly) {
    QVPGameFieldSettings* s = settings();
    s->popSettings();  // at depth 0: nothing
    EXPECT_EQ(s->saveDepth(), 0);
    const float precise = 0.25f + 1e-7f;  // lost by a "%f" round trip
    s->setFriction(precise);
    s->setMoveSpeed(CCPoint(precise, 2.0f));
    s->setFixedRotation(true);
    s->setJumpGroundThreshold(3.0f);

    auto powerup = QVModelAssetPowerup::create();
    attributeCast<QVAttributeFloat>(powerup->attribute("Friction"))->setValue(50.0f);
    attributeCast<QVAttributeFloat>(powerup->attribute("Ground Threshold"))->setValue(9.0f);
    s->applyPowerupSettings(powerup);
    s->applyPowerupSettings(powerup);
    s->applyPowerupSettings(nullptr);
    EXPECT_EQ(s->saveDepth(), 2);
    s->setFriction(0.75f);
    s->popSettings();
    EXPECT_FLOAT_EQ(s->friction(), 0.75f);
    EXPECT_FALSE(s->fixedRotation());
    EXPECT_FLOAT_EQ(s->jumpGroundThreshold(), 9.0f);

    s->popSettings();
    EXPECT_EQ(s->friction(), precise);
    EXPECT_EQ(s->moveSpeed(), CCPoint(precise, 2.0f));
    EXPECT_TRUE(s->fixedRotation());
    EXPECT_FLOAT_EQ(s->jumpGroundThreshold(), 3.0f);  // the powerup's ends with it
    s->popSettings();
    EXPECT_EQ(s->saveDepth(), 0);
    EXPECT_EQ(s->friction(), precise);
}

TEST_F(GameFieldSettingsTest, WorldAndCharacterOverrides) {
    QVPGameFieldSettings* s = settings();
    const float before = s->gameSpeedMin();
    s->applySceneSettings(nullptr);
    s->applyCharacterSettings(nullptr);
    EXPECT_EQ(s->gameSpeedMin(), before);

    auto world = QVModelScreenScene::create();
    attributeCast<QVAttributeFloat>(world->attribute("Game Speed Min"))->setValue(1.0f);
    attributeCast<QVAttributeFloat>(world->attribute("Velocity Drag"))->setValue(0.5f);
    auto forced = QVModelComponentForcedMovement::create();
    attributeCast<QVAttributeFloat>(forced->attribute("Froce Min"))->setValue(4.0f);
    world->addChild(forced);
    s->applySceneSettings(world);
    EXPECT_FLOAT_EQ(s->gameSpeedMin(), 4.0f);
    EXPECT_FLOAT_EQ(s->velocityScale(), 0.5f);  // taken as it is

    auto component = QVModelComponentCharacterGameplaySettings::create();
    component->airDragAttribute()->setValue(CCPoint(0.5f, 0.25f));
    component->directMovementAttribute()->setValue(true);
    s->applyCharacterSettings(component);
    EXPECT_EQ(s->characterFriction(), CCPoint(0.5f, 0.25f));
    EXPECT_TRUE(s->fixedPosition());
}

TEST_F(GameFieldSettingsTest, VisibleOriginOffsetFollowsThePolicy) {
    struct Row {
        float frameWidth, frameHeight;
        int policy;
        CCPoint offset;
    };
    const Row rows[] = {
        {1280, 600, 1, {0.0f, -53.75f}},
        {800, 600, 1, {-141.3333f, 0.0f}},
        {1280, 600, 2, {0.0f, 0.0f}},
    };
    cocos2d::CCEGLView* view = cocos2d::CCDirector::sharedDirector()->getOpenGLView();
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.frameWidth << " x " << row.frameHeight << " policy " << row.policy);
        view->setFrameSize(row.frameWidth, row.frameHeight);
        view->setDesignResolutionSize(1136, 640, row.policy);
        const CCPoint offset = visibleOriginOffset();
        EXPECT_NEAR(offset.x, row.offset.x, 1e-3f);
        EXPECT_NEAR(offset.y, row.offset.y, 1e-3f);
    }
}

TEST_F(GameFieldSettingsTest, NextSectionIsTheFirstLaterChildOfTheSection) {
    QVModelController* controller = QVModelController::shared();
    auto first = QVModelLevelSection::create(), other = QVModelLevelSection::create();
    auto next = QVModelLevelSection::create(), last = QVModelLevelSection::create();
    for (const auto& section : {first, other, next, last}) controller->addModel(section);
    first->addChild(next);
    other->addChild(first);  // a parent earlier in the list does not count
    ScreenManager manager;
    EXPECT_EQ(manager.getStartSectionId(), 0u);
    EXPECT_EQ(manager.nextSectionId(0), 0u);
    EXPECT_EQ(manager.nextSectionId(first->id()), next->id());
    EXPECT_EQ(manager.nextSectionId(other->id()), 0u);
    EXPECT_EQ(manager.nextSectionId(last->id()), 0u);
}

}  // namespace
