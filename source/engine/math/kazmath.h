// 4x4 matrices (column-major, as GL expects) and the GL-style matrix stacks
// the scene graph pushes and pops during visit. Pure maths: no GL calls.
#pragma once

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
kmMat4* kmMat4OrthographicProjection(kmMat4* out, float left, float right, float bottom, float top,
                                     float nearVal, float farVal);
bool kmMat4AreEqual(const kmMat4* a, const kmMat4* b, float tolerance);
// (ours) The 4x4 form of a 2D affine transform.
kmMat4* kmMat4FromAffineTransform(kmMat4* out, const CCAffineTransform& t);

#define KM_GL_MODELVIEW 0x1700
#define KM_GL_PROJECTION 0x1701
#define KM_GL_TEXTURE 0x1702

// Every stack starts with one identity matrix and grows as needed.
void kmGLMatrixMode(unsigned int mode);
void kmGLPushMatrix();
// A pop at the base matrix is refused and logged.
void kmGLPopMatrix();
void kmGLLoadIdentity();
void kmGLLoadMatrix(const kmMat4* m);
// current = current * m
void kmGLMultMatrix(const kmMat4* m);
// (ours) current = current * the 4x4 form of t, without building the 4x4:
// the scene graph does this once per node per frame.
void kmGLMultAffine(const CCAffineTransform& t);
void kmGLTranslatef(float x, float y, float z);
// Degrees, counter-clockwise about the axis.
void kmGLRotatef(float angle, float x, float y, float z);
void kmGLScalef(float x, float y, float z);
void kmGLGetMatrix(unsigned int mode, kmMat4* out);
// (ours) The top of the model-view stack, read in place. Valid until the next
// push, pop or load on that stack.
const kmMat4& kmGLModelViewMatrix();

// (ours) Matrices on the stack of `mode`, the base included (1 when balanced).
unsigned int kmGLGetStackDepth(unsigned int mode);
// (ours) Drops every matrix above the base of `mode`, keeping the base.
// Returns how many were dropped; the first time it drops any it logs, so an
// unbalanced push in drawing code cannot grow the stack frame after frame.
unsigned int kmGLResetStackDepth(unsigned int mode);
// (ours) Every stack back to a single identity and the mode to model-view.
void kmGLFreeAll();

}  // namespace cocos2d
