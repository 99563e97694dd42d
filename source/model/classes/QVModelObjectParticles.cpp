#include "model/classes/QVModelObjectParticles.h"

#include <algorithm>

#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVNumeric.h"

using cocos2d::ccColor4F;
using cocos2d::CCPoint;

// ---------------------------------------------------------------- particles

QVBaseModelObjectParticles::QVBaseModelObjectParticles(const std::string& name)
    : QVModelObjectAsset(name) QV_PARTICLES_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelObjectParticles::QVBaseModelObjectParticles(const QVBaseModelObjectParticles& source)
    : QVModelObjectAsset(source) QV_PARTICLES_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

QV_CHILD_LIST_HOOKS(QVBaseModelObjectParticles, QVModelObjectAsset, m_emitters)

QVModelObjectParticles::QVModelObjectParticles(const std::string& name) : QVBaseModelObjectParticles(name) {}

QVModelObjectParticles::QVModelObjectParticles(const QVModelObjectParticles& source)
    : QVBaseModelObjectParticles(source) {}

// ---------------------------------------------------------------- emitter

namespace {
const CCPoint kNoPoint;
const ccColor4F kOpaqueBlack{0.0f, 0.0f, 0.0f, 1.0f};

ccColor4F keyOrBlack(const QVAttributeGradient* gradient, float position) {
    const ccColor4F* key = gradient ? gradient->colorAt(position) : nullptr;
    return key ? *key : kOpaqueBlack;
}

float varianceOf(const QVAttributeFloat* attribute) { return attribute ? attribute->variableValue() : 0.0f; }
}  // namespace

QVModelObjectParticlesEmitter::QVModelObjectParticlesEmitter(const std::string& name)
    : QVModelObjectAsset(name) QV_EMITTER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    // The variance is part of what the author set on these, and on where
    // the particles start.
    for (QVBaseAttribute* variable :
         std::initializer_list<QVBaseAttribute*>{m_startSize, m_endSize, m_startSpin, m_endSpin, m_radialAcceleration,
                                                 m_speed, m_angle, m_life, m_position}) {
        variable->setFlags(QVBaseAttribute::kFlagVariableValue);
    }
    m_texture->setExcludedFromAtlas(true);
    m_totalParticles->setValue(150.0f, true);
    m_startSize->setValue(50.0f, true);
    m_endSize->setValue(50.0f, true);
    m_speed->setValue(60.0f, true);
    m_angle->setValue(90.0f, true);
    m_life->setValue(3.0f, true);
    // Computed once from the two defaults; later changes do not follow it.
    const auto total = static_cast<unsigned>(std::max(0, truncToInt(m_totalParticles->value())));
    m_emissionRate->setValue(static_cast<float>(truncToInt(static_cast<float>(total) / m_life->value())), true);
    m_speed->setVariableValue(20.0f, true);
    m_angle->setVariableValue(10.0f, true);
    m_life->setVariableValue(0.25f, true);
    m_color->setColor(0.0f, ccColor4F{1.0f, 1.0f, 1.0f, 1.0f}, true);
    m_color->setColor(1.0f, ccColor4F{0.0f, 0.0f, 0.0f, 1.0f}, true);
    m_colorVariation->setColor(0.0f, ccColor4F{0.0f, 0.0f, 0.0f, 0.0f}, true);
    m_colorVariation->setColor(1.0f, ccColor4F{0.0f, 0.0f, 0.0f, 0.0f}, true);
    m_color->setMarker(true);
    m_colorVariation->setMarker(true);
}

QVModelObjectParticlesEmitter::QVModelObjectParticlesEmitter(const QVModelObjectParticlesEmitter& source)
    : QVModelObjectAsset(source) QV_EMITTER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVModelObjectParticlesEmitter::texture() const {
    return m_texture ? m_texture->value() : nullptr;
}

int QVModelObjectParticlesEmitter::totalParticles() const { return truncToInt(qvread::value(m_totalParticles)); }

float QVModelObjectParticlesEmitter::emissionRate() const { return qvread::value(m_emissionRate); }

bool QVModelObjectParticlesEmitter::blendAdditive() const { return qvread::value(m_blendAdditive); }

float QVModelObjectParticlesEmitter::startSize() const { return qvread::value(m_startSize); }

float QVModelObjectParticlesEmitter::startSizeVariance() const { return varianceOf(m_startSize); }

float QVModelObjectParticlesEmitter::endSize() const { return qvread::value(m_endSize); }

float QVModelObjectParticlesEmitter::endSizeVariance() const { return varianceOf(m_endSize); }

float QVModelObjectParticlesEmitter::startSpin() const { return qvread::value(m_startSpin); }

float QVModelObjectParticlesEmitter::startSpinVariance() const { return varianceOf(m_startSpin); }

float QVModelObjectParticlesEmitter::endSpin() const { return qvread::value(m_endSpin); }

float QVModelObjectParticlesEmitter::endSpinVariance() const { return varianceOf(m_endSpin); }

const CCPoint& QVModelObjectParticlesEmitter::gravity() const { return m_gravity ? m_gravity->value() : kNoPoint; }

float QVModelObjectParticlesEmitter::radialAcceleration() const { return qvread::value(m_radialAcceleration); }

float QVModelObjectParticlesEmitter::radialAccelerationVariance() const { return varianceOf(m_radialAcceleration); }

float QVModelObjectParticlesEmitter::speed() const { return qvread::value(m_speed); }

float QVModelObjectParticlesEmitter::speedVariance() const { return varianceOf(m_speed); }

float QVModelObjectParticlesEmitter::angle() const { return qvread::value(m_angle); }

float QVModelObjectParticlesEmitter::angleVariance() const { return varianceOf(m_angle); }

float QVModelObjectParticlesEmitter::life() const { return qvread::value(m_life); }

float QVModelObjectParticlesEmitter::lifeVariance() const { return varianceOf(m_life); }

ccColor4F QVModelObjectParticlesEmitter::color(float position) const { return keyOrBlack(m_color, position); }

ccColor4F QVModelObjectParticlesEmitter::colorVariation(float position) const {
    return keyOrBlack(m_colorVariation, position);
}

int QVModelObjectParticlesEmitter::positionType() const {
    const std::string& type = qvread::text(m_positionType);
    if (type == "kCCPositionTypeRelative") return kPositionRelative;
    if (type == "kCCPositionTypeGrouped") return kPositionGrouped;
    return kPositionFree;
}
