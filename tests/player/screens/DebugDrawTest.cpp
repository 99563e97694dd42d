// The physics debug drawer, recorded at its one draw call as a world's debug
// pass uses it (the GL check draws it for real).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "physics/PhysicsGuard.h"
#include "player/screens/GLESDebugDraw.h"

namespace {

struct Call {
    GLenum mode;
    std::vector<cocos2d::ccVertex2F> points;
    cocos2d::ccColor4F colour;
};

class RecordingDraw : public GLESDebugDraw {
public:
    std::vector<Call> calls;

protected:
    void submit(GLenum mode, const cocos2d::ccVertex2F* points, int count, const cocos2d::ccColor4F& c) override {
        calls.push_back(Call{mode, std::vector<cocos2d::ccVertex2F>(points, points + count), c});
    }
};

// One body of that type holding `shape`, drawn with the field's flags.
void drawWorld(GLESDebugDraw& draw, b2BodyType type, const b2Shape& shape) {
    b2World world(b2Vec2(0.0f, 0.0f));
    draw.SetFlags(PhysicsDrawSettings().drawFlags());
    world.SetDebugDraw(&draw);
    b2BodyDef def;
    def.type = type;
    def.position.Set(2.0f, 3.0f);
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = 1.0f;
    ASSERT_NE(physics::createFixture(physics::createBody(&world, def), fixture), nullptr);
    world.DebugDraw();
}

float extent(const Call& call, bool vertical) {
    const auto less = [vertical](const cocos2d::ccVertex2F& a, const cocos2d::ccVertex2F& b) {
        return vertical ? a.y < b.y : a.x < b.x;
    };
    const auto range = std::minmax_element(call.points.begin(), call.points.end(), less);
    return vertical ? range.second->y - range.first->y : range.second->x - range.first->x;
}

TEST(DebugDraw, ShapesInPointsWithHalfAlphaFills) {
    b2PolygonShape box;
    box.SetAsBox(0.5f, 0.5f);
    b2CircleShape circle;
    circle.m_radius = 1.0f;
    struct Case {
        const char* name;
        b2BodyType type;
        const b2Shape* shape;
        std::vector<GLenum> modes;
        std::vector<size_t> counts;
        float r, g, b;  // Box2D's colour for the body type
    } cases[] = {
        {"static 1 x 1 m box", b2_staticBody, &box, {GL_TRIANGLE_FAN, GL_LINE_LOOP}, {4, 4}, 0.5f, 0.9f, 0.5f},
        {"solid circle",
         b2_dynamicBody,
         &circle,
         {GL_TRIANGLE_FAN, GL_LINE_LOOP, GL_LINES},
         {16, 16, 2},
         0.9f,
         0.7f,
         0.7f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDraw draw;
        drawWorld(draw, c.type, *c.shape);
        ASSERT_EQ(draw.calls.size(), c.modes.size());
        for (size_t i = 0; i < c.modes.size(); ++i) {
            const Call& call = draw.calls[i];
            const float a = call.mode == GL_TRIANGLE_FAN ? 0.5f : 1.0f;  // fills premultiplied at half alpha
            EXPECT_EQ(call.mode, c.modes[i]);
            EXPECT_EQ(call.points.size(), c.counts[i]);
            EXPECT_FLOAT_EQ(call.colour.r, c.r * a);
            EXPECT_FLOAT_EQ(call.colour.g, c.g * a);
            EXPECT_FLOAT_EQ(call.colour.b, c.b * a);
            EXPECT_FLOAT_EQ(call.colour.a, a);
        }
        // The loop spans the shape in points: 20 per metre.
        const float size = c.shape == &box ? 20.0f : 40.0f;
        EXPECT_NEAR(extent(draw.calls[1], false), size, 1e-3f);
        EXPECT_NEAR(extent(draw.calls[1], true), size, 1e-3f);
        if (c.shape == &circle) {
            EXPECT_NEAR(extent(draw.calls[2], false), 20.0f, 1e-3f);  // the radius
        }
    }
}

}  // namespace
