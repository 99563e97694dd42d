// Vertex and blend types shared by the programs, the batcher and the nodes
// that draw.
#pragma once

#include "gl/CCGL.h"
#include "math/ccTypes.h"

namespace cocos2d {

struct ccVertex2F {
    GLfloat x = 0, y = 0;
};
struct ccVertex3F {
    GLfloat x = 0, y = 0, z = 0;
};
struct ccTex2F {
    GLfloat u = 0, v = 0;
};

// One vertex as the batch and the standard program consume it.
struct ccV3F_C4B_T2F {
    ccVertex3F vertices;
    ccColor4B colors;
    ccTex2F texCoords;
};

// The four corners of a quad: top left, bottom left, top right, bottom right.
struct ccV3F_C4B_T2F_Quad {
    ccV3F_C4B_T2F tl;
    ccV3F_C4B_T2F bl;
    ccV3F_C4B_T2F tr;
    ccV3F_C4B_T2F br;
};

struct ccBlendFunc {
    GLenum src = GL_ONE;
    GLenum dst = GL_ONE_MINUS_SRC_ALPHA;
};

inline bool operator==(const ccBlendFunc& a, const ccBlendFunc& b) { return a.src == b.src && a.dst == b.dst; }
inline bool operator!=(const ccBlendFunc& a, const ccBlendFunc& b) { return !(a == b); }

// Premultiplied alpha throughout: this is the default blend.
#define CC_BLEND_SRC GL_ONE
#define CC_BLEND_DST GL_ONE_MINUS_SRC_ALPHA

inline ccBlendFunc ccBlendFuncMake(GLenum src, GLenum dst) {
    ccBlendFunc b;
    b.src = src;
    b.dst = dst;
    return b;
}
static const ccBlendFunc kCCBlendFuncDisable = {GL_ONE, GL_ZERO};

}  // namespace cocos2d
