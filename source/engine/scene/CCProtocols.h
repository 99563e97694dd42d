// Delegate interfaces of the scene graph. Every method has a do-nothing
// default, so a layer overrides only what it handles.
#pragma once

#include "base/CCObject.h"
#include "math/ccTypes.h"

namespace cocos2d {

class CCTouch;
class CCEvent;
class CCSet;

class CCTouchDelegate {
public:
    // Leaves every dispatcher it is registered with, so a deleted delegate
    // is never called.
    virtual ~CCTouchDelegate();
    // Targeted touches: returning true claims the touch.
    virtual bool ccTouchBegan(CCTouch* touch, CCEvent* event) { (void)touch; (void)event; return false; }
    virtual void ccTouchMoved(CCTouch* touch, CCEvent* event) { (void)touch; (void)event; }
    virtual void ccTouchEnded(CCTouch* touch, CCEvent* event) { (void)touch; (void)event; }
    virtual void ccTouchCancelled(CCTouch* touch, CCEvent* event) { (void)touch; (void)event; }
    // Standard touches, delivered as sets.
    virtual void ccTouchesBegan(CCSet* touches, CCEvent* event) { (void)touches; (void)event; }
    virtual void ccTouchesMoved(CCSet* touches, CCEvent* event) { (void)touches; (void)event; }
    virtual void ccTouchesEnded(CCSet* touches, CCEvent* event) { (void)touches; (void)event; }
    virtual void ccTouchesCancelled(CCSet* touches, CCEvent* event) { (void)touches; (void)event; }
};

class CCKeypadDelegate {
public:
    // Leaves every dispatcher it is registered with, so a deleted delegate
    // is never called.
    virtual ~CCKeypadDelegate();
    virtual void keyBackClicked() {}
    virtual void keyMenuClicked() {}
    // (ours) Raw key presses; CCLayer forwards them to onKeyDown/onKeyUp.
    virtual void keyDown(int keyCode) { (void)keyCode; }
    virtual void keyUp(int keyCode) { (void)keyCode; }
};

struct CCAcceleration {
    double x = 0, y = 0, z = 0;
    double timestamp = 0;
};

class CCAccelerometerDelegate {
public:
    // Leaves every dispatcher it is registered with, so a deleted delegate
    // is never called.
    virtual ~CCAccelerometerDelegate();
    virtual void didAccelerate(CCAcceleration* acceleration) { (void)acceleration; }
};

// Nodes with a colour and an opacity (fades need it).
class CCRGBAProtocol {
public:
    virtual ~CCRGBAProtocol() = default;
    virtual void setColor(const ccColor3B& color) = 0;
    virtual const ccColor3B& getColor() = 0;
    virtual void setOpacity(GLubyte opacity) = 0;
    virtual GLubyte getOpacity() = 0;
};

}  // namespace cocos2d
