// Polygon and circle shapes: which outlines the layer accepts, and that
// nothing it accepts can reach one of Box2D's aborts.
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "physics_test_support.h"

namespace {

using namespace physicstest;

std::vector<b2Vec2> regular(int n, float radius, float phase = 0) {
    std::vector<b2Vec2> pts;
    for (int i = 0; i < n; ++i) {
        float a = phase + 2.0f * b2_pi * static_cast<float>(i) / static_cast<float>(n);
        pts.emplace_back(radius * std::cos(a), radius * std::sin(a));
    }
    return pts;
}

TEST(Polygon, TableOfOutlines) {
    const struct {
        const char* name;
        std::vector<b2Vec2> points;
        int hullCount;  // vertices Box2D keeps; 0: refused
    } cases[] = {
        {"three collinear points", {{0, 0}, {1, 1}, {2, 2}}, 0},
        {"triangle 1e-7 m high", {{0, 0}, {1, 0}, {0.5f, 1e-7f}}, 0},
        {"four points, three collinear", {{0, 0}, {1, 0}, {2, 0}, {1, 1}}, 3},
        {"two points", {{0, 0}, {1, 0}}, 0},
        {"nine points", regular(9, 1.0f), 0},
        {"welded to two points", {{0, 0}, {1, 0}, {0.001f, 0.001f}, {1.0f, 0.002f}}, 0},
        {"NaN coordinate", {{0, 0}, {1, 0}, {kNaN, 1}}, 0},
        {"infinite coordinate", {{0, 0}, {1, 0}, {0, kInf}}, 0},
        {"eight points", regular(8, 1.0f), 8},
        {"10 m x 0.05 m sliver", {{0, 0}, {10, 0}, {10, 0.05f}, {0, 0.05f}}, 4},
        {"hull edge of 4 mm", {{0, 0}, {1, 0}, {1, 1}, {0.996f, 1}}, 0},
        {"1 mm square", {{0, 0}, {0.001f, 0}, {0.001f, 0.001f}, {0, 0.001f}}, 0},
        {"concave outline becomes its hull", {{0, 0}, {2, 0}, {1, 0.5f}, {2, 2}, {0, 2}}, 4},
        {"coordinate beyond 1e7 m", {{0, 0}, {2e7f, 0}, {0, 1}}, 0},
        // Box2D's float hull walk steps back and forth between the last two
        // points (one lies almost on the edge to the first) until it aborts.
        {"point almost on a hull edge",
         {{0.431040466f, 0.357896239f},
          {-0.207180724f, 0.52053988f},
          {-0.55908519f, -0.0361849405f},
          {-0.138353005f, -0.542903364f},
          {0.146343738f, -0.0925035551f}},
         0},
        // 15 cm across, 230 m from the body origin: its inertia cancels to
        // nothing when Box2D shifts it to the centre of mass in float.
        {"small outline far from the origin",
         {{133.522583f, -184.077957f},
          {133.415665f, -184.19545f},
          {133.555405f, -184.080551f},
          {133.435226f, -183.993683f}},
         0},
        {"a 15 cm square at the origin", {{0, 0}, {0.15f, 0}, {0.15f, 0.15f}, {0, 0.15f}}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool accepted = c.hullCount > 0;
        const int n = static_cast<int>(c.points.size());
        std::string reason;
        EXPECT_EQ(physics::validPolygon(c.points.data(), n, &reason), accepted) << reason;
        EXPECT_EQ(reason.empty(), accepted);
        b2PolygonShape shape;
        LogCapture log;
        EXPECT_EQ(physics::setPolygon(&shape, c.points.data(), n), accepted);
        EXPECT_EQ(shape.m_count, c.hullCount) << "a refused outline leaves the shape unset";
        EXPECT_EQ(log.count("[Physics]"), accepted ? 0 : 1);
        EXPECT_EQ(log.count("[Physics] setPolygon refused: "), accepted ? 0 : 1);
    }
    LogCapture log;
    EXPECT_FALSE(physics::validPolygon(nullptr, 4));
    EXPECT_FALSE(physics::setPolygon(nullptr, regular(4, 1).data(), 4));
    EXPECT_EQ(log.count("setPolygon refused"), 1);
}

TEST(Circle, FiniteNonNegativeOnly) {
    LogCapture log;
    b2CircleShape circle;
    EXPECT_TRUE(physics::setCircle(&circle, b2Vec2(0, 0), 0.0f));
    EXPECT_TRUE(physics::setCircle(&circle, b2Vec2(3, 4), 1.5f));
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(kNaN, 0), 1.0f));
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(0, 0), kInf));
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(0, 0), -1.0f));
    EXPECT_EQ(circle.m_p, b2Vec2(3, 4)) << "a refused circle keeps its old values";
    EXPECT_FLOAT_EQ(circle.m_radius, 1.5f);
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(1000, 0), 0.001f)) << "inertia lost far from the origin";
    EXPECT_TRUE(physics::setCircle(&circle, b2Vec2(1000, 0), 0.0f)) << "no mass, nothing to lose";
    // The same rules answered silently, with the reason.
    std::string reason;
    EXPECT_FALSE(physics::validCircle(b2Vec2(0, 0), -1.0f, &reason));
    EXPECT_EQ(reason, "negative radius");
    EXPECT_FALSE(physics::validCircle(b2Vec2(2 * physics::kMaxCoordinate, 0), 1.0f));
    EXPECT_TRUE(physics::validCircle(b2Vec2(0, physics::kMaxCoordinate), physics::kMaxCoordinate));
    EXPECT_EQ(log.count("[Physics] setCircle refused: "), 4);
}

// Point sets on both sides of every rule, scaled by 10^-3..10^3.
std::vector<b2Vec2> outline(std::mt19937& rng) {
    auto uniform = [&](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
    auto uniformInt = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto unit = [&] { return uniform(-1.0f, 1.0f); };
    auto tenTo = [&](float lo, float hi) { return std::pow(10.0f, -uniform(lo, hi)); };
    const int count = uniformInt(3, 8);
    std::vector<b2Vec2> pts;
    const int kind = uniformInt(0, 5);
    if (kind == 0) {  // random in the unit box
        for (int i = 0; i < count; ++i) pts.emplace_back(unit(), unit());
    } else if (kind == 1) {  // along a line, pushed off it by 10^-2..10^-9
        b2Vec2 a(unit(), unit()), d(unit(), unit());
        float off = tenTo(2, 9);
        for (int i = 0; i < count; ++i) {
            float t = unit();
            pts.emplace_back(a.x + t * d.x + off * unit(), a.y + t * d.y + off * unit());
        }
    } else if (kind == 2) {  // a cluster of size 10^-1..10^-6 somewhere in the box
        b2Vec2 c(unit(), unit());
        float r = tenTo(1, 6);
        for (int i = 0; i < count; ++i) pts.emplace_back(c.x + r * unit(), c.y + r * unit());
    } else if (kind == 3) {  // some points doubled at about the weld distance
        float jitter = tenTo(1, 5);
        for (int i = 0; i < count; ++i) {
            const bool twin = i && uniformInt(0, 1);
            b2Vec2 p = twin ? pts[static_cast<size_t>(uniformInt(0, i - 1))] : b2Vec2(unit(), unit());
            pts.push_back(twin ? p + jitter * b2Vec2(unit(), unit()) : p);
        }
    } else if (kind == 4) {  // a triangle of height 10^-1..10^-8, plus extra points on its base
        pts = {{-1, 0}, {1, 0}, {unit(), tenTo(1, 8)}};
        while (static_cast<int>(pts.size()) < count) pts.emplace_back(unit(), 0.0f);
    } else {  // a convex polygon with one point nudged onto an edge
        pts = regular(count, 1, uniform(0.0f, 6.0f));
        size_t i = static_cast<size_t>(uniformInt(0, count - 1));
        b2Vec2 mid = 0.5f * (pts[(i + count - 1) % count] + pts[(i + 1) % count]);
        pts[i] = mid + tenTo(1, 9) * (uniformInt(0, 1) ? 1.0f : -1.0f) * pts[i];
    }
    const float scale = std::pow(10.0f, uniform(-3.0f, 3.0f));
    for (auto& p : pts) p *= scale;
    return pts;
}

TEST(PolygonProperty, NothingAcceptedReachesABox2DAbort) {
    b2World world(b2Vec2(0.0f, -10.0f));
    std::mt19937 rng(20240611u);
    int accepted = 0, refused = 0;
    for (int i = 0; i < 100000; ++i) {
        std::vector<b2Vec2> pts = outline(rng);
        const int n = static_cast<int>(pts.size());
        if (!physics::validPolygon(pts.data(), n)) {
            ++refused;
            continue;
        }
        ++accepted;
        b2PolygonShape shape;
        ASSERT_TRUE(physics::setPolygon(&shape, pts.data(), n)) << "case " << i;
        b2Body* body = physics::createBody(&world, [] {
            b2BodyDef d;
            d.type = b2_dynamicBody;
            return d;
        }());
        ASSERT_NE(body, nullptr);
        b2FixtureDef fixture;
        fixture.shape = &shape;
        fixture.density = 0.1f;
        ASSERT_NE(physics::createFixture(body, fixture), nullptr) << "case " << i;
        ASSERT_GT(body->GetMass(), 0.0f) << "case " << i;
        world.Step(kStep, 6, 6);
        ASSERT_TRUE(std::isfinite(body->GetPosition().x) && std::isfinite(body->GetAngle())) << "case " << i;
        ASSERT_TRUE(physics::destroyBody(&world, body));
    }
    // Both sides of the rules must be exercised, or the test proves nothing.
    EXPECT_GT(accepted, 30000);
    EXPECT_GT(refused, 20000);
}

}  // namespace
