#include "player/objects/QVComponentHealth.h"

#include <utility>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVNeutralRead.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVSound.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"

namespace {

// The delay in whole milliseconds, in 100-ns ticks; NaN, negative and huge
// delays stay within range.
int64_t windowTicks(float delay) {
    const double ms = static_cast<double>(delay) * 1000.0;
    if (!(ms > 0.0)) return 0;
    constexpr double kLongest = 1e14;  // about three thousand years
    return static_cast<int64_t>(ms < kLongest ? ms : kLongest) * 10000;
}
}  // namespace

QVComponentHealth::~QVComponentHealth() {
    if (!m_damageAnimation) return;
    // The owner's table may hold the animation longer than this component.
    m_damageAnimation->setEndCallback(nullptr);
    m_damageAnimation->release();
}

std::shared_ptr<QVModelComponentHealth> QVComponentHealth::healthModel() const {
    return modelCast<QVModelComponentHealth>(m_model);
}

void QVComponentHealth::setModel(std::shared_ptr<QVModelComponent> model) {
    QVComponent::setModel(std::move(model));
    const auto health = healthModel();
    m_health = health ? health->health() : 0;
    m_lives = health ? health->lives() : 0;
    if (m_health < 1) m_health = 1;
}

void QVComponentHealth::setOwner(QVPObject* owner) {
    QVComponent::setOwner(owner);
    if (m_damageAnimation) return;
    const auto health = healthModel();
    m_damageAnimation = makeOwnerAnimation(health ? qvread::linked(health->takingDamageAnimationAttribute()) : nullptr);
    if (m_damageAnimation) m_damageAnimation->setEndCallback(this, &QVComponentHealth::onDamageAnimationEnded);
}

bool QVComponentHealth::takeDamage(int32_t amount, float delay) {
    if (m_health < 1) return false;
    if (compat::monotonicTicks() < m_damageBlockedUntil) return false;
    // Wider arithmetic, so a hostile amount cannot overflow.
    const int64_t left = static_cast<int64_t>(m_health) - amount;
    m_health = left < 0 ? 0 : static_cast<int32_t>(left > m_health ? m_health : left);
    m_damageBlockedUntil = compat::monotonicTicks() + windowTicks(delay);
    if (m_health != 0) {
        m_damaged = true;
        return true;
    }
    if (!m_dying) {
        m_dying = true;
        const auto health = healthModel();
        m_deathDelayLeft = health ? qvread::value(health->deathDelayAttribute()) : 0.0f;
    }
    return true;
}

void QVComponentHealth::update(float dt) {
    if (m_dying) {
        m_deathDelayLeft -= dt;
        // Written so that a NaN delay kills at once rather than never.
        if (!(m_deathDelayLeft > 0.0f)) {
            if (auto* owner = dynamic_cast<QVPObjectAsset*>(m_owner)) owner->kill();
            m_dying = false;
        }
        return;
    }
    if (!m_damaged) return;
    m_damaged = false;
    const auto health = healthModel();
    if (auto sound = makeSound(health ? qvread::linked(health->takingDamageSoundAttribute()) : nullptr)) {
        // Plays once and deletes itself.
        QVSound* once = sound.release();
        once->setAutoRelease(true);
        once->play(false, false);
    }
    auto* owner = dynamic_cast<QVPObjectAsset*>(m_owner);
    if (!m_damageAnimation || !owner) return;
    // Re-added at priority 0 so that it shows above every other animation.
    m_damageAnimation->restart();
    owner->removeAnimation(0, m_damageAnimation, nullptr);
    owner->addAnimation(0, m_damageAnimation, nullptr);
}

void QVComponentHealth::hideDamageAnimation() {
    if (auto* owner = dynamic_cast<QVPObjectAsset*>(m_owner)) owner->removeAnimation(0, m_damageAnimation, nullptr);
    m_damageAnimation->setVisible(false);
}

void QVComponentHealth::onDamageAnimationEnded() {
    if (m_damageAnimation) hideDamageAnimation();
}

void QVComponentHealth::onStateChanged() {
    if (m_damageAnimation && m_owner && m_owner->getState() == QVPObject::kStateDying) hideDamageAnimation();
}
