#include "input/CCTouch.h"

#include "director/CCDirector.h"
#include "scene/CCNode.h"

namespace cocos2d {

namespace {

CCPoint viewToGL(const CCPoint& view) {
    return CCPoint(view.x, CCDirector::sharedDirector()->getWinSize().height - view.y);
}

}  // namespace

CCPoint CCTouch::getLocation() const { return viewToGL(m_point); }

CCPoint CCTouch::getPreviousLocation() const { return viewToGL(m_prevPoint); }

CCPoint CCTouch::getStartLocation() const { return viewToGL(m_startPoint); }

CCPoint CCTouch::getDelta() const { return getLocation() - getPreviousLocation(); }

void CCTouch::setTouchInfo(int id, float x, float y) {
    m_nId = id;
    m_prevPoint = m_point;
    m_point = CCPoint(x, y);
    if (!m_bStartSet) {
        m_bStartSet = true;
        m_startPoint = m_point;
        // A fresh touch has no earlier position; its delta is zero.
        m_prevPoint = m_point;
    }
}

// The node-side conversions live with the touch so the scene graph does not
// depend on input.
CCPoint CCNode::convertTouchToNodeSpace(CCTouch* touch) {
    if (!touch) return CCPointZero;
    return convertToNodeSpace(touch->getLocation());
}

CCPoint CCNode::convertTouchToNodeSpaceAR(CCTouch* touch) {
    if (!touch) return CCPointZero;
    return convertToNodeSpaceAR(touch->getLocation());
}

}  // namespace cocos2d
