// A full-window node that may receive touches, keys and acceleration. The
// switches register with the dispatchers in onEnter and leave them in onExit;
// toggled while running they register or leave at once. init() is cheap, so
// a layer may also serve as a plain record.
#pragma once

#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

enum ccTouchesMode {
    kCCTouchesAllAtOnce,
    kCCTouchesOneByOne,
};

class CCLayer : public CCNode, public CCTouchDelegate, public CCKeypadDelegate, public CCAccelerometerDelegate {
public:
    CCLayer();
    static CCLayer* create();
    // Sets the content size to the window size.
    bool init() override;
    void onEnter() override;
    void onExit() override;

    // One-by-one: a targeted, swallowing delegate at the touch priority.
    // All-at-once: a standard delegate at priority 0.
    virtual void registerWithTouchDispatcher();
    virtual void setTouchEnabled(bool enabled);
    virtual bool isTouchEnabled() { return m_bTouchEnabled; }
    virtual void setTouchMode(ccTouchesMode mode);
    virtual ccTouchesMode getTouchMode() { return m_eTouchMode; }
    virtual void setTouchPriority(int priority);
    virtual int getTouchPriority() { return m_nTouchPriority; }
    virtual void setKeypadEnabled(bool enabled);
    virtual bool isKeypadEnabled() { return m_bKeypadEnabled; }
    virtual void setAccelerometerEnabled(bool enabled);
    virtual bool isAccelerometerEnabled() { return m_bAccelerometerEnabled; }

    // Key presses reach these through the keypad delegate.
    void keyDown(int keyCode) override { onKeyDown(keyCode); }
    void keyUp(int keyCode) override { onKeyUp(keyCode); }
    virtual void onKeyDown(int keyCode) { (void)keyCode; }
    virtual void onKeyUp(int keyCode) { (void)keyCode; }

protected:
    void unregisterTouch();

    bool m_bTouchEnabled = false;
    bool m_bKeypadEnabled = false;
    bool m_bAccelerometerEnabled = false;
    ccTouchesMode m_eTouchMode = kCCTouchesAllAtOnce;
    int m_nTouchPriority = 0;
};

}  // namespace cocos2d
