// Curve evaluation, key insertion, the curve and state-map encodings, copies.
#include <cmath>
#include <limits>

#include "attribute_test_support.h"
#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"

using namespace attrtest;
using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCPoint;
using cocos2d::CCString;

int attrtest::CountedCurve::destroyed = 0;

namespace {

QVAnimationCurve twoKeyCurve(int32_t interpolation) {
    QVAnimationCurve curve;
    curve.setInterpolation(interpolation);
    curve.appendKey({0.f, 0.f, 0.f, 0.f});
    curve.appendKey({10.f, 1.f, 10.f, 10.f});
    return curve;
}

// One "animations" element; a negative `state` of -2 leaves "state" out, and
// no points leaves "animation" out.
msgpack::object element(msgpack::zone& zone, int state, std::vector<CCPoint> points, bool withAnimation = true) {
    QVPackMap map(zone);
    if (state != -2) map.put("state", static_cast<int32_t>(state));
    if (withAnimation) {
        QVPackMap animation(zone);
        animation.put("points", points);
        map.put("animation", animation);
    }
    return map.toObject(zone);
}

}  // namespace

using CurveEvaluation = AttributeTest;

// Before the first key and after the last the end values hold; between them
// linear interpolates and an unknown interpolation gives 0.
TEST_F(CurveEvaluation, EndValuesHoldAndTheInterpolationFillsBetween) {
    const struct {
        int32_t interpolation;
        float time, expected;
    } rows[] = {{QVAnimationCurve::kInterpolationLinear, 0.5f, 5.f}, {QVAnimationCurve::kInterpolationLinear, -3.f, 0.f},
                {QVAnimationCurve::kInterpolationLinear, 1.f, 10.f}, {QVAnimationCurve::kInterpolationLinear, 7.f, 10.f},
                {7, 0.5f, 0.f},                                    {7, 2.f, 10.f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "interpolation " << row.interpolation << " at " << row.time);
        EXPECT_FLOAT_EQ(twoKeyCurve(row.interpolation).evaluate(row.time), row.expected);
    }
}

TEST_F(CurveEvaluation, BezierUsesOutControlOfStartAndInControlOfEnd) {
    QVAnimationCurve curve = twoKeyCurve(QVAnimationCurve::kInterpolationBezier);
    EXPECT_FLOAT_EQ(curve.evaluate(0.5f), 5.f);
    // Swapping which control is read would move the midpoint.
    curve.clearKeys();
    curve.appendKey({100.f, 0.f, 0.f, 4.f});
    curve.appendKey({8.f, 1.f, 10.f, -100.f});
    EXPECT_FLOAT_EQ(curve.evaluate(0.5f), 0.375f * 4.f + 0.375f * 8.f + 0.125f * 10.f);
}

TEST_F(CurveEvaluation, NoKeysGivesZeroAndOneKeyGivesItsValue) {
    QVAnimationCurve curve;
    EXPECT_FLOAT_EQ(curve.evaluate(1.f), 0.f);
    curve.addKey(3.f, 5.f);
    EXPECT_FLOAT_EQ(curve.evaluate(-100.f), 3.f);
    EXPECT_FLOAT_EQ(curve.evaluate(100.f), 3.f);
}

TEST_F(CurveEvaluation, UnsortedAndNaNTimesStayFinite) {
    QVAnimationCurve curve;
    curve.setInterpolation(QVAnimationCurve::kInterpolationLinear);
    curve.appendKey({1.f, 2.f, 1.f, 1.f});
    curve.appendKey({5.f, 2.f, 5.f, 5.f});  // same time as its predecessor
    curve.appendKey({9.f, 0.f, 9.f, 9.f});  // earlier than both
    curve.appendKey({3.f, std::numeric_limits<float>::quiet_NaN(), 3.f, 3.f});
    for (float t : {-1.f, 0.f, 1.f, 2.f, 2.5f, 10.f}) {
        EXPECT_TRUE(std::isfinite(curve.evaluate(t))) << "t=" << t;
    }
}

TEST_F(CurveEvaluation, TheLaterOfTwoEqualTimesStartsTheNextSegment) {
    QVAnimationCurve curve;
    curve.setInterpolation(QVAnimationCurve::kInterpolationLinear);
    curve.appendKey({0.f, 0.f, 0.f, 0.f});
    curve.appendKey({5.f, 1.f, 5.f, 5.f});
    curve.appendKey({7.f, 1.f, 7.f, 7.f});
    curve.appendKey({9.f, 2.f, 9.f, 9.f});
    EXPECT_FLOAT_EQ(curve.evaluate(1.5f), 8.f);
    EXPECT_FLOAT_EQ(curve.evaluate(1.f), 7.f);
}

using CurveKeys = AttributeTest;

TEST_F(CurveKeys, AddKeyInsertsInOrderAndSmoothsInteriorControls) {
    QVAnimationCurve curve;
    curve.addKey(10.f, 2.f);
    curve.addKey(0.f, 0.f);
    curve.addKey(5.f, 1.f);
    ASSERT_EQ(curve.keys().size(), 3u);
    EXPECT_FLOAT_EQ(curve.keys()[0].time, 0.f);
    EXPECT_FLOAT_EQ(curve.keys()[2].time, 2.f);
    const QVAnimationKey& middle = curve.keys()[1];
    EXPECT_FLOAT_EQ(middle.inControl, 2.5f);
    EXPECT_FLOAT_EQ(middle.value, 5.f);
    EXPECT_FLOAT_EQ(middle.outControl, 7.5f);
    // End keys keep the controls they were added with.
    EXPECT_FLOAT_EQ(curve.keys()[0].outControl, 0.f);
    EXPECT_FLOAT_EQ(curve.keys()[2].inControl, 10.f);
}

TEST_F(CurveKeys, AddKeyAtAnExistingTimeReplacesWithoutResmoothing) {
    QVAnimationCurve curve;
    curve.addKey(0.f, 0.f);
    curve.addKey(10.f, 2.f);
    curve.addKey(5.f, 1.f);
    curve.addKey(-4.f, 0.f);  // replaces the first key; the middle keeps 2.5 / 7.5
    ASSERT_EQ(curve.keys().size(), 3u);
    EXPECT_EQ(curve.keys()[0], (QVAnimationKey{-4.f, 0.f, -4.f, -4.f}));
    EXPECT_FLOAT_EQ(curve.keys()[1].inControl, 2.5f);
    EXPECT_FLOAT_EQ(curve.keys()[1].outControl, 7.5f);
}

TEST_F(CurveKeys, CopyIsVerbatimAndLinear) {
    QVCurveMap curves;
    auto source = std::make_unique<QVAnimationCurve>();
    source->setPreset(9);
    source->setInterpolation(QVAnimationCurve::kInterpolationLinear);
    source->appendKey({1.f, 3.f, 2.f, 7.f});  // unsorted, hand-made controls
    source->appendKey({4.f, 1.f, 5.f, 6.f});
    source->appendKey({0.f, 2.f, 8.f, -1.f});
    curves[1] = std::move(source);
    curves[2] = nullptr;

    const QVCurveMap copy = copyCurves(curves);
    ASSERT_EQ(copy.size(), 1u) << "null entries are dropped";
    const QVAnimationCurve& copied = *copy.at(1);
    EXPECT_NE(&copied, curves[1].get());
    EXPECT_EQ(copied.keys(), curves[1]->keys());
    EXPECT_EQ(copied.preset(), 9);
    EXPECT_EQ(copied.interpolation(), QVAnimationCurve::kInterpolationLinear);
}

using CurveEncoding = AttributeTest;

TEST_F(CurveEncoding, PackWritesTimeValueThenControlsAsFloat32) {
    QVAnimationCurve curve;
    curve.appendKey({2.f, 1.f, 0.5f, -1.f});
    curve.setPreset(3);
    // {7: [[1.0, 0.5], [2.0, -1.0]], 8: 3}
    EXPECT_EQ(hex(packBytes(curve)),
              "82 07 92 92 ca 3f 80 00 00 ca 3f 00 00 00 92 ca 40 00 00 00 ca bf 80 00 00 08 03");
}

TEST_F(CurveEncoding, UnpackPairsPointsAndIgnoresAnOddLastPoint) {
    msgpack::zone zone;
    QVPackMap map(zone);
    map.put("points", std::vector<CCPoint>{{1.f, 2.f}, {3.f, 4.f}, {5.f, 6.f}});
    QVAnimationCurve three;
    three.unpack(map);
    ASSERT_EQ(three.keys().size(), 1u);
    EXPECT_EQ(three.keys()[0], (QVAnimationKey{3.f, 1.f, 2.f, 4.f}));
    EXPECT_EQ(three.preset(), QVAnimationCurve::kDefaultPreset);

    QVPackMap single(zone);
    single.put("points", std::vector<CCPoint>{{1.f, 2.f}});
    QVAnimationCurve one;
    one.unpack(single);
    EXPECT_TRUE(one.keys().empty());
}

TEST_F(CurveEncoding, PackedCurveReadsBackEqual) {
    QVAnimationCurve source;
    for (int i = 0; i < 9; ++i) source.addKey(static_cast<float>(i * i) - 3.5f, static_cast<float>(i) * 0.25f);
    source.setPreset(-2);
    QVAnimationCurve read;
    packInto(source, read);
    EXPECT_EQ(read.keys(), source.keys());
    EXPECT_EQ(read.preset(), -2);
}

TEST_F(CurveEncoding, WronglyShapedPointsRaiseTypeError) {
    msgpack::zone zone;
    QVPackMap map(zone);
    map.put("points", std::string("not points"));
    QVAnimationCurve curve;
    EXPECT_THROW(curve.unpack(map), msgpack::type_error);
}

TEST_F(CurveEncoding, DictionaryFormRoundTrips) {
    QVAnimationCurve source;
    source.appendKey({0.25f, 1.5f, 2.f, 0.75f});
    source.setPreset(6);
    CCDictionary* dict = source.toDictionary();
    CCArray* points = dynamic_cast<CCArray*>(dict->objectForKey("points"));
    ASSERT_NE(points, nullptr);
    ASSERT_EQ(points->count(), 2u);
    EXPECT_STREQ(static_cast<CCString*>(points->objectAtIndex(0))->getCString(), "{1.500,2.000}");
    EXPECT_STREQ(static_cast<CCString*>(points->objectAtIndex(1))->getCString(), "{0.250,0.750}");
    EXPECT_STREQ(dict->valueForKey("preset")->getCString(), "6");

    QVAnimationCurve read;
    read.fromDictionary(dict);
    EXPECT_EQ(read.keys(), source.keys());
    EXPECT_EQ(read.preset(), 6);
}

using CurveStateMaps = AttributeTest;

TEST_F(CurveStateMaps, ArrayDropsMissingAndMinusOneStatesAndKeepsTheLaterDuplicate) {
    msgpack::zone zone;
    std::vector<msgpack::object> elements = {
        element(zone, 1, {{0.f, 1.f}, {1.f, 1.f}}),
        element(zone, -2, {{0.f, 2.f}, {2.f, 2.f}}),  // no state
        element(zone, -1, {{0.f, 3.f}, {3.f, 3.f}}),
        element(zone, 1, {{0.f, 4.f}, {4.f, 4.f}}),
        element(zone, 5, {}, false),  // no animation: a curve without keys
    };
    QVPackMap holder(zone);
    holder.put("animations", elements);
    ReadMap read(holder.toBytes());

    const QVCurveMap curves = curvesFromArray(*read.map.find("animations"));
    ASSERT_EQ(curves.size(), 2u);
    ASSERT_EQ(curves.at(1)->keys().size(), 1u);
    EXPECT_FLOAT_EQ(curves.at(1)->keys()[0].value, 4.f);
    EXPECT_TRUE(curves.at(5)->keys().empty());
}

TEST_F(CurveStateMaps, ArrayOfNonMapsRaisesTypeError) {
    msgpack::zone zone;
    QVPackMap holder(zone);
    holder.put("animations", std::vector<uint32_t>{1, 2});
    ReadMap read(holder.toBytes());
    EXPECT_THROW(curvesFromArray(*read.map.find("animations")), msgpack::type_error);
    EXPECT_THROW(curvesFromArray(*read.map.find("animations")->via.array.ptr), msgpack::type_error);
}

TEST_F(CurveStateMaps, ToArraySkipsNullCurvesInStateOrder) {
    QVCurveMap curves;
    curves[3] = curveOf({{0.f, 3.f}});
    curves[0] = nullptr;
    curves[1] = curveOf({{0.f, 1.f}});
    msgpack::zone zone;
    const msgpack::object array = curvesToArray(curves, zone);
    ASSERT_EQ(array.type, msgpack::type::ARRAY);
    ASSERT_EQ(array.via.array.size, 2u);
    const QVCurveMap back = curvesFromArray(array);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_FLOAT_EQ(back.at(1)->keys()[0].value, 1.f);
    EXPECT_FLOAT_EQ(back.at(3)->keys()[0].value, 3.f);
}

TEST_F(CurveStateMaps, DictionariesReadMissingStateAsZeroAndDropTheRest) {
    EXPECT_EQ(curvesToDictionaries(QVCurveMap()), nullptr);
    EXPECT_TRUE(curvesFromDictionaries(nullptr).empty());

    QVCurveMap source;
    source[2] = curveOf({{0.f, 2.f}, {1.f, 5.f}});
    CCArray* array = curvesToDictionaries(source);
    ASSERT_NE(array, nullptr);
    EXPECT_STREQ(static_cast<CCDictionary*>(array->objectAtIndex(0))->valueForKey("state")->getCString(), "2");

    CCDictionary* noState = CCDictionary::create();
    noState->setObject(curveOf({{0.f, 7.f}})->toDictionary(), "animation");
    CCDictionary* minusOne = CCDictionary::create();
    minusOne->setObject(CCString::create("-1"), "state");
    minusOne->setObject(curveOf({{0.f, 8.f}})->toDictionary(), "animation");
    CCDictionary* noAnimation = CCDictionary::create();
    noAnimation->setObject(CCString::create("4"), "state");
    array->addObject(noState);
    array->addObject(minusOne);
    array->addObject(noAnimation);

    const QVCurveMap read = curvesFromDictionaries(array);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read.at(2)->keys(), source.at(2)->keys());
    EXPECT_FLOAT_EQ(read.at(0)->keys()[0].value, 7.f);
}
