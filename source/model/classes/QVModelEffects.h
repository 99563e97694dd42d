// Decorative effect objects: the parallax background layer, the waving flag,
// the trail, the light and the water mirror. The game field turns each into
// its engine nodes.
// Guarantees: flag, trail, light and mirror own a 10 x 10 box as their
// collision shape (a copy gets a fresh one, never the source's); a mirror's
// "Scale" stays within 0..40.96 per axis whenever it is set with
// notification, NaN included. Light and mirror colours are on 0..255.
#pragma once

#include <memory>
#include <string>

#include "math/ccTypes.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelOwnShape.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelSpriteContainer;

#define QV_BACKGROUND_ATTRIBUTES(X)                    \
    X(QVAttributeSprite, image, "Image")               \
    X(QVAttributeFloat, speed, "Speed")                \
    X(QVAttributeFloat, tilingOffset, "Tiling Offset") \
    X(QVAttributeBool, fixedRotation, "Fixed Rotation")

class QVModelObjectBackground : public QVModelObject {
    QV_MODEL_GLUE(QVModelObjectBackground, "Untitled", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectBackground(const std::string& name);
    QVModelObjectBackground(const QVModelObjectBackground& source);

    // The container linked by "Image".
    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;
    // Horizontal parallax ratio.
    float speed() const;
    // Gap after each repeated tile.
    float tilingOffset() const;
    bool fixedRotation() const;

protected:
    QV_BACKGROUND_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// The textured strip of flags and trails: one shape, each with its defaults.
#define QV_RIBBON_ATTRIBUTES(X)                    \
    X(QVAttributeSprite, texture, "Texture")       \
    X(QVAttributeFloat, startWidth, "Start Width") \
    X(QVAttributeFloat, endWidth, "End Width")     \
    X(QVAttributeFloat, speed, "Speed")            \
    X(QVAttributeFloat, length, "Length")          \
    X(QVAttributeFloat, waveHeight, "Wave Height") \
    X(QVAttributeFloat, waveLength, "Wave Length")

class QVBaseModelObjectRibbon : public QVModelObjectAsset {
    QV_OWN_BOX(10.0f)
    // The six float defaults, in table order after "Texture".
    struct Defaults {
        float startWidth, endWidth, speed, length, waveHeight, waveLength;
    };

    std::shared_ptr<QVModelSpriteContainer> texture() const;
    float startWidth() const;
    float endWidth() const;
    float speed() const;
    float length() const;
    float waveHeight() const;
    float waveLength() const;

protected:
    QVBaseModelObjectRibbon(const std::string& name, const Defaults& defaults);
    QVBaseModelObjectRibbon(const QVBaseModelObjectRibbon& source);

    QV_RIBBON_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectFlag : public QVBaseModelObjectRibbon {
    QV_MODEL_GLUE(QVModelObjectFlag, "Flag", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectFlag(const std::string& name);
    QVModelObjectFlag(const QVModelObjectFlag& source);
};

class QVModelObjectTrail : public QVBaseModelObjectRibbon {
    QV_MODEL_GLUE(QVModelObjectTrail, "Trail", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectTrail(const std::string& name);
    QVModelObjectTrail(const QVModelObjectTrail& source);
};

#define QV_LIGHT_ATTRIBUTES(X)            \
    X(QVAttributeFloat, radius, "Radius") \
    X(QVAttributeColor, color, "Color")   \
    X(QVAttributeBool, castShadow, "Cast Shadow")

class QVBaseModelObjectLight : public QVModelObjectAsset {
    QV_OWN_BOX(10.0f)
    float radius() const;
    // Components on 0..255.
    const cocos2d::ccColor4F& color() const;
    bool castShadow() const;

protected:
    explicit QVBaseModelObjectLight(const std::string& name);
    QVBaseModelObjectLight(const QVBaseModelObjectLight& source);

    QV_LIGHT_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectLight : public QVBaseModelObjectLight {
    QV_MODEL_GLUE(QVModelObjectLight, "Light", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectLight(const std::string& name);
    QVModelObjectLight(const QVModelObjectLight& source);
};

#define QV_MIRROR_ATTRIBUTES(X) X(QVAttributeColor, color, "Color")

class QVModelObjectMirror : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectMirror, "Mirror", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
    QV_OWN_BOX(10.0f)
    // The largest scale a mirror's render texture allows, per axis.
    static constexpr float kMaxScale = 40.96f;

    explicit QVModelObjectMirror(const std::string& name);
    QVModelObjectMirror(const QVModelObjectMirror& source);

    // Components on 0..255, handed to the reflection shader.
    const cocos2d::ccColor4F& color() const;

    // Clamps "Scale" into 0..kMaxScale per axis; NaN becomes 0.
    void attributeChanged(QVAttribute* attribute, int kind) override;

protected:
    QV_MIRROR_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};
