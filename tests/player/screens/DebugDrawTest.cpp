// The physics debug drawer, recorded at its one draw call: what a world's
// debug pass sends for a box, a circle and a transform, in points, with the
// fills at half alpha; and the GL version drawing nothing headless.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "gl/ccGLStateCache.h"
#include "physics/PhysicsGuard.h"
#include "player/screens/GLESDebugDraw.h"

using cocos2d::ccColor4F;
using cocos2d::ccVertex2F;

namespace {

class RecordingDraw : public GLESDebugDraw {
public:
    struct Call {
        GLenum mode;
        std::vector<ccVertex2F> points;
        ccColor4F colour;
    };
    std::vector<Call> calls;

protected:
    void submit(GLenum mode, const ccVertex2F* points, int count, const ccColor4F& colour) override {
        calls.push_back(Call{mode, std::vector<ccVertex2F>(points, points + count), colour});
    }
};

struct Expected {
    GLenum mode;
    size_t count;
    ccColor4F colour;
};

// A world with one body of that type at `at` holding `shape`, drawn with the
// game field's default flags.
void drawWorld(GLESDebugDraw& draw, b2BodyType type, const b2Vec2& at, const b2Shape& shape) {
    b2World world(b2Vec2(0.0f, 0.0f));
    draw.SetFlags(PhysicsDrawSettings().drawFlags());
    world.SetDebugDraw(&draw);
    b2BodyDef def;
    def.type = type;
    def.position = at;
    b2Body* body = physics::createBody(&world, def);
    b2FixtureDef fixture;
    fixture.shape = &shape;
    fixture.density = 1.0f;
    ASSERT_NE(physics::createFixture(body, fixture), nullptr);
    world.DebugDraw();
}

b2PolygonShape unitBox() {
    b2PolygonShape box;
    box.SetAsBox(0.5f, 0.5f);
    return box;
}

b2CircleShape circle(float radius) {
    b2CircleShape c;
    c.m_radius = radius;
    return c;
}

struct DrawCase {
    const char* name;
    std::function<void(RecordingDraw&)> draw;
    std::vector<Expected> calls;
    // Extent of the points of call `measured`, in points.
    size_t measured;
    float width;
    float height;
};

const ccColor4F kStaticFill{0.25f, 0.45f, 0.25f, 0.5f};
const ccColor4F kStaticLine{0.5f, 0.9f, 0.5f, 1.0f};
const ccColor4F kDynamicFill{0.45f, 0.35f, 0.35f, 0.5f};
const ccColor4F kDynamicLine{0.9f, 0.7f, 0.7f, 1.0f};

TEST(DebugDraw, RecordedCallsOfAWorldsDebugPass) {
    const std::vector<DrawCase> cases = {
        {"static 1 x 1 m box: a 20 x 20 point loop over a half-alpha fan",
         [](RecordingDraw& d) { drawWorld(d, b2_staticBody, b2Vec2(2.0f, 3.0f), unitBox()); },
         {{GL_TRIANGLE_FAN, 4, kStaticFill}, {GL_LINE_LOOP, 4, kStaticLine}},
         1,
         20.0f,
         20.0f},
        {"dynamic solid circle: 16 fan, 16 loop and the radius",
         [](RecordingDraw& d) { drawWorld(d, b2_dynamicBody, b2Vec2(-1.0f, 1.0f), circle(1.0f)); },
         {{GL_TRIANGLE_FAN, 16, kDynamicFill}, {GL_LINE_LOOP, 16, kDynamicLine}, {GL_LINES, 2, kDynamicLine}},
         2,
         20.0f,
         0.0f},
        {"outline polygon: one loop",
         [](RecordingDraw& d) {
             const b2Vec2 v[3] = {{0.0f, 0.0f}, {2.0f, 0.0f}, {0.0f, 1.0f}};
             d.DrawPolygon(v, 3, b2Color(0.1f, 0.2f, 0.3f));
         },
         {{GL_LINE_LOOP, 3, {0.1f, 0.2f, 0.3f, 1.0f}}},
         0,
         40.0f,
         20.0f},
        {"transform: red x axis then green y axis, 0.4 m each",
         [](RecordingDraw& d) { d.DrawTransform(b2Transform(b2Vec2(1.0f, 1.0f), b2Rot(0.0f))); },
         {{GL_LINES, 2, {1.0f, 0.0f, 0.0f, 1.0f}}, {GL_LINES, 2, {0.0f, 1.0f, 0.0f, 1.0f}}},
         1,
         0.0f,
         8.0f},
        {"no vertices: nothing", [](RecordingDraw& d) { d.DrawSolidPolygon(nullptr, 0, b2Color(1, 1, 1)); }, {}, 0,
         0.0f, 0.0f},
    };
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDraw draw;
        c.draw(draw);
        ASSERT_EQ(draw.calls.size(), c.calls.size());
        for (size_t i = 0; i < c.calls.size(); ++i) {
            SCOPED_TRACE(i);
            const RecordingDraw::Call& got = draw.calls[i];
            EXPECT_EQ(got.mode, c.calls[i].mode);
            EXPECT_EQ(got.points.size(), c.calls[i].count);
            EXPECT_FLOAT_EQ(got.colour.r, c.calls[i].colour.r);
            EXPECT_FLOAT_EQ(got.colour.g, c.calls[i].colour.g);
            EXPECT_FLOAT_EQ(got.colour.b, c.calls[i].colour.b);
            EXPECT_FLOAT_EQ(got.colour.a, c.calls[i].colour.a);
        }
        if (c.calls.empty()) continue;
        // The fan and the loop of one shape share their points.
        if (draw.calls.size() > 1 && draw.calls[0].mode == GL_TRIANGLE_FAN) {
            for (size_t k = 0; k < draw.calls[0].points.size(); ++k) {
                EXPECT_FLOAT_EQ(draw.calls[0].points[k].x, draw.calls[1].points[k].x);
                EXPECT_FLOAT_EQ(draw.calls[0].points[k].y, draw.calls[1].points[k].y);
            }
        }
        const std::vector<ccVertex2F>& points = draw.calls[c.measured].points;
        float minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
        for (const ccVertex2F& p : points) {
            minX = std::min(minX, p.x);
            maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y);
            maxY = std::max(maxY, p.y);
        }
        EXPECT_NEAR(maxX - minX, c.width, 1e-4f);
        EXPECT_NEAR(maxY - minY, c.height, 1e-4f);
    }
}

// Without a GL context the real drawer issues no draw at all.
TEST(DebugDraw, HeadlessDrawsNothing) {
    ASSERT_FALSE(cocos2d::ccGLHasContext());
    const unsigned before = cocos2d::ccGLDrawCallsThisFrame();
    GLESDebugDraw draw;
    drawWorld(draw, b2_dynamicBody, b2Vec2(0.0f, 0.0f), circle(1.0f));
    drawWorld(draw, b2_staticBody, b2Vec2(0.0f, 0.0f), unitBox());
    EXPECT_EQ(cocos2d::ccGLDrawCallsThisFrame(), before);
}

}  // namespace
