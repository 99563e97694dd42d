#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "math/CCGeometry.h"

using namespace cocos2d;

namespace {

constexpr float kPi = 3.14159265358979f;

TEST(Geometry, LineIntersectionOfParallelCoincidentAndCrossingLines) {
    float s = -1, t = -1;
    EXPECT_FALSE(ccpLineIntersect(ccp(0, 0), ccp(4, 0), ccp(0, 1), ccp(4, 1), &s, &t));
    EXPECT_FALSE(ccpLineIntersect(ccp(0, 0), ccp(4, 4), ccp(1, 1), ccp(3, 3), &s, &t)) << "coincident";
    EXPECT_FALSE(ccpLineIntersect(ccp(1, 1), ccp(1, 1), ccp(0, 0), ccp(2, 0), &s, &t)) << "degenerate";
    EXPECT_FALSE(ccpSegmentIntersect(ccp(0, 0), ccp(4, 0), ccp(0, 1), ccp(4, 1)));
    EXPECT_TRUE(ccpIntersectPoint(ccp(0, 0), ccp(4, 0), ccp(0, 1), ccp(4, 1)).equals(CCPointZero));

    ASSERT_TRUE(ccpLineIntersect(ccp(0, 0), ccp(4, 0), ccp(1, -1), ccp(1, 1), &s, &t));
    EXPECT_FLOAT_EQ(s, 0.25f) << "S runs along A->B";
    EXPECT_FLOAT_EQ(t, 0.5f);
    // Infinite lines: the crossing may lie outside both segments.
    ASSERT_TRUE(ccpLineIntersect(ccp(0, 0), ccp(1, 0), ccp(3, 1), ccp(3, 2), &s, &t));
    EXPECT_FLOAT_EQ(s, 3.0f);
    EXPECT_FLOAT_EQ(t, -1.0f);
    EXPECT_TRUE(ccpIntersectPoint(ccp(0, 0), ccp(1, 0), ccp(3, 1), ccp(3, 2)).equals(ccp(3, 0)));
}

TEST(Geometry, SegmentsTouchingAtAnEndPointIntersect) {
    EXPECT_TRUE(ccpSegmentIntersect(ccp(0, 0), ccp(2, 0), ccp(2, -1), ccp(2, 1)));   // B on CD
    EXPECT_TRUE(ccpSegmentIntersect(ccp(0, 0), ccp(2, 2), ccp(2, 2), ccp(4, 0)));    // shared corner
    EXPECT_TRUE(ccpSegmentIntersect(ccp(0, 0), ccp(2, 0), ccp(0, 0), ccp(0, 5)));    // A on C
    EXPECT_FALSE(ccpSegmentIntersect(ccp(0, 0), ccp(2, 0), ccp(2.001f, -1), ccp(2.001f, 1)));
    EXPECT_FALSE(ccpSegmentIntersect(ccp(0, 0), ccp(2, 0), ccp(1, 0.001f), ccp(1, 5)));
}

TEST(Geometry, RotationIsCounterClockwiseAboutThePivot) {
    const CCPoint r = ccp(2, 1).rotateByAngle(ccp(1, 1), kPi / 2);
    EXPECT_TRUE(r.fuzzyEquals(ccp(1, 2), 1e-5f)) << r.x << "," << r.y;
    const CCPoint half = ccpRotateByAngle(ccp(3, 1), ccp(1, 1), kPi);
    EXPECT_TRUE(half.fuzzyEquals(ccp(-1, 1), 1e-5f)) << half.x << "," << half.y;
    EXPECT_TRUE(ccp(5, 5).rotateByAngle(ccp(5, 5), 1.0f).equals(ccp(5, 5)));
    EXPECT_TRUE(CCPoint::forAngle(kPi / 2).fuzzyEquals(ccp(0, 1), 1e-6f));
    EXPECT_TRUE(ccpForAngle(0).equals(ccp(1, 0)));
}

TEST(Geometry, RectanglesAreClosedAndAZeroOneJoinsAUnion) {
    const CCRect u(5, 6, 2, 3);
    EXPECT_TRUE(u.unionWithRect(CCRectZero).equals(CCRect(0, 0, 7, 9)));
    EXPECT_TRUE(CCRectZero.unionWithRect(u).equals(CCRect(0, 0, 7, 9)));
    EXPECT_TRUE(CCRect(-1, -1, 1, 1).unionWithRect(CCRect(2, 3, 1, 1)).equals(CCRect(-1, -1, 4, 5)));
    const CCRect r(0, 0, 10, 5);
    EXPECT_TRUE(r.containsPoint(ccp(10, 5)));
    EXPECT_TRUE(r.containsPoint(ccp(0, 0)));
    EXPECT_FALSE(r.containsPoint(ccp(10.001f, 2)));
    EXPECT_TRUE(r.intersectsRect(CCRect(10, 5, 3, 3))) << "touching corners";
    EXPECT_FALSE(r.intersectsRect(CCRect(10.5f, 0, 3, 3)));
    EXPECT_FLOAT_EQ(r.getMidX(), 5);
    EXPECT_FLOAT_EQ(r.getMaxY(), 5);
}

TEST(Geometry, PointEqualityIsExactFuzzyIsPerAxisAndTinyVectorsStayUnnormalised) {
    EXPECT_FALSE(ccp(1, 1).equals(ccp(1, 1.0000001f)));
    EXPECT_TRUE(ccp(1, 1) == ccp(1, 1));
    EXPECT_TRUE(ccpFuzzyEqual(ccp(1, 1), ccp(1.5f, 0.5f), 0.5f));
    EXPECT_FALSE(ccpFuzzyEqual(ccp(1, 1), ccp(1.6f, 1), 0.5f));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(ccp(nan, 0).equals(ccp(nan, 0)));
    EXPECT_FALSE(ccpFuzzyEqual(ccp(nan, 0), ccp(0, 0), 1));
    // Normalising leaves tiny vectors alone.
    EXPECT_TRUE(ccpNormalize(ccp(3, 4)).fuzzyEquals(ccp(0.6f, 0.8f), 1e-6f));
    EXPECT_TRUE(ccpNormalize(ccp(0, 0)).equals(ccp(0, 0)));
    EXPECT_TRUE(ccpNormalize(ccp(1e-8f, 0)).equals(ccp(1e-8f, 0)));
    for (float v : {ccpNormalize(ccp(0, 0)).x, ccpNormalize(ccp(1e-30f, 1e-30f)).y}) EXPECT_FALSE(std::isnan(v));
    EXPECT_FLOAT_EQ(ccpDistance(ccp(1, 1), ccp(4, 5)), 5);
    EXPECT_FLOAT_EQ(ccpLength(ccpSub(ccp(4, 5), ccp(1, 1))), 5);
    EXPECT_TRUE(ccpMult(ccpAdd(ccp(1, 2), ccp(3, 4)), 0.5f).equals(ccp(2, 3)));
}

}  // namespace
