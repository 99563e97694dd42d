// The GL state cache: the engine remembers the current program, texture,
// blend and enabled vertex attributes, and only tells the driver about
// changes. Every public call here is also a batch flush point, so raw GL
// drawn after one of them lands above the quads submitted before it.
#pragma once

#include <type_traits>

#include "gl/CCGL.h"
#include "gl/ccGLTypes.h"

namespace cocos2d {

class CCGLProgram;

enum {
    kCCVertexAttrib_Position = 0,
    kCCVertexAttrib_Color = 1,
    kCCVertexAttrib_TexCoords = 2,
    kCCVertexAttrib_MAX = 3,
};

enum {
    kCCVertexAttribFlag_None = 0,
    kCCVertexAttribFlag_Position = 1 << 0,
    kCCVertexAttribFlag_Color = 1 << 1,
    kCCVertexAttribFlag_TexCoords = 1 << 2,
    kCCVertexAttribFlag_PosColorTex = kCCVertexAttribFlag_Position | kCCVertexAttribFlag_Color | kCCVertexAttribFlag_TexCoords,
};

void ccGLUseProgram(GLuint program);
void ccGLDeleteProgram(GLuint program);
void ccGLBindTexture2D(GLuint textureId);
void ccGLDeleteTexture(GLuint textureId);
void ccGLBlendFunc(GLenum sfactor, GLenum dfactor);
// Sets the default (premultiplied) blend.
void ccGLBlendResetToCache();
void ccGLEnableVertexAttribs(unsigned int flags);
// Forgets every cached value (a new context, or raw GL that changed state
// behind the cache's back) and unbinds GL_ARRAY_BUFFER.
void ccGLInvalidateStateCache();

// (ours) Draw-call accounting. CC_INCREMENT_GL_DRAWS adds to the frame's
// count; ccGLEndFrame flushes the batch and makes this frame's count the
// "last frame" figure the director reports.
void ccGLAddDrawCalls(unsigned int n);
unsigned int ccGLDrawCallsThisFrame();
unsigned int ccGLDrawCallsLastFrame();
void ccGLEndFrame();

// (ours) The setup behind CC_NODE_DRAW_SETUP: flush, default blend, and the
// program with its built-in uniforms from the current matrices (null: only
// flush and blend).
void ccGLNodeDrawSetup(CCGLProgram* program);

namespace detail {
template <class T>
auto nodeDrawSetup(T* node, int) -> decltype(static_cast<CCGLProgram*>(node->getShaderProgram()), void()) {
    ccGLNodeDrawSetup(node->getShaderProgram());
}
template <class T>
void nodeDrawSetup(T*, long) {
    ccGLNodeDrawSetup(nullptr);
}
}  // namespace detail

}  // namespace cocos2d

// Inside a node's draw: nodes with getShaderProgram() use their program; any
// other node only flushes and sets the default blend.
#define CC_NODE_DRAW_SETUP() ::cocos2d::detail::nodeDrawSetup(this, 0)
#define CC_INCREMENT_GL_DRAWS(n) ::cocos2d::ccGLAddDrawCalls(static_cast<unsigned int>(n))
