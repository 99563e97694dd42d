#include "GlEffectFixtures.h"

#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"

using cocos2d::ccColor4F;
using cocos2d::CCPoint;

namespace fieldfixtures {

namespace {

template <class T>
std::shared_ptr<T> made() {
    auto model = T::create();
    QVModelController::shared()->addModel(model);
    return model;
}

template <class A, class V>
void set(const QVModel& model, const char* name, const V& value) {
    attributeCast<A>(model.attribute(name))->setValue(value);
}

void setWithVariance(const QVModel& model, const char* name, float value, float variance) {
    auto* attribute = attributeCast<QVAttributeFloat>(model.attribute(name));
    attribute->setValue(value);
    attribute->setVariableValue(variance);
}

}  // namespace

std::shared_ptr<QVModelObjectLight> lightPlacement(const CCPoint& position, float radius, bool castShadow,
                                                   const ccColor4F& color) {
    auto light = made<QVModelObjectLight>();
    light->setPosition(position);
    set<QVAttributeFloat>(*light, "Radius", radius);
    set<QVAttributeColor>(*light, "Color", color);
    set<QVAttributeBool>(*light, "Cast Shadow", castShadow);
    return light;
}

std::shared_ptr<QVModelObjectMirror> mirrorPlacement(const CCPoint& position, const CCPoint& scale,
                                                     const ccColor4F& color) {
    auto mirror = made<QVModelObjectMirror>();
    mirror->setPosition(position);
    mirror->setScale(scale);
    set<QVAttributeColor>(*mirror, "Color", color);
    return mirror;
}

std::shared_ptr<QVModelObjectParticles> particlesPlacement(const CCPoint& position) {
    auto particles = made<QVModelObjectParticles>();
    particles->setPosition(position);
    return particles;
}

std::shared_ptr<QVModelObjectParticlesEmitter> particlesEmitter(
    const std::shared_ptr<QVModelObjectParticles>& particles, const std::shared_ptr<QVModelSpriteContainer>& texture,
    const CCPoint& position) {
    auto emitter = made<QVModelObjectParticlesEmitter>();
    emitter->setPosition(position);
    if (texture) attributeCast<QVAttributeSprite>(emitter->attribute("Texture"))->setValue(texture);
    set<QVAttributeFloat>(*emitter, "Total Particles", 300.0f);
    set<QVAttributeFloat>(*emitter, "Emission Rate", 100.0f);
    setWithVariance(*emitter, "Life", 1.0f, 0.0f);
    setWithVariance(*emitter, "Speed", 60.0f, 20.0f);
    setWithVariance(*emitter, "Angle", 90.0f, 180.0f);
    set<QVAttributeFloat>(*emitter, "Start Size", 8.0f);
    set<QVAttributeFloat>(*emitter, "End Size", 8.0f);
    auto* colour = attributeCast<QVAttributeGradient>(emitter->attribute("Color"));
    colour->setColor(0.0f, ccColor4F{1, 0, 0, 1});
    colour->setColor(1.0f, ccColor4F{1, 0, 0, 1});
    set<QVAttributeStringList>(*emitter, "Position Type", std::string("kCCPositionTypeFree"));
    particles->addChild(emitter);
    return emitter;
}

}  // namespace fieldfixtures
