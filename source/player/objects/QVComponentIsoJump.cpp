#include "player/objects/QVComponentIsoJump.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVNumeric.h"
#include "physics/PhysicsGuard.h"
#include "player/app/QVSound.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"

using cocos2d::CCPoint;

namespace {

// The jump picture is drawn above the owner's other animations.
constexpr int kJumpZOffset = 500;

void hideAndStop(QVPAnimationObject* animation) {
    if (!animation) return;
    animation->setVisible(false);
    animation->stop();
}

void stopSound(const std::unique_ptr<QVSound>& sound) {
    if (sound) sound->stop();
}

}  // namespace

QVComponentIsoJump::QVComponentIsoJump() = default;

QVComponentIsoJump::~QVComponentIsoJump() {
    if (m_groundAnimation) m_groundAnimation->release();
    if (m_jumpAnimation) m_jumpAnimation->release();
}

std::shared_ptr<QVModelComponentIsoJump> QVComponentIsoJump::jumpModel() const {
    return modelCast<QVModelComponentIsoJump>(m_model);
}

void QVComponentIsoJump::setModel(std::shared_ptr<QVModelComponent> model) {
    QVComponent::setModel(std::move(model));
    const auto jump = jumpModel();
    if (!jump) return;
    m_event = QVComponentEvent::parse(jump->event());
    m_event.subscribe(this, callfuncO_selector(QVComponentIsoJump::onJumpPressed),
                      callfuncO_selector(QVComponentIsoJump::onJumpReleased));
    m_jumpSound = makeSound(jump->jumpSound());
    m_doubleJumpSound = makeSound(jump->doubleJumpSound());
}

void QVComponentIsoJump::setOwner(QVPObject* owner) {
    QVComponent::setOwner(owner);
    const auto jump = jumpModel();
    if (!jump || !owner || m_jumpAnimation || m_groundAnimation) return;
    m_groundAnimation = makeOwnerAnimation(jump->ground());
    if (m_groundAnimation) owner->addChild(m_groundAnimation);
    m_jumpAnimation = makeOwnerAnimation(jump->animation());
    if (!m_jumpAnimation) return;
    m_jumpAnimation->setZOrder(owner->getZOrder() + kJumpZOffset);
    if (qvread::value(jump->syncronizeAnimationAttribute())) m_jumpAnimation->stop();
}

void QVComponentIsoJump::onJumpPressed(cocos2d::CCObject* control) {
    const auto jump = jumpModel();
    if (!jump || !m_event.isControl(control)) return;
    m_held = true;
    if (!jump->activateOnRelease()) m_jumpRequested = true;
}

void QVComponentIsoJump::onJumpReleased(cocos2d::CCObject* control) {
    const auto jump = jumpModel();
    if (!jump || !m_event.isControl(control)) return;
    m_held = false;
    if (jump->activateOnRelease()) m_jumpRequested = true;
}

void QVComponentIsoJump::startJump() {
    const auto jump = jumpModel();
    if (!jump || !m_jumpAnimation || !m_owner) return;
    if (!(static_cast<float>(m_jumpsDone) < qvread::value(jump->jumpCountAttribute()))) return;
    if (m_owner->getState() >= QVPObject::kStateDying) return;
    if (m_jumpsDone == 0) {
        m_jumpAnimation->setPosition(CCPoint());
        if (m_jumpSound) m_jumpSound->play(false, false);
    } else if (m_doubleJumpSound) {
        m_doubleJumpSound->play(false, false);
    }
    m_jumpVelocity = jump->jumpVelocity();
    ++m_jumpsDone;
    m_jumping = true;
    m_holding = true;
    m_airTime = 0.0f;
    m_jumpAnimation->restart();
    if (QVPObjectAsset* asset = assetOwner()) {
        asset->addAnimation(QVPObjectAsset::kPriorityIsoJump, m_jumpAnimation, jump->collisionShape());
    }
    if (m_groundAnimation) {
        m_groundAnimation->setZOrder(m_owner->getZOrder());
        m_groundAnimation->restart();
        m_groundAnimation->setVisible(true);
    }
    m_owner->setControllable(false);
}

void QVComponentIsoJump::takeJumpsOff() {
    const auto jump = jumpModel();
    QVPObjectAsset* asset = assetOwner();
    for (; m_jumpsDone > 0; --m_jumpsDone) {
        if (asset && jump)
            asset->removeAnimation(QVPObjectAsset::kPriorityIsoJump, m_jumpAnimation, jump->collisionShape());
    }
    m_jumpsDone = 0;
}

void QVComponentIsoJump::endJump() {
    if (!m_jumpAnimation) return;
    m_timeSinceStart = 0.0f;
    m_jumping = false;
    m_holding = false;
    takeJumpsOff();
    hideAndStop(m_jumpAnimation);
    if (m_owner) {
        m_owner->setControllable(true);
        if (auto* character = dynamic_cast<QVPObjectAssetCharacter*>(m_owner)) {
            // The landing, as the character's own ground test makes it.
            character->setOnGround(false);
            character->setOnGround(true);
        } else {
            m_owner->setState(QVPObject::kStateIdle);
        }
    }
    hideAndStop(m_groundAnimation);
    stopSound(m_jumpSound);
    stopSound(m_doubleJumpSound);
}

int QVComponentIsoJump::syncFrame(float v, float jumpVelocityY, int frames) {
    const float j = jumpVelocityY;
    if (!(j > 0.0f) || frames <= 0) return -1;
    v = std::max(-j, std::min(j, v));
    const int frame = truncToInt((1.0f - (v + j) / (2.0f * j)) * static_cast<float>(frames));
    return std::max(0, std::min(frames - 1, frame));
}

void QVComponentIsoJump::update(float dt) {
    if (m_jumpRequested) {
        m_jumpRequested = false;
        startJump();
    }
    m_active = m_jumping;
    const auto jump = jumpModel();
    if (!m_jumping || !jump) {
        if (m_jumpAnimation) m_jumpAnimation->setVisible(false);
        if (jump && jump->continuousJump() && m_held) startJump();
        return;
    }
    QVPObjectAsset* asset = assetOwner();
    QVPAnimationObject* shown = asset ? asset->currentAnimation() : nullptr;
    if (!shown) {
        endJump();
        return;
    }

    const float s = qvread::value(jump->jumpSpeedAttribute()) * dt;
    m_timeSinceStart += dt;
    m_airTime += dt;
    std::vector<QVPAnimationObject*> moved{shown};
    for (QVPAnimationObject* attached : asset->attachedAnimations()) {
        if (attached != shown) moved.push_back(attached);
    }
    const CCPoint step(m_jumpVelocity.x * s, m_jumpVelocity.y * s);
    for (QVPAnimationObject* animation : moved) animation->setPosition(animation->getPosition() + step);

    // Written so that a NaN picture position (an unclamped stored "Jump
    // Velocity") lands at once rather than never.
    if (!(m_timeSinceStart <= qvread::value(jump->jumpDurationAttribute())) || !(shown->getPositionY() > 0.0f)) {
        for (QVPAnimationObject* animation : moved) animation->setPosition(CCPoint());
        endJump();
        return;
    }
    if (!m_holding) m_jumpVelocity = m_jumpVelocity - qvread::value(jump->jumpGravityAttribute()) * s;
    if (m_airTime > qvread::value(jump->jumpTimeoutAttribute())) m_holding = false;
    if (shown == m_jumpAnimation && qvread::value(jump->syncronizeAnimationAttribute())) {
        const int frame = syncFrame(m_jumpVelocity.y, jump->jumpVelocity().y, m_jumpAnimation->totalFrames());
        if (frame >= 0) m_jumpAnimation->setFrame(frame);
    }
}

void QVComponentIsoJump::onStateChanged() {
    if (!m_jumping || !m_owner || m_owner->getState() < QVPObject::kStateDying) return;
    m_jumping = false;
    const float h = m_jumpAnimation ? m_jumpAnimation->getPositionY() : 0.0f;
    if (b2Body* body = m_owner->getBody()) {
        const b2Vec2 position = body->GetPosition();
        physics::setTransform(body, b2Vec2(position.x, position.y + h * kMetresPerPoint), body->GetAngle());
    }
    m_owner->setPositionY(m_owner->getPositionY() + h);
    takeJumpsOff();
    if (m_jumpAnimation) {
        m_jumpAnimation->setPosition(CCPoint());
        m_jumpAnimation->setVisible(false);
    }
    if (m_groundAnimation) m_groundAnimation->setVisible(false);
}
