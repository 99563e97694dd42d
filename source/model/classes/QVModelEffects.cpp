#include "model/classes/QVModelEffects.h"

#include <cmath>

#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"

using cocos2d::ccColor4F;
using cocos2d::CCPoint;

namespace {
const ccColor4F kNoColor{0.0f, 0.0f, 0.0f, 0.0f};

const ccColor4F& colorOf(const QVAttributeColor* color) { return color ? color->value() : kNoColor; }

void setWhite255(QVAttributeColor* color) { color->setValue(ccColor4F{255.0f, 255.0f, 255.0f, 255.0f}, true); }

std::shared_ptr<QVModelSpriteContainer> containerOf(const QVAttributeSprite* sprite) {
    return sprite ? sprite->value() : nullptr;
}
}  // namespace

// ---------------------------------------------------------------- background

QVModelObjectBackground::QVModelObjectBackground(const std::string& name)
    : QVModelObject(name) QV_BACKGROUND_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelObjectBackground::QVModelObjectBackground(const QVModelObjectBackground& source)
    : QVModelObject(source) QV_BACKGROUND_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVModelObjectBackground::visualModel() const { return containerOf(m_image); }

float QVModelObjectBackground::speed() const { return qvread::value(m_speed); }

float QVModelObjectBackground::tilingOffset() const { return qvread::value(m_tilingOffset); }

bool QVModelObjectBackground::fixedRotation() const { return qvread::value(m_fixedRotation); }

// ---------------------------------------------------------------- flag, trail

QVBaseModelObjectRibbon::QVBaseModelObjectRibbon(const std::string& name, const Defaults& defaults)
    : QVModelObjectAsset(name) QV_RIBBON_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_texture->setExcludedFromAtlas(true);
    m_startWidth->setValue(defaults.startWidth, true);
    m_endWidth->setValue(defaults.endWidth, true);
    m_speed->setValue(defaults.speed, true);
    m_length->setValue(defaults.length, true);
    m_waveHeight->setValue(defaults.waveHeight, true);
    m_waveLength->setValue(defaults.waveLength, true);
}

QVBaseModelObjectRibbon::QVBaseModelObjectRibbon(const QVBaseModelObjectRibbon& source)
    : QVModelObjectAsset(source) QV_RIBBON_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectRibbon::texture() const { return containerOf(m_texture); }

float QVBaseModelObjectRibbon::startWidth() const { return qvread::value(m_startWidth); }

float QVBaseModelObjectRibbon::endWidth() const { return qvread::value(m_endWidth); }

float QVBaseModelObjectRibbon::speed() const { return qvread::value(m_speed); }

float QVBaseModelObjectRibbon::length() const { return qvread::value(m_length); }

float QVBaseModelObjectRibbon::waveHeight() const { return qvread::value(m_waveHeight); }

float QVBaseModelObjectRibbon::waveLength() const { return qvread::value(m_waveLength); }

QVModelObjectFlag::QVModelObjectFlag(const std::string& name)
    : QVBaseModelObjectRibbon(name, {50.0f, 50.0f, 100.0f, 200.0f, 100.0f, 100.0f}) {}

QVModelObjectFlag::QVModelObjectFlag(const QVModelObjectFlag& source) : QVBaseModelObjectRibbon(source) {}

QVModelObjectTrail::QVModelObjectTrail(const std::string& name)
    : QVBaseModelObjectRibbon(name, {15.0f, 5.0f, 50.0f, 300.0f, 0.0f, 50.0f}) {}

QVModelObjectTrail::QVModelObjectTrail(const QVModelObjectTrail& source) : QVBaseModelObjectRibbon(source) {}

// ---------------------------------------------------------------- light

QVBaseModelObjectLight::QVBaseModelObjectLight(const std::string& name)
    : QVModelObjectAsset(name) QV_LIGHT_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_radius->setValue(25.0f, true);
    setWhite255(m_color);
}

QVBaseModelObjectLight::QVBaseModelObjectLight(const QVBaseModelObjectLight& source)
    : QVModelObjectAsset(source) QV_LIGHT_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

float QVBaseModelObjectLight::radius() const { return qvread::value(m_radius); }

const ccColor4F& QVBaseModelObjectLight::color() const { return colorOf(m_color); }

bool QVBaseModelObjectLight::castShadow() const { return qvread::value(m_castShadow); }

QVModelObjectLight::QVModelObjectLight(const std::string& name) : QVBaseModelObjectLight(name) {}

QVModelObjectLight::QVModelObjectLight(const QVModelObjectLight& source) : QVBaseModelObjectLight(source) {}

// ---------------------------------------------------------------- mirror

QVModelObjectMirror::QVModelObjectMirror(const std::string& name)
    : QVModelObjectAsset(name) QV_MIRROR_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    setWhite255(m_color);
}

QVModelObjectMirror::QVModelObjectMirror(const QVModelObjectMirror& source)
    : QVModelObjectAsset(source) QV_MIRROR_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const ccColor4F& QVModelObjectMirror::color() const { return colorOf(m_color); }

void QVModelObjectMirror::attributeChanged(QVAttribute* attribute, int kind) {
    QVModelObjectAsset::attributeChanged(attribute, kind);
    if (!m_scale || attribute != m_scale) return;
    // A NaN axis (only a pack stores one) fails every comparison; it is
    // taken as 0, like a negative one, not left to pass the clamp.
    auto clamped = [](float axis) { return std::isnan(axis) || axis < 0.0f ? 0.0f : std::fmin(axis, kMaxScale); };
    const CCPoint scale = m_scale->value();
    // Notifies only on a change, so the nested call ends the chain.
    m_scale->setValue(CCPoint(clamped(scale.x), clamped(scale.y)));
}
