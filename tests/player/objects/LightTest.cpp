// The light: its fan without and with shadows, read from the arrays draw
// hands over, against casters built straight in a world.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "gl_effects_test_support.h"
#include "player/app/QVPSettingsController.h"
#include "player/objects/QVPObjectAssetLight.h"

namespace {

using namespace gleffectstest;
using cocos2d::ccVertex2F;

// A shadow caster (or not) with one fixture of `shape` at `centre` (metres).
class Caster : public QVPObject {
public:
    Caster(b2World& world, const b2Vec2& centre, const b2Shape& shape, bool casts, bool sensor)
        : QVPObject(nullptr), m_casts(casts) {
        b2BodyDef def;
        def.position = centre;
        m_body = physics::createBody(&world, def);
        b2FixtureDef fixture;
        fixture.shape = &shape;
        fixture.isSensor = sensor;
        physics::setUserObject<QVPObject>(fixture, this);
        physics::createFixture(m_body, fixture);
    }
    // Casts for the first `calls` questions only (-1: always).
    bool castsShadow() override {
        if (!m_casts || m_calls == 0) return false;
        if (m_calls > 0) --m_calls;
        return true;
    }
    void castOnlyFor(int calls) { m_calls = calls; }

private:
    bool m_casts;
    int m_calls = -1;
};

b2PolygonShape box(float half) {
    b2PolygonShape shape;
    shape.SetAsBox(half, half);
    return shape;
}
b2CircleShape circle(float radius) {
    b2CircleShape shape;
    shape.m_radius = radius;
    return shape;
}
// A thin octagon along `direction` (unit), so rays aimed beside its far
// corners pass it: each ray then adds two vertices.
b2PolygonShape octagon(const b2Vec2& direction) {
    b2Vec2 points[8];
    const b2Vec2 across(-direction.y, direction.x);
    for (int i = 0; i < 8; ++i) {
        const float a = i * 0.785398f;
        points[i] = (0.3f * std::cos(a)) * direction + (0.003f * std::sin(a)) * across;
    }
    b2PolygonShape shape;
    physics::setPolygon(&shape, points, 8);
    return shape;
}

// Inside the closed fan (vertex 0 and the ring after it)?
bool lit(const std::vector<ccVertex2F>& fan, const CCPoint& p) {
    auto cross = [](const ccVertex2F& a, const ccVertex2F& b, const CCPoint& q) {
        return (b.x - a.x) * (q.y - a.y) - (b.y - a.y) * (q.x - a.x);
    };
    for (size_t i = 1; i + 1 < fan.size(); ++i) {
        const float c0 = cross(fan[0], fan[i], p);
        const float c1 = cross(fan[i], fan[i + 1], p);
        const float c2 = cross(fan[i + 1], fan[0], p);
        if ((c0 <= 0 && c1 <= 0 && c2 <= 0) || (c0 >= 0 && c1 >= 0 && c2 >= 0)) return true;
    }
    return false;
}

class Light : public GlEffectsTest {
protected:
    Light() { pngtest::writeFile(root.path("fx/lightMap.png"), pngtest::solid(64, 64, 255, 255, 255, 255)); }
    ~Light() override {
        clear();
        QVPSettingsController::destroy();
    }
    // Lights and casters go; the world stays.
    void clear() {
        layer->removeAllChildrenWithCleanup(true);
        for (Caster* c : casters) {
            physics::destroyBody(&world, c->getBody());
            c->release();
        }
        casters.clear();
    }
    // A light at (100, 100) points, the centre (5, 5) in metres; without a
    // game layer it is always on screen.
    QVPObjectAssetLight* light(float radius, bool shadows) {
        auto* made = new QVPObjectAssetLight(ff::lightPlacement(CCPoint(100, 100), radius, shadows));
        layer->addChild(made);
        made->release();
        made->createBody(&world, true);
        return made;
    }
    void caster(const b2Vec2& offset, const b2Shape& shape, bool casts = true, bool sensor = false) {
        casters.push_back(new Caster(world, b2Vec2(5, 5) + offset, shape, casts, sensor));
    }
    // One update and draw; the fan drawn (empty when nothing was).
    std::vector<ccVertex2F> frame(QVPObjectAssetLight* l) {
        draws.clear();
        l->update(1.0f / 60.0f);
        l->draw();
        return draws.empty() ? std::vector<ccVertex2F>() : draws.back().vertices;
    }
    std::vector<Caster*> casters;
};

TEST_F(Light, WithoutShadowsASquareFanOfTheRadius) {
    struct Row {
        const char* name;
        bool castShadow;
        bool lowPerformance;
    };
    for (const Row& row : {Row{"shadows off", false, false}, Row{"slow machine", true, true}}) {
        SCOPED_TRACE(row.name);
        QVPSettingsController::shared()->setLowPerformance(row.lowPerformance);
        caster(b2Vec2(2, 0), box(0.5f));  // ignored without shadows
        const std::vector<ccVertex2F> fan = frame(light(5.0f, row.castShadow));
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].mode, static_cast<GLenum>(GL_TRIANGLE_FAN));
        ASSERT_EQ(fan.size(), 6u);
        // Corners by descending angle, then the first again (closed).
        const float expected[6][2] = {{0, 0}, {-100, 100}, {100, 100}, {100, -100}, {-100, -100}, {-100, 100}};
        for (int i = 0; i < 6; ++i) {
            EXPECT_FLOAT_EQ(fan[i].x, expected[i][0]) << i;
            EXPECT_FLOAT_EQ(fan[i].y, expected[i][1]) << i;
        }
        EXPECT_FLOAT_EQ(draws[0].texCoords[2].u, 1.1f);
        EXPECT_FLOAT_EQ(draws[0].texCoords[3].v, -0.1f);
        const GLfloat tint[4] = {1.0f, 200.0f / 255.0f, 0.0f, 1.0f};
        for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(draws[0].color[i], tint[i]);
    }
}

TEST_F(Light, CastersCutTheFan) {
    struct Row {
        const char* name;
        std::function<void()> place;
        bool behindLit;  // (3, 0) m from the light, behind the caster
        int rays;
    };
    const std::vector<Row> rows = {
        {"no caster", [] {}, true, 4},
        {"box", [&] { caster(b2Vec2(2, 0), box(0.5f)); }, false, 8},
        {"circle: two tangent rays", [&] { caster(b2Vec2(2, 0), circle(0.5f)); }, false, 6},
        {"sensor", [&] { caster(b2Vec2(2, 0), box(0.5f), true, true); }, true, 4},
        {"not a caster", [&] { caster(b2Vec2(2, 0), box(0.5f), false); }, true, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.place();
        QVPObjectAssetLight* l = light(5.0f, true);
        const std::vector<ccVertex2F> fan = frame(l);
        ASSERT_GT(fan.size(), 2u);
        EXPECT_EQ(l->rayCount(), row.rays);
        EXPECT_EQ(lit(fan, CCPoint(60, 0)), row.behindLit);
        EXPECT_TRUE(lit(fan, CCPoint(0, 60)));
        EXPECT_TRUE(lit(fan, CCPoint(20, 0)));  // in front of the caster
        clear();
    }
}

TEST_F(Light, CentreInsideACasterDrawsNothing) {
    caster(b2Vec2(0.2f, 0), box(0.5f));
    QVPObjectAssetLight* l = light(5.0f, true);
    EXPECT_TRUE(frame(l).empty());
    EXPECT_EQ(l->vertexCount(), 1);
}

// 80 octagons count (more are ignored): 644 rays. Casters that answer the
// area query and then stop casting block no ray, so every ray adds two
// vertices: the most a frame can make.
TEST_F(Light, ManyCastersStayInBounds) {
    struct Row {
        int casters;
        bool blockRays;
        int vertices;  // -1: not checked
    };
    for (const Row& row : {Row{90, true, -1}, Row{80, false, 1 + 2 * (4 + 80 * 8)}}) {
        SCOPED_TRACE(row.casters);
        for (int i = 0; i < row.casters; ++i) {
            const float a = i * 6.2831853f / row.casters;
            const b2Vec2 direction(std::cos(a), std::sin(a));
            caster(3.0f * direction, octagon(direction));
            if (!row.blockRays) casters.back()->castOnlyFor(1);
        }
        QVPObjectAssetLight* l = light(5.0f, true);
        const std::vector<ccVertex2F> fan = frame(l);
        EXPECT_EQ(l->rayCount(), 4 + 80 * 8);
        if (row.vertices >= 0) {
            EXPECT_EQ(l->vertexCount(), row.vertices);
        }
        EXPECT_EQ(fan.size(), static_cast<size_t>(l->vertexCount() + 1));
        for (const ccVertex2F& v : fan) EXPECT_LE(std::hypot(v.x, v.y), 5.0f * 20.0f * 1.5f);
        clear();
    }
}

TEST_F(Light, ZeroRadiusDrawsNothing) {
    for (float radius :
         {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        SCOPED_TRACE(radius);
        for (bool shadows : {false, true}) {
            QVPObjectAssetLight* l = light(radius, shadows);
            EXPECT_TRUE(frame(l).empty());
            EXPECT_EQ(l->vertexCount(), 1);
            EXPECT_TRUE(std::isfinite(l->getBoundingRect().size.width));
        }
    }
}

TEST_F(Light, StateFiveStopsForGood) {
    QVPObjectAssetLight* l = light(5.0f, false);
    ASSERT_FALSE(frame(l).empty());
    EXPECT_EQ(l->getBoundingRect().size.width, 200.0f);
    l->setState(QVPObject::kStateFinished);
    EXPECT_EQ(l->getModel(), nullptr);
    EXPECT_TRUE(frame(l).empty());
    EXPECT_TRUE(l->getBoundingRect().equals(cocos2d::CCRect()));
}

}  // namespace
