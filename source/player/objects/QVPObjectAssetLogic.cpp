#include "player/objects/QVPObjectAssetLogic.h"

#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectAsset.h"
#include "physics/PhysicsGuard.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPObjectAssetUnit.h"

namespace {

// A linear mover's velocity is in 1/32 of a point per second; a body's in
// metres per second.
constexpr float kVelocityScale = 0.03125f;
constexpr float kBodyVelocity = kMetresPerPoint * 32.0f;

}  // namespace

QVPObjectAssetLogic::QVPObjectAssetLogic(std::shared_ptr<QVModelObject> model) : QVPObjectAsset(std::move(model)) {
    setTypeFlags(kTypeTrigger);
    m_collisionType = kCharacterCollision;
    m_destroyType = kDestroyNo;
    m_movesLinearly = false;
    m_objectType = kObjectPlatform;
}

QVPObjectAsset* QVPObjectAssetLogic::build(const std::shared_ptr<QVModelObject>& model) {
    return new QVPObjectAssetLogic(model);
}

void QVPObjectAssetLogic::createBody(b2World* world, bool skipStill) { createSensorBody(world, skipStill); }

bool QVPObjectAssetLogic::changes(const std::string& operation, float modifier) {
    if (operation == "kAdd") return modifier != 0.0f;
    if (operation == "kMultiply") return modifier != 1.0f;
    return operation == "kReplace";
}

bool QVPObjectAssetLogic::applyOperation(const std::string& operation, float& value, float modifier) {
    if (!changes(operation, modifier)) return false;
    if (operation == "kAdd") {
        value += modifier;
    } else if (operation == "kMultiply") {
        value *= modifier;
    } else {
        value = modifier;
    }
    return true;
}

void QVPObjectAssetLogic::beginContact(QVPObject* other, b2Contact*, bool) {
    const auto logic = modelCast<QVModelObjectLogic>(m_model);
    auto* target = dynamic_cast<QVPObjectAsset*>(other);
    if (!logic || !target || !(target->typeFlags() & kTypeUnit)) return;
    const auto placed = modelKindCast<QVModelObjectAsset>(target->getModel());
    const auto asset = placed ? modelKindCast<QVModelAssetObstacle>(placed->asset()) : nullptr;
    if (!asset || asset->id() != logic->affectedAssetId()) return;

    const std::string& operation = logic->affectOperation();
    b2Body* body = target->getBody();
    const bool mover = target->isMovingLinearly();

    if (logic->hasLinearVelocityModifier() && (mover || body)) {
        const cocos2d::CCPoint m = logic->linearVelocityModifier();
        cocos2d::CCPoint v = mover ? target->getVelocity()
                                   : cocos2d::CCPoint(body->GetLinearVelocity().x / kMetresPerPoint * kVelocityScale,
                                                      body->GetLinearVelocity().y / kMetresPerPoint * kVelocityScale);
        if (logic->hasLinearVelocityModifierX()) applyOperation(operation, v.x, m.x);
        if (logic->hasLinearVelocityModifierY()) applyOperation(operation, v.y, m.y);
        if (mover) {
            target->setVelocity(v);
        } else {
            physics::setLinearVelocity(body, b2Vec2(v.x * kBodyVelocity, v.y * kBodyVelocity));
        }
    }

    if (logic->hasAngularVelocityModifier()) {
        const float m = logic->angularVelocityModifier();
        if (mover) {
            float speed = target->getAngularSpeed();
            if (applyOperation(operation, speed, m)) target->setAngularSpeed(speed);
        } else if (body) {
            // Added and replaced values are in the mover's units; a factor
            // has none.
            float omega = body->GetAngularVelocity();
            const float scaled = operation == "kMultiply" ? m : m * kVelocityScale;
            if (applyOperation(operation, omega, scaled)) physics::setAngularVelocity(body, omega);
        }
    }

    if (auto* unit = dynamic_cast<QVPObjectAssetUnit*>(target)) {
        const cocos2d::CCPoint position = logic->positionModifier();
        const bool replace = operation == "kReplace";
        const cocos2d::CCPoint shift =
            replace && !logic->worldSpace() ? getPosition() - logic->position(0.0f, 0) : cocos2d::CCPointZero;
        if (logic->hasPositionModifierX() && changes(operation, position.x)) {
            unit->setModifierX(position.x + shift.x, operation);
        }
        if (logic->hasPositionModifierY() && changes(operation, position.y)) {
            unit->setModifierY(position.y + shift.y, operation);
        }
        if (logic->hasRotationModifier() && changes(operation, logic->rotationModifier())) {
            unit->setModifierRotation(logic->rotationModifier(), operation);
        }
    }

    const cocos2d::CCPoint scale = logic->scaleModifier();
    float scaleX = target->getScaleX();
    if (logic->hasScaleModifierX() && applyOperation(operation, scaleX, scale.x)) target->setScaleX(scaleX);
    float scaleY = target->getScaleY();
    if (logic->hasScaleModifierY() && applyOperation(operation, scaleY, scale.y)) target->setScaleY(scaleY);
}
