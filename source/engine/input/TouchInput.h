// (ours) Pointer input to touches. The view's mouse handling and the input
// script both come through here, so a scripted touch converts exactly as a
// click does.
//
// Positions are framebuffer pixels with the origin at the top-left of the
// window (the view scales cursor positions by framebuffer/window size first).
// The view location in design units is
//     ((px - viewport.x) / scaleX, (py - viewportTop) / scaleY)
// where viewportTop is the viewport's top edge measured from the window top;
// the touch's GL location is then (view.x, winHeight - view.y).
#pragma once

#include <map>

#include "math/CCGeometry.h"

namespace cocos2d {

class CCEGLViewProtocol;
class CCTouch;
class CCTouchDispatcher;

class TouchInput {
public:
    // dispatcher null: the director's touch dispatcher at each event.
    explicit TouchInput(CCTouchDispatcher* dispatcher = nullptr);
    ~TouchInput();
    TouchInput(const TouchInput&) = delete;
    TouchInput& operator=(const TouchInput&) = delete;

    // The one the view and the input script share.
    static TouchInput* sharedTouchInput();

    // The pure conversion from frame pixels (top-left origin) to view
    // coordinates (design units, y down).
    static CCPoint frameToView(const CCEGLViewProtocol& view, float px, float py);

    // A second press of a held id ends the old touch first (a release the
    // window never reported).
    void touchBegan(int id, float px, float py);
    // Ignored unless the id is held and the position changed.
    void touchMoved(int id, float px, float py);
    void touchEnded(int id, float px, float py);
    void touchCancelled(int id);
    // Focus loss or iconify: every held touch is cancelled.
    void cancelAll();
    bool isTouching(int id) const;
    // (ours) Forget held touches without telling anyone (tests, tear-down).
    void reset();

private:
    CCTouchDispatcher* dispatcher() const;
    void send(CCTouch* touch, unsigned int phase);
    bool update(CCTouch* touch, int id, float px, float py);

    CCTouchDispatcher* m_pDispatcher;
    std::map<int, CCTouch*> m_touches;  // retained
};

}  // namespace cocos2d
