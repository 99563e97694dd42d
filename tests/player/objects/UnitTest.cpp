// The unit object: its vocabulary and random draw order, wake-up, spawning
// and its input bindings, one-way contacts through the real contact
// listener, modifiers, its opacity on its idle image, the animations' double
// step and a clean unbinding.
#include <algorithm>
#include <cmath>
#include <vector>

#include "../screens/field_scene_support.h"
#include "gl/QuadBatcher.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "physics/PhysicsGuard.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPInputController.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetUnit.h"
#include "player/screens/QVPContactListener.h"

namespace fieldtest {
namespace {

using cocos2d::CCPoint;
using uitest::attr;
using uitest::registered;
using uitest::setText;

constexpr float kStep = 1.0f / 60.0f;

// The draws a fresh generator seeded with `seed` gives, as spreads in -1..1.
std::vector<float> spreads(unsigned seed, int count) {
    compat::srand(seed);
    std::vector<float> made;
    for (int i = 0; i < count; ++i) made.push_back(static_cast<float>(compat::rand() / 32767.0 * 2.0 - 1.0));
    compat::srand(seed);
    return made;
}

class Unit : public FieldTest {
protected:
    Unit() {
        setObjectBuilder(QVPObjectRow::Unit, &QVPObjectAssetUnit::build);
        block = ff::unitAsset("Block", spriteContainer(2), 40.0f, 40.0f);
        world.SetContactListener(&listener);
    }
    ~Unit() override {
        for (cocos2d::CCObject* object : kept) object->release();
        kept.clear();
        drainPool();
    }

    std::shared_ptr<QVModelObjectAssetUnit> placed(const std::string& movement = "kMovementLinear",
                                                   const std::string& collision = "kCharacterCollision",
                                                   const CCPoint& position = CCPoint(0.0f, 0.0f)) {
        auto model = ff::unitPlacement(block, position, false, collision);
        model->setMovementType(movement);
        return model;
    }
    // Built through the factory's unit row and kept until the test ends.
    QVPObjectAssetUnit* make(const std::shared_ptr<QVModelObject>& model) {
        auto* unit = dynamic_cast<QVPObjectAssetUnit*>(QVPObjectAsset::create(model));
        if (unit) keep(unit);
        return unit;
    }
    template <class T>
    T* keep(T* object) {
        object->retain();
        kept.push_back(object);
        return object;
    }
    // A character stand-in with a dynamic body in the test's world.
    QVPObjectAssetCharacter* character(const CCPoint& position) {
        auto model = ff::characterPlacement(ff::characterAsset("Hero", 20.0f, 20.0f), position);
        auto* hero = keep(new ff::FixtureCharacter(model));
        hero->release();
        hero->createBody(&world, false);
        return hero;
    }
    static void setVelocity(const std::shared_ptr<QVModelObjectAssetUnit>& model, const CCPoint& value,
                            const CCPoint& variance, float angular = 0.0f, float angularVariance = 0.0f) {
        model->setLinearVelocity(value);
        attr<QVAttributePoint>(*model, "Linear Velocity")->setVariableValue(variance);
        attr(*model, "Angular Velocity")->setValue(angular);
        attr(*model, "Angular Velocity")->setVariableValue(angularVariance);
    }
    void stepWorld(int frames, QVPObject* mover = nullptr, const b2Vec2& velocity = b2Vec2(0.0f, 0.0f)) {
        for (int i = 0; i < frames; ++i) {
            if (mover) physics::setLinearVelocity(mover->getBody(), velocity);
            world.Step(kStep, 8, 3);
        }
    }

    b2World world{b2Vec2(0.0f, -10.0f)};
    QVPContactListener listener;
    std::vector<cocos2d::CCObject*> kept;
    std::shared_ptr<QVModelAssetObstacle> block;
};

TEST_F(Unit, VocabularyTable) {
    struct Row {
        const char* objectType;
        const char* collision;
        const char* destroy;
        const char* wakeUp;
        const char* sleep;
        int32_t object, collisionType, destroyType, wakeMode, sleepMode;
        float wakeDistance, sleepDistance;
    };
    const Row rows[] = {
        {"kPlatformObjectType", "kNoCollision", "kDestroyNo", "kNoWakeup", "kNoSleep", 1, 0, 0, 0, 0, 3000.0f, 0.0f},
        {"kEnemyObjectType", "kCharacterCollision", "kDestroyCollision", "kTimeBasedWakeup", "kDistanceBasedSleep", 2,
         1, 1, 1, 1, 250.0f, 75.0f},
        {"kDecorationObjectType", "kCharacterCollision", "kDestroyEnemyCollision", "kCollisionBasedWakeup", "kNoSleep",
         3, 1, 2, 2, 0, -3000.0f, 0.0f},
        {"kSomething", "kOddCollision", "kDestroyAllCollision", "kOddWakeup", "kOddSleep", 0, 0, 3, 0, 0, 3000.0f,
         0.0f},
        {"", "", "kDestroyOdd", "", "", 0, 0, 0, 0, 0, 3000.0f, 0.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.objectType);
        auto model = placed();
        setText(*model, "Object Type", row.objectType);
        setText(*model, "Collision Type", row.collision);
        setText(*model, "Destroy Type", row.destroy);
        ff::unitWakeup(model, row.wakeUp, 250.0f, row.sleep, 75.0f);
        QVPObjectAssetUnit* unit = make(model);
        ASSERT_NE(unit, nullptr);
        EXPECT_EQ(unit->typeFlags(), QVPObject::kTypeUnit);
        EXPECT_EQ(unit->objectType(), row.object);
        EXPECT_EQ(unit->collisionType(), row.collisionType);
        EXPECT_EQ(unit->castsShadow(), row.collisionType != 0);
        EXPECT_EQ(unit->destroyType(), row.destroyType);
        EXPECT_EQ(unit->wakeUpMode(), row.wakeMode);
        EXPECT_EQ(unit->sleepMode(), row.sleepMode);
        EXPECT_FLOAT_EQ(unit->wakeUpDistance(), row.wakeDistance);
        EXPECT_FLOAT_EQ(unit->sleepDistance(), row.sleepDistance);
    }
    // A unit without a wake-up component never wakes by touch or sleeps.
    QVPObjectAssetUnit* bare = make(placed());
    EXPECT_EQ(bare->wakeUpMode(), QVPObjectAssetUnit::kNoWakeup);
    EXPECT_EQ(bare->sleepMode(), 0);
}

TEST_F(Unit, ConstructionDrawsAngularThenYThenX) {
    struct Row {
        const char* movement;
        bool linear;
    };
    for (const Row& row : {Row{"kMovementLinear", true}, Row{"kMovementPhysics", false}, Row{"kOther", false}}) {
        SCOPED_TRACE(row.movement);
        auto model = placed(row.movement);
        setVelocity(model, CCPoint(3.0f, -2.0f), CCPoint(1.0f, 4.0f), 10.0f, 5.0f);
        const std::vector<float> r = spreads(11, 4);
        QVPObjectAssetUnit* unit = make(model);
        const float angular = row.linear ? r[0] : 0.0f;
        const float ry = row.linear ? r[1] : r[0];
        const float rx = row.linear ? r[2] : r[1];
        EXPECT_EQ(unit->isMovingLinearly(), row.linear);
        EXPECT_FLOAT_EQ(unit->getAngularSpeed(), row.linear ? 10.0f + 5.0f * angular : 0.0f);
        EXPECT_FLOAT_EQ(unit->getVelocity().x, 3.0f + 1.0f * rx);
        EXPECT_FLOAT_EQ(unit->getVelocity().y, -2.0f + 4.0f * ry);
        // Nothing else drew: the next draw is the one after them.
        const float next = static_cast<float>(compat::rand() / 32767.0 * 2.0 - 1.0);
        EXPECT_FLOAT_EQ(next, r[row.linear ? 3 : 2]);
    }
}

TEST_F(Unit, PhysicsWakeUpLaunchesRotatedWithYThenXThenAngular) {
    auto model = placed("kMovementPhysics");
    setVelocity(model, CCPoint(2.0f, 0.0f), CCPoint(1.0f, 3.0f), 4.0f, 2.0f);
    attr(*model, "Rotation")->setValue(-90.0f);  // body angle +90 degrees
    compat::srand(3);
    QVPObjectAssetUnit* unit = make(model);
    unit->createBody(&world, false);
    ASSERT_NE(unit->getBody(), nullptr);
    const CCPoint velocity = unit->getVelocity();
    const std::vector<float> r = spreads(77, 3);
    unit->activate();
    EXPECT_TRUE(unit->isWakePending());
    unit->update(0.0f);
    b2Body* body = unit->getBody();
    EXPECT_EQ(body->GetType(), b2_dynamicBody);
    const float vx = velocity.x + 1.0f * r[1];
    const float vy = velocity.y + 3.0f * r[0];
    // Rotated by +90 degrees: (x, y) becomes (-y, x).
    EXPECT_NEAR(body->GetLinearVelocity().x, -vy, 1e-4f);
    EXPECT_NEAR(body->GetLinearVelocity().y, vx, 1e-4f);
    EXPECT_FLOAT_EQ(body->GetAngularVelocity(), 4.0f + 2.0f * r[2]);
    EXPECT_FALSE(unit->isWakePending());
}

TEST_F(Unit, LinearWakeUpIsKinematicOrABulletForDestroyTypesTwoAndThree) {
    struct Row {
        const char* destroy;
        b2BodyType type;
        bool bullet;
    };
    const Row rows[] = {{"kDestroyNo", b2_kinematicBody, false},
                        {"kDestroyCollision", b2_kinematicBody, false},
                        {"kDestroyEnemyCollision", b2_dynamicBody, true},
                        {"kDestroyAllCollision", b2_dynamicBody, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.destroy);
        auto model = placed("kMovementLinear");
        model->setDestroyType(row.destroy);
        QVPObjectAssetUnit* unit = make(model);
        unit->createBody(&world, false);
        unit->activate();
        unit->update(0.0f);
        b2Body* body = unit->getBody();
        ASSERT_NE(body, nullptr);
        EXPECT_EQ(body->GetType(), row.type);
        EXPECT_EQ(body->IsBullet(), row.bullet);
        EXPECT_TRUE(body->IsFixedRotation());
        EXPECT_EQ(body->GetGravityScale(), 0.0f);
    }
    // No movement type: activation leaves the body still.
    QVPObjectAssetUnit* still = make(placed("kNoMovement"));
    still->createBody(&world, false);
    still->activate();
    EXPECT_TRUE(still->isActive());
    EXPECT_FALSE(still->isWakePending());
}

TEST_F(Unit, CollisionWakeUpMovesOnlyAfterTheCharactersTouch) {
    auto model = placed("kMovementPhysics");
    ff::unitWakeup(model, "kCollisionBasedWakeup", 0.0f);
    QVPObjectAssetUnit* unit = make(model);
    unit->createBody(&world, false);
    for (int i = 0; i < 10; ++i) unit->update(kStep);
    EXPECT_FALSE(unit->isActive());
    EXPECT_EQ(unit->getBody()->GetType(), b2_staticBody);

    // Another unit's touch does nothing; the character's wakes it.
    QVPObjectAssetUnit* other = make(placed());
    unit->beginContact(other, nullptr, true);
    EXPECT_FALSE(unit->isActive());
    unit->beginContact(character(CCPoint(0.0f, 0.0f)), nullptr, true);
    EXPECT_TRUE(unit->isActive());
    unit->update(kStep);
    EXPECT_EQ(unit->getBody()->GetType(), b2_dynamicBody);
}

TEST_F(Unit, UnitWithoutIdleAnimationHasNoBody) {
    auto bare = ff::obstacleAsset("Bare", 40.0f, 40.0f);
    QVPObjectAssetUnit* unit = make(ff::unitPlacement(bare, CCPoint(0.0f, 0.0f)));
    unit->createBody(&world, false);
    EXPECT_EQ(unit->getBody(), nullptr);
    EXPECT_EQ(unit->getBoundingRect().size.width, 0.0f);
    unit->activate();
    EXPECT_FALSE(unit->isActive());
}

TEST_F(Unit, SpawnActionsBindToTheirInputActions) {
    struct Row {
        const char* action;
        int input;  // 0: none
        bool pressedAtOnce;
        bool pressRestartsTimer;
    };
    const Row rows[] = {{"kPermanentSpawning", 0, true, true},
                        {"kShootingSpawning", QVPObjectAssetUnit::kShootAction, false, true},
                        {"kNonResetShootingSpawning", QVPObjectAssetUnit::kShootAction, false, false},
                        {"kJumpingSpawning", QVPObjectAssetUnit::kJumpAction, false, true},
                        {"kOddSpawning", 0, false, true}};
    QVPInputController* input = QVPInputController::shared();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        auto model = placed();
        ff::unitSpawner(model, row.action, 0.25f);
        QVPObjectAssetUnit* unit = make(model);
        unit->setSpawner(true);
        EXPECT_FALSE(unit->idleAnimation()->isVisible());
        EXPECT_EQ(unit->isActionPressed(), row.pressedAtOnce);
        for (int action : {QVPObjectAssetUnit::kJumpAction, QVPObjectAssetUnit::kShootAction}) {
            input->actionPressed(action, nullptr);
            EXPECT_EQ(unit->isActionPressed(), row.pressedAtOnce || action == row.input) << action;
            input->actionReleased(action, nullptr);
            EXPECT_EQ(unit->isActionPressed(), row.pressedAtOnce) << action;
        }
        // Unbound: the action no longer reaches it; the idle frames show.
        unit->setSpawner(false);
        EXPECT_TRUE(unit->idleAnimation()->isVisible());
        unit->setActionPressed(false);
        input->actionPressed(row.input ? row.input : QVPObjectAssetUnit::kShootAction, nullptr);
        EXPECT_FALSE(unit->isActionPressed());
        input->actionReleased(row.input ? row.input : QVPObjectAssetUnit::kShootAction, nullptr);
    }
}

TEST_F(Unit, DestructorUnbindsWithoutCreatingAController) {
    auto model = placed();
    ff::unitSpawner(model, "kShootingSpawning", 0.25f);
    // Controller gone first (scene teardown): the unit must not make one.
    {
        auto* unit = new QVPObjectAssetUnit(model);
        unit->setSpawner(true);
        QVPInputController::destroy();
        unit->release();
        EXPECT_EQ(QVPInputController::current(), nullptr);
    }
    // Controller alive: a later press never reaches the freed unit.
    {
        auto* unit = new QVPObjectAssetUnit(model);
        unit->setSpawner(true);
        unit->release();
        QVPInputController::shared()->actionPressed(QVPObjectAssetUnit::kShootAction, nullptr);
        QVPInputController::shared()->actionReleased(QVPObjectAssetUnit::kShootAction, nullptr);
    }
}

TEST_F(Unit, CopiesNeverSpawnThroughTheirIdleFrames) {
    // A spawner unit placed inside the idle animation of another unit.
    auto inner = placed();
    ff::unitSpawner(inner, "kPermanentSpawning", 1.0f);
    auto holder = std::make_shared<QVModelAssetObstacle>("Holder");
    QVModelController::shared()->addModel(holder);
    holder->setCollisionBox(cocos2d::CCSize(40.0f, 40.0f), CCPoint(0.0f, 0.0f));
    auto frames = registered<QVModelAnimation>();
    frames->setDuration(1.0f);
    frames->addChild(inner);
    holder->setIdleAnimation(frames);
    auto outer = ff::unitPlacement(holder, CCPoint(0.0f, 0.0f));

    for (bool copy : {false, true}) {
        SCOPED_TRACE(copy);
        QVPObjectAssetUnit* unit = make(outer);
        ASSERT_EQ(unit->idleAnimation()->frameCount(), 1);
        auto* frame = dynamic_cast<QVPObject*>(unit->idleAnimation()->frameNode(0));
        ASSERT_NE(frame, nullptr);
        if (copy) unit->setTypeFlags(QVPObject::kTypeUnit | QVPObject::kTypeSpawned);
        EXPECT_EQ(frame->isSpawner(), !copy);
    }
}

TEST_F(Unit, OneWayPlatformSolidFromAbovePassingFromBelow) {
    ff::unitOneWay(block, CCPoint(0.0f, 1.0f));
    QVPObjectAssetUnit* platform = make(placed("kNoMovement"));
    platform->createBody(&world, false);
    ASSERT_NE(platform->getBody(), nullptr);

    // From below, rising: it passes, kept in passThrough until the contact
    // ends, and lands on top afterwards.
    QVPObjectAssetCharacter* rising = character(CCPoint(0.0f, -40.0f));
    const uint32_t risingId = static_cast<uint32_t>(rising->getModel()->id());
    bool seenInside = false;
    for (int i = 0; i < 45; ++i) {
        physics::setLinearVelocity(rising->getBody(), b2Vec2(0.0f, 5.0f));
        world.Step(kStep, 8, 3);
        const auto& through = platform->passThrough();
        if (std::find(through.begin(), through.end(), risingId) != through.end()) {
            seenInside = true;
            EXPECT_FALSE(platform->isGround());
        }
    }
    EXPECT_TRUE(seenInside);
    EXPECT_GT(rising->getBody()->GetPosition().y * 20.0f, 30.0f);
    for (int i = 0; i < 120; ++i) world.Step(kStep, 8, 3);
    EXPECT_TRUE(platform->passThrough().empty());
    // Fallen back from above: it rests on the platform.
    EXPECT_NEAR(rising->getBody()->GetPosition().y * 20.0f, 30.0f, 2.0f);
    EXPECT_TRUE(platform->isGround());
}

// A sensor's contact has no manifold points: its normal is zero, so the
// one-way test goes by the other body's velocity.
TEST_F(Unit, SensorContactZeroNormal) {
    world.SetGravity(b2Vec2(0.0f, 0.0f));
    ff::unitOneWay(block, CCPoint(0.0f, 1.0f));
    QVPObjectAssetUnit* platform = make(placed("kNoMovement"));
    platform->createBody(&world, false);
    struct Row {
        const char* name;
        float vy;
        bool solid;
    };
    for (const Row& row : {Row{"falling onto it", -1.0f, true}, Row{"rising into it", 1.0f, false}}) {
        SCOPED_TRACE(row.name);
        auto model = ff::unitPlacement(block, CCPoint(0.0f, -row.vy * 45.0f), true, "kNoCollision");
        auto* sensor = keep(new ff::FixtureBody(model));
        sensor->release();
        sensor->createBody(&world, false);
        ASSERT_TRUE(sensor->getBody()->GetFixtureList()->IsSensor());
        b2Contact* touching = nullptr;
        for (int i = 0; i < 60 && !touching; ++i) {
            stepWorld(1, sensor, b2Vec2(0.0f, row.vy));
            for (b2ContactEdge* edge = sensor->getBody()->GetContactList(); edge; edge = edge->next) {
                if (edge->contact->IsTouching()) touching = edge->contact;
            }
        }
        ASSERT_NE(touching, nullptr);
        EXPECT_EQ(physics::contactNormal(touching).x, 0.0f);
        EXPECT_EQ(physics::contactNormal(touching).y, 0.0f);
        EXPECT_EQ(platform->isGround(), row.solid);
        const auto& through = platform->passThrough();
        EXPECT_EQ(std::count(through.begin(), through.end(), static_cast<uint32_t>(model->id())), row.solid ? 0 : 1);
        // Out of the way, so its contact ends before the next row.
        physics::setTransform(sensor->getBody(), b2Vec2(500.0f, 500.0f), 0.0f);
        stepWorld(1, sensor);
        EXPECT_TRUE(platform->isGround());
        EXPECT_TRUE(platform->passThrough().empty());
    }
}

TEST_F(Unit, OneWayAnglesAreComparedWithoutWrapAround) {
    struct Row {
        CCPoint vector;
        b2Vec2 normal;
        bool accepted;
    };
    const Row rows[] = {
        {CCPoint(0.0f, 1.0f), b2Vec2(0.0f, 1.0f), true},
        {CCPoint(0.0f, 1.0f), b2Vec2(1.0f, 0.01f), true},
        {CCPoint(0.0f, 1.0f), b2Vec2(0.0f, -1.0f), false},
        // Near +-pi: both point left, yet one angle is +179 and one -179.
        {CCPoint(-1.0f, 0.02f), b2Vec2(-1.0f, -0.02f), false},
        // A component within the float epsilon counts as 0: +pi, not -pi.
        {CCPoint(-1.0f, -1e-8f), b2Vec2(-1.0f, 0.5f), true},
    };
    QVPObjectAssetUnit* other = make(placed());
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.vector.x << "," << row.vector.y << " " << row.normal.x << ","
                                        << row.normal.y);
        auto asset = ff::unitAsset("OneWay", nullptr, 40.0f, 40.0f);
        ff::unitOneWay(asset, row.vector);
        QVPObjectAssetUnit* unit = make(ff::unitPlacement(asset, CCPoint(0.0f, 0.0f)));
        EXPECT_EQ(unit->acceptsOneWayContact(other, row.normal), row.accepted);
    }
    // No vector, or no shape on either side: always accepted.
    EXPECT_TRUE(other->acceptsOneWayContact(other, b2Vec2(0.0f, -1.0f)));
}

TEST_F(Unit, ModifiersApplyOnceAndClear) {
    struct Row {
        const char* operation;
        float x, y, rotation;  // the node after the update
    };
    // Start (10, 20), rotation 30; each modifier's value is 2.
    const Row rows[] = {{"kAdd", 12.0f, 22.0f, 32.0f},
                        {"kMultiply", 20.0f, 40.0f, 60.0f},
                        {"kReplace", 2.0f, 2.0f, 2.0f},
                        {"kRotate", 10.0f, 20.0f, 30.0f}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.operation);
        auto model = placed("kNoMovement", "kCharacterCollision", CCPoint(10.0f, 20.0f));
        attr(*model, "Rotation")->setValue(30.0f);
        QVPObjectAssetUnit* unit = make(model);
        unit->createBody(&world, false);
        unit->setModifierX(2.0f, row.operation);
        unit->setModifierY(2.0f, row.operation);
        unit->setModifierRotation(2.0f, row.operation);
        unit->update(kStep);
        unit->update(kStep);  // the node follows the body
        EXPECT_NEAR(unit->getPositionX(), row.x, 1e-3f);
        EXPECT_NEAR(unit->getPositionY(), row.y, 1e-3f);
        EXPECT_NEAR(unit->getRotation(), row.rotation, 1e-3f);
        // Cleared: moved elsewhere, it stays there.
        physics::setTransform(unit->getBody(), b2Vec2(5.0f, 5.0f), 0.0f);
        unit->update(kStep);
        unit->update(kStep);
        EXPECT_NEAR(unit->getPositionX(), 100.0f, 1e-3f);
        EXPECT_NEAR(unit->getPositionY(), 100.0f, 1e-3f);
    }
}

// Kept as written: the animations are children and are also stepped by the
// unit's own update, so they run at twice the speed.
// "Opacity" 0 makes an invisible wall: its idle image adds no visible quad.
TEST_F(Unit, OpacityReachesTheIdleImage) {
    cocos2d::QuadBatcher* batcher = cocos2d::QuadBatcher::sharedBatcher();
    for (const auto& [opacity, alpha] : {std::pair{1.0f, 255}, {0.5f, 127}, {0.0f, 0}}) {
        SCOPED_TRACE(opacity);
        auto model = placed();
        attr(*model, "Opacity")->setValue(opacity);
        QVPObjectAssetUnit* unit = make(model);
        unit->update(kStep);
        batcher->flush();
        unit->visit();
        int brightest = 0;
        for (const cocos2d::ccV3F_C4B_T2F_Quad& quad : batcher->pendingVertices()) {
            for (const cocos2d::ccV3F_C4B_T2F* corner : {&quad.tl, &quad.bl, &quad.tr, &quad.br}) {
                brightest = std::max(brightest, static_cast<int>(corner->colors.a));
            }
        }
        batcher->flush();
        EXPECT_EQ(brightest, alpha);
    }
}

TEST_F(Unit, AnimationsTwicePerFrame) {
    auto defeat = registered<QVModelAnimation>();
    attr(*defeat, "Speed")->setValue(1.0f);
    defeat->setDuration(1.0f);
    defeat->setLoop(false);
    attr<QVAttributeAnimation>(*block, "Defeated Animation")->setModel(defeat);
    QVPObjectAssetUnit* unit = make(placed());
    unit->update(kStep);
    EXPECT_FLOAT_EQ(unit->idleAnimation()->elapsedTime(), 2.0f * kStep);

    unit->setState(QVPObject::kStateDying);
    EXPECT_EQ(unit->defeatAnimation()->getParent(), unit);
    EXPECT_EQ(unit->idleAnimation()->getParent(), nullptr);
    // Sixty steps of 1/60 s add up to just below 1 s: the wrap comes with
    // the first step after 30 frames.
    for (int frame = 0; frame < 30; ++frame) unit->update(kStep);
    EXPECT_EQ(unit->getState(), QVPObject::kStateDying);
    unit->update(kStep);
    EXPECT_EQ(unit->getState(), QVPObject::kStateFinished);
    EXPECT_EQ(unit->defeatAnimation()->getParent(), nullptr);

    // Without a defeat animation, dying finishes at once.
    attr<QVAttributeAnimation>(*block, "Defeated Animation")->setModel(nullptr);
    QVPObjectAssetUnit* plain = make(placed());
    plain->setState(QVPObject::kStateDying);
    EXPECT_EQ(plain->getState(), QVPObject::kStateFinished);
}

// Spawning in a running world: permanent spawners every "Spawn Rate"
// seconds, copies that finish once they leave the view, bullets that kill an enemy, and
// a spawner's negative scale ignored by its copies.
class UnitSpawn : public Unit {
protected:
    // A world whose start section holds a spawner and an enemy ahead of it.
    void enterWorld(const std::string& action, float rate, float scaleX) {
        // A world of its own per call: the scene takes the first with a key.
        const std::string key = "Spawn" + std::to_string(++worlds);
        auto w = ff::world(key);
        auto start = ff::section(w, "start", 1136.0f, true);
        spawnerModel = placed("kMovementLinear", "kNoCollision", CCPoint(300.0f, 200.0f));
        spawnerModel->setLinearVelocity(CCPoint(5.0f, 0.0f));
        spawnerModel->setDestroyType("kDestroyEnemyCollision");
        spawnerModel->setScale(CCPoint(scaleX, 1.0f));
        ff::unitSpawner(spawnerModel, action, rate);
        start->addChild(spawnerModel);
        enemyModel = ff::unitEnemy(block, CCPoint(700.0f, 200.0f));
        start->addChild(enemyModel);
        // Built by the manager, so that the objects find it running.
        leave();
        manager()->reset();
        manager()->setSceneName(key);
        ASSERT_NE(manager()->createCurrentScene(), nullptr);
        scene = manager()->getGameScene();
        ASSERT_NE(scene, nullptr);
        scene->retain();
        scene->onEnter();
        spawner = dynamic_cast<QVPObjectAssetUnit*>(objectOf(spawnerModel));
        ASSERT_NE(spawner, nullptr);
    }
    std::vector<QVPObjectAssetUnit*> copies() const {
        std::vector<QVPObjectAssetUnit*> found;
        for (QVPObject* object : objects()) {
            if (object->typeFlags() & QVPObject::kTypeSpawned)
                found.push_back(dynamic_cast<QVPObjectAssetUnit*>(object));
        }
        return found;
    }
    int run(int frames) {
        const int64_t before = QVPObject::constructedCount();
        for (int i = 0; i < frames; ++i) {
            scene->update(kStep);
            drainPool();
        }
        return static_cast<int>(QVPObject::constructedCount() - before);
    }

    std::shared_ptr<QVModelObjectAssetUnit> spawnerModel;
    std::shared_ptr<QVModelObjectAssetUnit> enemyModel;
    QVPObjectAssetUnit* spawner = nullptr;
    int worlds = 0;
};

TEST_F(UnitSpawn, PermanentSpawnerCopiesFlyOffAndFinish) {
    for (float scaleX : {1.0f, -1.0f}) {
        SCOPED_TRACE(scaleX);
        enterWorld("kPermanentSpawning", 0.5f, scaleX);
        ASSERT_TRUE(spawner->isSpawner());
        // The section's first update already made one.
        std::vector<QVPObjectAssetUnit*> made = copies();
        ASSERT_EQ(made.size(), 1u);
        QVPObjectAssetUnit* first = made[0];
        EXPECT_EQ(first->typeFlags(), QVPObject::kTypeUnit | QVPObject::kTypeSpawned);
        EXPECT_FALSE(first->isSpawner());
        EXPECT_TRUE(first->isActive());
        ASSERT_NE(first->getBody(), nullptr);
        const float startX = first->getPositionX();
        EXPECT_NEAR(startX, 300.0f, 5.0f);
        // One copy every half second.
        EXPECT_EQ(run(120), 4);
        // Copies keep flying right whatever the spawner's facing.
        EXPECT_EQ(first->getBody()->GetType(), b2_dynamicBody);
        EXPECT_TRUE(first->getBody()->IsBullet());
        EXPECT_GT(first->getPositionX(), startX + 100.0f);
        EXPECT_GE(first->getScaleX(), 0.0f);
        // A bullet reached the enemy: both are gone.
        run(120);
        EXPECT_EQ(objectOf(enemyModel), nullptr);
        // Stopped: every copy leaves the view and finishes.
        spawner->setActionPressed(false);
        run(600);
        EXPECT_TRUE(copies().empty());
        EXPECT_EQ(bodyCount(), 1);  // the spawner's
    }
}

TEST_F(UnitSpawn, ShootingPressRestartsTheTimerUnlessNonReset) {
    struct Row {
        const char* action;
        int copiesAfterSecondPress;
    };
    for (const Row& row : {Row{"kShootingSpawning", 2}, Row{"kNonResetShootingSpawning", 1}}) {
        SCOPED_TRACE(row.action);
        enterWorld(row.action, 1.0f, 1.0f);
        QVPInputController* input = QVPInputController::shared();
        EXPECT_EQ(run(5), 0);
        input->actionPressed(QVPObjectAssetUnit::kShootAction, nullptr);
        EXPECT_EQ(run(5), 1);
        input->actionReleased(QVPObjectAssetUnit::kShootAction, nullptr);
        EXPECT_EQ(run(5), 0);
        input->actionPressed(QVPObjectAssetUnit::kShootAction, nullptr);
        EXPECT_EQ(run(5), row.copiesAfterSecondPress - 1);
        input->actionReleased(QVPObjectAssetUnit::kShootAction, nullptr);
    }
}

// Spawning inside a step (a contact hook) makes no copy.
class SpawningListener : public b2ContactListener {
public:
    void BeginContact(b2Contact*) override {
        if (spawner) spawner->spawn();
        ++calls;
    }
    QVPObjectAssetUnit* spawner = nullptr;
    int calls = 0;
};

TEST_F(UnitSpawn, NeverSpawnsWhileTheWorldSteps) {
    enterWorld("kShootingSpawning", 0.0f, 1.0f);
    SpawningListener hook;
    hook.spawner = spawner;
    b2World* field = scene->getWorld();
    field->SetContactListener(&hook);
    b2BodyDef def;
    def.type = b2_dynamicBody;
    def.position.Set(15.0f, 10.0f);  // on the spawner's sensor
    b2Body* probe = physics::createBody(field, def);
    b2PolygonShape box;
    box.SetAsBox(0.5f, 0.5f);
    b2FixtureDef fixture;
    fixture.shape = &box;
    fixture.density = 1.0f;
    physics::createFixture(probe, fixture);
    const int64_t before = QVPObject::constructedCount();
    field->Step(kStep, 8, 3);
    EXPECT_GE(hook.calls, 1);
    EXPECT_EQ(QVPObject::constructedCount(), before);
    field->SetContactListener(&listener);
    physics::destroyBody(field, probe);
    // Outside the step the same call spawns.
    spawner->spawn();
    EXPECT_EQ(QVPObject::constructedCount(), before + 1);
}

}  // namespace
}  // namespace fieldtest
