// Objects that steer play rather than show: the gatekeeper (lets a number
// of characters pass), the instance (a placed copy of another object model),
// the logic trigger (changes the motion of units that touch it) and the
// teleport. The group layer lives in QVModelObjectGroup.h.
// Guarantees: gatekeeper, logic and teleport own a 60 x 60 box as their
// collision shape; a gatekeeper's or a logic model's copy gets a fresh box,
// a teleport's copy shares its source's. An instance without a usable
// reference answers empty, false and 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelOwnShape.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

#define QV_GATEKEEPER_ATTRIBUTES(X) X(QVAttributeFloat, passedAmount, "Passed Amount")

class QVModelObjectGatekeeper : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectGatekeeper, "Gatekeeper", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
    QV_OWN_BOX(60.0f)
    explicit QVModelObjectGatekeeper(const std::string& name);
    // A fresh box, as the logic's copy: copied level sections keep their
    // trigger areas.
    QVModelObjectGatekeeper(const QVModelObjectGatekeeper& source);

    // Character contacts let through before the gate finishes them.
    float passedAmount() const;

protected:
    QV_GATEKEEPER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

#define QV_INSTANCE_ATTRIBUTES(X) X(QVAttributeObjectAsset, reference, "Reference")

class QVBaseModelObjectInstance : public QVModelObject {
public:
    // The object model this instance repeats.
    std::shared_ptr<QVModelObjectAsset> reference() const;
    QVAttributeObjectAsset* referenceAttribute() const { return m_reference; }

    // The referenced model's answers.
    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;
    bool hasSpawner() const override;
    float spawnRate() const override;

protected:
    explicit QVBaseModelObjectInstance(const std::string& name);
    QVBaseModelObjectInstance(const QVBaseModelObjectInstance& source);

    QV_INSTANCE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectInstance : public QVBaseModelObjectInstance {
    QV_MODEL_GLUE(QVModelObjectInstance, "", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectInstance(const std::string& name);
    QVModelObjectInstance(const QVModelObjectInstance& source);
};

#define QV_LOGIC_ATTRIBUTES(X)                                                \
    X(QVAttributePoint, positionModifier, "Position Modifier")                \
    X(QVAttributeFloat, rotationModifier, "Rotation Modifier")                \
    X(QVAttributePoint, scaleModifier, "Scale Modifier")                      \
    X(QVAttributeBool, worldSpace, "World Space")                             \
    X(QVAttributePoint, linearVelocityModifier, "Linear Velocity Modifier")   \
    X(QVAttributeFloat, angularVelocityModifier, "Angular Velocity Modifier") \
    X(QVAttributeStringList, affectedAsset, "Affected asset")                 \
    X(QVAttributeStringList, affectOperation, "Affect operation")

// An empty modifier, or an empty axis of one, leaves that quantity of the
// touching unit as it is.
class QVBaseModelObjectLogic : public QVModelObjectAsset {
    QV_OWN_BOX(60.0f)
    // The obstacle asset whose units the trigger acts on; 0 when the text
    // does not start with a number.
    uint32_t affectedAssetId() const;
    // "kAdd", "kMultiply", "kReplace".
    const std::string& affectOperation() const;
    bool worldSpace() const;

    bool hasPositionModifierX() const;
    bool hasPositionModifierY() const;
    bool hasRotationModifier() const;
    bool hasScaleModifierX() const;
    bool hasScaleModifierY() const;
    // Either axis set.
    bool hasLinearVelocityModifier() const;
    bool hasLinearVelocityModifierX() const;
    bool hasLinearVelocityModifierY() const;
    bool hasAngularVelocityModifier() const;

    cocos2d::CCPoint positionModifier() const;
    float rotationModifier() const;
    cocos2d::CCPoint scaleModifier() const;
    cocos2d::CCPoint linearVelocityModifier() const;
    float angularVelocityModifier() const;

protected:
    explicit QVBaseModelObjectLogic(const std::string& name);
    QVBaseModelObjectLogic(const QVBaseModelObjectLogic& source);

    QV_LOGIC_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectLogic : public QVBaseModelObjectLogic {
    QV_MODEL_GLUE(QVModelObjectLogic, "Transform", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectLogic(const std::string& name);
    QVModelObjectLogic(const QVModelObjectLogic& source);
};

#define QV_TELEPORT_ATTRIBUTES(X)                                \
    X(QVAttributeFloat, groupId, "Group ID")                     \
    X(QVAttributeBool, deleteInputObject, "Delete Input Object") \
    X(QVAttributeBool, singleUse, "Single Use")                  \
    X(QVAttributeBool, exitOnly, "Exit Only")                    \
    X(QVAttributeFloat, searchRadius, "Search Radius")

class QVModelObjectTeleport : public QVModelObjectAsset {
    QV_MODEL_GLUE(QVModelObjectTeleport, "Portal", QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
    QV_OWN_BOX(60.0f)
    explicit QVModelObjectTeleport(const std::string& name);
    // Shares the source's polygon.
    QVModelObjectTeleport(const QVModelObjectTeleport& source);

    // Teleports of equal value form one group.
    float groupId() const;
    bool deleteInputObject() const;
    bool singleUse() const;
    // Contacts start no transfer.
    bool exitOnly() const;
    float searchRadius() const;

protected:
    QV_TELEPORT_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};
