// On-screen and device controls of a screen: the manipulator (a touch
// control area, the base of the joystick), the accelerometer (device tilt
// as character input) and the swipe-control area.
#pragma once

#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelOwnShape.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

#define QV_MANIPULATOR_ATTRIBUTES(X)                \
    X(QVAttributeFloat, sensitivity, "Sensitivity") \
    X(QVAttributeStringList, controlStyle, "Control Style")

class QVModelObjectManipulator : public QVModelObject {
    QV_MODEL_GLUE(QVModelObjectManipulator, "", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectManipulator(const std::string& name);
    QVModelObjectManipulator(const QVModelObjectManipulator& source);

    float sensitivity() const;
    // "kControlStyleAbsolute" or another value for relative.
    const std::string& controlStyle() const;

protected:
    QV_MANIPULATOR_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

#define QV_ACCELEROMETER_ATTRIBUTES(X)                    \
    X(QVAttributeStringList, controlType, "Control Type") \
    X(QVAttributeStringList, activeAxes, "Active Axes")

class QVModelObjectAccelerometer : public QVModelObjectManipulator {
    QV_MODEL_GLUE(QVModelObjectAccelerometer, "", QVModelObjectManipulator, QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectAccelerometer(const std::string& name);
    QVModelObjectAccelerometer(const QVModelObjectAccelerometer& source);

    QV_PLACEHOLDER_SIZE(60.0f)

    // "kControlTypeMove" drives character movement.
    const std::string& controlType() const;
    // "kActiveAxeX", "kActiveAxeY" or another value for both.
    const std::string& activeAxes() const;

protected:
    QV_ACCELEROMETER_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

// Marks an area for swipe input; its "Name" tells the components that react
// to its swipes which area it is.
class QVModelObjectSwipeControl : public QVModelObject {
    QV_MODEL_GLUE(QVModelObjectSwipeControl, "", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectSwipeControl(const std::string& name);
    QVModelObjectSwipeControl(const QVModelObjectSwipeControl& source);
};
