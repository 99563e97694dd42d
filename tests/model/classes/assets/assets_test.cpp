// Assets and their placements: the powerup's gameplay override, collision
// box rebuilds, placements with a missing or foreign asset, and the unit's
// per-type defaults and component members.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelListener.h"
#include "model/core/QVPackMap.h"
#include "player/screens/QVPGameFieldSettings.h"

using cocos2d::CCPoint;
using cocos2d::CCSize;

namespace {

template <class A>
A* attr(const std::shared_ptr<QVModel>& model, const std::string& name) {
    A* found = attributeCast<A>(model->attribute(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// The names of the attributes that notified, in order.
class NameRecorder : public QVModelListener {
public:
    void attributeChanged(QVAttribute* attribute, int) override { names.push_back(attribute->name()); }
    std::vector<std::string> names;
};

std::vector<std::string> attributeNames(const QVModel& model) {
    std::vector<std::string> names;
    for (QVAttribute* attribute : model.attributes()) names.push_back(attribute->name());
    return names;
}

class AssetsTest : public ::testing::Test {
protected:
    void TearDown() override {
        QVPGameFieldSettings::destroy();
        QVModelGeneralSettings::reset();
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
    static bool isRegistered(const std::shared_ptr<QVModel>& m) { return m && controller()->getModel(m->id()) == m; }
};

TEST_F(AssetsTest, PowerupOverwritesTheGameFieldSettingsAndKeepsAnEmptyThreshold) {
    struct Row {
        const char* name;
        bool allowEmpty;
        bool empty;
        float threshold;  // expected
    };
    const Row rows[] = {
        {"threshold set", false, false, 0.5f},
        {"empty allowed, not empty", true, false, 0.5f},
        {"empty allowed and empty", true, true, 0.25f},
        {"empty mark without permission", false, true, 0.5f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPGameFieldSettings::destroy();
        QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
        settings->setJumpGroundThreshold(0.25f);
        settings->setGravity(CCPoint(1.0f, 2.0f));
        settings->setFriction(7.0f);

        auto powerup = QVModelAssetPowerup::create();
        attr<QVAttributePoint>(powerup, "Max Speed")->setValue(CCPoint(30.0f, 15.0f));
        attr<QVAttributePoint>(powerup, "Jump Force")->setValue(CCPoint(0.0f, 40.0f));
        attr<QVAttributeFloat>(powerup, "Time Warp")->setValue(50.0f);
        attr<QVAttributePoint>(powerup, "Air Drag")->setValue(CCPoint(10.0f, 0.0f));
        attr<QVAttributeFloat>(powerup, "Bounce")->setValue(50.0f);
        attr<QVAttributeBool>(powerup, "Fixed Rotation")->setValue(true);
        QVAttributeFloat* threshold = attr<QVAttributeFloat>(powerup, "Ground Threshold");
        threshold->setValue(0.5f);
        threshold->setAllowEmpty(row.allowEmpty);
        threshold->setEmpty(row.empty);

        powerup->applyGameplaySettings();
        EXPECT_EQ(settings->saveDepth(), 1);
        EXPECT_FLOAT_EQ(settings->moveSpeed().x, 10.0f);
        EXPECT_FLOAT_EQ(settings->moveSpeed().y, 5.0f);
        EXPECT_FLOAT_EQ(settings->upForce().x, 0.0f);
        EXPECT_FLOAT_EQ(settings->upForce().y, 10.0f);
        EXPECT_FLOAT_EQ(settings->simulationTimeScale(), 1.0f);
        EXPECT_FLOAT_EQ(settings->characterFriction().x, 0.9f);
        EXPECT_FLOAT_EQ(settings->characterFriction().y, 1.0f);
        EXPECT_FLOAT_EQ(settings->restitution(), 0.5f);
        EXPECT_TRUE(settings->fixedRotation());
        // Zeros of the asset are applied as they are.
        EXPECT_EQ(settings->gravity(), CCPoint(0.0f, 0.0f));
        EXPECT_FLOAT_EQ(settings->friction(), 0.0f);
        EXPECT_FLOAT_EQ(settings->jumpGroundThreshold(), row.threshold);
    }
}

TEST_F(AssetsTest, CollisionBoxIsRebuiltInOneRegisteredShape) {
    auto obstacle = QVModelAssetObstacle::create();
    EXPECT_FALSE(obstacle->hasValidCollisionShape(1.0f, 1.0f));
    obstacle->setIdleAnimationWithShape(nullptr);
    std::shared_ptr<QVModelPolygon> shape = obstacle->collisionShape();
    ASSERT_TRUE(shape);
    EXPECT_TRUE(isRegistered(shape));
    using Points = std::vector<CCPoint>;
    EXPECT_EQ(shape->points(), (Points{{-5, -5}, {5, -5}, {5, 5}, {-5, 5}}));
    EXPECT_TRUE(obstacle->hasValidCollisionShape(1.0f, 1.0f));

    // A second rebuild replaces the corners: appended corners would give
    // near-duplicate points and no fixture at all.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        obstacle->setCollisionBox(CCSize(60.0f, 40.0f), CCPoint(10.0f, 0.0f));
        EXPECT_EQ(obstacle->collisionShape(), shape);
        EXPECT_EQ(shape->points(), (Points{{-40, -20}, {20, -20}, {20, 20}, {-40, 20}}));
        EXPECT_TRUE(obstacle->hasValidCollisionShape(1.0f, 1.0f));
    }

    // From a container: its animation becomes the visual model, and its
    // size (none: the default box) moved by its offset the shape.
    auto container = QVModelSpriteContainer::create();
    container->setCollisionOffset(CCPoint(0.0f, 10.0f));
    obstacle->setIdleAnimationWithShape(container);
    EXPECT_EQ(obstacle->visualModel(), container);
    EXPECT_TRUE(obstacle->idleAnimation());
    EXPECT_EQ(shape->points(), (Points{{-60, -50}, {60, -50}, {60, 30}, {-60, 30}}));
}

// A placement must answer neutrally when its asset is missing or of another
// class, whatever that asset holds.
TEST_F(AssetsTest, PlacementsWithoutAnAssetOfTheirClassAnswerNeutrally) {
    auto animation = QVModelAnimation::create();
    auto sound = QVModelSound::create();
    auto character = QVModelAssetCharacter::create();
    auto obstacle = QVModelAssetObstacle::create();
    auto powerup = QVModelAssetPowerup::create();
    for (const std::shared_ptr<QVModel>& asset : std::vector<std::shared_ptr<QVModel>>{character, obstacle, powerup}) {
        for (const char* name : {"Idle Animation", "Default Animation", "Start Animation", "Defeated Animation"}) {
            if (auto* a = attributeCast<QVAttributeAnimation>(asset->attribute(name))) a->setModel(animation);
        }
        for (const char* name : {"Idle Sound", "Jump Sound", "Start Sound", "Death Sound"}) {
            if (auto* s = attributeCast<QVAttributeSound>(asset->attribute(name))) s->setModel(sound);
        }
        for (const char* name : {"Camera Shake", "Reward Coins", "Duration", "Fall Attribute"}) {
            if (auto* f = attributeCast<QVAttributeFloat>(asset->attribute(name))) f->setValue(3.0f);
        }
        if (auto* type = attributeCast<QVAttributeStringList>(asset->attribute("Powerup Type"))) {
            type->setValue("kPowerupCoin");
        }
    }
    auto plain = QVModelAsset::create();

    struct Row {
        const char* name;
        std::shared_ptr<QVModelAsset> asset;
    };
    const Row characterRows[] = {{"none", nullptr}, {"powerup", powerup}, {"plain", plain}};
    for (const Row& row : characterRows) {
        SCOPED_TRACE(row.name);
        auto placed = QVModelObjectAssetCharacter::create();
        placed->setAsset(row.asset);
        EXPECT_FALSE(placed->assetCharacter());
        EXPECT_FALSE(placed->defaultAnimation() || placed->shootingAnimation() || placed->bulletAnimation() ||
                     placed->jumpAnimation() || placed->moveAnimation() || placed->defeatedAnimation());
        EXPECT_FALSE(placed->jumpSound() || placed->shootSound() || placed->defeatedSound() ||
                     placed->groundCollision() || placed->idleSound());
        EXPECT_FALSE(placed->castShadow() || placed->autoTilt());
        EXPECT_EQ(placed->cameraShake() + placed->cameraFlash() + placed->fallAttribute(), 0.0f);
        EXPECT_FALSE(placed->hasValidCollisionShape());
    }
    const Row powerupRows[] = {{"none", nullptr}, {"obstacle", obstacle}, {"character", character}};
    for (const Row& row : powerupRows) {
        SCOPED_TRACE(row.name);
        auto placed = QVModelObjectAssetPowerup::create();
        placed->setAsset(row.asset);
        EXPECT_FALSE(placed->powerupAsset());
        EXPECT_FALSE(placed->idleAnimation() || placed->startAnimation());
        EXPECT_FALSE(placed->idleSound() || placed->startSound() || placed->endSound());
        EXPECT_EQ(placed->powerupType() + placed->animationPlacement() + placed->animationBehaviour(), "");
        EXPECT_EQ(placed->rewardCoins() + placed->rewardPoints() + placed->appearanceChance(), 0);
        EXPECT_FALSE(placed->showCoinReward() || placed->showPointsReward());
        EXPECT_EQ(placed->duration() + placed->cameraShake() + placed->cameraFlash(), 0.0f);
    }
    const Row unitRows[] = {{"none", nullptr}, {"powerup", powerup}, {"character", character}};
    for (const Row& row : unitRows) {
        SCOPED_TRACE(row.name);
        auto placed = QVModelObjectAssetUnit::create();
        placed->setAsset(row.asset);
        EXPECT_FALSE(placed->obstacleAsset());
        EXPECT_FALSE(placed->idleAnimation() || placed->defeatedAnimation());
        EXPECT_FALSE(placed->idleSound() || placed->deathSound() || placed->wakeUpSound());
    }

    // The right class forwards.
    auto unit = QVModelObjectAssetUnit::create();
    unit->setAsset(obstacle);
    EXPECT_EQ(unit->idleSound(), sound);
    EXPECT_EQ(unit->idleAnimation(), animation);
    auto placedPowerup = QVModelObjectAssetPowerup::create();
    placedPowerup->setAsset(powerup);
    EXPECT_EQ(placedPowerup->rewardCoins(), 3);
    EXPECT_EQ(placedPowerup->powerupType(), "kPowerupCoin");
}

// Stored floats are unclamped: whole-number readings must not reach an
// undefined conversion (checked under UBSan).
TEST_F(AssetsTest, PowerupWholeNumbersTruncateAndSaturate) {
    // Setters clamp into the float range, so a NaN comes only from a pack;
    // infinity stands for "far beyond an int".
    const std::pair<float, int> rows[] = {{49.9f, 49}, {-2.9f, -2}, {1e10f, INT_MAX}, {-INFINITY, INT_MIN}};
    auto powerup = QVModelAssetPowerup::create();
    auto placed = QVModelObjectAssetPowerup::create();
    placed->setAsset(powerup);
    for (const auto& [stored, expected] : rows) {
        SCOPED_TRACE(stored);
        for (const char* name : {"Appearance Chance", "Reward Coins", "Reward Points"}) {
            attr<QVAttributeFloat>(powerup, name)->setValue(stored, true);
        }
        EXPECT_EQ(placed->appearanceChance(), expected);
        EXPECT_EQ(placed->rewardCoins(), expected);
        EXPECT_EQ(powerup->rewardPoints(), expected);
    }
}

TEST_F(AssetsTest, ObjectTypeSetsItsRowInItsOrder) {
    using Names = std::vector<std::string>;
    const Names normal{"Object Type", "Collision Type", "Destroy Type", "Movement Type"};
    const Names bullet{"Object Type",   "Collision Type",  "Destroy Type",
                       "Movement Type", "Linear Velocity", "Angular Velocity"};
    struct Row {
        const char* type;
        Names notified;
        const char* collision;
        const char* destroy;
        const char* movement;
        CCPoint velocity;
        float angular;
    };
    const Row rows[] = {
        {"kDecorationObjectType", normal, "kNoCollision", "kDestroyNo", "kMovementLinear", {1, 1}, 3},
        {"kPlatformObjectType", normal, "kCharacterCollision", "kDestroyNo", "kMovementLinear", {1, 1}, 3},
        {"kPhysicsObjectType",
         {"Object Type", "Movement Type", "Collision Type", "Destroy Type"},
         "kCharacterCollision",
         "kDestroyNo",
         "kMovementPhysics",
         {1, 1},
         3},
        {"kEnemyObjectType", normal, "kCharacterCollision", "kDestroyCollision", "kMovementLinear", {1, 1}, 3},
        {"kBulletObjectType", bullet, "kNoCollision", "kDestroyCollision", "kMovementLinear", {-20, 0}, 0},
        {"kBulletCharacterObjectType", bullet, "kNoCollision", "kDestroyEnemyCollision", "kMovementLinear", {20, 0}, 0},
        {"kWheelObjectType", normal, "kCharacterCollision", "kDestroyNo", "kMovementPhysics", {1, 1}, 3},
        {"kPhysicsObjectType ", {"Object Type"}, "", "", "", {1, 1}, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        auto unit = QVModelObjectAssetUnit::create();
        unit->setLinearVelocity(CCPoint(1.0f, 1.0f));
        attr<QVAttributeFloat>(unit, "Angular Velocity")->setValue(3.0f);
        NameRecorder recorder;
        unit->addListener(&recorder);
        attr<QVAttributeStringList>(unit, "Object Type")->setValue(row.type);
        unit->removeListener(&recorder);
        EXPECT_EQ(recorder.names, row.notified);
        EXPECT_EQ(unit->collisionType(), row.collision);
        EXPECT_EQ(unit->destroyType(), row.destroy);
        EXPECT_EQ(unit->movementType(), row.movement);
        EXPECT_EQ(unit->linearVelocity(), row.velocity);
        EXPECT_FLOAT_EQ(unit->angularVelocity(), row.angular);
    }
}

TEST_F(AssetsTest, LoadedObjectTypeAppliesNoDefaultsAndCopiesKeepTheOrder) {
    auto source = QVModelObjectAssetUnit::create();
    attr<QVAttributeStringList>(source, "Object Type")->setValue("kEnemyObjectType", true);
    const std::vector<std::string> order{
        "Object Type",     "Movement Type",    "Name",           "Position",    "Rotation",
        "Scale",           "Opacity",          "Z Depth",        "Hidden",      "Asset",
        "Linear Velocity", "Angular Velocity", "Collision Type", "Destroy Type"};
    EXPECT_EQ(attributeNames(*source), order);
    EXPECT_EQ(attributeNames(*QVModelObjectAssetUnit::createCopy(*source)), order);

    QVKeyTableMap table{{"value", 10}, {"Class Name", 33}, {"id", 42}, {"User ID", 50}};
    collectedKeys().clear();
    installKeyTable(table);
    source->collectKeys();
    int32_t next = 100;
    for (const std::string& name : collectedKeys()) table.emplace(name, next++);
    installKeyTable(table);
    msgpack::zone zone;
    QVPackMap written(zone);
    source->pack(written);
    const msgpack::object packed = written.toObject(zone);

    auto loaded = QVModelObjectAssetUnit::create();
    NameRecorder recorder;
    loaded->addListener(&recorder);
    loaded->unpack(QVPackMap(packed));
    loaded->removeListener(&recorder);
    installKeyTable({});
    EXPECT_EQ(loaded->objectType(), "kEnemyObjectType");
    EXPECT_EQ(loaded->collisionType(), "");
    EXPECT_TRUE(recorder.names.empty());
}

TEST_F(AssetsTest, UnitMirrorsItsWakeupAndSpawnerChildren) {
    auto unit = QVModelObjectAssetUnit::create();
    EXPECT_FLOAT_EQ(unit->spawnRate(), 1.0f);
    EXPECT_EQ(unit->sleep(), "kNoWakeup");  // as stored games read it
    EXPECT_EQ(unit->wakeUp(), "kNoWakeup");
    unit->setSpawnAction("kPermanentSpawning");  // nothing to set
    EXPECT_EQ(unit->spawnAction(), "");

    unit->setSpawnerEnabled(true);
    unit->setSpawnerEnabled(true);
    ASSERT_EQ(unit->children().size(), 1u);
    std::shared_ptr<QVModelComponentSpawner> spawner = unit->spawner();
    ASSERT_TRUE(spawner);
    EXPECT_EQ(unit->children()[0], spawner);
    EXPECT_TRUE(isRegistered(spawner));
    unit->setSpawnRate(2.5f);
    EXPECT_FLOAT_EQ(unit->spawnRate(), 2.5f);

    auto first = QVModelComponentWakeup::create(), second = QVModelComponentWakeup::create();
    second->sleepAttribute()->setValue("kDistanceBasedSleep");
    unit->addChild(first);
    unit->addChild(second);
    EXPECT_EQ(unit->wakeup(), second);
    EXPECT_EQ(unit->sleep(), "kDistanceBasedSleep");

    // A deep copy holds its own children, not the source's.
    auto copy = std::static_pointer_cast<QVModelObjectAssetUnit>(unit->clone(true, false));
    ASSERT_TRUE(copy->spawner() && copy->wakeup());
    EXPECT_NE(copy->spawner(), spawner);
    EXPECT_NE(copy->wakeup(), second);

    unit->removeChild(second);
    EXPECT_FALSE(unit->wakeup());
    unit->setSpawnerEnabled(false);
    EXPECT_FALSE(unit->hasSpawner());
    EXPECT_FLOAT_EQ(unit->spawnRate(), 1.0f);
    EXPECT_EQ(unit->children().size(), 1u);

    copy->removeAllChildren();
    EXPECT_FALSE(copy->spawner() || copy->wakeup());
}

}  // namespace
