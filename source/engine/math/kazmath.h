// 4x4 matrices (column-major, as GL expects) and the GL-style matrix stacks
// the scene graph pushes and pops during visit. Pure maths: no GL calls.
#pragma once

#include <cstring>
#include <vector>

#include "math/CCAffineTransform.h"

namespace cocos2d {

struct kmMat4 {
    float mat[16];  // column-major: mat[12], mat[13], mat[14] hold the translation
};

kmMat4* kmMat4Identity(kmMat4* out);
kmMat4* kmMat4Fill(kmMat4* out, const float* values);
// out = a * b (b is applied to a point first). out may alias a or b.
kmMat4* kmMat4Multiply(kmMat4* out, const kmMat4* a, const kmMat4* b);
kmMat4* kmMat4Translation(kmMat4* out, float x, float y, float z);
kmMat4* kmMat4Scaling(kmMat4* out, float x, float y, float z);
// Counter-clockwise about the axis, radians. A zero axis gives the identity.
kmMat4* kmMat4RotationAxisAngle(kmMat4* out, float x, float y, float z, float radians);
kmMat4* kmMat4OrthographicProjection(kmMat4* out, float left, float right, float bottom, float top, float nearVal,
                                     float farVal);
bool kmMat4AreEqual(const kmMat4* a, const kmMat4* b, float tolerance);
// (ours) The 4x4 form of a 2D affine transform.
kmMat4* kmMat4FromAffineTransform(kmMat4* out, const CCAffineTransform& t);

namespace detail {

// The stacks behind the kmGL calls. Defined here so that the calls every
// node's visit makes (push, multiply, read, pop) compile inline.
struct kmGLMatrixStacks {
    std::vector<kmMat4> stacks[3];  // model-view, projection, texture
    unsigned int mode = 0;          // index into stacks
    bool loggedReset = false;

    kmGLMatrixStacks();
    void reset();
};

extern kmGLMatrixStacks* g_kmGLStacks;
kmGLMatrixStacks& kmGLCreateStacks();
void kmGLPopRefused();

inline kmGLMatrixStacks& kmGLStacks() {
    if (__builtin_expect(g_kmGLStacks != nullptr, 1)) return *g_kmGLStacks;
    return kmGLCreateStacks();
}

inline std::vector<kmMat4>& kmGLCurrentStack() {
    kmGLMatrixStacks& s = kmGLStacks();
    return s.stacks[s.mode];
}

typedef float kmGLColumn __attribute__((vector_size(16)));

// out = m * the 4x4 form of t. The affine matrix has only a, b, c, d, tx, ty
// set; its third column is (0, 0, 1, 0), so column 2 of the product is
// column 2 of m. Whole columns are loaded and stored at once: the next push
// and the batcher read them as whole columns, and a column assembled from
// four scalar stores would stall those loads. out may be m.
inline void kmGLAffineProduct(const float* m, const CCAffineTransform& t, float* out) {
    kmGLColumn c0, c1, c3;
    std::memcpy(&c0, m, sizeof c0);
    std::memcpy(&c1, m + 4, sizeof c1);
    std::memcpy(&c3, m + 12, sizeof c3);
    const kmGLColumn r0 = c0 * t.a + c1 * t.b;
    const kmGLColumn r1 = c0 * t.c + c1 * t.d;
    const kmGLColumn r3 = c0 * t.tx + c1 * t.ty + c3;
    if (out != m) std::memcpy(out + 8, m + 8, 4 * sizeof(float));
    std::memcpy(out, &r0, sizeof r0);
    std::memcpy(out + 4, &r1, sizeof r1);
    std::memcpy(out + 12, &r3, sizeof r3);
}

}  // namespace detail

#define KM_GL_MODELVIEW 0x1700
#define KM_GL_PROJECTION 0x1701
#define KM_GL_TEXTURE 0x1702

// Every stack starts with one identity matrix and grows as needed.
void kmGLMatrixMode(unsigned int mode);
inline void kmGLPushMatrix() {
    std::vector<kmMat4>& s = detail::kmGLCurrentStack();
    const kmMat4 top = s.back();  // copied first: the push may reallocate
    s.push_back(top);
}
// A pop at the base matrix is refused and logged.
inline void kmGLPopMatrix() {
    std::vector<kmMat4>& s = detail::kmGLCurrentStack();
    if (__builtin_expect(s.size() <= 1, 0)) {
        detail::kmGLPopRefused();
        return;
    }
    s.pop_back();
}
void kmGLLoadIdentity();
void kmGLLoadMatrix(const kmMat4* m);
// current = current * m
void kmGLMultMatrix(const kmMat4* m);
// (ours) current = current * the 4x4 form of t, without building the 4x4:
// the scene graph does this once per node per frame.
inline void kmGLMultAffine(const CCAffineTransform& t) {
    detail::kmGLAffineProduct(detail::kmGLCurrentStack().back().mat, t, detail::kmGLCurrentStack().back().mat);
}
// (ours) kmGLPushMatrix then kmGLMultAffine(t) in one step: the product is
// written straight into the new entry, with no copy of the old top first.
inline void kmGLPushMultAffine(const CCAffineTransform& t) {
    std::vector<kmMat4>& s = detail::kmGLCurrentStack();
    kmMat4 product;  // made first: the push may reallocate
    detail::kmGLAffineProduct(s.back().mat, t, product.mat);
    s.push_back(product);
}
void kmGLTranslatef(float x, float y, float z);
// Degrees, counter-clockwise about the axis.
void kmGLRotatef(float angle, float x, float y, float z);
void kmGLScalef(float x, float y, float z);
void kmGLGetMatrix(unsigned int mode, kmMat4* out);
// (ours) The top of the model-view stack, read in place. Valid until the next
// push, pop or load on that stack.
inline const kmMat4& kmGLModelViewMatrix() { return detail::kmGLStacks().stacks[0].back(); }

// (ours) Matrices on the stack of `mode`, the base included (1 when balanced).
unsigned int kmGLGetStackDepth(unsigned int mode);
// (ours) Drops every matrix above the base of `mode`, keeping the base.
// Returns how many were dropped; the first time it drops any it logs, so an
// unbalanced push in drawing code cannot grow the stack frame after frame.
unsigned int kmGLResetStackDepth(unsigned int mode);
// (ours) Every stack back to a single identity and the mode to model-view.
void kmGLFreeAll();

}  // namespace cocos2d
