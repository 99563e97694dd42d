// GLESDebugDraw: the physics world's debug view. Each shape, joint and
// transform the world reports is converted from metres to points and drawn
// with the shader cache's "ShaderPosition_uColor": outlines opaque, fills at
// half alpha (premultiplied, so the colour is halved too).
// Guarantees: every draw goes through submit, one call per GL draw, in the
// order the calls are made; headless (no GL context) submit draws nothing.
// A negative or zero vertex count draws nothing. The program is looked up at
// each draw and held while in use, so a purged shader cache is never reached
// through a freed pointer.
#pragma once

#include <cstdint>

#include "gl/CCGL.h"
#include "gl/ccGLTypes.h"
#include "math/ccTypes.h"
#include "physics/PhysicsGuard.h"

namespace cocos2d {
class CCGLProgram;
}

// The physics switches of a game field. Only the draw flags are read: the
// world step uses its own fixed rate and iterations.
struct PhysicsDrawSettings {
    float hz = 60.0f;
    int velocityIterations = 10;
    int positionIterations = 4;
    int drawShapes = 1;
    int drawJoints = 1;
    int drawAABBs = 0;
    int drawPairs = 0;
    int drawContactPoints = 0;
    int drawContactNormals = 0;
    int drawContactImpulse = 0;
    int drawFrictionImpulse = 0;
    int drawCOMs = 0;
    int drawStats = 0;
    int enableWarmStarting = 1;
    int enableContinuous = 1;
    int pause = 0;
    int singleStep = 0;

    // The b2Draw flag word: shapes, joints, boxes, pairs, centres of mass
    // (any non-zero switch sets its bit).
    uint32_t drawFlags() const;
};

class GLESDebugDraw : public physics::DrawBase {
public:
    // Points per metre.
    static constexpr float kRatio = 20.0f;
    // Vertices of a circle.
    static constexpr int kCircleSegments = 16;

    GLESDebugDraw() = default;
    ~GLESDebugDraw() override;
    GLESDebugDraw(const GLESDebugDraw&) = delete;
    GLESDebugDraw& operator=(const GLESDebugDraw&) = delete;

    void DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
    void DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
    void DrawCircle(const b2Vec2& center, float radius, const b2Color& color) override;
    void DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis, const b2Color& color) override;
    void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) override;
    void DrawTransform(const b2Transform& xf) override;

protected:
    // One draw of `count` points (in points) as GL_LINE_LOOP, GL_TRIANGLE_FAN
    // or GL_LINES with a colour used as given.
    virtual void submit(GLenum mode, const cocos2d::ccVertex2F* points, int count, const cocos2d::ccColor4F& colour);

private:
    void drawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color, bool solid);
    void drawOutlineAndFill(const cocos2d::ccVertex2F* points, int count, const b2Color& color, bool solid);

    cocos2d::CCGLProgram* m_program = nullptr;  // retained
    GLint m_colorLocation = -1;
};
