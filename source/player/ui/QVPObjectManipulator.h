// Touch and tilt controls that steer the characters of the running world
// through the input controller; none draws anything.
//
// QVPObjectManipulator holds the manipulator model ("Sensitivity",
// "Control Style"). QVPObjectButtonJoystick is an invisible touch box of
// 100 x 100 points times the model's scale, centred on its position: a drag
// in it gives the characters a direction (relative style) or a joystick
// vector (absolute style). QVPObjectAccelerometer is one shared object fed
// by the engine's accelerometer (on the desktop, only the input script's
// accel lines): it moves the characters or leans them.
//
// Guarantees: the joystick is a touch delegate only while it is in a
// running scene (onEnter to onExit) and claims a touch only while it and
// every ancestor are visible, so a hidden HUD under an overlay takes
// nothing. Non-finite readings and settings never reach a character.
#pragma once

#include <memory>

#include "input/CCAccelerometer.h"
#include "math/CCGeometry.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

class QVModelObject;
class QVModelObjectAccelerometer;
class QVModelObjectManipulator;

class QVPObjectManipulator : public cocos2d::CCNode {
public:
    ~QVPObjectManipulator() override;

    // Absolute when the model exists and its style is
    // "kControlStyleAbsolute".
    virtual void setModel(std::shared_ptr<QVModelObjectManipulator> model);
    virtual float sensitivity() const;
    bool isAbsolute() const { return m_absolute; }
    const std::shared_ptr<QVModelObjectManipulator>& model() const { return m_model; }

protected:
    std::shared_ptr<QVModelObjectManipulator> m_model;
    bool m_absolute = false;
};

class QVPObjectButtonJoystick : public QVPObjectManipulator, public cocos2d::CCTouchDelegate {
public:
    // Autoreleased; positioned at the model's position.
    static QVPObjectButtonJoystick* create(std::shared_ptr<QVModelObjectManipulator> model);

    void setModel(std::shared_ptr<QVModelObjectManipulator> model) override;
    // Register and unregister the touch delegate (targeted, priority 0,
    // swallowing).
    void onEnter() override;
    void onExit() override;

    bool ccTouchBegan(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchMoved(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchEnded(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;

private:
    cocos2d::CCPoint m_startPoint;  // view coordinates
};

class QVPObjectAccelerometer : public QVPObjectManipulator, public cocos2d::CCAccelerometerDelegate {
public:
    // Made on first use; it becomes the accelerometer's delegate.
    static QVPObjectAccelerometer* shared();
    // Deletes the instance, if any; the next shared() makes a new one.
    static void destroyShared();
    // The instance when there is one; never makes one.
    static QVPObjectAccelerometer* current();

    ~QVPObjectAccelerometer() override;

    std::shared_ptr<QVModelObjectAccelerometer> getModel() const;

    void didAccelerate(cocos2d::CCAcceleration* acceleration) override;

private:
    QVPObjectAccelerometer();
    void moveCharacters(const QVModelObjectAccelerometer& model, float ax, float ay);
    void leanCharacters(float ax);
};

// A control's touch box: 100 x 100 points times the model's scale (time 0,
// state 0), centred on the node's origin; the test is made in the node's
// own space. A control without a model, not running, or hidden (itself or
// an ancestor) contains nothing. The joystick logs the point it tested.
bool controlBoxContains(cocos2d::CCNode* control, const QVModelObject* model, cocos2d::CCTouch* touch,
                        bool logLocation);
