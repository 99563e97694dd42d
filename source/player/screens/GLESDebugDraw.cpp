#include "player/screens/GLESDebugDraw.h"

#include <cmath>
#include <vector>

#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"

using cocos2d::ccColor4F;
using cocos2d::ccVertex2F;

namespace {

constexpr float kCircleStep = 0.39269909f;  // 2 pi / 16
constexpr float kAxisLength = 0.4f;

ccVertex2F toPoints(const b2Vec2& v) {
    ccVertex2F p;
    p.x = v.x * GLESDebugDraw::kRatio;
    p.y = v.y * GLESDebugDraw::kRatio;
    return p;
}

ccColor4F opaque(const b2Color& c) { return ccColor4F{c.r, c.g, c.b, 1.0f}; }
ccColor4F halfAlpha(const b2Color& c) { return ccColor4F{0.5f * c.r, 0.5f * c.g, 0.5f * c.b, 0.5f}; }

void circlePoints(const b2Vec2& center, float radius, ccVertex2F out[GLESDebugDraw::kCircleSegments]) {
    for (int i = 0; i < GLESDebugDraw::kCircleSegments; ++i) {
        const float theta = static_cast<float>(i) * kCircleStep;
        out[i] = toPoints(center + radius * b2Vec2(std::cos(theta), std::sin(theta)));
    }
}

}  // namespace

uint32_t PhysicsDrawSettings::drawFlags() const {
    uint32_t flags = 0;
    if (drawShapes) flags |= b2Draw::e_shapeBit;
    if (drawJoints) flags |= b2Draw::e_jointBit;
    if (drawAABBs) flags |= b2Draw::e_aabbBit;
    if (drawPairs) flags |= b2Draw::e_pairBit;
    if (drawCOMs) flags |= b2Draw::e_centerOfMassBit;
    return flags;
}

GLESDebugDraw::~GLESDebugDraw() {
    if (m_program) m_program->release();
}

void GLESDebugDraw::drawOutlineAndFill(const ccVertex2F* points, int count, const b2Color& color, bool solid) {
    if (solid) submit(GL_TRIANGLE_FAN, points, count, halfAlpha(color));
    submit(GL_LINE_LOOP, points, count, opaque(color));
}

void GLESDebugDraw::drawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color, bool solid) {
    if (!vertices || vertexCount <= 0) return;
    std::vector<ccVertex2F> points(static_cast<size_t>(vertexCount));
    for (int32 i = 0; i < vertexCount; ++i) points[static_cast<size_t>(i)] = toPoints(vertices[i]);
    drawOutlineAndFill(points.data(), vertexCount, color, solid);
}

void GLESDebugDraw::DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) {
    drawPolygon(vertices, vertexCount, color, false);
}

void GLESDebugDraw::DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) {
    drawPolygon(vertices, vertexCount, color, true);
}

void GLESDebugDraw::DrawCircle(const b2Vec2& center, float radius, const b2Color& color) {
    ccVertex2F points[kCircleSegments];
    circlePoints(center, radius, points);
    drawOutlineAndFill(points, kCircleSegments, color, false);
}

void GLESDebugDraw::DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis, const b2Color& color) {
    ccVertex2F points[kCircleSegments];
    circlePoints(center, radius, points);
    drawOutlineAndFill(points, kCircleSegments, color, true);
    DrawSegment(center, center + radius * axis, color);
}

void GLESDebugDraw::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) {
    const ccVertex2F points[2] = {toPoints(p1), toPoints(p2)};
    submit(GL_LINES, points, 2, opaque(color));
}

void GLESDebugDraw::DrawTransform(const b2Transform& xf) {
    const b2Vec2& p = xf.p;
    DrawSegment(p, p + kAxisLength * xf.q.GetXAxis(), b2Color(1.0f, 0.0f, 0.0f));
    DrawSegment(p, p + kAxisLength * xf.q.GetYAxis(), b2Color(0.0f, 1.0f, 0.0f));
}

void GLESDebugDraw::submit(GLenum mode, const ccVertex2F* points, int count, const ccColor4F& colour) {
    if (!cocos2d::ccGLHasContext() || count <= 0) return;
    cocos2d::CCGLProgram* program =
        cocos2d::CCShaderCache::sharedShaderCache()->programForKey(kCCShader_Position_uColor);
    if (!program) return;
    if (program != m_program) {
        program->retain();
        if (m_program) m_program->release();
        m_program = program;
        m_colorLocation = program->getUniformLocationForName("u_color");
    }
    m_program->use();
    m_program->setUniformsForBuiltins();
    m_program->setUniformLocationWith4f(m_colorLocation, colour.r, colour.g, colour.b, colour.a);
    cocos2d::ccGLEnableVertexAttribs(cocos2d::kCCVertexAttribFlag_Position);
    // Client arrays: no buffer may be bound for the pointer to mean memory.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glVertexAttribPointer(cocos2d::kCCVertexAttrib_Position, 2, GL_FLOAT, GL_FALSE, 0, points);
    glDrawArrays(mode, 0, count);
    CC_INCREMENT_GL_DRAWS(1);
}
