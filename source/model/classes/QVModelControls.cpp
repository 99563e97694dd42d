#include "model/classes/QVModelControls.h"

#include "model/classes/QVNeutralRead.h"

QVModelObjectManipulator::QVModelObjectManipulator(const std::string& name)
    : QVModelObject(name) QV_MANIPULATOR_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelObjectManipulator::QVModelObjectManipulator(const QVModelObjectManipulator& source)
    : QVModelObject(source) QV_MANIPULATOR_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

float QVModelObjectManipulator::sensitivity() const { return qvread::value(m_sensitivity); }

const std::string& QVModelObjectManipulator::controlStyle() const { return qvread::text(m_controlStyle); }

QVModelObjectAccelerometer::QVModelObjectAccelerometer(const std::string& name)
    : QVModelObjectManipulator(name) QV_ACCELEROMETER_ATTRIBUTES(QV_ATTRIBUTE_INIT) {}

QVModelObjectAccelerometer::QVModelObjectAccelerometer(const QVModelObjectAccelerometer& source)
    : QVModelObjectManipulator(source) QV_ACCELEROMETER_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVModelObjectAccelerometer::controlType() const { return qvread::text(m_controlType); }

const std::string& QVModelObjectAccelerometer::activeAxes() const { return qvread::text(m_activeAxes); }

QVModelObjectSwipeControl::QVModelObjectSwipeControl(const std::string& name) : QVModelObject(name) {}

QVModelObjectSwipeControl::QVModelObjectSwipeControl(const QVModelObjectSwipeControl& source) : QVModelObject(source) {}
