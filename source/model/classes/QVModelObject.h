// QVModelObject: the base of every object placed on a screen or in a world.
// QVBaseModelObject declares the six attributes every placed object has, the
// readers of their animated values at a time in an object state, and the
// object's own queries. It answers as QVModelCompound and is only built as
// part of a subclass.
#pragma once

#include <memory>
#include <string>

#include "math/CCGeometry.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelCompound.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

class QVModelPolygon;
class QVModelSpriteContainer;

#define QV_OBJECT_ATTRIBUTES(X)               \
    X(QVAttributePoint, position, "Position") \
    X(QVAttributeFloat, rotation, "Rotation") \
    X(QVAttributePoint, scale, "Scale")       \
    X(QVAttributeFloat, opacity, "Opacity")   \
    X(QVAttributeInt, zDepth, "Z Depth")      \
    X(QVAttributeBool, hidden, "Hidden")

class QVBaseModelObject : public QVModelCompound {
public:
    // Base value plus the state's curve at `time` (nothing added when the
    // state has no curve), per axis for points, in single precision.
    cocos2d::CCPoint position(float time, int state) const;
    float rotation(float time, int state) const;
    cocos2d::CCPoint scale(float time, int state) const;
    // Not clamped here.
    float opacity(float time, int state) const;
    bool hidden() const;
    int zDepth() const;
    cocos2d::CCPoint positionVariance() const;
    // Value plus variance times a draw in -1..1 (y drawn before x).
    cocos2d::CCPoint randomPosition() const;
    float randomRotation() const;
    // The position kept at its distance from the nearer edge of the visible
    // area, for objects within 30% of a side of the design frame.
    cocos2d::CCPoint anchoredPosition(float time, int state) const;

    // Clamped into range; notify only when the value changes.
    void setPosition(const cocos2d::CCPoint& position);
    void setScale(const cocos2d::CCPoint& scale);
    void setZDepth(int zDepth);

    // The sprite container that shows the object; empty in the base.
    virtual std::shared_ptr<QVModelSpriteContainer> visualModel() const;
    // The collision shape; empty in the base.
    virtual std::shared_ptr<QVModelPolygon> collisionShape() const;
    // The size the visual model shows at `time`; 100 x 100 without one.
    virtual cocos2d::CCSize placeholderSize(float time) const;
    virtual bool hasSpawner() const;
    virtual float spawnRate() const;

protected:
    explicit QVBaseModelObject(const std::string& name);
    QVBaseModelObject(const QVBaseModelObject& source);

    QV_OBJECT_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObject : public QVBaseModelObject {
    QV_MODEL_GLUE(QVModelObject, "Untitled", QVModelCompound, QVModel)
public:
    explicit QVModelObject(const std::string& name);
    QVModelObject(const QVModelObject& source);
};
