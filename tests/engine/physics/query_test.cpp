// User objects, box and ray queries, the mouse joint spring and the draw base.
#include "physics_test_support.h"

namespace {

using namespace physicstest;

struct Owner {
    int id;
};

TEST(UserObjects, RoundTripThroughDefinitionsBodiesAndFixtures) {
    Owner bodyOwner{1}, fixtureOwner{2}, other{9};
    b2World world(b2Vec2(0, -10));
    b2BodyDef def;
    physics::setUserObject(def, &bodyOwner);
    EXPECT_EQ(physics::userObject<Owner>(def), &bodyOwner);
    b2Body* body = physics::createBody(&world, def);
    b2PolygonShape box;
    box.SetAsBox(0.5f, 0.5f);
    b2FixtureDef fixture;
    fixture.shape = &box;
    physics::setUserObject(fixture, &fixtureOwner);
    EXPECT_EQ(physics::userObject<Owner>(fixture), &fixtureOwner);
    ASSERT_NE(physics::createFixture(body, fixture), nullptr);
    EXPECT_EQ(physics::userObject<Owner>(body)->id, 1);
    EXPECT_EQ(physics::userObject<Owner>(body->GetFixtureList())->id, 2);

    // Set on a live body, cleared on a live fixture; each object keeps its own.
    b2Body* second = makeBox(world, b2_dynamicBody, b2Vec2(0, 3), 0.5f, 0.5f);
    physics::setUserObject(second, &other);
    EXPECT_EQ(physics::userObject<Owner>(second), &other);
    EXPECT_EQ(physics::userObject<Owner>(body), &bodyOwner);
    physics::setUserObject<Owner>(body->GetFixtureList(), nullptr);
    EXPECT_EQ(physics::userObject<Owner>(body->GetFixtureList()), nullptr);
    EXPECT_EQ(physics::userObject<Owner>(static_cast<b2Body*>(nullptr)), nullptr);
}

TEST(FixtureBox, OnlyAnEnabledBodysFixtureHasABox) {
    b2World world(b2Vec2(0, 0));
    b2Body* box = makeBox(world, b2_dynamicBody, b2Vec2(3, 4), 1.0f, 0.5f);
    b2AABB aabb;
    ASSERT_TRUE(physics::fixtureBox(box->GetFixtureList(), aabb));
    // The proxy box is the polygon grown by its skin radius.
    EXPECT_NEAR(aabb.lowerBound.x, 2.0f - b2_polygonRadius, 1e-4f);
    EXPECT_NEAR(aabb.upperBound.y, 4.5f + b2_polygonRadius, 1e-4f);
    ASSERT_TRUE(physics::firstFixtureBox(box, aabb));
    EXPECT_NEAR(aabb.upperBound.x, 4.0f + b2_polygonRadius, 1e-4f);

    // Every refusal zeroes the box it was handed.
    auto zeroed = [&] { return aabb.lowerBound == b2Vec2(0, 0) && aabb.upperBound == b2Vec2(0, 0); };
    ASSERT_TRUE(physics::setEnabled(box, false));
    aabb.lowerBound.Set(7, 7);
    EXPECT_FALSE(physics::fixtureBox(box->GetFixtureList(), aabb)) << "a disabled body has no proxy";
    EXPECT_TRUE(zeroed());
    b2Body* empty = physics::createBody(&world, b2BodyDef());
    aabb.upperBound.Set(7, 7);
    EXPECT_FALSE(physics::firstFixtureBox(empty, aabb));
    EXPECT_TRUE(zeroed());
    EXPECT_FALSE(physics::fixtureBox(nullptr, aabb));
    EXPECT_FALSE(physics::firstFixtureBox(nullptr, aabb));
    EXPECT_TRUE(zeroed());
}

TEST(RayCast, ZeroLengthAndNonFiniteRaysReportNoHit) {
    struct CountingRay : b2RayCastCallback {
        float ReportFixture(b2Fixture*, const b2Vec2& point, const b2Vec2&, float fraction) override {
            ++calls;
            hit = point;
            return fraction;
        }
        int calls = 0;
        b2Vec2 hit{0, 0};
    };
    b2World world(b2Vec2(0, 0));
    makeBox(world, b2_staticBody, b2Vec2(0, 0), 1, 1);
    CountingRay through;
    EXPECT_TRUE(physics::rayCast(&world, &through, b2Vec2(-5, 0), b2Vec2(5, 0)));
    EXPECT_GE(through.calls, 1);
    EXPECT_NEAR(through.hit.x, -1.0f, 1e-4f);  // rays ignore the skin

    // Ends that coincide, inside the box (where a hit would otherwise be
    // possible), at a tiny offset that rounds to zero length, NaN, and an end
    // at the edge of float's range.
    const std::pair<b2Vec2, b2Vec2> rays[] = {
        {b2Vec2(0.5f, 0.5f), b2Vec2(0.5f, 0.5f)}, {b2Vec2(-1.0f, 0.0f), b2Vec2(-1.0f, 0.0f)},
        {b2Vec2(0, 0), b2Vec2(1e-30f, 0)},        {b2Vec2(kNaN, 0), b2Vec2(1, 0)},
        {b2Vec2(0, 0.5f), b2Vec2(-3e38f, 0.5f)},
    };
    for (const auto& [p1, p2] : rays) {
        CountingRay none;
        EXPECT_FALSE(physics::rayCast(&world, &none, p1, p2));
        EXPECT_EQ(none.calls, 0);
    }
    EXPECT_FALSE(physics::rayCast(&world, nullptr, b2Vec2(0, 0), b2Vec2(1, 0)));
}

// The mouse joint of direct movement: 10 Hz, ratio 1.0, max force 10000.
TEST(MouseJoint, PullsToTheTargetAndKeepsDoingSoAfterTheBodyGrows) {
    b2World world(b2Vec2(0, -10));
    b2Body* ground = physics::createBody(&world, b2BodyDef());
    b2Body* body = makeBox(world, b2_dynamicBody, b2Vec2(0, 0), 0.5f, 0.5f);
    ASSERT_TRUE(ground && body);
    // Grabbed at its centre, as the character is.
    b2MouseJointDef def = physics::mouseJointDef(ground, body, body->GetPosition(), 10000, 10, 1);
    EXPECT_FALSE(def.collideConnected);
    EXPECT_GT(def.stiffness, 0.0f);
    auto* joint = static_cast<b2MouseJoint*>(physics::createJoint(&world, def));
    ASSERT_NE(joint, nullptr);
    auto settle = [&](b2Vec2 target) {
        EXPECT_TRUE(physics::setMouseTarget(joint, target));
        steps(world, 60);
        return (body->GetPosition() - target).Length();
    };
    EXPECT_LT(settle(b2Vec2(2, 0)), 0.01f);

    // Swap the fixture for one 4x the size: 16x the mass. The spring set for
    // the small box is now far too soft to hold it against gravity.
    ASSERT_TRUE(physics::destroyFixture(body, body->GetFixtureList()));
    b2PolygonShape big;
    big.SetAsBox(2.0f, 2.0f);
    b2FixtureDef fixture;
    fixture.shape = &big;
    fixture.density = 1;
    ASSERT_NE(physics::createFixture(body, fixture), nullptr);
    EXPECT_GT(settle(b2Vec2(4, 0)), 0.01f) << "without a new spring the grown body sags";
    ASSERT_TRUE(physics::setMouseJointSpring(joint, 10, 1));
    EXPECT_LT(settle(b2Vec2(6, 0)), 0.01f);

    LogCapture log;
    EXPECT_FALSE(physics::setMouseJointSpring(nullptr, 10, 1));
    EXPECT_FALSE(physics::setMouseJointSpring(joint, kNaN, 1));
    EXPECT_EQ(log.count("[Physics] setMouseJointSpring refused: "), 2);
}

TEST(DrawBase, ADrawerDerivedFromItSeesTheWorldsShapes) {
    struct Counter : physics::DrawBase {
        void DrawPolygon(const b2Vec2*, int32, const b2Color&) override { ++polygons; }
        void DrawSolidPolygon(const b2Vec2*, int32 count, const b2Color&) override { polygons++, vertices += count; }
        void DrawCircle(const b2Vec2&, float, const b2Color&) override {}
        void DrawSolidCircle(const b2Vec2&, float, const b2Vec2&, const b2Color&) override {}
        void DrawSegment(const b2Vec2&, const b2Vec2&, const b2Color&) override {}
        void DrawTransform(const b2Transform&) override {}
        int polygons = 0, vertices = 0;
    } counter;
    counter.SetFlags(b2Draw::e_shapeBit);
    b2World world(b2Vec2(0, 0));
    makeBox(world, b2_staticBody, b2Vec2(0, 0), 1, 1);
    world.SetDebugDraw(&counter);
    world.DebugDraw();
    EXPECT_EQ(counter.polygons, 1);
    EXPECT_EQ(counter.vertices, 4);
    counter.DrawPoint(b2Vec2(0, 0), 1, b2Color(1, 1, 1));  // draws nothing, must not be pure
}

}  // namespace
