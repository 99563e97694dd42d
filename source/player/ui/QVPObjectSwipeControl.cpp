#include "player/ui/QVPObjectSwipeControl.h"

#include <utility>

#include "director/CCDirector.h"
#include "input/CCTouch.h"
#include "input/CCTouchDispatcher.h"
#include "model/classes/QVModelControls.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPInputController.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectManipulator.h"

using cocos2d::CCPoint;

QVPObjectSwipeControl* QVPObjectSwipeControl::create(std::shared_ptr<QVModelObjectSwipeControl> model) {
    auto* control = new QVPObjectSwipeControl(std::move(model));
    control->autorelease();
    return control;
}

QVPObjectSwipeControl::QVPObjectSwipeControl(std::shared_ptr<QVModelObjectSwipeControl> model) {
    init();
    setModel(std::move(model));
}

QVPObjectSwipeControl::~QVPObjectSwipeControl() = default;

void QVPObjectSwipeControl::setModel(std::shared_ptr<QVModelObjectSwipeControl> model) {
    m_model = std::move(model);
    setPosition(m_model ? m_model->position(0.0f, 0) : CCPoint(0.0f, 0.0f));
    setUserObject(m_model ? QVObjectModelHolder::create(m_model) : nullptr);
}

void QVPObjectSwipeControl::onEnter() {
    CCNode::onEnter();
    cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->addTargetedDelegate(this, 0, true);
}

void QVPObjectSwipeControl::onExit() {
    cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->removeDelegate(this);
    disarm();
    CCNode::onExit();
}

bool QVPObjectSwipeControl::ccTouchBegan(cocos2d::CCTouch* touch, cocos2d::CCEvent*) {
    if (!controlBoxContains(this, m_model.get(), touch, false)) return false;
    m_startPoint = touch->getLocationInView();
    m_startTime = compat::monotonicTicks();
    return true;
}

void QVPObjectSwipeControl::ccTouchMoved(cocos2d::CCTouch* touch, cocos2d::CCEvent*) {
    if (m_startPoint.x == 0.0f || m_startPoint.y == 0.0f) return;
    if (compat::monotonicTicks() - m_startTime >= kSwipeWindowTicks) {
        disarm();
        return;
    }
    const CCPoint location = touch->getLocationInView();
    const CCPoint d(location.x - m_startPoint.x, location.y - m_startPoint.y);
    // View y grows downwards.
    if (d.x > kSwipeDistance) {
        fireSwipe(2);
    } else if (d.x < -kSwipeDistance) {
        fireSwipe(1);
    } else if (d.y > kSwipeDistance) {
        fireSwipe(4);
    } else if (d.y < -kSwipeDistance) {
        fireSwipe(3);
    }
}

void QVPObjectSwipeControl::ccTouchEnded(cocos2d::CCTouch*, cocos2d::CCEvent*) { disarm(); }

void QVPObjectSwipeControl::fireSwipe(int direction) {
    disarm();
    if (direction < 1 || direction > 4) return;
    // 13 left, 14 right, 15 up, 16 down.
    QVPInputController::shared()->notifyAction(this, 12 + direction, 0);
}

void QVPObjectSwipeControl::disarm() {
    m_startPoint = CCPoint(0.0f, 0.0f);
    m_startTime = 0;
}
