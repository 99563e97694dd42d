#include "TestAllKinds.h"

#include <cstdio>

using cocos2d::ccc4f;
using cocos2d::CCPoint;
using cocos2d::CCRect;
using cocos2d::CCSize;

TestAllKinds::TestAllKinds(const std::string& name) : QVModel(name) {
    (new QVAttributeInt("Int", this))->setValue(7, true);
    new QVAttributeKey("Key", this);
    (new QVAttributeUInt("UInt", this))->setValue(1u, true);
    (new QVAttributeBool("Bool", this))->setValue(true, true);
    (new QVAttributeFloat("Float", this))->setValue(1.f, true);
    (new QVAttributeInt("Empty Int", this))->setAllowEmpty(true);
    new QVAttributeFrameEdgeState("Edge State", this, kQVObjectFrameEdgePush);
    new QVAttributeOrientation("Orientation", this, kQVOrientationLandscape);
    new QVAttributeScreenAdjustment("Screen Adjustment", this, kQVScreenAdjustment2);
    auto* text = new QVAttributeString("Text", this);
    text->setMaxLength(kTextMaxLength);
    text->setValue("text", true);
    (new QVAttributeStringList("Choice", this))->setValue("kChoiceNone", true);
    new QVAttributeRect("Rect", this);
    new QVAttributeSize("Size", this);
    new QVAttributePoint("Point", this);
    new QVAttributeColor("Color", this);
    new QVAttributeGradient("Gradient", this);
    new QVAttributeSprite("Sprite", this);
    (new QVAttribute("Load", this))->setConnectionMode(QVBaseAttribute::kConnectionSource, true);
    (new QVAttribute("Target", this))->setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
}

TestAllKinds::TestAllKinds(const TestAllKinds& source) : QVModel(source) {}

namespace allkinds {

const char* const kFullText = "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln: \"K\xc3\xa4se\" \\ \xf0\x9f\x8e\xae";
const char* const kPartialText =
    "Ein l\xc3\xa4ngerer Text, der \xc3\xbc" "ber die H\xc3\xb6" "chstl\xc3\xa4nge von 40 Bytes hinausgeht.";

QVKeyTableMap fixtureKeyTable() {
    static const char* const names[] = {
        "Name",      "children",         "variableValue", "isEmpty",    "animations",  "state",
        "animation", "points",           "preset",        "enum",       "value",       "isXEmpty",
        "isYEmpty",  "animationsX",      "animationsY",   "gradients",  "pos",         "color",
        "connectedModelId", "attributeName", "Int",       "Key",        "UInt",        "Bool",
        "Float",     "Empty Int",        "Edge State",    "Orientation", "Text",       "Choice",
        "Rect",      "Size",             "Point",         "Class Name", "Color",       "Sprite",
        "Load",      "Target",           "Animation Speed", "Duration", "Excluded From Atlas"};
    QVKeyTableMap table;
    int32_t number = 0;
    for (const char* name : names) table[name] = number++;
    table["id"] = 42;
    table["User ID"] = 50;
    table["Screen Adjustment"] = 130;
    table["Gradient"] = 140;
    for (int32_t n = 0; n <= 140; ++n) {
        if (n < number || n == 42 || n == 50 || n == 130 || n == 140) continue;
        char filler[32];
        std::snprintf(filler, sizeof filler, "Filler %03d", static_cast<int>(n));
        table[filler] = n;
    }
    return table;
}

namespace {

QVAnimationCurve* addedCurve(std::initializer_list<std::pair<float, float>> timeValues) {
    auto* curve = new QVAnimationCurve;
    for (const auto& key : timeValues) curve->addKey(key.second, key.first);
    return curve;
}

}  // namespace

void setFullValues(TestAllKinds& model) {
    model.setName("All Kinds");
    model.intAttribute()->setValue(-70000, true);
    model.intAttribute()->setVariableValue(-3, true);
    model.keyAttribute()->setValue(300, true);
    model.uintAttribute()->setValue(3000000000u, true);
    model.uintAttribute()->setVariableValue(200u, true);
    model.boolAttribute()->setValue(false, true);
    model.boolAttribute()->setVariableValue(true, true);

    QVAttributeFloat* f = model.floatAttribute();
    f->setValue(2.5f, true);
    f->setVariableValue(0.1f, true);
    auto* floatCurve = new QVAnimationCurve;
    floatCurve->setPreset(2);
    floatCurve->appendKey({-1.f, 0.f, 0.f, 0.5f});
    floatCurve->appendKey({2.f, 0.5f, 3.f, 4.f});
    floatCurve->appendKey({1.f, 1.25f, 1.f, 1.f});
    f->setAnimationCurves({floatCurve}, 2);

    model.emptyIntAttribute()->setValue(-100, true);
    model.emptyIntAttribute()->setEmpty(true, true);
    model.edgeStateAttribute()->setValue(kQVObjectFrameEdgeKill, true);
    model.orientationAttribute()->setValue(kQVOrientationPortrait, true);
    model.screenAdjustmentAttribute()->setValue(kQVScreenAdjustment3, true);
    model.textAttribute()->setValue(kFullText, true);
    model.choiceAttribute()->setValue("kMovementLinear", true);
    model.rectAttribute()->setValue(CCRect(-16.5f, 8.f, 320.f, 240.f), true);
    model.sizeAttribute()->setValue(CCSize(64.f, 32.5f), true);

    QVAttributePoint* p = model.pointAttribute();
    p->setValue(CCPoint(1.5f, -2.f), true);
    p->setVariableValue(CCPoint(0.5f, 0.25f), true);
    p->setAnimationCurves({addedCurve({{0.f, 0.f}, {0.25f, 4.f}, {0.5f, 10.f}, {0.75f, 6.f}, {1.f, 2.f},
                                       {1.25f, -4.f}, {1.5f, 0.f}, {1.75f, 8.f}, {2.f, 12.f}}),
                           addedCurve({{0.f, 0.f}, {0.5f, 2.5f}})},
                          1);
    p->setAnimationCurves({addedCurve({{0.f, 0.f}, {1.f, -5.f}}), addedCurve({{0.f, 1.f}, {1.f, 3.f}, {2.f, 2.f}})},
                          4);

    model.colorAttribute()->setValue(ccc4f(1.f, 0.5f, 0.25f, 0.75f), true);
    QVAttributeGradient* g = model.gradientAttribute();
    g->setColor(0.f, ccc4f(1.f, 0.f, 0.f, 1.f), true);
    g->setColor(0.5f, ccc4f(0.f, 1.f, 0.f, 1.f), true);
    g->setColor(1.f, ccc4f(0.f, 0.f, 1.f, 1.f), true);
}

}  // namespace allkinds
