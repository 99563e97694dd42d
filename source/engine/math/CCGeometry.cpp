#include "math/CCGeometry.h"

namespace cocos2d {

const CCPoint CCPointZero(0, 0);
const CCSize CCSizeZero(0, 0);
const CCRect CCRectZero(0, 0, 0, 0);

bool ccpLineIntersect(const CCPoint& A, const CCPoint& B, const CCPoint& C, const CCPoint& D, float* S, float* T) {
    if ((A.x == B.x && A.y == B.y) || (C.x == D.x && C.y == D.y)) return false;
    const float BAx = B.x - A.x, BAy = B.y - A.y;
    const float DCx = D.x - C.x, DCy = D.y - C.y;
    const float ACx = A.x - C.x, ACy = A.y - C.y;
    const float denom = DCy * BAx - DCx * BAy;
    if (denom == 0) return false;  // parallel or coincident
    float s = (DCx * ACy - DCy * ACx) / denom;
    float t = (BAx * ACy - BAy * ACx) / denom;
    if (S) *S = s;
    if (T) *T = t;
    return true;
}

bool ccpSegmentIntersect(const CCPoint& A, const CCPoint& B, const CCPoint& C, const CCPoint& D) {
    float s = 0, t = 0;
    return ccpLineIntersect(A, B, C, D, &s, &t) && s >= 0.0f && s <= 1.0f && t >= 0.0f && t <= 1.0f;
}

CCPoint ccpIntersectPoint(const CCPoint& A, const CCPoint& B, const CCPoint& C, const CCPoint& D) {
    float s = 0, t = 0;
    if (ccpLineIntersect(A, B, C, D, &s, &t)) return CCPoint(A.x + s * (B.x - A.x), A.y + s * (B.y - A.y));
    return CCPointZero;
}

}  // namespace cocos2d
