#include "player/objects/QVComponentMotor.h"

#include <utility>

#include "model/classes/QVModelComponents.h"
#include "model/classes/QVNeutralRead.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/objects/QVComponentEvent.h"
#include "player/objects/QVPObjectAsset.h"

QVComponentMotor::~QVComponentMotor() { logMessage("[QVComponentMotor] deallocate"); }

std::shared_ptr<QVModelComponentMotor> QVComponentMotor::motorModel() const {
    return modelCast<QVModelComponentMotor>(m_model);
}

void QVComponentMotor::setModel(std::shared_ptr<QVModelComponent> model) {
    QVComponent::setModel(std::move(model));
    const auto motor = motorModel();
    if (!motor) return;
    m_velocity = qvread::value(motor->linearVelocityAttribute());
    m_angularVelocity = qvread::value(motor->angularVelocityAttribute());
    if (qvread::text(motor->eventAttribute()) == "kEventButton") {
        QVPInputController::shared()->subscribeAction(QVComponentEvent::kControlPressed, this,
                                                      callfuncO_selector(QVComponentMotor::onButton), 0);
    }
}

void QVComponentMotor::setOwner(QVPObject* owner) {
    QVComponent::setOwner(owner);
    const auto motor = motorModel();
    QVPObjectAsset* asset = assetOwner();
    if (!motor || !asset || qvread::text(motor->eventAttribute()) != "kEventCollision") return;
    asset->addEventCallback(QVPObjectAsset::kEventContact, asset, [this](QVPObject* other) {
        const auto model = motorModel();
        if (!model || !other || !(other->typeFlags() & QVPObject::kTypeUnit)) return;
        const auto id = placedAssetId(other);
        if (id && static_cast<int64_t>(*id) == model->affectedAssetId()) applyMultipliers();
    });
}

void QVComponentMotor::onButton(cocos2d::CCObject*) { applyMultipliers(); }

void QVComponentMotor::applyMultipliers() {
    const auto motor = motorModel();
    if (!motor) return;
    const cocos2d::CCPoint& multiplier = motor->linearMultiplier();
    m_velocity = cocos2d::CCPoint(m_velocity.x * multiplier.x, m_velocity.y * multiplier.y);
    m_angularVelocity *= qvread::value(motor->angularMultiplierAttribute());
}

void QVComponentMotor::update(float) {
    b2Body* body = m_owner ? m_owner->getBody() : nullptr;
    if (!body) return;
    const b2Vec2 current = body->GetLinearVelocity();
    physics::setLinearVelocity(
        body, b2Vec2(m_velocity.x != 0.0f ? m_velocity.x : current.x, m_velocity.y != 0.0f ? m_velocity.y : current.y));
    physics::setAngularVelocity(body, m_angularVelocity);
}
