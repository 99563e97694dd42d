#include "model/classes/QVModelLogicObjects.h"

#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVNumeric.h"

using cocos2d::CCPoint;

// ---------------------------------------------------------------- gatekeeper

QVModelObjectGatekeeper::QVModelObjectGatekeeper(const std::string& name)
    : QVModelObjectAsset(name) QV_GATEKEEPER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_passedAmount->setValue(1.0f, true);
}

QVModelObjectGatekeeper::QVModelObjectGatekeeper(const QVModelObjectGatekeeper& source)
    : QVModelObjectAsset(source) QV_GATEKEEPER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

float QVModelObjectGatekeeper::passedAmount() const { return qvread::value(m_passedAmount); }

// ---------------------------------------------------------------- instance

QVBaseModelObjectInstance::QVBaseModelObjectInstance(const std::string& name)
    : QVModelObject(name) QV_INSTANCE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVBaseModelObjectInstance::QVBaseModelObjectInstance(const QVBaseModelObjectInstance& source)
    : QVModelObject(source) QV_INSTANCE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

std::shared_ptr<QVModelObjectAsset> QVBaseModelObjectInstance::reference() const { return qvread::linked(m_reference); }

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectInstance::visualModel() const {
    const std::shared_ptr<QVModelObjectAsset> target = reference();
    return target ? target->visualModel() : nullptr;
}

bool QVBaseModelObjectInstance::hasSpawner() const {
    const std::shared_ptr<QVModelObjectAsset> target = reference();
    return target && target->hasSpawner();
}

float QVBaseModelObjectInstance::spawnRate() const {
    const std::shared_ptr<QVModelObjectAsset> target = reference();
    return target ? target->spawnRate() : 0.0f;
}

QVModelObjectInstance::QVModelObjectInstance(const std::string& name) : QVBaseModelObjectInstance(name) {}

QVModelObjectInstance::QVModelObjectInstance(const QVModelObjectInstance& source) : QVBaseModelObjectInstance(source) {}

// ---------------------------------------------------------------- logic

namespace {
bool hasValue(const QVAttributeFloat* modifier) { return modifier && modifier->hasValue(); }

bool hasX(const QVAttributePoint* modifier) { return modifier && !(modifier->allowEmpty() && modifier->isXEmpty()); }

bool hasY(const QVAttributePoint* modifier) { return modifier && !(modifier->allowEmpty() && modifier->isYEmpty()); }
}  // namespace

QVBaseModelObjectLogic::QVBaseModelObjectLogic(const std::string& name)
    : QVModelObjectAsset(name) QV_LOGIC_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    for (QVAttributePoint* point : {m_positionModifier, m_scaleModifier, m_linearVelocityModifier}) {
        point->setEmptyAllowed(true, true);
    }
    for (QVAttributeFloat* number : {m_rotationModifier, m_angularVelocityModifier}) number->setAllowEmpty(true);
    for (QVAttributePoint* point : {m_positionModifier, m_scaleModifier, m_linearVelocityModifier}) {
        point->setEmpty(true, true);
    }
    for (QVAttributeFloat* number : {m_rotationModifier, m_angularVelocityModifier}) number->setEmpty(true, true);
    m_worldSpace->setValue(true, true);
}

QVBaseModelObjectLogic::QVBaseModelObjectLogic(const QVBaseModelObjectLogic& source)
    : QVModelObjectAsset(source) QV_LOGIC_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

uint32_t QVBaseModelObjectLogic::affectedAssetId() const {
    return parseDecimal<uint32_t>(qvread::text(m_affectedAsset));
}

const std::string& QVBaseModelObjectLogic::affectOperation() const { return qvread::text(m_affectOperation); }

bool QVBaseModelObjectLogic::worldSpace() const { return qvread::value(m_worldSpace); }

bool QVBaseModelObjectLogic::hasPositionModifierX() const { return hasX(m_positionModifier); }

bool QVBaseModelObjectLogic::hasPositionModifierY() const { return hasY(m_positionModifier); }

bool QVBaseModelObjectLogic::hasRotationModifier() const { return hasValue(m_rotationModifier); }

bool QVBaseModelObjectLogic::hasScaleModifierX() const { return hasX(m_scaleModifier); }

bool QVBaseModelObjectLogic::hasScaleModifierY() const { return hasY(m_scaleModifier); }

bool QVBaseModelObjectLogic::hasLinearVelocityModifier() const {
    return hasX(m_linearVelocityModifier) || hasY(m_linearVelocityModifier);
}

bool QVBaseModelObjectLogic::hasLinearVelocityModifierX() const { return hasX(m_linearVelocityModifier); }

bool QVBaseModelObjectLogic::hasLinearVelocityModifierY() const { return hasY(m_linearVelocityModifier); }

bool QVBaseModelObjectLogic::hasAngularVelocityModifier() const { return hasValue(m_angularVelocityModifier); }

CCPoint QVBaseModelObjectLogic::positionModifier() const { return qvread::value(m_positionModifier); }

float QVBaseModelObjectLogic::rotationModifier() const { return qvread::value(m_rotationModifier); }

CCPoint QVBaseModelObjectLogic::scaleModifier() const { return qvread::value(m_scaleModifier); }

CCPoint QVBaseModelObjectLogic::linearVelocityModifier() const { return qvread::value(m_linearVelocityModifier); }

float QVBaseModelObjectLogic::angularVelocityModifier() const { return qvread::value(m_angularVelocityModifier); }

QVModelObjectLogic::QVModelObjectLogic(const std::string& name) : QVBaseModelObjectLogic(name) {}

QVModelObjectLogic::QVModelObjectLogic(const QVModelObjectLogic& source) : QVBaseModelObjectLogic(source) {}

// ---------------------------------------------------------------- teleport

QVModelObjectTeleport::QVModelObjectTeleport(const std::string& name)
    : QVModelObjectAsset(name) QV_TELEPORT_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_deleteInputObject->setValue(true, true);
    m_singleUse->setValue(true, true);
    m_searchRadius->setValue(600.0f, true);
}

QVModelObjectTeleport::QVModelObjectTeleport(const QVModelObjectTeleport& source)
    : QVModelObjectAsset(source), m_ownBox(source.collisionShape()) QV_TELEPORT_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

float QVModelObjectTeleport::groupId() const { return qvread::value(m_groupId); }

bool QVModelObjectTeleport::deleteInputObject() const { return qvread::value(m_deleteInputObject); }

bool QVModelObjectTeleport::singleUse() const { return qvread::value(m_singleUse); }

bool QVModelObjectTeleport::exitOnly() const { return qvread::value(m_exitOnly); }

float QVModelObjectTeleport::searchRadius() const { return qvread::value(m_searchRadius); }
