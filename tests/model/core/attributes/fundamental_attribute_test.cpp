// Fundamental (int, key, uint, bool, float) and enumeration attributes.
#include <cfloat>
#include <climits>

#include "attribute_test_support.h"
#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"

using namespace attrtest;
using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCPoint;
using cocos2d::CCString;

using FundamentalPacking = AttributeTest;

// Each kind reading back what it wrote is checked value by value against the
// pack fixtures (tests/model/core/golden).
TEST_F(FundamentalPacking, WritesCanonicalFormsInOrder) {
    QVAttributeInt i("I", model.get());
    i.setValue(-5);
    i.setVariableValue(300);
    // {10: -5, 2: 300, 3: false}
    EXPECT_EQ(hex(packBytes(i)), "83 0a fb 02 cd 01 2c 03 c2");

    QVAttributeUInt u("U", model.get());
    u.setValue(3000000000u);
    EXPECT_EQ(hex(packBytes(u)), "83 0a ce b2 d0 5e 00 02 00 03 c2");

    QVAttributeFloat f("F", model.get());
    f.setValue(1.5f);
    EXPECT_EQ(hex(packBytes(f)), "83 0a ca 3f c0 00 00 02 ca 00 00 00 00 03 c2");
}

TEST_F(FundamentalPacking, PackValuesStayUnclampedWhileDictionaryAndSetterValuesAreClamped) {
    auto* source = new QVAttributeFloat("F", model.get());
    source->setValue(1.5f, true);
    auto* ranged = new QVAttributeFloat("F", model.get());
    ranged->setRange(0.f, 1.f);
    // A declared range clamps the value but never the variance (a spread).
    auto* sheet = new QVAttributeFloat("Sheet", model.get());
    sheet->setValue(9000.f, true);
    sheet->setRange(128.f, 4096.f);
    EXPECT_EQ(sheet->value(), 4096.f);
    EXPECT_EQ(sheet->variableValue(), 0.f);
    listener.valueChanges = 0;

    packInto(*source, *ranged);
    EXPECT_EQ(ranged->value(), 1.5f);
    EXPECT_EQ(listener.valueChanges, 0) << "loading never notifies";

    ranged->valueFromDictionary(dictOf({{"value", "-2.5"}, {"variableValue", "7"}}));
    EXPECT_EQ(ranged->value(), 0.f);
    EXPECT_EQ(ranged->variableValue(), 1.f);
    EXPECT_EQ(listener.valueChanges, 0);

    EXPECT_TRUE(ranged->setValue(1.5f));
    EXPECT_EQ(ranged->value(), 1.f);
    EXPECT_EQ(listener.valueChanges, 1);
    EXPECT_FALSE(ranged->setValue(9.f)) << "clamps to the held value: no change";
    EXPECT_TRUE(ranged->setValue(0.5f, true));
    EXPECT_EQ(listener.valueChanges, 1) << "silent and unchanged sets tell nobody";
    EXPECT_EQ(ranged->value(), 0.5f);
}

TEST_F(FundamentalPacking, IsEmptyIsWrittenOnlyWhileEmptiesAreAllowed) {
    QVAttributeInt attr("I", model.get());
    attr.setEmpty(true);
    EXPECT_EQ(listener.valueChanges, 0) << "a mark that does not count notifies nobody";
    EXPECT_TRUE(attr.hasValue());
    EXPECT_EQ(hex(packBytes(attr)), "83 0a 00 02 00 03 c2");
    EXPECT_STREQ(attr.valueToDictionary()->valueForKey("isEmpty")->getCString(), "0");

    attr.setAllowEmpty(true);
    EXPECT_FALSE(attr.hasValue());
    EXPECT_EQ(hex(packBytes(attr)), "83 0a 00 02 00 03 c3");
    EXPECT_STREQ(attr.valueToDictionary()->valueForKey("isEmpty")->getCString(), "1");

    // A copy keeps the mark only where it counts.
    attr.setAllowEmpty(false);
    std::unique_ptr<QVAttribute> copy(attr.clone(std::string("Copy"), nullptr));
    attr.setAllowEmpty(true);
    EXPECT_FALSE(static_cast<QVAttributeInt*>(copy.get())->isEmpty());

    // An absent dictionary "isEmpty" clears the mark.
    attr.valueFromDictionary(dictOf({{"value", "4"}}));
    EXPECT_FALSE(attr.isEmpty());
    EXPECT_EQ(attr.value(), 4);
}

TEST_F(FundamentalPacking, AnimationsReplaceCurvesOnlyWhenTheArrayHasElements) {
    auto* attr = new QVAttributeFloat("F", model.get());
    attr->setAnimationCurves({curveOf({{0.f, 1.f}}).release()}, 1);

    msgpack::zone zone;
    QVPackMap empty(zone);
    empty.put("animations", std::vector<msgpack::object>{});
    attr->unpack(ReadMap(empty.toBytes()).map);
    EXPECT_EQ(attr->curves().size(), 1u) << "an empty array keeps the curves";
    attr->unpack(ReadMap(QVPackMap(zone).toBytes()).map);
    EXPECT_EQ(attr->curves().size(), 1u) << "an absent array keeps the curves";

    QVPackMap twoStates(zone);
    twoStates.put("animations", curveElements(zone, {2, 3}));
    attr->unpack(ReadMap(twoStates.toBytes()).map);
    ASSERT_EQ(attr->curves().size(), 2u);
    EXPECT_TRUE(attr->animationCurves(1).empty());
    EXPECT_FLOAT_EQ(attr->curveValue(0.f, 3), 3.f);
}

TEST_F(FundamentalPacking, ANullCurveEntryPacksAsAnEmptyArray) {
    QVAttributeBool attr("B", model.get());
    attr.setAnimationCurves({nullptr}, 0);
    ASSERT_EQ(attr.curves().size(), 1u);
    EXPECT_TRUE(attr.animationCurves(0).empty());
    // {10: false, 2: false, 3: false, 4: []}
    EXPECT_EQ(hex(packBytes(attr)), "84 0a c2 02 c2 03 c2 04 90");
}

using FundamentalDictionary = AttributeTest;

TEST_F(FundamentalDictionary, TextFormsFollowTheValueType) {
    QVAttributeInt i("I", model.get());
    QVAttributeUInt u("U", model.get());
    QVAttributeBool b("B", model.get());
    QVAttributeFloat f("F", model.get());
    i.setValue(-12);
    u.setValue(4294967295u);
    b.setValue(true);
    f.setValue(2.5f);
    EXPECT_STREQ(i.valueToDictionary()->valueForKey("value")->getCString(), "-12");
    EXPECT_STREQ(u.valueToDictionary()->valueForKey("value")->getCString(), "4294967295");
    EXPECT_STREQ(b.valueToDictionary()->valueForKey("value")->getCString(), "1");
    EXPECT_STREQ(f.valueToDictionary()->valueForKey("value")->getCString(), "2.500000");
    EXPECT_EQ(f.valueToDictionary()->objectForKey("animations"), nullptr);

    QVAttributeUInt u2("U2", model.get());
    u2.valueFromDictionary(u.valueToDictionary());
    EXPECT_EQ(u2.value(), 4294967295u) << "ids above 2^31 survive the text form";
}

TEST_F(FundamentalDictionary, EmptyTextKeepsTheValueAndAnimationsReplaceCurves) {
    QVAttributeFloat f("F", model.get());
    f.setValue(3.f);
    f.setAnimationCurves({curveOf({{0.f, 1.f}}).release()}, 1);
    CCDictionary* dict = dictOf({{"value", ""}, {"variableValue", ""}});
    f.valueFromDictionary(dict);
    EXPECT_EQ(f.value(), 3.f);
    EXPECT_EQ(f.curves().size(), 1u) << "no \"animations\": curves stay";

    QVAttributeFloat source("S", model.get());
    source.setAnimationCurves({curveOf({{0.f, 5.f}, {1.f, 6.f}}).release()}, 2);
    f.valueFromDictionary(source.valueToDictionary());
    ASSERT_EQ(f.curves().size(), 1u);
    EXPECT_EQ(f.animationCurves(2)[0]->keys(), source.animationCurves(2)[0]->keys());
}

using FundamentalCurves = AttributeTest;

TEST_F(FundamentalCurves, SettingCurvesDeletesTheReplacedOneAndNotifies) {
    {
        auto* attr = new QVAttributeFloat("F", model.get());
        auto* first = new CountedCurve;
        auto* second = new CountedCurve;
        attr->setAnimationCurves({first}, 2);
        EXPECT_EQ(listener.valueChanges, 1);
        attr->setAnimationCurves({second}, 2);
        EXPECT_EQ(CountedCurve::destroyed, 1);
        EXPECT_EQ(listener.valueChanges, 2);
        attr->setAnimationCurves({second}, 2);
        EXPECT_EQ(CountedCurve::destroyed, 1) << "the same curve is kept, not freed";
        EXPECT_EQ(listener.valueChanges, 3) << "the same curve still notifies";
        attr->setAnimationCurves({}, 2);
        EXPECT_EQ(listener.valueChanges, 3) << "an empty list tells nobody";
        ASSERT_EQ(attr->animationCurves(2).size(), 1u);
        EXPECT_EQ(attr->animationCurves(2)[0], second);
    }
    model->removeListener(&listener);
    model.reset();
    EXPECT_EQ(CountedCurve::destroyed, 2);
}

TEST_F(FundamentalCurves, ACurveMovedToAnotherStateIsOwnedOnce) {
    auto* attr = new QVAttributeInt("I", model.get());
    auto* curve = new CountedCurve;
    attr->setAnimationCurves({curve}, 1);
    attr->setAnimationCurves({curve}, 4);
    EXPECT_TRUE(attr->animationCurves(1).empty());
    model->removeListener(&listener);
    model.reset();
    EXPECT_EQ(CountedCurve::destroyed, 1);
}

TEST_F(FundamentalCurves, ACopySharesNoCurve) {
    auto* source = new QVAttributeFloat("F", model.get());
    source->setAnimationCurves({curveOf({{0.f, 1.f}, {1.f, 2.f}}).release()}, 3);
    auto copyOwner = ProbeModel::create();
    auto* copy = static_cast<QVAttributeFloat*>(source->clone(copyOwner.get()));
    ASSERT_EQ(copy->owner(), copyOwner.get());
    ASSERT_EQ(copy->animationCurves(3).size(), 1u);
    EXPECT_NE(copy->animationCurves(3)[0], source->animationCurves(3)[0]);
    model->removeListener(&listener);
    model.reset();
    EXPECT_FLOAT_EQ(copy->curveValue(0.5f, 3), 1.5f);
}

TEST_F(FundamentalCurves, AnimatedValueAddsTheStateCurve) {
    QVAttributeFloat f("F", model.get());
    f.setValue(10.f);
    QVAnimationCurve* curve = curveOf({{0.f, 0.f}, {2.f, 4.f}}).release();
    curve->setInterpolation(QVAnimationCurve::kInterpolationLinear);
    f.setAnimationCurves({curve}, 1);
    EXPECT_FLOAT_EQ(f.animatedValue(1, 1.f), 12.f);
    EXPECT_FLOAT_EQ(f.animatedValue(0, 1.f), 10.f);

    QVAttributeInt i("I", model.get());
    i.setValue(INT_MAX);
    i.setAnimationCurves({curveOf({{0.f, 5.f}}).release()}, 1);
    EXPECT_EQ(i.animatedValue(1, 0.f), INT_MAX) << "saturates instead of overflowing";
}

using EnumerationAttributes = AttributeTest;

TEST_F(EnumerationAttributes, AbsentEnumReadsAsZeroAndEmptyTextKeepsTheValue) {
    QVAttributeOrientation orientation("O", model.get(), kQVOrientationLandscape);
    QVAttributeScreenAdjustment adjustment("A", model.get(), kQVScreenAdjustment3);
    EXPECT_EQ(hex(packBytes(adjustment)), "81 09 03");

    QVAttributeScreenAdjustment read("A", model.get());
    packInto(adjustment, read);
    EXPECT_EQ(read.value(), kQVScreenAdjustment3);

    msgpack::zone zone;
    orientation.unpack(ReadMap(QVPackMap(zone).toBytes()).map);
    EXPECT_EQ(orientation.value(), kQVOrientationPortrait);

    QVAttributeFrameEdgeState edge("E", model.get(), kQVObjectFrameEdgeKill);
    edge.valueFromDictionary(dictOf({{"value", ""}}));
    EXPECT_EQ(edge.value(), kQVObjectFrameEdgeKill);
    edge.valueFromDictionary(dictOf({{"value", "1"}}));
    EXPECT_EQ(edge.value(), kQVObjectFrameEdgePush);
    EXPECT_STREQ(edge.valueToDictionary()->valueForKey("value")->getCString(), "1");
    EXPECT_EQ(listener.valueChanges, 0);

    EXPECT_FALSE(edge.setValue(kQVObjectFrameEdgePush));
    EXPECT_TRUE(edge.setValue(kQVObjectFrameEdgeNone));
    EXPECT_EQ(listener.valueChanges, 1);
}

TEST(AttributeClasses, EachConcreteClassHasItsOwnNameAndTypeAndClonesAsItself) {
    installKeyTable({});
    auto owner = ProbeModel::create();
    std::vector<QVAttribute*> attributes = {
        new QVAttributeInt("a", owner.get()),         new QVAttributeKey("b", owner.get()),
        new QVAttributeUInt("c", owner.get()),        new QVAttributeBool("d", owner.get()),
        new QVAttributeFloat("e", owner.get()),       new QVAttributeFrameEdgeState("f", owner.get()),
        new QVAttributeOrientation("g", owner.get()), new QVAttributeScreenAdjustment("h", owner.get()),
    };
    const char* names[] = {"QVAttributeInt",         "QVAttributeKey",
                           "QVAttributeUInt",        "QVAttributeBool",
                           "QVAttributeFloat",       "QVAttributeFrameEdgeState",
                           "QVAttributeOrientation", "QVAttributeScreenAdjustment"};
    std::set<uint32_t> types;
    for (size_t n = 0; n < attributes.size(); ++n) {
        EXPECT_STREQ(attributes[n]->className(), names[n]);
        types.insert(attributes[n]->type());
        QVAttribute* copy = attributes[n]->clone(std::string("copy"));
        EXPECT_EQ(copy->type(), attributes[n]->type());
        EXPECT_EQ(copy->owner(), owner.get());
    }
    EXPECT_EQ(types.size(), attributes.size());
    EXPECT_EQ(types.count(typeId<QVAttribute>()), 0u);
    EXPECT_EQ(owner->attributes().size(), 1 + 2 * attributes.size());
    EXPECT_NE(attributeCast<QVAttributeInt>(owner->attribute("a")), nullptr);
    EXPECT_EQ(attributeCast<QVAttributeInt>(owner->attribute("b")), nullptr) << "a key is not an int by exact class";
}
