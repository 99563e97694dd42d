#include "gl/CCDrawingPrimitives.h"

#include "gl/CCGL.h"
#include "gl/CCGLProgram.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"

namespace cocos2d {

namespace {

ccColor4F g_color = {1.0f, 1.0f, 1.0f, 1.0f};
CCGLProgram* g_program = nullptr;  // owned by the shader cache
GLint g_colorLocation = -1;

// Flush, program with the current model-view, colour, position attribute.
bool prepare(const ccColor4F& color) {
    if (!g_program) {
        g_program = CCShaderCache::sharedShaderCache()->programForKey(kCCShader_Position_uColor);
        if (!g_program) return false;
        g_colorLocation = g_program->getUniformLocationForName("u_color");
    }
    ccGLBlendFunc(CC_BLEND_SRC, CC_BLEND_DST);
    g_program->use();
    g_program->setUniformsForBuiltins();
    g_program->setUniformLocationWith4f(g_colorLocation, color.r, color.g, color.b, color.a);
    ccGLEnableVertexAttribs(kCCVertexAttribFlag_Position);
    return true;
}

void drawVertices(GLenum mode, const ccVertex2F* vertices, GLsizei count) {
    if (ccGLHasContext()) {
        // Client arrays: no buffer may be bound for the pointer to mean memory.
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glVertexAttribPointer(kCCVertexAttrib_Position, 2, GL_FLOAT, GL_FALSE, 0, vertices);
        glDrawArrays(mode, 0, count);
    }
    CC_INCREMENT_GL_DRAWS(1);
}

void rectCorners(const CCPoint& o, const CCPoint& d, ccVertex2F out[4]) {
    out[0] = ccVertex2F{o.x, o.y};
    out[1] = ccVertex2F{d.x, o.y};
    out[2] = ccVertex2F{d.x, d.y};
    out[3] = ccVertex2F{o.x, d.y};
}

}  // namespace

void ccDrawColor4F(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { g_color = ccColor4F{r, g, b, a}; }

void ccDrawColor4B(GLubyte r, GLubyte g, GLubyte b, GLubyte a) {
    g_color = ccColor4F{r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f};
}

void ccDrawRect(CCPoint origin, CCPoint destination) {
    if (!prepare(g_color)) return;
    ccVertex2F v[4];
    rectCorners(origin, destination, v);
    drawVertices(GL_LINE_LOOP, v, 4);
}

void ccDrawSolidRect(CCPoint origin, CCPoint destination, ccColor4F color) {
    if (!prepare(color)) return;
    ccVertex2F v[4];
    rectCorners(origin, destination, v);
    drawVertices(GL_TRIANGLE_FAN, v, 4);
}

void ccDrawFree() {
    g_program = nullptr;
    g_colorLocation = -1;
}

}  // namespace cocos2d
