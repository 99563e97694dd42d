// TestAllKinds: a test model that declares one attribute of every kind, in the
// order and with the defaults that tests/fixtures/packs/README.md gives, so a
// pack written by C++ can be compared byte for byte with the fixtures.
// Also: the values of the fixtures' fully set model and the key table of
// their Keys.pack.
#pragma once

#include <memory>
#include <string>

#include "model/core/QVAttribute.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class TestAllKinds : public QVModel {
    QV_MODEL_GLUE(TestAllKinds, "TestAllKinds", QVModel)
public:
    static constexpr uint32_t kTextMaxLength = 40;

    explicit TestAllKinds(const std::string& name);
    TestAllKinds(const TestAllKinds& source);

    // The attribute of that name and exact class, or null.
    template <class A>
    A* find(const char* name) const {
        return attributeCast<A>(attribute(name));
    }

    QVAttributeInt* intAttribute() const { return find<QVAttributeInt>("Int"); }
    QVAttributeKey* keyAttribute() const { return find<QVAttributeKey>("Key"); }
    QVAttributeUInt* uintAttribute() const { return find<QVAttributeUInt>("UInt"); }
    QVAttributeBool* boolAttribute() const { return find<QVAttributeBool>("Bool"); }
    QVAttributeFloat* floatAttribute() const { return find<QVAttributeFloat>("Float"); }
    QVAttributeInt* emptyIntAttribute() const { return find<QVAttributeInt>("Empty Int"); }
    QVAttributeFrameEdgeState* edgeStateAttribute() const { return find<QVAttributeFrameEdgeState>("Edge State"); }
    QVAttributeOrientation* orientationAttribute() const { return find<QVAttributeOrientation>("Orientation"); }
    QVAttributeScreenAdjustment* screenAdjustmentAttribute() const {
        return find<QVAttributeScreenAdjustment>("Screen Adjustment");
    }
    QVAttributeString* textAttribute() const { return find<QVAttributeString>("Text"); }
    QVAttributeStringList* choiceAttribute() const { return find<QVAttributeStringList>("Choice"); }
    QVAttributeRect* rectAttribute() const { return find<QVAttributeRect>("Rect"); }
    QVAttributeSize* sizeAttribute() const { return find<QVAttributeSize>("Size"); }
    QVAttributePoint* pointAttribute() const { return find<QVAttributePoint>("Point"); }
    QVAttributeColor* colorAttribute() const { return find<QVAttributeColor>("Color"); }
    QVAttributeGradient* gradientAttribute() const { return find<QVAttributeGradient>("Gradient"); }
    QVAttributeSprite* spriteAttribute() const { return find<QVAttributeSprite>("Sprite"); }
    QVAttribute* loadAttribute() const { return find<QVAttribute>("Load"); }
    QVAttribute* targetAttribute() const { return find<QVAttribute>("Target"); }
};

namespace allkinds {

// Ids of the fixture models.
constexpr uint32_t kFullId = 200;
constexpr uint32_t kPartialId = 3000;
constexpr uint32_t kContainerId = 77;

// The texts of the fixtures, byte for byte.
extern const char* const kFullText;     // 33 bytes
extern const char* const kPartialText;  // 72 bytes

// The key table of tests/fixtures/packs/Keys.pack (User ID "12345").
QVKeyTableMap fixtureKeyTable();

// Gives `model` every value of the fixtures' fully set model (id 200), apart
// from its links; silently.
void setFullValues(TestAllKinds& model);

}  // namespace allkinds
