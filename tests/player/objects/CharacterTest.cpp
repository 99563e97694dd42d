// The player character: jumping, velocities, rotation, the ground test and
// contact friction, direct movement and its anchor, fixture swaps, the shown
// animation, the gun and the defeat.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelPolygon.h"
#include "model/core/QVAttributeValue.h"
#include "objects_test_support.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPContactListener.h"

using cocos2d::CCNode;
using cocos2d::CCPoint;
namespace ff = fieldfixtures;

namespace {

constexpr float kDt = 1.0f / 60.0f;

template <class A>
A* attr(const QVModel& model, const char* name) {
    return attributeCast<A>(model.attribute(name));
}

// Stands for a protecting powerup; the character only keeps the pointer.
QVPObjectAssetPowerup* fakePowerup(int i) {
    static char slots[4];
    return reinterpret_cast<QVPObjectAssetPowerup*>(&slots[i]);
}

class CharacterWorld : public objectstest::ObjectsTest {
protected:
    CharacterWorld() {
        physics::setGravity(&world, b2Vec2(0.0f, -10.0f));
        world.SetContactListener(&listener);
        settings.setFixedRotation(true);
        settings.setMoveSpeed(CCPoint(10.0f, 10.0f));
        settings.setCharacterFriction(CCPoint(1.0f, 1.0f));
        settings.setUpForce(CCPoint(0.0f, 5.0f));
        settings.setUpForceDuration(0.2f);
        settings.setUpForceCounter(0.0f);
        settings.setUpForceFromGround(false);
        settings.setJumpGroundThreshold(0.2f);
        settings.setBounceForce(CCPoint(0.0f, 0.0f));
        settings.setGameSpeed(0.0f);
        settings.setRotationScale(1.0f);
    }
    ~CharacterWorld() override {
        // Bodies leave the world before it goes.
        for (auto it = made.rbegin(); it != made.rend(); ++it) (*it)->release();
        made.clear();
    }

    // The character's box is 40 x 60 points around its position.
    QVPObjectAssetCharacter* character(const CCPoint& at = CCPoint(0.0f, 30.0f), bool body = true) {
        auto* made1 = new QVPObjectAssetCharacter(ff::characterPlacement(asset, at));
        made.push_back(made1);
        if (body) made1->createBody(&world, false);
        return made1;
    }
    // A static block centred at `at`.
    QVPObjectAsset* block(const CCPoint& at, float width, float height, const char* destroy = "kDestroyNo",
                          const char* objectType = nullptr, const char* collision = "kCharacterCollision",
                          bool physics = false) {
        auto unit = ff::unitPlacement(ff::obstacleAsset("Block", width, height), at, physics, collision);
        if (objectType) attr<QVAttributeStringList>(*unit, "Object Type")->setValue(objectType);
        unit->setDestroyType(destroy);
        unit->setCollisionType(collision);
        QVPObjectAsset* object = ff::FixtureBody::build(unit);
        made.push_back(object);
        object->createBody(&world, false);
        return object;
    }
    // The floor: its top at y 0.
    QVPObjectAsset* floor() { return block(CCPoint(0.0f, -10.0f), 400.0f, 20.0f); }

    void run(int frames) {
        for (int i = 0; i < frames; ++i) {
            for (QVPObject* object : made) object->update(kDt);
            world.Step(kDt, 8, 3);
        }
    }
    static b2Vec2 velocity(QVPObject* object) { return object->getBody()->GetLinearVelocity(); }
    static int fixtureCount(b2Body* body) {
        int n = 0;
        for (b2Fixture* f = body->GetFixtureList(); f; f = f->GetNext()) ++n;
        return n;
    }
    std::shared_ptr<QVModelComponentCharacterGameplaySettings> gameplay(bool direct, bool imageDirection) {
        auto component = ff::gameplaySettings(asset);
        attr<QVAttributeBool>(*component, "Direct Movement")->setValue(direct);
        attr<QVAttributeBool>(*component, "Image Direction")->setValue(imageDirection);
        attr<QVAttributeBool>(*component, "Fixed Rotation")->setValue(true);
        attr<QVAttributePoint>(*component, "Max Speed")->setValue(CCPoint(10.0f, 10.0f));
        attr<QVAttributePoint>(*component, "Jump Force")->setValue(CCPoint(0.0f, 5.0f));
        attr<QVAttributePoint>(*component, "Air Drag")->setValue(CCPoint(1.0f, 1.0f));
        return component;
    }

    QVPContactListener listener;
    QVPGameFieldSettings& settings = *QVPGameFieldSettings::shared();
    std::shared_ptr<QVModelAssetCharacter> asset = ff::characterAsset("Runner", 40.0f, 60.0f);
    std::vector<QVPObject*> made;
};

class CharacterMovement : public CharacterWorld {};
class DirectMovement : public CharacterWorld {};
class FixtureSwap : public CharacterWorld {};
class Character : public CharacterWorld {};

// ---------------------------------------------------------------- movement

TEST_F(CharacterMovement, JumpRules) {
    struct Row {
        const char* name;
        bool fromGround;
        float counter;
        CCPoint force;
        bool onGround;
        int presses;
        bool landBetween;  // off the ground between presses
        int jumps;
    };
    const Row rows[] = {
        {"from ground: none in the air", true, 0, {0, 5}, false, 1, false, 0},
        {"from ground: one on the ground", true, 0, {0, 5}, true, 1, false, 1},
        {"from ground: air jumps after a ground jump", true, 2, {0, 5}, true, 3, true, 2},
        {"counter 1", false, 1, {0, 5}, false, 3, false, 1},
        {"counter 0 is unlimited", false, 0, {0, 5}, false, 6, false, 6},
        {"zero force", false, 0, {0, 0}, true, 2, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings.setUpForceFromGround(row.fromGround);
        settings.setUpForceCounter(row.counter);
        settings.setUpForce(row.force);
        QVPObjectAssetCharacter* c = character();
        if (row.onGround) c->setOnGround(true);
        for (int i = 0; i < row.presses; ++i) {
            c->jump();
            if (row.landBetween) c->setOnGround(false);
        }
        EXPECT_EQ(c->jumpCount(), row.jumps);
        EXPECT_EQ((c->controlBits() & QVPObjectAssetCharacter::kBitJumping) != 0, row.jumps > 0);
        EXPECT_EQ(c->getState() == QVPObject::kStateJumping, row.jumps > 0);
    }
}

// One update's velocity: the jump push counts upForce twice, each axis is
// clamped by its positive speed only, air drag applies off the ground.
TEST_F(CharacterMovement, VelocityOfOneUpdate) {
    struct Row {
        const char* name;
        CCPoint moveSpeed;
        CCPoint airDrag;
        bool onFloor;
        float directionX;
        bool jump;
        b2Vec2 start;
        b2Vec2 expected;
    };
    const Row rows[] = {
        {"jump push twice, y unclamped", {10, 0}, {1, 1}, false, 0, true, {0, 0}, {0, 10}},
        {"jump push clamped", {10, 8}, {1, 1}, false, 0, true, {0, 0}, {0, 8}},
        {"x clamped", {4, 10}, {1, 1}, true, 1, false, {0, 0}, {4, 0}},
        {"x clamped, then air drag", {4, 10}, {0.5f, 1}, false, 1, false, {0, 0}, {2, 0}},
        {"x speed 0: unclamped", {0, 10}, {1, 1}, true, 0, false, {30, 0}, {30, 0}},
        {"direction adds 1.25 x speed", {20, 10}, {0.5f, 0.5f}, true, -0.5f, false, {0, 0}, {-12.5f, 0}},
        {"no drag on the ground, clamped", {20, 10}, {0.5f, 0.5f}, true, -1, false, {0, 0}, {-20, 0}},
    };
    physics::setGravity(&world, b2Vec2(0.0f, 0.0f));
    float x = 0.0f;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        x += 1000.0f;
        settings.setMoveSpeed(row.moveSpeed);
        settings.setCharacterFriction(row.airDrag);
        QVPObjectAssetCharacter* c = character(CCPoint(x, 30.0f));
        if (row.onFloor) block(CCPoint(x, -10.0f), 100.0f, 20.0f);
        physics::setLinearVelocity(c->getBody(), row.start);
        c->setDirectionX(row.directionX);
        if (row.jump) c->jump();
        c->update(kDt);
        EXPECT_EQ(c->isOnGround(), row.onFloor);
        EXPECT_NEAR(velocity(c).x, row.expected.x, 1e-4f);
        EXPECT_NEAR(velocity(c).y, row.expected.y, 1e-4f);
    }
}

TEST_F(CharacterMovement, RotationCapAndDamping) {
    struct Row {
        const char* name;
        bool left, right;
        float w0, lean, expected;
    };
    const Row rows[] = {
        {"left adds", true, false, -4.9f, 1.0f, -5.9f},         {"left stops at -5", true, false, -5.0f, 1.0f, -5.0f},
        {"right subtracts", false, true, 4.9f, 1.0f, 5.9f},     {"right stops at 5", false, true, 5.0f, 1.0f, 5.0f},
        {"lean factor scales", true, false, 0.0f, 0.5f, -0.5f}, {"released: damped", false, false, 4.0f, 1.0f, 2.0f},
    };
    physics::setGravity(&world, b2Vec2(0.0f, 0.0f));
    settings.setFixedRotation(false);
    settings.setLeftLeanForce(-1.0f);
    settings.setRightLeanForce(-1.0f);
    settings.setRotationScale(0.5f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 500.0f));
        if (row.left) c->startRotateLeft();
        if (row.right) c->startRotateRight();
        c->setLeanFactor(row.lean);
        physics::setAngularVelocity(c->getBody(), row.w0);
        c->update(kDt);
        EXPECT_NEAR(c->getBody()->GetAngularVelocity(), row.expected, 1e-5f);
    }
}

// Full platform friction on a floor, none against a wall, on contacts the
// world made.
TEST_F(CharacterMovement, WallAndFloorFriction) {
    settings.setPlatformFriction(0.7f);
    QVPObject* ground = floor();
    QVPObject* wall = block(CCPoint(30.0f, 100.0f), 20.0f, 200.0f);
    QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 31.0f));
    c->setDirectionX(1.0f);
    run(20);
    int seen = 0;
    for (b2ContactEdge* edge = c->getBody()->GetContactList(); edge; edge = edge->next) {
        if (!edge->contact->IsTouching()) continue;
        QVPObject* other = physics::userObject<QVPObject>(edge->other);
        if (other != ground && other != wall) continue;
        ++seen;
        EXPECT_NEAR(edge->contact->GetFriction(), other == ground ? 0.7f : 0.0f, 1e-4f);
    }
    EXPECT_EQ(seen, 2);
}

// What the rays take for ground, and the bounce on landing.
TEST_F(CharacterMovement, GroundTest) {
    struct Row {
        const char* name;
        const char* destroy;
        const char* objectType;
        const char* collision;
        bool ground;
    };
    const Row rows[] = {
        {"platform", "kDestroyNo", nullptr, "kCharacterCollision", true},
        {"enemy killed by contact", "kDestroyEnemyCollision", nullptr, "kCharacterCollision", true},
        {"decoration", "kDestroyNo", "kDecorationObjectType", "kCharacterCollision", false},
        {"destroy type 1", "kDestroyCollision", nullptr, "kCharacterCollision", false},
        {"destroy type 3", "kDestroyAllCollision", nullptr, "kCharacterCollision", false},
        {"sensor", "kDestroyNo", nullptr, "kNoCollision", false},
    };
    float x = 0.0f;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        x += 1000.0f;
        block(CCPoint(x, -10.0f), 100.0f, 20.0f, row.destroy, row.objectType, row.collision);
        QVPObjectAssetCharacter* c = character(CCPoint(x, 30.0f));
        c->checkGround();
        EXPECT_EQ(c->isOnGround(), row.ground);
    }

    SCOPED_TRACE("bounce");
    settings.setBounceForce(CCPoint(0.0f, 3.0f));
    floor();
    QVPObjectAssetCharacter* c = character();
    c->update(kDt);  // lands, then the changed bounce force lifts it
    EXPECT_TRUE(c->controlBits() & QVPObjectAssetCharacter::kBitBounce);
    c->update(kDt);
    EXPECT_NEAR(velocity(c).y, 3.0f, 1e-5f);
    EXPECT_TRUE(c->isOnGround());
}

// ---------------------------------------------------------------- direct movement

TEST_F(DirectMovement, ReachesTargetAlsoAfterSwapAndDropsWhenReleased) {
    gameplay(true, false);
    QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 300.0f));
    ASSERT_NE(c->dragJoint(), nullptr);
    auto reach = [&](const CCPoint& target) {
        c->setTargetPosition(target);
        for (int frame = 1; frame <= 60; ++frame) {
            run(1);
            if (c->getPosition().getDistance(target) < 1.0f) return frame;
        }
        return 61;
    };
    EXPECT_LT(reach(CCPoint(60.0f, 340.0f)), 60);

    // Four times the mass: the spring follows it.
    ASSERT_TRUE(c->replaceFixture(ff::boxPolygon(80.0f, 120.0f), QVPObjectAsset::FixtureMaterial{1.0f, 0.2f, 0.0f}));
    float stiffness = 0.0f, damping = 0.0f;
    b2LinearStiffness(stiffness, damping, 10.0f, 1.0f, c->dragGround(), c->getBody());
    EXPECT_NEAR(c->dragJoint()->GetStiffness(), stiffness, stiffness * 1e-4f);
    EXPECT_NEAR(c->dragJoint()->GetDamping(), damping, damping * 1e-4f);
    EXPECT_LT(reach(CCPoint(0.0f, 300.0f)), 60);

    c->setControllable(false);
    const float y = c->getPosition().y;
    run(60);
    EXPECT_LT(c->getPosition().y, y - 50.0f);
    c->setControllable(true);
    EXPECT_LT(c->targetPosition().getDistance(c->getPosition()), 1e-3f);
}

TEST_F(DirectMovement, AutoTilt) {
    attr<QVAttributeBool>(*gameplay(true, false), "Fixed Rotation")->setValue(false);
    attr<QVAttributeBool>(*asset, "Auto Tilt")->setValue(true);
    physics::setGravity(&world, b2Vec2(0.0f, 0.0f));
    const float halfPi = 1.5707963f;
    struct Row {
        float vx, first, second;
    };
    // tilt = 0.4 tilt + 0.6 (clamp(vx, -20, 20) / -20 x pi/2)
    const Row rows[] = {
        {30.0f, -0.6f * halfPi, -0.24f * halfPi - 0.6f * halfPi},
        {10.0f, -0.3f * halfPi, -0.12f * halfPi - 0.3f * halfPi},
        {-40.0f, 0.6f * halfPi, 0.24f * halfPi + 0.6f * halfPi},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.vx);
        QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 300.0f));
        physics::setLinearVelocity(c->getBody(), b2Vec2(row.vx, 0.0f));
        c->update(kDt);
        EXPECT_NEAR(c->tiltAngle(), row.first, 1e-5f);
        EXPECT_NEAR(c->getBody()->GetAngularVelocity(), row.first * 20.0f, 1e-4f);
        physics::setLinearVelocity(c->getBody(), b2Vec2(row.vx, 0.0f));
        c->update(kDt);
        EXPECT_NEAR(c->tiltAngle(), row.second, 1e-5f);
    }
}

TEST_F(DirectMovement, SetBodyPositionMovesJointedBodies) {
    gameplay(true, false);
    QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 300.0f));
    const b2Vec2 anchor = c->dragGround()->GetPosition();
    c->setBodyPosition(100.0f, 200.0f);
    EXPECT_NEAR(c->getBody()->GetPosition().x, 5.0f, 1e-5f);
    EXPECT_NEAR(c->getBody()->GetPosition().y, 10.0f, 1e-5f);
    EXPECT_NEAR(c->dragGround()->GetPosition().x - anchor.x, 5.0f, 1e-5f);
    EXPECT_NEAR(c->dragGround()->GetPosition().y - anchor.y, 10.0f - 15.0f, 1e-5f);
}

// ---------------------------------------------------------------- fixture swaps

TEST_F(FixtureSwap, NoShapeKeepsFixture) {
    gameplay(false, true);
    LogCapture log;
    QVPObjectAssetCharacter* c = character();
    auto width = [c] {
        b2AABB box;
        physics::fixtureBox(c->currentFixture(), box);
        return (box.upperBound.x - box.lowerBound.x) * 20.0f;
    };
    ASSERT_NEAR(width(), 40.0f, 0.5f);
    // A shape too small to give a fixture takes over, then the turn asks for it.
    c->addAnimation(QVPObjectAsset::kPriorityMove, nullptr, ff::boxPolygon(0.01f, 0.01f));
    EXPECT_TRUE(LogCapture::hasPrefix("[QVPObjectAsset] no fixture shape for model"));
    LogCapture::lines().clear();
    c->setDirection(-1.0f, 0.0f);
    EXPECT_LT(c->getScaleX(), 0.0f);
    EXPECT_TRUE(LogCapture::hasPrefix("[QVPObjectAsset] no fixture shape for model"));
    ASSERT_NE(c->currentFixture(), nullptr);
    EXPECT_EQ(fixtureCount(c->getBody()), 1);
    EXPECT_NEAR(width(), 40.0f, 0.5f);
    run(2);
    EXPECT_EQ(fixtureCount(c->getBody()), 1);
    EXPECT_EQ(c->currentFixture()->GetFilterData().groupIndex, -1);
}

TEST_F(FixtureSwap, TurnKeepsCharacterFilter) {
    gameplay(false, true);
    QVPObjectAssetCharacter* a = character(CCPoint(0.0f, 30.0f));
    QVPObjectAssetCharacter* b = character(CCPoint(10.0f, 30.0f));
    b2Fixture* before = a->currentFixture();
    a->setDirection(-1.0f, 0.0f);
    b2Fixture* after = a->currentFixture();
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_EQ(fixtureCount(a->getBody()), 1);
    const b2Filter& filter = after->GetFilterData();
    EXPECT_EQ(filter.categoryBits, 0x0002);
    EXPECT_EQ(filter.maskBits, 0x0001);
    EXPECT_EQ(filter.groupIndex, -1);
    EXPECT_FALSE(after->IsSensor());
    // Overlapping characters never touch.
    run(5);
    for (b2ContactEdge* edge = a->getBody()->GetContactList(); edge; edge = edge->next) {
        EXPECT_NE(edge->other, b->getBody());
    }
    // Turning back swaps again, with the same filter.
    a->setDirection(1.0f, 0.0f);
    EXPECT_EQ(a->currentFixture()->GetFilterData().groupIndex, -1);
}

TEST_F(FixtureSwap, SwapKeepsSensorFlag) {
    {
        SCOPED_TRACE("a non-colliding unit under an animation with a shape");
        QVPObjectAsset* ghost = block(CCPoint(500.0f, 0.0f), 40.0f, 40.0f, "kDestroyNo", nullptr, "kNoCollision");
        ASSERT_TRUE(ghost->currentFixture()->IsSensor());
        b2Fixture* before = ghost->currentFixture();
        ghost->addAnimation(QVPObjectAsset::kPriorityMove, nullptr, ff::boxPolygon(60.0f, 60.0f));
        EXPECT_NE(ghost->currentFixture(), before);
        EXPECT_TRUE(ghost->currentFixture()->IsSensor());
    }
    SCOPED_TRACE("a falling defeated character that turns");
    gameplay(false, true);
    attr<QVAttributeFloat>(*asset, "Fall Attribute")->setValue(3.0f);
    physics::setGravity(&world, b2Vec2(0.0f, 0.0f));
    QVPObjectAssetCharacter* c = character();
    c->setState(QVPObject::kStateDying);
    EXPECT_TRUE(c->isFallRequested());
    c->update(kDt);
    EXPECT_TRUE(c->currentFixture()->IsSensor());
    EXPECT_NEAR(velocity(c).y, 60.0f, 1e-4f);
    b2Fixture* before = c->currentFixture();
    c->setDirection(-1.0f, 0.0f);
    EXPECT_NE(c->currentFixture(), before);
    EXPECT_TRUE(c->currentFixture()->IsSensor());
}

// ---------------------------------------------------------------- anchor, gun, defeat

TEST_F(Character, AnchorDestroyed) {
    gameplay(true, false);
    const int empty = world.GetBodyCount();
    for (bool detachFirst : {false, true}) {
        SCOPED_TRACE(detachFirst ? "body taken by the field, then the character" : "character released");
        auto* c = new QVPObjectAssetCharacter(ff::characterPlacement(asset, CCPoint(0.0f, 300.0f)));
        c->createBody(&world, false);
        ASSERT_NE(c->dragGround(), nullptr);
        EXPECT_EQ(world.GetBodyCount(), empty + 2);
        if (detachFirst) {
            b2Body* body = c->getBody();
            c->detachBody();
            EXPECT_EQ(c->dragGround(), nullptr);
            physics::destroyBody(&world, body);
            EXPECT_EQ(world.GetBodyCount(), empty);
        }
        c->release();
        EXPECT_EQ(world.GetBodyCount(), empty);
        EXPECT_EQ(world.GetJointCount(), 0);
    }
}

// A scale of 0 gives no body, a disabled body has no box: every operation
// is then a no-op.
TEST_F(Character, WithoutBodyOrBox) {
    gameplay(false, true);
    auto flat = ff::characterPlacement(asset, CCPoint(0.0f, 30.0f));
    flat->setScale(CCPoint(0.0f, 0.0f));
    auto* bodiless = new QVPObjectAssetCharacter(flat);
    made.push_back(bodiless);
    bodiless->createBody(&world, false);
    QVPObjectAssetCharacter* disabled = character();
    physics::setEnabled(disabled->getBody(), false);
    for (QVPObjectAssetCharacter* c : {bodiless, disabled}) {
        SCOPED_TRACE(c == bodiless ? "no body" : "disabled body");
        c->jump();
        c->setDirection(-1.0f, 0.0f);
        c->setBodyVelocity(1.0f, 2.0f);
        c->setBodyPosition(10.0f, 20.0f);
        c->preSolve(nullptr, nullptr, nullptr);
        c->checkGround();
        c->update(kDt);
        c->kill();
        c->update(kDt);
        const b2AABB box = c->getBodyAABB();
        EXPECT_EQ(box.lowerBound.x, 0.0f);
        EXPECT_EQ(box.upperBound.y, 0.0f);
        EXPECT_FALSE(c->isOnGround());
        EXPECT_EQ(c->getState(), QVPObject::kStateFinished);
    }
    EXPECT_EQ(bodiless->getBody(), nullptr);
}

TEST_F(Character, GunModelsBuiltOnce) {
    {
        SCOPED_TRACE("no bullet frames, no gun");
        ff::linkAnimation(*asset, "Bullet Animation", ff::framedAnimation("Empty", 0));
        EXPECT_EQ(character()->gun(), nullptr);
    }
    ff::linkAnimation(*asset, "Bullet Animation", ff::framedAnimation("Bullet", 2));
    auto damage = QVModelComponentDamage::create();
    damage->setDamage(3);
    asset->addChild(damage);
    CCNode* layer = CCNode::create();
    layer->retain();
    auto polygons = [] { return QVModelController::shared()->getModels<QVModelPolygon>().size(); };
    auto spawners = [] { return QVModelController::shared()->getModels<QVModelComponentSpawner>().size(); };
    const int64_t built = QVPObjectAssetCharacter::gunModelsBuilt();
    std::size_t polygonsAfterFirst = 0, spawnersAfterFirst = 0;
    std::weak_ptr<QVModelObject> gunModel;
    for (int i = 0; i < 50; ++i) {
        auto* c = new QVPObjectAssetCharacter(ff::characterPlacement(asset, CCPoint(0.0f, 30.0f)));
        layer->addChild(c, i < 25 ? 0 : 4);  // two z depths, two models
        c->setGameLayer(layer);
        c->createBody(&world, false);
        ASSERT_NE(c->gun(), nullptr);
        if (i == 0) {
            polygonsAfterFirst = polygons();
            spawnersAfterFirst = spawners();
            gunModel = c->gun()->getModel();
            auto unit = modelCast<QVModelObjectAssetUnit>(gunModel.lock());
            ASSERT_NE(unit, nullptr);
            EXPECT_EQ(unit->zDepth(), -1);
            auto obstacle = unit->obstacleAsset();
            ASSERT_NE(obstacle, nullptr);
            auto copied = obstacle->findComponent<QVModelComponentDamage>();
            ASSERT_NE(copied, nullptr);
            EXPECT_EQ(copied->damage(), 3);
        }
        c->removeFromParentAndCleanup(true);
        c->release();
    }
    layer->release();
    EXPECT_EQ(QVPObjectAssetCharacter::gunModelsBuilt() - built, 2);
    EXPECT_LE(polygons(), polygonsAfterFirst + 1);
    EXPECT_LE(spawners(), spawnersAfterFirst + 1);
    // Clearing the model controller lets the cached models go.
    cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    EXPECT_FALSE(gunModel.expired());
    QVModelController::shared()->clear();
    EXPECT_TRUE(gunModel.expired());
}

TEST_F(Character, GunTouchesNothing) {
    ff::linkAnimation(*asset, "Bullet Animation", ff::framedAnimation("Bullet", 1));
    QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 300.0f));
    QVPObjectAsset* gun = c->gun();
    ASSERT_NE(gun, nullptr);
    ASSERT_NE(gun->getBody(), nullptr);
    EXPECT_EQ(gun->getParent(), c);
    EXPECT_EQ(gun->typeFlags(), QVPObject::kTypeCharacter);
    // A falling trigger crosses the gun's body at the origin.
    physics::setGravity(&world, b2Vec2(0.0f, -10.0f));
    QVPObjectAsset* trigger =
        block(CCPoint(0.0f, 20.0f), 100.0f, 100.0f, "kDestroyNo", nullptr, "kNoCollision", /*physics=*/true);
    ASSERT_TRUE(trigger->currentFixture()->IsSensor());
    for (int i = 0; i < 30; ++i) {
        world.Step(kDt, 8, 3);
        EXPECT_EQ(gun->getBody()->GetContactList(), nullptr);
    }
}

TEST_F(Character, DefeatGate) {
    struct Row {
        const char* name;
        bool defeatFrames;
        int stateAfterDefeat;
    };
    const Row rows[] = {{"no defeat animation", false, QVPObject::kStateFinished},
                        {"a defeat animation with frames", true, QVPObject::kStateDying}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ff::linkAnimation(*asset, "Defeated Animation", ff::framedAnimation("Defeat", row.defeatFrames ? 3 : 0));
        LogCapture log;
        QVPObjectAssetCharacter* c = character();
        c->addPowerup(fakePowerup(0));
        c->addPowerup(fakePowerup(1));
        c->setState(QVPObject::kStateDying);
        EXPECT_EQ(c->getState(), QVPObject::kStateIdle);
        EXPECT_FLOAT_EQ(c->protectionLevel(), 100.0f);
        c->removePowerup(fakePowerup(0));
        c->setState(QVPObject::kStateDying);
        EXPECT_EQ(c->getState(), QVPObject::kStateIdle);
        c->removePowerup(fakePowerup(1));
        EXPECT_FALSE(c->isInvincible());
        c->setState(QVPObject::kStateDying);
        EXPECT_EQ(c->getState(), row.stateAfterDefeat);
        EXPECT_EQ(LogCapture::has("deathAnimationDidEnd --- "), !row.defeatFrames);
        EXPECT_FALSE(c->castsShadow());
        c->setState(QVPObject::kStateMoving);
        EXPECT_EQ(c->getState(), row.stateAfterDefeat);
        if (row.defeatFrames) {
            c->setVisible(true);
            ASSERT_NE(c->defeatAnimation(), nullptr);
            EXPECT_TRUE(c->defeatAnimation()->isVisible());
            c->setState(QVPObject::kStateFinished);
            EXPECT_EQ(c->getState(), QVPObject::kStateFinished);
        }
        c->setState(QVPObject::kStateIdle);
        EXPECT_EQ(c->getState(), QVPObject::kStateFinished);
    }
}

TEST_F(Character, NoDefeatAnimationStillGameOver) {
    LogCapture log;
    QVPInputController* input = QVPInputController::shared();
    QVPObjectAssetCharacter* c = character();
    input->addCharacter(c);
    EXPECT_TRUE(input->hasLiveCharacters());
    input->killAllCharacters();
    EXPECT_EQ(c->getState(), QVPObject::kStateFinished);
    EXPECT_TRUE(LogCapture::has("deathAnimationDidEnd --- "));
    EXPECT_FALSE(input->hasLiveCharacters());
    input->removeCharacter(c);
}

// The shown animation follows state and bits; a table entry hides all five.
TEST_F(Character, VisibilityTable) {
    ff::linkAnimation(*asset, "Default Animation", ff::framedAnimation("Default", 1));
    ff::linkAnimation(*asset, "Shooting Animation", ff::framedAnimation("Shooting", 1));
    ff::linkAnimation(*asset, "Jump Animation", ff::framedAnimation("Jump", 1));
    ff::linkAnimation(*asset, "Move Animation", ff::framedAnimation("Move", 1));
    enum Shown { kDefault, kShooting, kJump, kMove, kNone };
    struct Row {
        const char* name;
        void (*act)(QVPObjectAssetCharacter*);
        Shown shown;
    };
    const Row rows[] = {
        {"idle on the ground", [](QVPObjectAssetCharacter* c) { c->setOnGround(true); }, kDefault},
        {"moving",
         [](QVPObjectAssetCharacter* c) {
             c->setOnGround(true);
             c->setDirection(1, 0);
         },
         kMove},
        {"shooting while idle",
         [](QVPObjectAssetCharacter* c) {
             c->setOnGround(true);
             c->setShooting(true);
         },
         kShooting},
        {"shooting while running",
         [](QVPObjectAssetCharacter* c) {
             c->setOnGround(true);
             c->setDirection(1, 0);
             c->setVisible(true);
             c->setShooting(true);
         },
         kMove},
        {"jumping", [](QVPObjectAssetCharacter* c) { c->jump(); }, kJump},
        {"in the air after a jump, idle",
         [](QVPObjectAssetCharacter* c) {
             c->jump();
             c->setVisible(true);
             c->setDirection(0, 0);
         },
         kJump},
        {"a powerup animation in the table",
         [](QVPObjectAssetCharacter* c) {
             c->addAnimation(QVPObjectAsset::kPriorityPowerup,
                             QVPAnimationObject::create(ff::framedAnimation("Glow", 1)), nullptr);
         },
         kNone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAssetCharacter* c = character(CCPoint(0.0f, 30.0f), false);
        row.act(c);
        c->setVisible(true);
        QVPAnimationObject* five[] = {c->defaultAnimation(), c->shootingAnimation(), c->jumpAnimation(),
                                      c->moveAnimation()};
        for (int i = 0; i < 4; ++i) {
            ASSERT_NE(five[i], nullptr);
            EXPECT_EQ(five[i]->isVisible(), i == row.shown) << i;
        }
    }
}

}  // namespace
