#include "player/objects/QVComponentMove.h"

#include <utility>
#include <vector>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVNeutralRead.h"
#include "physics/PhysicsGuard.h"
#include "player/app/QVSound.h"
#include "player/app/QVSwitchStates.h"
#include "player/objects/QVComponentIsoJump.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"

using cocos2d::CCPoint;

namespace {

// "Affected asset" texts "-1", "-2" and "-3" read as unsigned.
constexpr uint32_t kAnyObject = 4294967295u;
constexpr uint32_t kAnyCharacter = 4294967294u;
constexpr uint32_t kAnyUnit = 4294967293u;

constexpr uint32_t kMovableTypes = QVPObject::kTypeCharacter | QVPObject::kTypeUnit;

}  // namespace

QVComponentMove::QVComponentMove() = default;

QVComponentMove::~QVComponentMove() {
    if (m_animation) m_animation->release();
}

std::shared_ptr<QVModelComponentMove> QVComponentMove::moveModel() const {
    return modelCast<QVModelComponentMove>(m_model);
}

void QVComponentMove::setModel(std::shared_ptr<QVModelComponent> model) {
    QVComponent::setModel(std::move(model));
    const auto move = moveModel();
    if (!move) return;
    m_event = QVComponentEvent::parse(qvread::text(move->eventAttribute()));
    m_event.subscribe(this, callfuncO_selector(QVComponentMove::onControlPressed),
                      callfuncO_selector(QVComponentMove::onControlReleased));
    const std::string& operation = move->mathematicalOperation();
    if (operation == "kAdd") m_operation = kAdd;
    if (operation == "kMultiply") m_operation = kMultiply;
    m_sound = makeSound(qvread::linked(move->soundAttribute()));
}

void QVComponentMove::setOwner(QVPObject* owner) {
    QVComponent::setOwner(owner);
    const auto move = moveModel();
    if (!move || !owner) return;
    if (!m_animation) m_animation = makeOwnerAnimation(qvread::linked(move->animationAttribute()));
    if (m_event.kind() == QVComponentEvent::Kind::kCollision) {
        if (QVPObjectAsset* asset = assetOwner()) {
            asset->addEventCallback(QVPObjectAsset::kEventContact, owner,
                                    [this](QVPObject* other) { onContact(other); });
        }
    }
    if (m_event.kind() == QVComponentEvent::Kind::kStart) m_startRequested = true;
}

void QVComponentMove::setActive(bool active) { activate(active, false); }

void QVComponentMove::activate(bool on, bool keepVelocity) {
    if (on == m_active) return;
    if (m_owner && m_owner->getState() >= QVPObject::kStateDying) return;
    if (!on) {
        m_active = false;
        showOnOwner(false);
        return;
    }
    m_active = true;
    const auto move = moveModel();
    if (move && qvread::value(move->forcedSwitchButtonAttribute())) flipAllSwitchStates();
    if (m_sound) m_sound->play(false, false);
    if (m_owner) m_owner->setControllable(false);
    m_timeLeft = move ? qvread::value(move->timeoutAttribute()) : 0.0f;
    showOnOwner(true);
    computeTarget(keepVelocity);
}

void QVComponentMove::showOnOwner(bool show) {
    const auto move = moveModel();
    if (QVPObjectAsset* owner = assetOwner()) {
        QVPAnimationObject* animation = m_animation;
        std::shared_ptr<QVModelPolygon> shape;
        if (animation) {
            shape = move ? qvread::linked(move->collisionShapeAttribute()) : nullptr;
        } else if (owner->getModel()) {
            shape = owner->getModel()->collisionShape();
        }
        if (show) {
            if (animation) animation->restart();
            owner->addAnimation(QVPObjectAsset::kPriorityMove, animation, shape);
        } else {
            owner->removeAnimation(QVPObjectAsset::kPriorityMove, animation, shape);
        }
    }
    if (show) return;
    if (m_animation) {
        m_animation->setVisible(false);
        m_animation->stop();
    }
    if (m_owner) m_owner->setControllable(true);
}

void QVComponentMove::computeTarget(bool keepVelocity) {
    const auto move = moveModel();
    const CCPoint wanted = move ? qvread::value(move->linearVelocityAttribute()) : CCPoint();
    const bool hasX = move && move->hasLinearVelocityX();
    const bool hasY = move && move->hasLinearVelocityY();
    const bool hasAngle = move && move->hasAngularVelocity();
    const float angle = move ? move->angularVelocity() : 0.0f;

    b2Body* body = m_owner ? m_owner->getBody() : nullptr;
    if (!body) {
        if (keepVelocity) {
            m_targetVelocity = CCPoint();
            m_targetAngularVelocity = 0.0f;
        } else if (m_operation != kMultiply) {
            if (hasX) m_targetVelocity.x = wanted.x;
            if (hasY) m_targetVelocity.y = wanted.y;
            if (hasAngle) m_targetAngularVelocity = angle;
        }
        return;
    }
    const b2Vec2 velocity = body->GetLinearVelocity();
    m_targetVelocity = CCPoint(velocity.x, velocity.y);
    m_targetAngularVelocity = body->GetAngularVelocity();
    if (keepVelocity) return;
    const auto apply = [this](float& target, float value, bool present) {
        if (!present) return;
        if (m_operation == kAdd) {
            target += value;
        } else if (m_operation == kMultiply) {
            target *= value;
        } else {
            target = value;
        }
    };
    apply(m_targetVelocity.x, wanted.x, hasX);
    apply(m_targetVelocity.y, wanted.y, hasY);
    apply(m_targetAngularVelocity, angle, hasAngle);
}

bool QVComponentMove::ownerIsJumping() const {
    if (!m_owner) return false;
    for (QVComponent* component : m_owner->components()) {
        if (dynamic_cast<QVComponentIsoJump*>(component) && component->isActive()) return true;
    }
    return false;
}

void QVComponentMove::update(float dt) {
    if (m_exclusiveRequested) {
        m_exclusiveRequested = false;
        const std::vector<QVComponent*> components = m_owner ? m_owner->components() : std::vector<QVComponent*>();
        for (QVComponent* component : components) {
            if (component != this && dynamic_cast<QVComponentMove*>(component)) component->update(dt);
        }
        for (QVComponent* component : components) {
            if (dynamic_cast<QVComponentMove*>(component)) component->setActive(false);
        }
    }
    if (m_startRequested) {
        if (ownerIsJumping()) return;
        m_startRequested = false;
        setActive(true);
    }
    if (m_stopRequested) {
        m_stopRequested = false;
        setActive(false);
    }
    if (!m_active) return;

    const auto move = moveModel();
    QVPObjectAsset* asset = assetOwner();
    b2Body* body = m_owner ? m_owner->getBody() : nullptr;
    if (move && body && m_owner->isActive() && !(asset && asset->isStopped())) {
        const b2Vec2 velocity = body->GetLinearVelocity();
        physics::setLinearVelocity(body, b2Vec2(move->hasLinearVelocityX() ? m_targetVelocity.x : velocity.x,
                                                move->hasLinearVelocityY() ? m_targetVelocity.y : velocity.y));
        if (move->hasAngularVelocity()) physics::setAngularVelocity(body, m_targetAngularVelocity);
    }
    if (m_timeLeft > 0.0f) {
        m_timeLeft -= dt;
        if (m_timeLeft <= 0.0f) m_stopRequested = true;
    }
}

void QVComponentMove::onStateChanged() {
    if (!m_active || !m_owner || m_owner->getState() != QVPObject::kStateDying) return;
    m_active = false;
    showOnOwner(false);
}

void QVComponentMove::onControlPressed(cocos2d::CCObject* control) {
    const auto move = moveModel();
    if (!move || !m_event.isControl(control)) return;
    if (move->activateOnRelease() || m_active) return;
    m_startRequested = true;
    m_exclusiveRequested = true;
}

void QVComponentMove::onControlReleased(cocos2d::CCObject* control) {
    const auto move = moveModel();
    if (!move || !m_event.isControl(control)) return;
    if (move->activateOnRelease()) {
        if (!m_active) m_startRequested = true;
    } else if (m_active) {
        m_stopRequested = true;
    } else {
        m_startRequested = false;
        m_exclusiveRequested = false;
    }
}

void QVComponentMove::onContact(QVPObject* other) {
    const auto move = moveModel();
    if (m_active || !move || !m_owner || !other) return;
    if (!(m_owner->typeFlags() & kMovableTypes) || !(other->typeFlags() & kMovableTypes)) return;
    const uint32_t wanted = move->affectedAssetId();
    bool accepted = wanted == kAnyObject ||
                    (wanted == kAnyCharacter && (other->typeFlags() & QVPObject::kTypeCharacter)) ||
                    (wanted == kAnyUnit && (other->typeFlags() & QVPObject::kTypeUnit));
    if (!accepted) {
        const auto id = placedAssetId(other);
        accepted = id && *id == wanted;
    }
    if (!accepted) return;
    m_startRequested = true;
    m_exclusiveRequested = true;
}
