// A particle effect and its emitters. The emitters are the effect's
// children; the effect also lists them, in the order they were added, for
// the game field, which builds one engine particle system per emitter.
// Guarantees: emitters() always holds exactly the children of exact class
// QVModelObjectParticlesEmitter, in adding order, also after a reload or a
// copy; "Emitters" carries no value and packs nothing. Emitter gradients are
// on 0..1; a missing key reads as opaque black.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "math/ccTypes.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelOwnShape.h"
#include "model/core/QVAttribute.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelObjectParticlesEmitter;
class QVModelSpriteContainer;

// Names the emitter list in the attribute list; the list itself travels as
// the children, so this attribute writes and reads nothing.
class QVAttributeParticlesEmitters : public QVAttribute {
    QV_ATTRIBUTE_GLUE(QVAttributeParticlesEmitters)
public:
    QVAttributeParticlesEmitters(QVNameArg name, QVModel* owner) : QVAttribute(std::move(name), owner) {}
    QVAttributeParticlesEmitters(QVNameArg name, QVModel* owner, const QVAttributeParticlesEmitters& source)
        : QVAttribute(std::move(name), owner, source) {}
};

#define QV_PARTICLES_ATTRIBUTES(X) X(QVAttributeParticlesEmitters, emittersList, "Emitters")

class QVBaseModelObjectParticles : public QVModelObjectAsset {
    QV_OWN_BOX(10.0f)
    const std::vector<std::shared_ptr<QVModelObjectParticlesEmitter>>& emitters() const { return m_emitters.items(); }

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

protected:
    explicit QVBaseModelObjectParticles(const std::string& name);
    // The copy's emitters come with its children.
    QVBaseModelObjectParticles(const QVBaseModelObjectParticles& source);

    QV_PARTICLES_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
    QVChildList<QVModelObjectParticlesEmitter, QVChildMatch::kExactClass> m_emitters;
};

class QVModelObjectParticles : public QVBaseModelObjectParticles {
    QV_MODEL_GLUE(QVModelObjectParticles, "Particle", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectParticles(const std::string& name);
    QVModelObjectParticles(const QVModelObjectParticles& source);
};

#define QV_EMITTER_ATTRIBUTES(X)                                   \
    X(QVAttributeSprite, texture, "Texture")                       \
    X(QVAttributeFloat, totalParticles, "Total Particles")         \
    X(QVAttributeFloat, emissionRate, "Emission Rate")             \
    X(QVAttributeBool, blendAdditive, "Blend Additive")            \
    X(QVAttributeFloat, startSize, "Start Size")                   \
    X(QVAttributeFloat, endSize, "End Size")                       \
    X(QVAttributeFloat, startSpin, "Start Spin")                   \
    X(QVAttributeFloat, endSpin, "End Spin")                       \
    X(QVAttributePoint, gravity, "Gravity")                        \
    X(QVAttributeFloat, radialAcceleration, "Radial Acceleration") \
    X(QVAttributeFloat, speed, "Speed")                            \
    X(QVAttributeFloat, angle, "Angle")                            \
    X(QVAttributeFloat, life, "Life")                              \
    X(QVAttributeGradient, color, "Color")                         \
    X(QVAttributeGradient, colorVariation, "Color Variation")      \
    X(QVAttributeStringList, positionType, "Position Type")

class QVModelObjectParticlesEmitter : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectParticlesEmitter, "", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    // The engine's particle position types.
    enum PositionType { kPositionFree = 0, kPositionRelative = 1, kPositionGrouped = 2 };

    explicit QVModelObjectParticlesEmitter(const std::string& name);
    QVModelObjectParticlesEmitter(const QVModelObjectParticlesEmitter& source);

    QV_PLACEHOLDER_SIZE(30.0f)

    std::shared_ptr<QVModelSpriteContainer> texture() const;
    // Whole part; NaN gives 0 and huge values saturate.
    int totalParticles() const;
    float emissionRate() const;
    bool blendAdditive() const;
    float startSize() const;
    float startSizeVariance() const;
    float endSize() const;
    float endSizeVariance() const;
    float startSpin() const;
    float startSpinVariance() const;
    float endSpin() const;
    float endSpinVariance() const;
    const cocos2d::CCPoint& gravity() const;
    float radialAcceleration() const;
    float radialAccelerationVariance() const;
    float speed() const;
    float speedVariance() const;
    float angle() const;
    float angleVariance() const;
    float life() const;
    float lifeVariance() const;
    // The key at exactly `position`, else opaque black.
    cocos2d::ccColor4F color(float position) const;
    cocos2d::ccColor4F colorVariation(float position) const;
    // From the exact, case-sensitive "Position Type" text; anything else is
    // free.
    int positionType() const;

protected:
    QV_EMITTER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};
