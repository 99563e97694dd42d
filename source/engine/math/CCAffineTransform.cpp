#include "math/CCAffineTransform.h"

#include <algorithm>
#include <cmath>

#include "platform/CCCommon.h"

namespace cocos2d {

const CCAffineTransform CCAffineTransformIdentity = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};

CCAffineTransform __CCAffineTransformMake(float a, float b, float c, float d, float tx, float ty) {
    return CCAffineTransform{a, b, c, d, tx, ty};
}

CCPoint __CCPointApplyAffineTransform(const CCPoint& p, const CCAffineTransform& t) {
    double x = p.x, y = p.y;
    return CCPoint(static_cast<float>(t.a * x + t.c * y + t.tx), static_cast<float>(t.b * x + t.d * y + t.ty));
}

CCSize __CCSizeApplyAffineTransform(const CCSize& s, const CCAffineTransform& t) {
    double w = s.width, h = s.height;
    return CCSize(static_cast<float>(t.a * w + t.c * h), static_cast<float>(t.b * w + t.d * h));
}

CCRect CCRectApplyAffineTransform(const CCRect& r, const CCAffineTransform& t) {
    const CCPoint corners[4] = {
        CCPointApplyAffineTransform(CCPoint(r.getMinX(), r.getMinY()), t),
        CCPointApplyAffineTransform(CCPoint(r.getMaxX(), r.getMinY()), t),
        CCPointApplyAffineTransform(CCPoint(r.getMinX(), r.getMaxY()), t),
        CCPointApplyAffineTransform(CCPoint(r.getMaxX(), r.getMaxY()), t),
    };
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const CCPoint& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    return CCRect(minX, minY, maxX - minX, maxY - minY);
}

CCAffineTransform CCAffineTransformMakeIdentity() { return CCAffineTransformIdentity; }

CCAffineTransform CCAffineTransformTranslate(const CCAffineTransform& t, float tx, float ty) {
    return CCAffineTransform{t.a, t.b, t.c, t.d, static_cast<float>(t.tx + double(t.a) * tx + double(t.c) * ty),
                             static_cast<float>(t.ty + double(t.b) * tx + double(t.d) * ty)};
}

CCAffineTransform CCAffineTransformRotate(const CCAffineTransform& t, float angle) {
    double s = std::sin(double(angle)), c = std::cos(double(angle));
    return CCAffineTransform{static_cast<float>(t.a * c + t.c * s), static_cast<float>(t.b * c + t.d * s),
                             static_cast<float>(t.c * c - t.a * s), static_cast<float>(t.d * c - t.b * s), t.tx,
                             t.ty};
}

CCAffineTransform CCAffineTransformScale(const CCAffineTransform& t, float sx, float sy) {
    return CCAffineTransform{t.a * sx, t.b * sx, t.c * sy, t.d * sy, t.tx, t.ty};
}

CCAffineTransform CCAffineTransformConcat(const CCAffineTransform& t1, const CCAffineTransform& t2) {
    double a1 = t1.a, b1 = t1.b, c1 = t1.c, d1 = t1.d, x1 = t1.tx, y1 = t1.ty;
    return CCAffineTransform{static_cast<float>(a1 * t2.a + b1 * t2.c), static_cast<float>(a1 * t2.b + b1 * t2.d),
                             static_cast<float>(c1 * t2.a + d1 * t2.c), static_cast<float>(c1 * t2.b + d1 * t2.d),
                             static_cast<float>(x1 * t2.a + y1 * t2.c + t2.tx),
                             static_cast<float>(x1 * t2.b + y1 * t2.d + t2.ty)};
}

bool CCAffineTransformEqualToTransform(const CCAffineTransform& t1, const CCAffineTransform& t2) {
    return t1.a == t2.a && t1.b == t2.b && t1.c == t2.c && t1.d == t2.d && t1.tx == t2.tx && t1.ty == t2.ty;
}

CCAffineTransform CCAffineTransformInvert(const CCAffineTransform& t) {
    double a = t.a, b = t.b, c = t.c, d = t.d, tx = t.tx, ty = t.ty;
    double det = a * d - b * c;
    if (!(std::fabs(det) >= 1e-12) || !std::isfinite(det)) {
        CCLog("[CCAffineTransform] cannot invert a singular transform (det %g); using the identity", det);
        return CCAffineTransformIdentity;
    }
    double inv = 1.0 / det;
    return CCAffineTransform{static_cast<float>(d * inv), static_cast<float>(-b * inv), static_cast<float>(-c * inv),
                             static_cast<float>(a * inv), static_cast<float>((c * ty - d * tx) * inv),
                             static_cast<float>((b * tx - a * ty) * inv)};
}

}  // namespace cocos2d
