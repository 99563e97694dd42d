// QVPObjectSwipeControl: an invisible touch box (as the joystick's) that
// turns a quick swipe into one of the input actions 13 (left), 14 (right),
// 15 (up) and 16 (down), raised with the control as source, so components
// can tell swipe areas apart by the control's model.
//
// A swipe is a move of more than 30 points on one axis (x tested first)
// within 0.5 s of the touch-down, measured on the monotonic clock; one
// touch raises at most one swipe. The control is a touch delegate only
// between onEnter and onExit and claims a touch only while it has a model
// and it and every ancestor are visible.
#pragma once

#include <cstdint>
#include <memory>

#include "math/CCGeometry.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

class QVModelObjectSwipeControl;

class QVPObjectSwipeControl : public cocos2d::CCNode, public cocos2d::CCTouchDelegate {
public:
    static constexpr int64_t kSwipeWindowTicks = 5000000;  // 0.5 s
    static constexpr float kSwipeDistance = 30.0f;

    // Autoreleased.
    static QVPObjectSwipeControl* create(std::shared_ptr<QVModelObjectSwipeControl> model);
    ~QVPObjectSwipeControl() override;

    // With a model: its position and a model holder as user object;
    // without: position (0, 0) and no user object.
    void setModel(std::shared_ptr<QVModelObjectSwipeControl> model);
    const std::shared_ptr<QVModelObjectSwipeControl>& model() const { return m_model; }

    void onEnter() override;
    void onExit() override;

    bool ccTouchBegan(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchMoved(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;
    void ccTouchEnded(cocos2d::CCTouch* touch, cocos2d::CCEvent* event) override;

    // 1 left, 2 right, 3 up, 4 down; other values only disarm.
    void fireSwipe(int direction);

private:
    explicit QVPObjectSwipeControl(std::shared_ptr<QVModelObjectSwipeControl> model);
    void disarm();

    std::shared_ptr<QVModelObjectSwipeControl> m_model;
    cocos2d::CCPoint m_startPoint;  // view coordinates; (0, 0) = idle
    int64_t m_startTime = 0;
};
