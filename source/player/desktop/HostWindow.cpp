#include "HostWindow.h"

#include <algorithm>

#include "platform/QVLog.h"
#include "director/CCDirector.h"
#include "view/CCEGLView.h"

using cocos2d::CCDirector;
using cocos2d::CCEGLView;
using cocos2d::ViewEvent;

namespace {

constexpr intptr_t kWindowedMessage = 0;
constexpr intptr_t kFullscreenMessage = 1;

struct HostWindowState {
    bool fullscreen = false;
    std::function<int()> orientation;
    std::function<void()> beforeSwitch;
    // The frame size the host itself last set. The view has already applied a
    // reported size before the hook sees it, so "changed" is judged against this.
    int frameWidth = 0;
    int frameHeight = 0;
    bool resizePending = false;
    int pendingWidth = 0;
    int pendingHeight = 0;
    int frameHookId = 0;
};

HostWindowState& state() {
    static HostWindowState s;
    return s;
}

int orientation() {
    const auto& provider = state().orientation;
    return provider ? provider() : 1;
}

CCEGLView* view() { return CCDirector::sharedDirector()->getOpenGLView(); }

void setFrame(CCEGLView* v, int width, int height) {
    v->setFrameSize(static_cast<float>(width), static_cast<float>(height));
    state().frameWidth = width;
    state().frameHeight = height;
}

void applyDesignResolution(CCEGLView* v) {
    const int policy = v->getResolutionPolicy();
    if (orientation() == 1)
        v->setDesignResolutionSize(1136.0f, 640.0f, policy);
    else
        v->setDesignResolutionSize(640.0f, 1136.0f, policy);
}

// Several size reports can arrive in one frame while the user drags the
// border; only the last one is fitted, after the frame's events.
void flushPendingResize() {
    HostWindowState& s = state();
    if (!s.resizePending) return;
    s.resizePending = false;
    // Our own mode switches resize the window too; those reports must not
    // reset the design resolution in fullscreen, nor refit an unchanged frame.
    if (s.fullscreen) return;
    if (s.pendingWidth == s.frameWidth && s.pendingHeight == s.frameHeight) return;
    resizeView(s.pendingWidth, s.pendingHeight);
}

}  // namespace

void setOrientationProvider(std::function<int()> provider) { state().orientation = std::move(provider); }

void setBeforeSwitchHook(std::function<void()> hook) { state().beforeSwitch = std::move(hook); }

bool isFullscreenMode() { return state().fullscreen; }

void resetHostWindow() {
    HostWindowState& s = state();
    if (s.frameHookId) CCDirector::sharedDirector()->removeFrameHook(s.frameHookId);
    s = HostWindowState();
}

void setFullscreen(bool fullscreen, bool force) {
    HostWindowState& s = state();
    if (!force && fullscreen == s.fullscreen) return;
    s.fullscreen = fullscreen;

    CCEGLView* v = view();
    const cocos2d::CCRect monitor = v->getMonitorRect();
    const int left = static_cast<int>(monitor.origin.x);
    const int top = static_cast<int>(monitor.origin.y);
    const int W = static_cast<int>(monitor.size.width);
    const int H = static_cast<int>(monitor.size.height);
    if (W < 1 || H < 1) {
        logMessage("[Host] no monitor to size the window on; %s mode recorded only",
                   fullscreen ? "fullscreen" : "windowed");
        return;
    }

    if (fullscreen) {
        v->setFullscreen(true);
        setFrame(v, W, H);
    } else {
        const int hw = static_cast<int>(W * 0.5);
        const int hh = static_cast<int>(H * 0.5);
        const bool landscape = orientation() == 1;
        const int fw = landscape ? hw : hh;
        const int fh = landscape ? hh : hw;
        // Centre the frame actually set: a portrait window placed by the
        // landscape halves would hang off the bottom of the monitor.
        const int x = left + std::max(0, (W - fw) / 2);
        const int y = top + std::max(0, (H - fh) / 2);
        v->setFullscreen(false);
        v->setWindowRect(x, y, fw, fh);
        setFrame(v, fw, fh);
    }
    v->setFrameZoomFactor(1.0f);
    if (!fullscreen) applyDesignResolution(v);
}

void resizeView(int width, int height) {
    CCEGLView* v = view();
    setFrame(v, width, height);
    v->setFrameZoomFactor(1.0f);
    applyDesignResolution(v);
}

void windowProcHook(const ViewEvent& event) {
    HostWindowState& s = state();
    switch (event.type) {
    case ViewEvent::User:
        if (event.param != kWindowedMessage && event.param != kFullscreenMessage) break;
        if (s.beforeSwitch) s.beforeSwitch();
        setFullscreen(event.param == kFullscreenMessage, false);
        break;
    case ViewEvent::Resized:
        s.resizePending = true;
        s.pendingWidth = event.width;
        s.pendingHeight = event.height;
        break;
    default:
        // Close ends the loop in the engine; iconify and restore are the
        // application's background and foreground.
        break;
    }
}

void installWindowProcHook() {
    HostWindowState& s = state();
    CCDirector* director = CCDirector::sharedDirector();
    director->getOpenGLView()->setWndProc(windowProcHook);
    if (s.frameHookId) director->removeFrameHook(s.frameHookId);
    s.frameHookId = director->addFrameHook([](unsigned int) { flushPendingResize(); });
}

void postWindowModeRequest(bool fullscreen) {
    view()->postUserMessage(fullscreen ? kFullscreenMessage : kWindowedMessage);
}

void postCloseRequest() { view()->requestClose(); }
