// Enumeration attributes: one small integer from a fixed set, without
// variance, range, empty mark or curves.
// Guarantees: a pack without "enum" resets the value to 0 (stored files rely
// on it); a dictionary with an empty or absent "value" keeps it. Values are
// stored as read: nothing rejects a number outside the enumeration.
// Refuses: a wrongly typed "enum" raises msgpack::type_error.
#pragma once

#include <cstdint>
#include <string>

#include "model/core/QVAttribute.h"

// Behaviour of one edge of the object frame (read by the game-field camera).
enum QVObjectFrameEdgeState : int32_t {
    kQVObjectFrameEdgeNone = 0,
    kQVObjectFrameEdgePush = 1,  // the edge pushes characters along
    kQVObjectFrameEdgeKill = 2,  // the edge kills characters that reach it
};

// Design orientation of the game.
enum QVOrientation : int32_t {
    kQVOrientationPortrait = 0,   // design frame 640 x 1136
    kQVOrientationLandscape = 1,  // design frame 1136 x 640
};

// How the design resolution is fitted to the window; the application shell
// maps each value to a resolution policy.
enum QVScreenAdjustment : int32_t {
    kQVScreenAdjustment0 = 0,
    kQVScreenAdjustment1 = 1,
    kQVScreenAdjustment2 = 2,
    kQVScreenAdjustment3 = 3,
};

template <typename E>
class QVBaseAttributeEnum : public QVAttribute {
public:
    typedef E EnumType;

    void collectKeys() override;
    void pack(QVPackMap& map) override;
    void unpack(const QVPackMap& map) override;
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;

    E value() const { return static_cast<E>(m_value); }
    int32_t intValue() const { return m_value; }
    // Stores and notifies (unless silent) only on a change; returns whether
    // the value changed.
    bool setValue(E value, bool silent = false);

protected:
    QVBaseAttributeEnum(QVNameArg name, QVModel* owner, E value)
        : QVAttribute(name, owner, 0), m_value(static_cast<int32_t>(value)) {}
    QVBaseAttributeEnum(QVNameArg name, QVModel* owner, const QVBaseAttributeEnum& source)
        : QVAttribute(name, owner, source), m_value(source.m_value) {}

private:
    int32_t m_value;
};

extern template class QVBaseAttributeEnum<QVObjectFrameEdgeState>;
extern template class QVBaseAttributeEnum<QVOrientation>;
extern template class QVBaseAttributeEnum<QVScreenAdjustment>;

class QVAttributeFrameEdgeState : public QVBaseAttributeEnum<QVObjectFrameEdgeState> {
    QV_ATTRIBUTE_GLUE(QVAttributeFrameEdgeState)
public:
    QVAttributeFrameEdgeState(QVNameArg name, QVModel* owner, QVObjectFrameEdgeState value = kQVObjectFrameEdgeNone)
        : QVBaseAttributeEnum(name, owner, value) {}
    QVAttributeFrameEdgeState(QVNameArg name, QVModel* owner, const QVAttributeFrameEdgeState& source)
        : QVBaseAttributeEnum(name, owner, source) {}
};

// The general settings expose this and the next class under their own scope.
class QVAttributeOrientation : public QVBaseAttributeEnum<QVOrientation> {
    QV_ATTRIBUTE_GLUE(QVAttributeOrientation)
public:
    QVAttributeOrientation(QVNameArg name, QVModel* owner, QVOrientation value = kQVOrientationPortrait)
        : QVBaseAttributeEnum(name, owner, value) {}
    QVAttributeOrientation(QVNameArg name, QVModel* owner, const QVAttributeOrientation& source)
        : QVBaseAttributeEnum(name, owner, source) {}
};

class QVAttributeScreenAdjustment : public QVBaseAttributeEnum<QVScreenAdjustment> {
    QV_ATTRIBUTE_GLUE(QVAttributeScreenAdjustment)
public:
    QVAttributeScreenAdjustment(QVNameArg name, QVModel* owner, QVScreenAdjustment value = kQVScreenAdjustment0)
        : QVBaseAttributeEnum(name, owner, value) {}
    QVAttributeScreenAdjustment(QVNameArg name, QVModel* owner, const QVAttributeScreenAdjustment& source)
        : QVBaseAttributeEnum(name, owner, source) {}
};
