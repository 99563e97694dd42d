#include "player/objects/QVPObjectAssetParticles.h"

#include <algorithm>
#include <cmath>

#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "particles/CCParticleSystem.h"
#include "platform/QVLog.h"
#include "player/objects/QVPAnimationObject.h"

using cocos2d::ccColor4F;
using cocos2d::CCNode;
using cocos2d::CCParticleSystemQuad;
using cocos2d::CCPoint;

namespace {

cocos2d::CCTexture2D* textureOf(const QVModelObjectParticlesEmitter& emitter) {
    auto container = emitter.texture();
    return container ? container->getTexture(0) : nullptr;
}

ccColor4F scaled(const ccColor4F& c, float f) { return ccColor4F{c.r * f, c.g * f, c.b * f, c.a * f}; }

}  // namespace

QVPObjectAssetParticles::QVPObjectAssetParticles(std::shared_ptr<QVModelObject> model)
    : QVPObjectAsset(std::move(model)) {
    m_typeFlags = kTypeEffect;
    m_collisionType = kNoCollision;
    m_movesLinearly = true;
    auto particles = std::dynamic_pointer_cast<QVBaseModelObjectParticles>(m_model);
    if (!particles) return;
    for (const EmitterModel& emitter : particles->emitters()) createEmitter(emitter);
}

QVPObjectAssetParticles::~QVPObjectAssetParticles() {
    for (auto& entry : m_emitters) {
        entry.second->removeFromParent();
        entry.second->release();
    }
    m_emitters.clear();
}

QVPObjectAsset* QVPObjectAssetParticles::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetParticles(model);
}

void QVPObjectAssetParticles::createEmitter(const EmitterModel& emitter) {
    if (!emitter) return;
    cocos2d::CCTexture2D* texture = textureOf(*emitter);
    if (!texture) return;
    CCParticleSystemQuad* system = CCParticleSystemQuad::create();
    if (!system || !system->initWithTotalParticles(emitter->totalParticles())) {
        logMessage("QVPObjectAssetParticles::createEmitter - unable to init emitter");
        return;
    }
    system->setEmitterMode(cocos2d::kCCParticleModeGravity);
    system->setDuration(cocos2d::kCCParticleDurationInfinity);
    place(system, emitter);

    const QVModelObjectParticlesEmitter& e = *emitter;
    system->setTexture(texture);
    if (static_cast<int>(system->getTotalParticles()) != e.totalParticles())
        system->setTotalParticles(e.totalParticles());
    system->setEmissionRate(e.emissionRate());
    system->setBlendAdditive(e.blendAdditive());
    system->setPosition(e.position(0.0f, 0));
    system->setPosVar(e.positionVariance());
    system->setRotation(e.rotation(0.0f, 0));
    system->setZOrder(e.zDepth());
    const CCPoint scale = e.scale(0.0f, 0);
    system->setScaleX(scale.x);
    system->setScaleY(scale.y);
    system->setStartSize(e.startSize());
    system->setStartSizeVar(e.startSizeVariance());
    system->setEndSize(e.endSize());
    system->setEndSizeVar(e.endSizeVariance());
    system->setStartSpin(e.startSpin());
    system->setStartSpinVar(e.startSpinVariance());
    system->setEndSpin(e.endSpin());
    system->setEndSpinVar(e.endSpinVariance());
    system->setGravity(e.gravity());
    system->setRadialAccel(e.radialAcceleration());
    system->setRadialAccelVar(e.radialAccelerationVariance());
    system->setSpeed(e.speed());
    system->setSpeedVar(e.speedVariance());
    system->setAngle(e.angle());
    system->setAngleVar(e.angleVariance());
    system->setLife(e.life());
    system->setLifeVar(e.lifeVariance());
    applyColours(system, emitter, 1.0f);
    system->setPositionType(static_cast<cocos2d::tCCPositionType>(e.positionType()));
    system->setVisible(!e.hidden());

    system->retain();
    m_emitters.emplace_back(emitter, system);
    system->unscheduleUpdate();
}

void QVPObjectAssetParticles::applyColours(CCParticleSystemQuad* system, const EmitterModel& emitter, float factor) {
    system->setStartColor(scaled(emitter->color(0.0f), factor));
    system->setEndColor(scaled(emitter->color(1.0f), factor));
    system->setStartColorVar(scaled(emitter->colorVariation(0.0f), factor));
    system->setEndColorVar(scaled(emitter->colorVariation(1.0f), factor));
}

void QVPObjectAssetParticles::place(CCParticleSystemQuad* system, const EmitterModel& emitter) {
    system->retain();
    system->removeFromParentAndCleanup(false);
    if (m_gameLayer) {
        m_zDirty = true;
        m_gameLayer->addChild(system, zOrderInCamera());
    } else {
        addChild(system, getZOrder());
        system->setPosition(emitter->position(0.0f, 0));
    }
    system->release();
}

void QVPObjectAssetParticles::resetEmitters() {
    for (auto& entry : m_emitters) entry.second->resetSystem();
}

void QVPObjectAssetParticles::stopEmitters() {
    for (auto& entry : m_emitters) entry.second->stopSystem();
}

CCParticleSystemQuad* QVPObjectAssetParticles::systemOf(const EmitterModel& emitter) const {
    for (const auto& entry : m_emitters) {
        if (entry.first == emitter) return entry.second;
    }
    return nullptr;
}

void QVPObjectAssetParticles::setGameLayer(CCNode* gameLayer) {
    QVPObjectAsset::setGameLayer(gameLayer);
    for (auto& entry : m_emitters) place(entry.second, entry.first);
}

void QVPObjectAssetParticles::setAnimationSpeed(float factor) {
    QVPObjectAsset::setAnimationSpeed(factor);
    for (auto& entry : m_emitters) applyColours(entry.second, entry.first, factor);
}

CCPoint QVPObjectAssetParticles::positionInLayer(const EmitterModel& emitter) {
    return m_gameLayer->convertToNodeSpace(convertToWorldSpace(emitter->position(0.0f, 0)));
}

void QVPObjectAssetParticles::setVisible(bool visible) {
    QVPObjectAsset::setVisible(visible);
    if (!m_gameLayer) return;
    for (auto& entry : m_emitters) {
        entry.second->setPosition(positionInLayer(entry.first));
        entry.second->setEmissionRate(visible ? entry.first->emissionRate() : 0.0f);
        entry.second->update(0.0f);
    }
}

void QVPObjectAssetParticles::update(float dt) {
    if (m_zDirty) {
        m_zDirty = false;
        const int z = zOrderInCamera() - (getZOrder() == 0 ? 1 : 0);
        for (auto& entry : m_emitters) entry.second->setZOrder(z);
    }
    if (!m_gameLayer) {
        // A constant apparent size whatever the owner's scale.
        CCNode* owner = getParent();
        while (dynamic_cast<QVPAnimationObject*>(owner)) owner = owner->getParent();
        if (owner) {
            const float sx = owner->getScaleX();
            const float sy = owner->getScaleY();
            float s = std::min(std::fabs(sx), std::fabs(sy));
            s = s < 1.0f ? 2.0f - s : 1.0f / s;
            if (std::isfinite(s)) setScale(std::copysign(s, sx), std::copysign(s, sy));
        }
    }
    QVPObjectAsset::update(dt);
    if (!m_gameLayer) return;
    for (auto& entry : m_emitters) {
        entry.second->setPosition(positionInLayer(entry.first));
        entry.second->update(dt);
    }
}
