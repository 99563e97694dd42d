// String, rect, size, point, colour and gradient attributes.
#include <cfloat>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "attribute_test_support.h"
#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "platform/RandomAndClock.h"

using namespace attrtest;
using cocos2d::ccc4f;
using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::ccColor4F;
using cocos2d::CCPoint;
using cocos2d::CCRect;
using cocos2d::CCSize;
using cocos2d::CCString;

namespace {

const char* text(CCDictionary* dict, const char* key) { return dict->valueForKey(key)->getCString(); }

std::vector<unsigned char> bytesOf(std::initializer_list<unsigned char> bytes) { return bytes; }

}  // namespace

using StringAttributes = AttributeTest;

TEST_F(StringAttributes, MaxLengthCutsSetValuesButNotPackedOnes) {
    QVAttributeString attr("T", model.get());
    attr.setMaxLength(3);
    EXPECT_TRUE(attr.setValue("abcdef"));
    EXPECT_EQ(attr.value(), "abc");
    EXPECT_FALSE(attr.setValue("abcxyz")) << "cut to the held text: no change";
    EXPECT_EQ(listener.valueChanges, 1);

    QVAttributeString source("S", model.get());
    source.setValue("uvwxyz");
    listener.valueChanges = 0;
    packInto(source, attr);
    EXPECT_EQ(attr.value(), "uvwxyz") << "strings from packs are stored whole";
    EXPECT_EQ(listener.valueChanges, 0);

    std::unique_ptr<QVAttribute> copy(attr.clone(std::string("C"), nullptr));
    EXPECT_EQ(static_cast<QVAttributeString*>(copy.get())->value(), "uvw") << "a copy goes through setValue";

    attr.valueFromDictionary(dictOf({{"value", "0123456"}}));
    EXPECT_EQ(attr.value(), "012");
    attr.valueFromDictionary(dictOf({{"value", ""}}));
    EXPECT_EQ(attr.value(), "012") << "an empty dictionary text keeps the value";
    EXPECT_EQ(listener.valueChanges, 0);
}

using GeometryAttributes = AttributeTest;

TEST_F(GeometryAttributes, RectAndSizeDictionaryTexts) {
    QVAttributeRect rect("R", model.get());
    QVAttributeSize size("S", model.get());
    rect.setValue(CCRect(1.f, 2.f, 3.f, 4.f));
    size.setValue(CCSize(1.f, 2.f));
    EXPECT_STREQ(text(rect.valueToDictionary(), "value"), "{{1.00,2.00},{3.00,4.00}}");
    EXPECT_STREQ(text(size.valueToDictionary(), "value"), "{1.00,2.00}");

    rect.valueFromDictionary(dictOf({{"value", "{{-1.5,2},{30,0.25}}"}}));
    EXPECT_TRUE(rect.value().equals(CCRect(-1.5f, 2.f, 30.f, 0.25f)));
    size.valueFromDictionary(dictOf({{"value", "{7,8}"}}));
    EXPECT_TRUE(size.value().equals(CCSize(7.f, 8.f)));
    rect.valueFromDictionary(dictOf({{"value", ""}}));
    size.valueFromDictionary(dictOf({{"value", ""}}));
    EXPECT_TRUE(rect.value().equals(CCRect(-1.5f, 2.f, 30.f, 0.25f)));
    EXPECT_TRUE(size.value().equals(CCSize(7.f, 8.f)));
}

TEST_F(GeometryAttributes, RectPacksFourFloat32AndRejectsThreeElements) {
    QVAttributeRect rect("R", model.get());
    rect.setValue(CCRect(1.f, 2.f, 3.f, 4.f));
    EXPECT_EQ(hex(packBytes(rect)), "81 0a 94 ca 3f 80 00 00 ca 40 00 00 00 ca 40 40 00 00 ca 40 80 00 00");

    msgpack::zone zone;
    QVPackMap three(zone);
    three.put("value", std::vector<uint32_t>{1, 2, 3});
    ReadMap read(three.toBytes());
    EXPECT_THROW(rect.unpack(read.map), msgpack::type_error);
    QVAttributeSize size("S", model.get());
    EXPECT_THROW(size.unpack(read.map), msgpack::type_error);

    QVPackMap ints(zone);
    ints.put("value", std::vector<uint32_t>{5, 6, 7, 8});
    rect.unpack(ReadMap(ints.toBytes()).map);
    EXPECT_TRUE(rect.value().equals(CCRect(5.f, 6.f, 7.f, 8.f))) << "integers convert to float";
}

using PointAttributes = AttributeTest;

TEST_F(PointAttributes, ValueIsClampedPerAxis) {
    QVAttributePoint point("P", model.get());
    point.setRange(CCPoint(0.f, -FLT_MAX), CCPoint(10.f, FLT_MAX));
    EXPECT_TRUE(point.setValue(CCPoint(12.f, -5.f)));
    EXPECT_EQ(point.value(), CCPoint(10.f, -5.f));
    EXPECT_EQ(listener.valueChanges, 1);
    EXPECT_FALSE(point.setValue(CCPoint(40.f, -5.f)));
    point.valueFromDictionary(dictOf({{"value", "{-3,4}"}, {"variableValue", "{20,1}"}}));
    EXPECT_EQ(point.value(), CCPoint(0.f, 4.f));
    EXPECT_EQ(point.variableValue(), CCPoint(10.f, 1.f));
    EXPECT_EQ(listener.valueChanges, 1);
}

TEST_F(PointAttributes, PacksMarksAsStoredAndReadsThemUnclamped) {
    QVAttributePoint point("P", model.get());
    ReadMap marks(bytesOf({0x82, 0x0b, 0xc2, 0x0c, 0xc3}));
    point.unpack(marks.map);
    ASSERT_FALSE(point.allowEmpty());
    EXPECT_TRUE(point.isYEmpty());
    point.setValue(CCPoint(1.5f, -2.f));
    // {10: [1.5, -2], 2: [0, 0], 11: false, 12: true}
    EXPECT_EQ(hex(packBytes(point)),
              "84 0a 92 ca 3f c0 00 00 ca c0 00 00 00 02 92 ca 00 00 00 00 ca 00 00 00 00 0b c2 0c c3");

    QVAttributePoint ranged("R", model.get());
    ranged.setRange(CCPoint(0.f, 0.f), CCPoint(1.f, 1.f));
    packInto(point, ranged);
    EXPECT_EQ(ranged.value(), CCPoint(1.5f, -2.f));
}

TEST_F(PointAttributes, EmptyMarksKeepTheirAsymmetry) {
    QVAttributePoint point("P", model.get());
    ReadMap marks(bytesOf({0x82, 0x0b, 0xc2, 0x0c, 0xc3}));
    point.unpack(marks.map);
    CCDictionary* dict = point.valueToDictionary();
    EXPECT_STREQ(text(dict, "isXEmpty"), "0");
    EXPECT_STREQ(text(dict, "isYEmpty"), "1");

    // Without empties allowed only x is read; y keeps its mark.
    point.valueFromDictionary(dictOf({{"isXEmpty", "1"}, {"isYEmpty", "0"}}));
    EXPECT_TRUE(point.isXEmpty());
    EXPECT_TRUE(point.isYEmpty());
    point.valueFromDictionary(dictOf({}));
    EXPECT_FALSE(point.isXEmpty()) << "an absent isXEmpty clears the mark";

    point.setEmptyAllowed(true);
    point.valueFromDictionary(dictOf({{"isYEmpty", "0"}}));
    EXPECT_FALSE(point.isYEmpty());
    EXPECT_EQ(listener.valueChanges, 0);

    point.setEmpty(true);
    EXPECT_EQ(listener.valueChanges, 1);
    std::unique_ptr<QVAttribute> copy(point.clone(std::string("C"), nullptr));
    EXPECT_TRUE(static_cast<QVAttributePoint*>(copy.get())->isYEmpty());
    point.setEmptyAllowed(false);
    EXPECT_FALSE(point.isXEmpty());
    EXPECT_FALSE(point.isYEmpty());
    EXPECT_EQ(listener.valueChanges, 3) << "each cleared mark counted while empties were allowed";
}

TEST_F(PointAttributes, EachAxisCurveArrayReplacesOnlyItsOwnAxis) {
    QVAttributePoint point("P", model.get());
    msgpack::zone zone;
    QVPackMap both(zone);
    both.put("animationsX", curveElements(zone, {1}));
    both.put("animationsY", curveElements(zone, {1, 3}));
    point.unpack(ReadMap(both.toBytes()).map);
    ASSERT_EQ(point.curvesX().size(), 1u);
    ASSERT_EQ(point.curvesY().size(), 2u);

    QVPackMap onlyX(zone);
    onlyX.put("animationsX", curveElements(zone, {2}));
    point.unpack(ReadMap(onlyX.toBytes()).map);
    EXPECT_EQ(point.curvesX().size(), 1u);
    EXPECT_EQ(point.curvesX().count(2), 1u);
    EXPECT_EQ(point.curvesY().size(), 2u) << "no animationsY: the y curves stay";

    // A y-only state lists just its y curve.
    const std::vector<QVAnimationCurve*> curves = point.animationCurves(3);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0], point.curvesY().at(3).get());
    EXPECT_EQ(point.curveValue(0.f, 3), CCPoint(0.f, 3.f));
    EXPECT_EQ(point.animationCurves(2).size(), 1u);
    EXPECT_TRUE(point.animationCurves(0).empty());

    // The dictionary form carries both axes back.
    QVAttributePoint read("R", model.get());
    read.valueFromDictionary(point.valueToDictionary());
    EXPECT_EQ(read.curvesX().size(), 1u);
    EXPECT_EQ(read.curvesY().size(), 2u);
}

TEST_F(PointAttributes, ShortCurveListsStoreXAndThenThrow) {
    QVAttributePoint point("P", model.get());
    EXPECT_THROW(point.setAnimationCurves({}, 1), std::out_of_range);
    EXPECT_TRUE(point.curvesX().empty());
    EXPECT_EQ(listener.valueChanges, 0);

    auto* x = new CountedCurve;
    EXPECT_THROW(point.setAnimationCurves({x}, 1), std::out_of_range);
    EXPECT_EQ(point.curvesX().at(1).get(), x);
    EXPECT_TRUE(point.curvesY().empty());
    EXPECT_EQ(listener.valueChanges, 1);

    auto* x2 = new CountedCurve;
    auto* y2 = new CountedCurve;
    point.setAnimationCurves({x2, y2}, 1);
    EXPECT_EQ(CountedCurve::destroyed, 1) << "the replaced x curve is freed";
    EXPECT_EQ(point.animationCurves(1), (std::vector<QVAnimationCurve*>{x2, y2}));
    EXPECT_EQ(listener.valueChanges, 3);
}

TEST_F(PointAttributes, RandomValueDrawsYFirst) {
    QVAttributePoint point("P", model.get());
    point.setValue(CCPoint(10.f, 20.f));
    point.setVariableValue(CCPoint(1.f, 2.f));
    compat::srand(1);  // draws 41, then 18467
    const CCPoint random = point.randomValue();
    EXPECT_FLOAT_EQ(random.y, 20.f + 2.f * (2.f * 41.f / 32767.f - 1.f));
    EXPECT_FLOAT_EQ(random.x, 10.f + 1.f * (2.f * 18467.f / 32767.f - 1.f));
}

TEST_F(PointAttributes, ACopyOwnsItsOwnCurves) {
    auto* point = new QVAttributePoint("P", model.get(), QVBaseAttribute::kFlagVariableValue);
    point->setAnimationCurves({curveOf({{0.f, 1.f}}).release(), curveOf({{0.f, 2.f}}).release()}, 0);
    auto other = ProbeModel::create();
    auto* copy = static_cast<QVAttributePoint*>(point->clone(other.get()));
    EXPECT_EQ(copy->flags(), QVBaseAttribute::kFlagVariableValue);
    model->removeListener(&listener);
    model.reset();
    EXPECT_EQ(copy->curveValue(5.f, 0), CCPoint(1.f, 2.f));
}

using ColorAttributes = AttributeTest;

TEST_F(ColorAttributes, DictionaryComponentsLiveInTheDictionaryItself) {
    QVAttributeColor color("C", model.get());
    color.valueFromDictionary(dictOf({{"r", "0.5"}, {"a", "1"}}));
    EXPECT_TRUE(ccc4FEqual(color.value(), ccc4f(0.5f, 0.f, 0.f, 1.f)));
    CCDictionary* dict = color.valueToDictionary();
    EXPECT_STREQ(text(dict, "r"), "0.500000");
    EXPECT_STREQ(text(dict, "b"), "0.000000");
    EXPECT_EQ(dict->objectForKey("value"), nullptr);
    EXPECT_EQ(hex(packBytes(color)), "81 0a 94 ca 3f 00 00 00 ca 00 00 00 00 ca 00 00 00 00 ca 3f 80 00 00");
    EXPECT_EQ(listener.valueChanges, 0);
}

using GradientAttributes = AttributeTest;

TEST_F(GradientAttributes, ElementsWithoutColorMergeAndNegativeZeroIsZero) {
    QVAttributeGradient gradient("G", model.get());
    gradient.setColor(1.f, ccc4f(0.f, 0.f, 1.f, 1.f));

    msgpack::zone zone;
    QVPackMap half(zone);
    half.put("pos", 0.5f);
    QVPackMap negativeZero(zone);
    negativeZero.put("pos", -0.0f);
    negativeZero.put("color", ccc4f(0.f, 1.f, 0.f, 1.f));
    QVPackMap notANumber(zone);
    notANumber.put("pos", std::numeric_limits<float>::quiet_NaN());
    notANumber.put("color", ccc4f(1.f, 1.f, 1.f, 1.f));
    QVPackMap map(zone);
    map.put("gradients",
            std::vector<msgpack::object>{half.toObject(zone), negativeZero.toObject(zone), notANumber.toObject(zone)});
    gradient.unpack(ReadMap(map.toBytes()).map);

    ASSERT_EQ(gradient.colors().size(), 3u) << "NaN positions are skipped";
    std::vector<float> positions;
    for (const auto& key : gradient.colors()) positions.push_back(key.first);
    EXPECT_EQ(positions, (std::vector<float>{0.f, 0.5f, 1.f}));
    EXPECT_FALSE(std::signbit(positions[0]));
    EXPECT_TRUE(ccc4FEqual(*gradient.colorAt(-0.0f), ccc4f(0.f, 1.f, 0.f, 1.f)));
    EXPECT_TRUE(ccc4FEqual(*gradient.colorAt(0.5f), ccc4f(0.f, 0.f, 0.f, 0.f)));
    EXPECT_EQ(gradient.colorAt(0.25f), nullptr);
}

TEST_F(GradientAttributes, PacksAndWritesDictionariesInAscendingPosition) {
    QVAttributeGradient gradient("G", model.get());
    EXPECT_EQ(hex(packBytes(gradient)), "80") << "no keys, no entry";
    EXPECT_EQ(gradient.valueToDictionary()->count(), 0u);
    gradient.setColor(0.75f, ccc4f(0.f, 0.f, 0.f, 1.f));
    gradient.setColor(0.25f, ccc4f(1.f, 0.f, 0.f, 1.f));
    gradient.setColor(0.25f, ccc4f(1.f, 0.f, 0.f, 1.f));
    EXPECT_EQ(listener.valueChanges, 3) << "setColor notifies even for an unchanged colour";
    gradient.setColor(std::numeric_limits<float>::quiet_NaN(), ccc4f(1.f, 1.f, 1.f, 1.f));
    EXPECT_EQ(gradient.colors().size(), 2u);

    // {15: [{16: 0.25, 17: [1, 0, 0, 1]}, {16: 0.75, 17: [0, 0, 0, 1]}]}
    EXPECT_EQ(hex(packBytes(gradient)),
              "81 0f 92 82 10 ca 3e 80 00 00 11 94 ca 3f 80 00 00 ca 00 00 00 00 ca 00 00 00 00 ca 3f 80 00 00 "
              "82 10 ca 3f 40 00 00 11 94 ca 00 00 00 00 ca 00 00 00 00 ca 00 00 00 00 ca 3f 80 00 00");

    CCArray* keys = dynamic_cast<CCArray*>(gradient.valueToDictionary()->objectForKey("gradients"));
    ASSERT_NE(keys, nullptr);
    ASSERT_EQ(keys->count(), 2u);
    EXPECT_STREQ(text(static_cast<CCDictionary*>(keys->objectAtIndex(0)), "pos"), "0.250000");
    EXPECT_STREQ(text(static_cast<CCDictionary*>(keys->objectAtIndex(0)), "r"), "1.000000");

    QVAttributeGradient read("R", model.get());
    read.setColor(0.5f, ccc4f(0.f, 1.f, 0.f, 1.f), true);
    read.valueFromDictionary(gradient.valueToDictionary());
    EXPECT_EQ(read.colors().size(), 3u) << "dictionary keys merge into the held ones";
    packInto(gradient, read);
    EXPECT_EQ(read.colors().size(), 3u);
}

using AttributeKeys = AttributeTest;

// Every key an attribute packs must be one its collectKeys lists, or a
// generated Keys.pack would lack it and packing would throw.
TEST_F(AttributeKeys, CollectKeysCoversEveryKeyThatPackWrites) {
    QVAttributeFloat f("F", model.get());
    f.setAnimationCurves({curveOf({{0.f, 1.f}}).release()}, 1);
    QVAttributePoint p("P", model.get());
    p.setAnimationCurves({curveOf({{0.f, 1.f}}).release(), curveOf({{0.f, 1.f}}).release()}, 1);
    QVAttributeGradient g("G", model.get());
    g.setColor(0.5f, ccc4f(1.f, 1.f, 1.f, 1.f));
    QVAttributeOrientation o("O", model.get());
    QVAttributeString s("S", model.get());
    QVAttributeRect r("R", model.get());
    QVAttributeSize z("Z", model.get());
    QVAttributeColor c("C", model.get());
    std::vector<QVAttribute*> attributes = {&f, &p, &g, &o, &s, &r, &z, &c};

    for (QVAttribute* attribute : attributes) {
        collectedKeys().clear();
        attribute->collectKeys();
        QVAnimationCurve().collectKeys();
        const std::set<std::string> declared = collectedKeys();

        collectedKeys().clear();
        setCollectingKeys(true);
        msgpack::zone zone;
        QVPackMap map(zone);
        attribute->pack(map);
        setCollectingKeys(false);
        EXPECT_TRUE(map.empty()) << attribute->className();
        for (const std::string& key : collectedKeys()) {
            EXPECT_EQ(declared.count(key), 1u) << attribute->className() << " packs undeclared " << key;
        }
        EXPECT_FALSE(collectedKeys().empty()) << attribute->className();
    }
    collectedKeys().clear();
}
