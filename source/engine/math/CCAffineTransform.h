// 2D affine transforms. A point maps to (a*x + c*y + tx, b*x + d*y + ty).
#pragma once

#include "math/CCGeometry.h"

namespace cocos2d {

struct CCAffineTransform {
    float a, b, c, d;
    float tx, ty;
};

CCAffineTransform __CCAffineTransformMake(float a, float b, float c, float d, float tx, float ty);
#define CCAffineTransformMake __CCAffineTransformMake

CCPoint __CCPointApplyAffineTransform(const CCPoint& point, const CCAffineTransform& t);
#define CCPointApplyAffineTransform __CCPointApplyAffineTransform

// Sizes are vectors: the translation is not applied.
CCSize __CCSizeApplyAffineTransform(const CCSize& size, const CCAffineTransform& t);
#define CCSizeApplyAffineTransform __CCSizeApplyAffineTransform

// The axis-aligned bounds of the transformed rectangle.
CCRect CCRectApplyAffineTransform(const CCRect& rect, const CCAffineTransform& t);

CCAffineTransform CCAffineTransformMakeIdentity();
extern const CCAffineTransform CCAffineTransformIdentity;

// Translate, Rotate and Scale apply the new step first, then t.
CCAffineTransform CCAffineTransformTranslate(const CCAffineTransform& t, float tx, float ty);
// Counter-clockwise, in radians.
CCAffineTransform CCAffineTransformRotate(const CCAffineTransform& t, float angle);
CCAffineTransform CCAffineTransformScale(const CCAffineTransform& t, float sx, float sy);
// Applies t1, then t2.
CCAffineTransform CCAffineTransformConcat(const CCAffineTransform& t1, const CCAffineTransform& t2);
bool CCAffineTransformEqualToTransform(const CCAffineTransform& t1, const CCAffineTransform& t2);
// A singular transform (|det| < 1e-12) gives the identity and a log line,
// so no infinity or NaN reaches the scene graph.
CCAffineTransform CCAffineTransformInvert(const CCAffineTransform& t);

}  // namespace cocos2d
