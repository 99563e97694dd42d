#include "scene/CCLayer.h"

#include "director/CCDirector.h"
#include "input/CCAccelerometer.h"
#include "input/CCKeypadDispatcher.h"
#include "input/CCTouchDispatcher.h"

namespace cocos2d {

CCLayer::CCLayer() {
    ignoreAnchorPointForPosition(true);
    setAnchorPoint(CCPoint(0.5f, 0.5f));
}

CCLayer* CCLayer::create() {
    auto* layer = new CCLayer();
    layer->init();
    layer->autorelease();
    return layer;
}

bool CCLayer::init() {
    // Cheap on purpose: layers also serve as plain records.
    setContentSize(CCDirector::sharedDirector()->getWinSize());
    return true;
}

void CCLayer::onEnter() {
    // Registered before the children enter, so at equal priority a child
    // menu (registered later) is asked first.
    if (m_bTouchEnabled) registerWithTouchDispatcher();
    CCNode::onEnter();
    if (m_bKeypadEnabled) CCKeypadDispatcher::sharedDispatcher()->addDelegate(this);
    if (m_bAccelerometerEnabled) CCAccelerometer::sharedAccelerometer()->setDelegate(this);
}

void CCLayer::onExit() {
    if (m_bTouchEnabled) unregisterTouch();
    if (m_bKeypadEnabled) CCKeypadDispatcher::sharedDispatcher()->removeDelegate(this);
    if (m_bAccelerometerEnabled) {
        CCAccelerometer* accelerometer = CCAccelerometer::sharedAccelerometer();
        // Another layer may have taken the sensor since.
        if (accelerometer->getDelegate() == this) accelerometer->setDelegate(nullptr);
    }
    CCNode::onExit();
}

void CCLayer::registerWithTouchDispatcher() {
    CCTouchDispatcher* dispatcher = CCTouchDispatcher::sharedDispatcher();
    if (m_eTouchMode == kCCTouchesAllAtOnce) {
        dispatcher->addStandardDelegate(this, 0);
    } else {
        dispatcher->addTargetedDelegate(this, m_nTouchPriority, true);
    }
}

void CCLayer::unregisterTouch() { CCTouchDispatcher::sharedDispatcher()->removeDelegate(this); }

void CCLayer::setTouchEnabled(bool enabled) {
    if (m_bTouchEnabled == enabled) return;
    m_bTouchEnabled = enabled;
    if (!m_bRunning) return;
    if (enabled) {
        registerWithTouchDispatcher();
    } else {
        unregisterTouch();
    }
}

void CCLayer::setTouchMode(ccTouchesMode mode) {
    if (m_eTouchMode == mode) return;
    m_eTouchMode = mode;
    if (m_bTouchEnabled && m_bRunning) {
        unregisterTouch();
        registerWithTouchDispatcher();
    }
}

void CCLayer::setTouchPriority(int priority) {
    if (m_nTouchPriority == priority) return;
    m_nTouchPriority = priority;
    if (m_bTouchEnabled && m_bRunning) {
        unregisterTouch();
        registerWithTouchDispatcher();
    }
}

void CCLayer::setKeypadEnabled(bool enabled) {
    if (m_bKeypadEnabled == enabled) return;
    m_bKeypadEnabled = enabled;
    if (!m_bRunning) return;
    CCKeypadDispatcher* dispatcher = CCKeypadDispatcher::sharedDispatcher();
    if (enabled) {
        dispatcher->addDelegate(this);
    } else {
        dispatcher->removeDelegate(this);
    }
}

void CCLayer::setAccelerometerEnabled(bool enabled) {
    if (m_bAccelerometerEnabled == enabled) return;
    m_bAccelerometerEnabled = enabled;
    if (!m_bRunning) return;
    CCAccelerometer* accelerometer = CCAccelerometer::sharedAccelerometer();
    if (enabled) {
        accelerometer->setDelegate(this);
    } else if (accelerometer->getDelegate() == this) {
        accelerometer->setDelegate(nullptr);
    }
}

}  // namespace cocos2d
