// Points, sizes and rectangles. Point equality is exact; rectangles are closed
// (touching edges intersect and contain).
#pragma once

#include <cmath>

namespace cocos2d {

class CCPoint {
public:
    float x = 0, y = 0;

    CCPoint() = default;
    CCPoint(float px, float py) : x(px), y(py) {}

    void setPoint(float px, float py) { x = px; y = py; }
    CCPoint operator+(const CCPoint& o) const { return CCPoint(x + o.x, y + o.y); }
    CCPoint operator-(const CCPoint& o) const { return CCPoint(x - o.x, y - o.y); }
    CCPoint operator-() const { return CCPoint(-x, -y); }
    CCPoint operator*(float s) const { return CCPoint(x * s, y * s); }
    CCPoint operator/(float s) const { return CCPoint(x / s, y / s); }
    bool operator==(const CCPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CCPoint& o) const { return !(*this == o); }
    bool equals(const CCPoint& o) const { return *this == o; }
    // Each axis within +-variance.
    bool fuzzyEquals(const CCPoint& o, float variance) const {
        return x - variance <= o.x && o.x <= x + variance && y - variance <= o.y && o.y <= y + variance;
    }

    float getLength() const { return std::sqrt(x * x + y * y); }
    float getLengthSq() const { return x * x + y * y; }
    float getDistance(const CCPoint& o) const { return (*this - o).getLength(); }
    float dot(const CCPoint& o) const { return x * o.x + y * o.y; }
    float cross(const CCPoint& o) const { return x * o.y - y * o.x; }
    float getAngle() const { return std::atan2(y, x); }
    // A vector shorter than FLT_EPSILON is left unchanged.
    CCPoint normalize() const {
        float len = getLength();
        if (len < 1.1920929e-7f) return *this;
        return CCPoint(x / len, y / len);
    }
    // Counter-clockwise about the pivot by angle radians.
    CCPoint rotateByAngle(const CCPoint& pivot, float angle) const {
        float c = std::cos(angle), s = std::sin(angle);
        CCPoint d = *this - pivot;
        return pivot + CCPoint(d.x * c - d.y * s, d.x * s + d.y * c);
    }
    static CCPoint forAngle(float a) { return CCPoint(std::cos(a), std::sin(a)); }
};

class CCSize {
public:
    float width = 0, height = 0;

    CCSize() = default;
    CCSize(float w, float h) : width(w), height(h) {}

    void setSize(float w, float h) { width = w; height = h; }
    CCSize operator+(const CCSize& o) const { return CCSize(width + o.width, height + o.height); }
    CCSize operator-(const CCSize& o) const { return CCSize(width - o.width, height - o.height); }
    CCSize operator*(float s) const { return CCSize(width * s, height * s); }
    CCSize operator/(float s) const { return CCSize(width / s, height / s); }
    bool operator==(const CCSize& o) const { return width == o.width && height == o.height; }
    bool operator!=(const CCSize& o) const { return !(*this == o); }
    bool equals(const CCSize& o) const { return *this == o; }
};

class CCRect {
public:
    CCPoint origin;
    CCSize size;

    CCRect() = default;
    CCRect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}

    void setRect(float x, float y, float w, float h) { origin.setPoint(x, y); size.setSize(w, h); }
    float getMinX() const { return origin.x; }
    float getMidX() const { return origin.x + size.width / 2.0f; }
    float getMaxX() const { return origin.x + size.width; }
    float getMinY() const { return origin.y; }
    float getMidY() const { return origin.y + size.height / 2.0f; }
    float getMaxY() const { return origin.y + size.height; }
    bool equals(const CCRect& o) const { return origin == o.origin && size == o.size; }
    bool operator==(const CCRect& o) const { return equals(o); }
    bool operator!=(const CCRect& o) const { return !equals(o); }
    bool containsPoint(const CCPoint& p) const {
        return p.x >= getMinX() && p.x <= getMaxX() && p.y >= getMinY() && p.y <= getMaxY();
    }
    bool intersectsRect(const CCRect& r) const {
        return !(getMaxX() < r.getMinX() || r.getMaxX() < getMinX() || getMaxY() < r.getMinY() ||
                 r.getMaxY() < getMinY());
    }
    // (ours) Min and max of both rectangles; a zero rectangle is not special.
    CCRect unionWithRect(const CCRect& r) const {
        float minX = std::fmin(getMinX(), r.getMinX()), minY = std::fmin(getMinY(), r.getMinY());
        float maxX = std::fmax(getMaxX(), r.getMaxX()), maxY = std::fmax(getMaxY(), r.getMaxY());
        return CCRect(minX, minY, maxX - minX, maxY - minY);
    }
};

extern const CCPoint CCPointZero;
extern const CCSize CCSizeZero;
extern const CCRect CCRectZero;

inline CCPoint ccp(float x, float y) { return CCPoint(x, y); }
inline CCPoint CCPointMake(float x, float y) { return CCPoint(x, y); }
inline CCSize CCSizeMake(float w, float h) { return CCSize(w, h); }
inline CCRect CCRectMake(float x, float y, float w, float h) { return CCRect(x, y, w, h); }

inline CCPoint ccpAdd(const CCPoint& a, const CCPoint& b) { return a + b; }
inline CCPoint ccpSub(const CCPoint& a, const CCPoint& b) { return a - b; }
inline CCPoint ccpNeg(const CCPoint& a) { return -a; }
inline CCPoint ccpMult(const CCPoint& a, float s) { return a * s; }
inline float ccpDot(const CCPoint& a, const CCPoint& b) { return a.dot(b); }
inline float ccpCross(const CCPoint& a, const CCPoint& b) { return a.cross(b); }
inline float ccpLength(const CCPoint& a) { return a.getLength(); }
inline float ccpLengthSQ(const CCPoint& a) { return a.getLengthSq(); }
inline float ccpDistance(const CCPoint& a, const CCPoint& b) { return a.getDistance(b); }
inline CCPoint ccpNormalize(const CCPoint& a) { return a.normalize(); }
inline CCPoint ccpForAngle(float a) { return CCPoint::forAngle(a); }
inline float ccpToAngle(const CCPoint& a) { return a.getAngle(); }
inline CCPoint ccpRotateByAngle(const CCPoint& v, const CCPoint& pivot, float angle) {
    return v.rotateByAngle(pivot, angle);
}
inline bool ccpFuzzyEqual(const CCPoint& a, const CCPoint& b, float variance) { return a.fuzzyEquals(b, variance); }
inline CCPoint ccpMidpoint(const CCPoint& a, const CCPoint& b) { return (a + b) * 0.5f; }

// Infinite lines A-B and C-D; false for parallel or coincident lines.
// S is the parameter along A->B and T along C->D of the crossing.
bool ccpLineIntersect(const CCPoint& A, const CCPoint& B, const CCPoint& C, const CCPoint& D, float* S, float* T);
// Segments, end points included.
bool ccpSegmentIntersect(const CCPoint& A, const CCPoint& B, const CCPoint& C, const CCPoint& D);
// The crossing point of the infinite lines; CCPointZero when there is none.
CCPoint ccpIntersectPoint(const CCPoint& A, const CCPoint& B, const CCPoint& C, const CCPoint& D);

inline float clampf(float value, float minInclusive, float maxInclusive) {
    if (minInclusive > maxInclusive) {
        float t = minInclusive;
        minInclusive = maxInclusive;
        maxInclusive = t;
    }
    return value < minInclusive ? minInclusive : value < maxInclusive ? value : maxInclusive;
}

}  // namespace cocos2d
