#include "input/TouchInput.h"

#include <cmath>

#include "director/CCDirector.h"
#include "input/CCEvent.h"
#include "input/CCSet.h"
#include "input/CCTouch.h"
#include "input/CCTouchDispatcher.h"
#include "platform/CCCommon.h"
#include "view/CCEGLView.h"

namespace cocos2d {

TouchInput::TouchInput(CCTouchDispatcher* dispatcher) : m_pDispatcher(dispatcher) {}

TouchInput::~TouchInput() { reset(); }

TouchInput* TouchInput::sharedTouchInput() {
    static TouchInput* input = new TouchInput();
    return input;
}

CCTouchDispatcher* TouchInput::dispatcher() const {
    return m_pDispatcher ? m_pDispatcher : CCTouchDispatcher::sharedDispatcher();
}

CCPoint TouchInput::frameToView(const CCEGLViewProtocol& view, float px, float py) {
    const CCRect& vp = view.getViewPortRect();
    const float frameHeight = view.getFrameSize().height;
    // The viewport's y counts from the bottom of the frame; the window's
    // from the top.
    const float viewportTop = frameHeight - (vp.origin.y + vp.size.height);
    const float sx = view.getScaleX();
    const float sy = view.getScaleY();
    // The view never holds a zero scale, but a point from a degenerate
    // frame must not become infinite.
    if (!(sx > 0) || !(sy > 0)) return CCPointZero;
    return CCPoint((px - vp.origin.x) / sx, (py - viewportTop) / sy);
}

bool TouchInput::update(CCTouch* touch, int id, float px, float py) {
    if (!std::isfinite(px) || !std::isfinite(py)) {
        CCLog("[TouchInput] non-finite position for touch %d ignored", id);
        return false;
    }
    const CCPoint view = frameToView(*CCDirector::sharedDirector()->getOpenGLView(), px, py);
    touch->setTouchInfo(id, view.x, view.y);
    return true;
}

void TouchInput::send(CCTouch* touch, unsigned int phase) {
    CCSet* set = new CCSet();
    set->addObject(touch);
    CCEvent* event = new CCEvent();
    dispatcher()->touches(set, event, phase);
    event->release();
    set->release();
}

void TouchInput::touchBegan(int id, float px, float py) {
    auto it = m_touches.find(id);
    if (it != m_touches.end()) touchEnded(id, px, py);
    CCTouch* touch = new CCTouch();
    if (!update(touch, id, px, py)) {
        touch->release();
        return;
    }
    m_touches[id] = touch;
    send(touch, CCTOUCHBEGAN);
}

void TouchInput::touchMoved(int id, float px, float py) {
    auto it = m_touches.find(id);
    if (it == m_touches.end()) return;
    CCTouch* touch = it->second;
    const CCPoint before = touch->getLocationInView();
    const CCPoint now = frameToView(*CCDirector::sharedDirector()->getOpenGLView(), px, py);
    if (now.x == before.x && now.y == before.y) return;
    if (!update(touch, id, px, py)) return;
    send(touch, CCTOUCHMOVED);
}

void TouchInput::touchEnded(int id, float px, float py) {
    auto it = m_touches.find(id);
    if (it == m_touches.end()) return;
    CCTouch* touch = it->second;
    m_touches.erase(it);
    update(touch, id, px, py);
    send(touch, CCTOUCHENDED);
    touch->release();
}

void TouchInput::touchCancelled(int id) {
    auto it = m_touches.find(id);
    if (it == m_touches.end()) return;
    CCTouch* touch = it->second;
    m_touches.erase(it);
    send(touch, CCTOUCHCANCELLED);
    touch->release();
}

void TouchInput::cancelAll() {
    while (!m_touches.empty()) touchCancelled(m_touches.begin()->first);
}

bool TouchInput::isTouching(int id) const { return m_touches.count(id) != 0; }

void TouchInput::reset() {
    for (auto& entry : m_touches) entry.second->release();
    m_touches.clear();
}

}  // namespace cocos2d
