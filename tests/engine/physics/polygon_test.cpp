// Polygon and circle shapes: which outlines the layer accepts, and that
// nothing it accepts can reach one of Box2D's aborts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "physics_test_support.h"

namespace {

using physicstest::LogCapture;

struct PolygonCase {
    const char* name;
    std::vector<b2Vec2> points;
    bool accepted;
    int hullCount;  // vertices Box2D keeps, when accepted
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::vector<b2Vec2> regular(int n, float radius) {
    std::vector<b2Vec2> pts;
    for (int i = 0; i < n; ++i) {
        float a = 2.0f * b2_pi * static_cast<float>(i) / static_cast<float>(n);
        pts.emplace_back(radius * std::cos(a), radius * std::sin(a));
    }
    return pts;
}

TEST(Polygon, TableOfOutlines) {
    const std::vector<PolygonCase> cases = {
        {"three collinear points", {{0, 0}, {1, 1}, {2, 2}}, false, 0},
        {"triangle 1e-7 m high", {{0, 0}, {1, 0}, {0.5f, 1e-7f}}, false, 0},
        {"four points, three collinear", {{0, 0}, {1, 0}, {2, 0}, {1, 1}}, true, 3},
        {"two points", {{0, 0}, {1, 0}}, false, 0},
        {"nine points", regular(9, 1.0f), false, 0},
        {"welded to two points", {{0, 0}, {1, 0}, {0.001f, 0.001f}, {1.0f, 0.002f}}, false, 0},
        {"NaN coordinate", {{0, 0}, {1, 0}, {kNaN, 1}}, false, 0},
        {"infinite coordinate", {{0, 0}, {1, 0}, {0, kInf}}, false, 0},
        {"eight points", regular(8, 1.0f), true, 8},
        {"10 m x 0.05 m sliver", {{0, 0}, {10, 0}, {10, 0.05f}, {0, 0.05f}}, true, 4},
        {"hull edge of 4 mm", {{0, 0}, {1, 0}, {1, 1}, {0.996f, 1}}, false, 0},
        {"1 mm square", {{0, 0}, {0.001f, 0}, {0.001f, 0.001f}, {0, 0.001f}}, false, 0},
        {"concave outline becomes its hull", {{0, 0}, {2, 0}, {1, 0.5f}, {2, 2}, {0, 2}}, true, 4},
        {"coordinate beyond 1e7 m", {{0, 0}, {2e7f, 0}, {0, 1}}, false, 0},
        // Box2D's float hull walk steps back and forth between the last two
        // points (one lies almost on the edge to the first) until it aborts.
        {"point almost on a hull edge",
         {{0.431040466f, 0.357896239f}, {-0.207180724f, 0.52053988f}, {-0.55908519f, -0.0361849405f},
          {-0.138353005f, -0.542903364f}, {0.146343738f, -0.0925035551f}},
         false, 0},
        // 15 cm across, 230 m from the body origin: its inertia cancels to
        // nothing when Box2D shifts it to the centre of mass in float.
        {"small outline far from the origin",
         {{133.522583f, -184.077957f}, {133.415665f, -184.19545f}, {133.555405f, -184.080551f},
          {133.435226f, -183.993683f}},
         false, 0},
        {"a 15 cm square at the origin", {{0, 0}, {0.15f, 0}, {0.15f, 0.15f}, {0, 0.15f}}, true, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string reason;
        bool valid = physics::validPolygon(c.points.data(), static_cast<int>(c.points.size()), &reason);
        EXPECT_EQ(valid, c.accepted) << reason;
        EXPECT_EQ(reason.empty(), c.accepted);

        b2PolygonShape shape;
        LogCapture log;
        bool set = physics::setPolygon(&shape, c.points.data(), static_cast<int>(c.points.size()));
        EXPECT_EQ(set, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(shape.m_count, c.hullCount);
            EXPECT_EQ(log.count("[Physics]"), 0);
        } else {
            EXPECT_EQ(shape.m_count, 0) << "a refused outline leaves the shape unset";
            EXPECT_EQ(log.count("[Physics] setPolygon refused: "), 1);
        }
    }
}

TEST(Polygon, NullPointsAndShapeAreRefused) {
    LogCapture log;
    EXPECT_FALSE(physics::validPolygon(nullptr, 4));
    std::vector<b2Vec2> square = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    EXPECT_FALSE(physics::setPolygon(nullptr, square.data(), 4));
    EXPECT_EQ(log.count("setPolygon refused"), 1);
}

TEST(Circle, FiniteNonNegativeOnly) {
    LogCapture log;
    b2CircleShape circle;
    EXPECT_TRUE(physics::setCircle(&circle, b2Vec2(1, 2), 0.5f));
    EXPECT_EQ(circle.m_p, b2Vec2(1, 2));
    EXPECT_FLOAT_EQ(circle.m_radius, 0.5f);
    EXPECT_TRUE(physics::setCircle(&circle, b2Vec2(0, 0), 0.0f));

    physics::setCircle(&circle, b2Vec2(3, 4), 1.5f);
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(kNaN, 0), 1.0f));
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(0, 0), kInf));
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(0, 0), -1.0f));
    EXPECT_EQ(circle.m_p, b2Vec2(3, 4)) << "a refused circle keeps its old values";
    EXPECT_FLOAT_EQ(circle.m_radius, 1.5f);
    EXPECT_FALSE(physics::setCircle(&circle, b2Vec2(1000, 0), 0.001f)) << "inertia lost far from the origin";
    EXPECT_TRUE(physics::setCircle(&circle, b2Vec2(1000, 0), 0.0f)) << "no mass, nothing to lose";
    EXPECT_EQ(log.count("[Physics] setCircle refused: "), 4);
}

// ---- Property test ----

// Point sets meant to sit on both sides of every rule: plain random ones,
// near-collinear runs, tight clusters away from the origin, near-welded
// duplicates, flat triangles and hull edges with an almost-straight corner.
class OutlineGenerator {
public:
    explicit OutlineGenerator(uint32_t seed) : rng_(seed) {}

    std::vector<b2Vec2> next() {
        int count = uniformInt(3, 8);
        std::vector<b2Vec2> pts;
        switch (uniformInt(0, 5)) {
        case 0:  // random in the unit box
            for (int i = 0; i < count; ++i) pts.emplace_back(unit(), unit());
            break;
        case 1: {  // along a line, pushed off it by 10^-2..10^-9
            b2Vec2 a(unit(), unit()), d(unit(), unit());
            float off = std::pow(10.0f, -uniform(2.0f, 9.0f));
            for (int i = 0; i < count; ++i) {
                float t = uniform(-1.0f, 1.0f);
                pts.emplace_back(a.x + t * d.x + off * unit(), a.y + t * d.y + off * unit());
            }
            break;
        }
        case 2: {  // a cluster of size 10^-1..10^-6 somewhere in the box
            b2Vec2 c(unit(), unit());
            float r = std::pow(10.0f, -uniform(1.0f, 6.0f));
            for (int i = 0; i < count; ++i) pts.emplace_back(c.x + r * unit(), c.y + r * unit());
            break;
        }
        case 3: {  // a random polygon with points doubled at about the weld distance
            float jitter = std::pow(10.0f, -uniform(1.0f, 5.0f));
            for (int i = 0; i < count; ++i) {
                if (i > 0 && uniformInt(0, 1)) {
                    b2Vec2 p = pts[static_cast<size_t>(uniformInt(0, i - 1))];
                    pts.emplace_back(p.x + jitter * unit(), p.y + jitter * unit());
                } else {
                    pts.emplace_back(unit(), unit());
                }
            }
            break;
        }
        case 4: {  // a triangle of height 10^-1..10^-8, plus extra points on its base
            float h = std::pow(10.0f, -uniform(1.0f, 8.0f));
            pts = {{-1, 0}, {1, 0}, {uniform(-1.0f, 1.0f), h}};
            while (static_cast<int>(pts.size()) < count) pts.emplace_back(uniform(-1.0f, 1.0f), 0.0f);
            break;
        }
        default: {  // a convex polygon with one point nudged onto an edge
            pts = regularish(count);
            size_t i = static_cast<size_t>(uniformInt(0, count - 1));
            const b2Vec2& a = pts[(i + count - 1) % count];
            const b2Vec2& b = pts[(i + 1) % count];
            float out = std::pow(10.0f, -uniform(1.0f, 9.0f)) * (uniformInt(0, 1) ? 1.0f : -1.0f);
            b2Vec2 mid = 0.5f * (a + b);
            pts[i] = mid + out * pts[i];
            break;
        }
        }
        float scale = std::pow(10.0f, uniform(-3.0f, 3.0f));
        for (auto& p : pts) p *= scale;
        return pts;
    }

private:
    std::vector<b2Vec2> regularish(int n) {
        std::vector<b2Vec2> pts;
        float phase = uniform(0.0f, 6.0f);
        for (int i = 0; i < n; ++i) {
            float a = phase + 2.0f * b2_pi * static_cast<float>(i) / static_cast<float>(n);
            pts.emplace_back(std::cos(a), std::sin(a));
        }
        return pts;
    }
    float unit() { return uniform(-1.0f, 1.0f); }
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng_); }
    int uniformInt(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    std::mt19937 rng_;
};

TEST(PolygonProperty, NothingAcceptedReachesABox2DAbort) {
    b2World world(b2Vec2(0.0f, -10.0f));
    OutlineGenerator generator(20240611u);
    int accepted = 0;
    int refused = 0;
    for (int i = 0; i < 100000; ++i) {
        std::vector<b2Vec2> pts = generator.next();
        int n = static_cast<int>(pts.size());
        if (!physics::validPolygon(pts.data(), n)) {
            ++refused;
            continue;
        }
        ++accepted;
        b2PolygonShape shape;
        ASSERT_TRUE(physics::setPolygon(&shape, pts.data(), n)) << "case " << i;
        b2BodyDef def;
        def.type = b2_dynamicBody;
        b2Body* body = physics::createBody(&world, def);
        ASSERT_NE(body, nullptr);
        b2FixtureDef fixture;
        fixture.shape = &shape;
        fixture.density = 0.1f;
        ASSERT_NE(physics::createFixture(body, fixture), nullptr) << "case " << i;
        ASSERT_GT(body->GetMass(), 0.0f) << "case " << i;
        world.Step(1.0f / 60.0f, 6, 6);
        ASSERT_TRUE(std::isfinite(body->GetPosition().x) && std::isfinite(body->GetAngle())) << "case " << i;
        ASSERT_TRUE(physics::destroyBody(&world, body));
    }
    // Both sides of the rules must be exercised, or the test proves nothing.
    EXPECT_GT(accepted, 30000);
    EXPECT_GT(refused, 20000);
}

}  // namespace
