// World changes: refused (with a log line, world untouched) while the world
// is locked or when handed bad values; accepted otherwise.
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "physics_test_support.h"

namespace {

using namespace physicstest;
using Calls = std::vector<std::pair<std::string, bool>>;

// Every guarded call against the same world, with whether it was accepted.
Calls guardedCalls(b2World* world, b2Body* ground, b2Body* box, b2Body* spare) {
    b2BodyDef bodyDef;
    bodyDef.position.Set(5, 5);
    b2PolygonShape shape;
    shape.SetAsBox(0.25f, 0.25f);
    b2FixtureDef fixtureDef;
    fixtureDef.shape = &shape;
    b2RevoluteJointDef joint;
    joint.Initialize(ground, box, box->GetPosition());
    return {{"createBody", physics::createBody(world, bodyDef) != nullptr},
            {"destroyBody", physics::destroyBody(world, spare)},
            {"createFixture", physics::createFixture(box, fixtureDef) != nullptr},
            {"destroyFixture", physics::destroyFixture(box, box->GetFixtureList())},
            {"createJoint", physics::createJoint(world, joint) != nullptr},
            {"setType", physics::setType(box, b2_kinematicBody)},
            {"setEnabled", physics::setEnabled(box, true)},
            {"setTransform", physics::setTransform(box, box->GetPosition(), 0.5f)},
            {"setSensor", physics::setSensor(box->GetFixtureList(), false)},
            {"setBullet", physics::setBullet(box, true)},
            {"setFixedRotation", physics::setFixedRotation(box, true)},
            {"setGravityScale", physics::setGravityScale(box, 0.5f)}};
}

struct OnFirstContact : b2ContactListener {
    explicit OnFirstContact(std::function<void()> f) : hook(std::move(f)) {}
    void BeginContact(b2Contact*) override {
        if (hook) std::exchange(hook, nullptr)();
    }
    std::function<void()> hook;
};

TEST(LockedWorld, EveryGuardedCallIsRefusedInsideAContactHookAndAcceptedAfterStep) {
    b2World world(b2Vec2(0, -10));
    b2Body* ground = makeBox(world, b2_staticBody, b2Vec2(0, 0), 5, 0.5f);
    b2Body* box = makeBox(world, b2_dynamicBody, b2Vec2(0, 1.2f), 0.5f, 0.5f);
    b2Body* spare = makeBox(world, b2_staticBody, b2Vec2(20, 0), 1, 1);
    ASSERT_TRUE(ground && box && spare);
    auto state = [&] {
        return std::make_tuple(world.GetBodyCount(), fixtureCount(box), world.GetJointCount(), box->GetType());
    };
    decltype(state()) before, after;
    Calls inside;
    OnFirstContact probe([&] {
        before = state();
        inside = guardedCalls(&world, ground, box, spare);
        after = state();
    });
    world.SetContactListener(&probe);
    {
        LogCapture log;
        for (int i = 0; i < 120 && inside.empty(); ++i) world.Step(kStep, 6, 6);
        ASSERT_EQ(inside.size(), 12u) << "the box never touched the ground";
        for (const auto& [call, accepted] : inside) {
            EXPECT_FALSE(accepted) << call << " was accepted inside Step";
            EXPECT_EQ(log.count("[Physics] " + call + " refused: the world is locked"), 1) << call;
        }
        EXPECT_EQ(after, before);
        EXPECT_EQ(std::get<3>(after), b2_dynamicBody);
    }

    world.SetContactListener(nullptr);
    ASSERT_FALSE(world.IsLocked());
    LogCapture log;
    for (const auto& [call, accepted] : guardedCalls(&world, ground, box, spare)) EXPECT_TRUE(accepted) << call;
    EXPECT_EQ(log.count("[Physics]"), 0) << log.text();
    EXPECT_EQ(box->GetType(), b2_kinematicBody);
    EXPECT_EQ(world.GetJointCount(), 1);
    EXPECT_EQ(world.GetBodyCount(), 3) << "spare destroyed, one body created";
}

TEST(Ownership, ForeignAndRepeatedDestroysAreRefused) {
    b2World world(b2Vec2(0, -10));
    b2World other(b2Vec2(0, -10));
    b2Body* mine = makeBox(world, b2_dynamicBody, b2Vec2(0, 0), 1, 1);
    b2Body* foreign = makeBox(other, b2_dynamicBody, b2Vec2(0, 0), 1, 1);
    b2Body* second = makeBox(world, b2_dynamicBody, b2Vec2(5, 0), 1, 1);
    ASSERT_TRUE(mine && foreign && second);

    LogCapture log;
    EXPECT_FALSE(physics::destroyBody(&world, foreign));
    EXPECT_FALSE(physics::destroyBody(&world, nullptr));
    EXPECT_EQ(world.GetBodyCount(), 2);
    EXPECT_EQ(other.GetBodyCount(), 1);

    b2Fixture* fixture = mine->GetFixtureList();
    EXPECT_FALSE(physics::destroyFixture(second, fixture)) << "a fixture of another body";
    EXPECT_TRUE(physics::destroyFixture(mine, fixture));
    EXPECT_FALSE(physics::destroyFixture(mine, fixture)) << "the same fixture twice";
    EXPECT_FALSE(physics::destroyFixture(mine, mine->GetFixtureList())) << "a body without fixtures";
    EXPECT_EQ(fixtureCount(second), 1);

    b2RevoluteJointDef self, missing, crossWorld, good;
    self.Initialize(mine, mine, b2Vec2(0, 0));
    missing.bodyA = mine;
    crossWorld.Initialize(mine, foreign, b2Vec2(0, 0));
    for (const b2RevoluteJointDef* bad : {&self, &missing, &crossWorld})
        EXPECT_EQ(physics::createJoint(&world, *bad), nullptr);
    EXPECT_EQ(world.GetJointCount(), 0);
    good.Initialize(mine, second, b2Vec2(2, 0));
    EXPECT_NE(physics::createJoint(&world, good), nullptr);

    EXPECT_EQ(log.count("[Physics] destroyBody refused: "), 2);
    EXPECT_EQ(log.count("[Physics] destroyFixture refused: "), 3);
    EXPECT_EQ(log.count("[Physics] createJoint refused: body A and body B are the same body"), 1);
    EXPECT_EQ(log.count("[Physics] createJoint refused: "), 3);
}

TEST(Definitions, BodyDefinitionsWithBadValuesMakeNoBody) {
    const std::vector<std::pair<const char*, std::function<void(b2BodyDef&)>>> cases = {
        {"NaN position", [](b2BodyDef& d) { d.position.Set(kNaN, 0); }},
        {"infinite angle", [](b2BodyDef& d) { d.angle = kInf; }},
        {"NaN linear velocity", [](b2BodyDef& d) { d.linearVelocity.Set(0, kNaN); }},
        {"infinite angular velocity", [](b2BodyDef& d) { d.angularVelocity = -kInf; }},
        {"NaN gravity scale", [](b2BodyDef& d) { d.gravityScale = kNaN; }},
        {"negative linear damping", [](b2BodyDef& d) { d.linearDamping = -0.1f; }},
        {"NaN angular damping", [](b2BodyDef& d) { d.angularDamping = kNaN; }},
        // Finite, but beyond what Box2D's float arithmetic survives.
        {"position beyond 1e7 m", [](b2BodyDef& d) { d.position.Set(0, -2e7f); }},
        {"speed beyond 1e6 m/s", [](b2BodyDef& d) { d.linearVelocity.Set(3e38f, 0); }},
        {"gravity scale beyond 1e6", [](b2BodyDef& d) { d.gravityScale = 3e38f; }},
    };
    b2World world(b2Vec2(0, -10));
    for (const auto& [name, spoil] : cases) {
        SCOPED_TRACE(name);
        b2BodyDef def;
        def.type = b2_dynamicBody;
        spoil(def);
        LogCapture log;
        EXPECT_EQ(physics::createBody(&world, def), nullptr);
        EXPECT_EQ(log.count("[Physics] createBody refused: "), 1);
        EXPECT_EQ(world.GetBodyCount(), 0);
    }
    EXPECT_EQ(physics::createBody(nullptr, b2BodyDef()), nullptr);
}

TEST(Definitions, FixtureDefinitionsWithoutAUsableShapeMakeNoFixture) {
    b2World world(b2Vec2(0, -10));
    b2BodyDef bodyDef;
    bodyDef.type = b2_dynamicBody;
    b2Body* body = physics::createBody(&world, bodyDef);
    ASSERT_NE(body, nullptr);

    b2PolygonShape box, neverSet, farSpeck, speck;
    box.SetAsBox(1, 1);
    b2CircleShape negative;
    negative.m_radius = -1.0f;
    farSpeck.SetAsBox(0.001f, 0.001f, b2Vec2(500, 0), 0);  // inertia lost in float
    speck.SetAsBox(1e-4f, 1e-4f);                          // SetAsBox skips Set's checks; no area for Box2D
    const struct {
        const char* name;
        const b2Shape* shape;
        float density, friction, restitution;
    } cases[] = {
        {"no shape", nullptr, 1, 0.2f, 0},
        {"polygon never set", &neverSet, 1, 0.2f, 0},
        {"negative circle", &negative, 1, 0.2f, 0},
        {"tiny box far from the origin", &farSpeck, 1, 0.2f, 0},
        {"box of almost no area", &speck, 1, 0.2f, 0},
        {"NaN density", &box, kNaN, 0.2f, 0},
        {"infinite friction", &box, 1, kInf, 0},
        {"NaN restitution", &box, 1, 0.2f, kNaN},
        {"negative density", &box, -1, 0.2f, 0},
        {"mass with an infinite inverse", &box, 1e-40f, 0.2f, 0},
        {"mass beyond float sums", &box, 1e35f, 0.2f, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        b2FixtureDef def;
        def.shape = c.shape;
        def.density = c.density;
        def.friction = c.friction;
        def.restitution = c.restitution;
        LogCapture log;
        EXPECT_EQ(physics::createFixture(body, def), nullptr);
        EXPECT_EQ(log.count("[Physics] createFixture refused: "), 1);
        EXPECT_EQ(fixtureCount(body), 0);
    }
    b2FixtureDef good;
    good.shape = &box;
    good.density = 1.0f;
    EXPECT_NE(physics::createFixture(body, good), nullptr);
    good.density = 0.0f;  // sensors and massless parts
    EXPECT_NE(physics::createFixture(body, good), nullptr);
    EXPECT_EQ(physics::createFixture(nullptr, good), nullptr);
}

TEST(Setters, NonFiniteValuesAreRefusedAndLeaveTheOldValue) {
    b2World world(b2Vec2(0, -10));
    b2Body* ground = makeBox(world, b2_staticBody, b2Vec2(0, -5), 1, 1);
    b2Body* body = makeBox(world, b2_dynamicBody, b2Vec2(1, 2), 0.5f, 0.5f);
    ASSERT_TRUE(ground && body);
    auto* mouse = static_cast<b2MouseJoint*>(
        physics::createJoint(&world, physics::mouseJointDef(ground, body, b2Vec2(1, 2), 1000, 10, 1)));
    ASSERT_NE(mouse, nullptr);
    ASSERT_TRUE(physics::setLinearVelocity(body, b2Vec2(3, 4)) && physics::setAngularVelocity(body, 2) &&
                physics::setGravity(&world, b2Vec2(0, -5)) && physics::setMouseTarget(mouse, b2Vec2(7, 8)) &&
                physics::setTransform(body, b2Vec2(9, 9), 1));

    LogCapture log;
    EXPECT_FALSE(physics::setLinearVelocity(body, b2Vec2(kNaN, 0)));
    EXPECT_FALSE(physics::setAngularVelocity(body, kInf));
    EXPECT_FALSE(physics::setGravity(&world, b2Vec2(0, kNaN)));
    EXPECT_FALSE(physics::setMouseTarget(mouse, b2Vec2(kInf, 0)));
    EXPECT_FALSE(physics::setTransform(body, b2Vec2(0, kNaN), 0));
    EXPECT_FALSE(physics::setTransform(body, b2Vec2(0, 0), kNaN));
    EXPECT_FALSE(physics::setLinearVelocity(nullptr, b2Vec2(0, 0)));
    EXPECT_FALSE(physics::setLinearVelocity(body, b2Vec2(0, -3e38f)));
    EXPECT_FALSE(physics::setGravity(&world, b2Vec2(0, -1e30f)));
    EXPECT_FALSE(physics::setTransform(body, b2Vec2(1e30f, 0), 0));
    EXPECT_EQ(log.count("[Physics] "), 10);

    EXPECT_EQ(body->GetLinearVelocity(), b2Vec2(3, 4));
    EXPECT_FLOAT_EQ(body->GetAngularVelocity(), 2);
    EXPECT_EQ(world.GetGravity(), b2Vec2(0, -5));
    EXPECT_EQ(mouse->GetTarget(), b2Vec2(7, 8));
    EXPECT_EQ(body->GetPosition(), b2Vec2(9, 9));
    EXPECT_FLOAT_EQ(body->GetAngle(), 1);
}

TEST(Setters, EnabledFlagAndContactSwitch) {
    b2World world(b2Vec2(0, -10));
    b2Body* body = makeBox(world, b2_dynamicBody, b2Vec2(0, 0), 1, 1);
    for (bool enabled : {false, true}) {
        ASSERT_TRUE(physics::setEnabled(body, enabled));
        EXPECT_EQ(body->IsEnabled(), enabled);
    }
    // A contact disabled from PreSolve lets the box fall through the ground.
    struct PassThrough : b2ContactListener {
        void PreSolve(b2Contact* contact, const b2Manifold*) override { physics::setContactEnabled(contact, false); }
    } listener;
    physics::setContactEnabled(nullptr, false);  // harmless
    ASSERT_NE(makeBox(world, b2_staticBody, b2Vec2(0, -3), 5, 0.5f), nullptr);
    world.SetContactListener(&listener);
    steps(world, 90);
    EXPECT_LT(body->GetPosition().y, -5.0f);
}

// A sensor's contact has no manifold points, and Box2D writes no normal
// for it: the layer gives (0, 0) instead of whatever the stack held.
TEST(ContactNormal, ZeroWithoutManifoldPointsUnitLengthWithThem) {
    for (bool sensor : {false, true}) {
        SCOPED_TRACE(sensor);
        b2World world(b2Vec2(0, -10));
        makeBox(world, b2_staticBody, b2Vec2(0, 0), 5, 0.5f);
        b2Body* box = makeBox(world, b2_dynamicBody, b2Vec2(0, 1.2f), 0.5f, 0.5f);
        box->GetFixtureList()->SetSensor(sensor);
        b2Contact* touching = nullptr;
        for (int i = 0; i < 120 && !touching; ++i) {
            world.Step(kStep, 6, 6);
            for (b2ContactEdge* edge = box->GetContactList(); edge; edge = edge->next) {
                if (edge->contact->IsTouching()) touching = edge->contact;
            }
        }
        ASSERT_NE(touching, nullptr);
        const b2Vec2 normal = physics::contactNormal(touching);
        EXPECT_NEAR(normal.Length(), sensor ? 0.0f : 1.0f, 1e-5f);
    }
    EXPECT_EQ(physics::contactNormal(nullptr).Length(), 0.0f);
}

// Fixtures of density 0 leave Box2D 2.4 bodies without mass, which never
// fall; every call that resets the mass gives such a dynamic body a mass of 1.
TEST(Mass, DynamicBodyWithoutDensityStillFalls) {
    const std::vector<std::pair<const char*, std::function<void(b2Body*)>>> rows = {
        {"createFixture", [](b2Body*) {}},
        {"destroyFixture",
         [](b2Body* body) {
             b2PolygonShape box;
             box.SetAsBox(0.2f, 0.2f);
             b2FixtureDef def;
             def.shape = &box;
             def.density = 0.0f;
             b2Fixture* first = body->GetFixtureList();
             ASSERT_NE(physics::createFixture(body, def), nullptr);
             ASSERT_TRUE(physics::destroyFixture(body, first));
         }},
        {"setType",
         [](b2Body* body) {
             ASSERT_TRUE(physics::setType(body, b2_staticBody));
             ASSERT_TRUE(physics::setType(body, b2_dynamicBody));
         }},
        {"setFixedRotation", [](b2Body* body) { ASSERT_TRUE(physics::setFixedRotation(body, true)); }},
    };
    for (const auto& [name, change] : rows) {
        SCOPED_TRACE(name);
        b2World world(b2Vec2(0, -10));
        b2BodyDef bodyDef;
        bodyDef.type = b2_dynamicBody;
        b2Body* body = physics::createBody(&world, bodyDef);
        b2PolygonShape box;
        box.SetAsBox(0.5f, 0.5f);
        b2FixtureDef def;
        def.shape = &box;
        def.density = 0.0f;
        ASSERT_NE(physics::createFixture(body, def), nullptr);
        change(body);
        EXPECT_FLOAT_EQ(body->GetMass(), 1.0f);
        steps(world, 30);
        EXPECT_LT(body->GetPosition().y, -1.0f);
    }
}

}  // namespace
