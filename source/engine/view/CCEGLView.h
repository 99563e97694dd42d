// The platform view. One class for every back-end: the window system sits
// behind ViewBackend, so the game only ever sees CCEGLView.
//
// Window events are queued as they arrive and delivered once per loop
// iteration, in arrival order: the engine's own handling first, then the
// window hook (setWndProc). Events posted during delivery wait for the next
// iteration, so a hook that posts cannot loop within one frame.
#pragma once

#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "view/CCEGLViewProtocol.h"

namespace cocos2d {

class CCEGLView;

// What the window hook sees.
struct ViewEvent {
    enum Type { Close, Resized, Iconified, Restored, User };
    Type type = User;
    int width = 0;  // Resized: the framebuffer size
    int height = 0;
    intptr_t param = 0;  // User: the posted value
};

// Key codes are GLFW's, for the window and the script alike.
constexpr int kViewKeyEscape = 256;  // GLFW_KEY_ESCAPE (the GLFW back-end checks it)
constexpr int kViewKeyCount = 512;   // above GLFW_KEY_LAST

// A key for the host's keyboard: a press or a release.
struct ViewKeyEvent {
    bool pressed = false;
    int key = 0;            // GLFW key code
    unsigned int text = 0;  // what the window's layout types for it unshifted; 0: none (scripted keys)
};

// A gamepad button or axis from the input script, in the host's numbering.
struct ViewPadEvent {
    bool axis = false;     // else a button
    bool pressed = false;  // a button's
    int number = 0;        // button or axis
    int value = 0;         // an axis's
};

// One image of the window icon: 8-bit RGBA, straight alpha, rows top first.
struct ViewIcon {
    const unsigned char* rgba = nullptr;
    int width = 0;
    int height = 0;
};

// (ours) What a window system provides to the view. The headless back-end
// has no window and no context. A windowed back-end reports events through
// the view's queue* calls from inside pollEvents/waitEvents.
class ViewBackend {
public:
    virtual ~ViewBackend() = default;
    virtual const char* getName() const = 0;
    // True once a GL context exists, is current and passed the capability check.
    virtual bool isOpenGLReady() const = 0;
    // False when the window or its context could not be made.
    virtual bool hasNativeWindow() const { return isOpenGLReady(); }
    // Gathers pending window events (queued on the view).
    virtual void pollEvents(CCEGLView* view) = 0;
    // As pollEvents, but waits up to `seconds` for one; the default sleeps.
    virtual void waitEvents(CCEGLView* view, double seconds);
    virtual void swapBuffers() = 0;
    // Obsolete direct close; the view turns end() into a Close event instead.
    virtual void close() {}
    virtual bool isClosed() const { return false; }
    // The view's frame size changed (the window follows it where it can).
    virtual void frameSizeChanged(float width, float height) {
        (void)width;
        (void)height;
    }

    // Window calls; the headless defaults do nothing.
    virtual void setTitle(const std::string& title) { (void)title; }
    virtual uintptr_t nativeWindowId() const { return 0; }
    virtual CCRect monitorRect() const { return CCRect(); }
    // Switches and reports the new framebuffer size (0 x 0 when unknown).
    virtual CCSize setFullscreen(bool fullscreen) {
        (void)fullscreen;
        return CCSize();
    }
    virtual bool isFullscreen() const { return false; }
    virtual void setWindowRect(int x, int y, int width, int height) {
        (void)x;
        (void)y;
        (void)width;
        (void)height;
    }
    virtual void setIcon(const unsigned char* rgba, int width, int height) {
        (void)rgba;
        (void)width;
        (void)height;
    }
    // Every size at once, so the window manager can pick (GLFW's _NET_WM_ICON).
    virtual void setIcons(const std::vector<ViewIcon>& icons) { (void)icons; }
    // The client area in screen coordinates; empty when unknown.
    virtual CCRect windowRect() const { return CCRect(); }
    // The framebuffer in pixels (what glReadPixels sees); 0 x 0 headless.
    virtual CCSize framebufferSize() const { return CCSize(); }
};

class CCEGLView : public CCEGLViewProtocol {
public:
    // Created on first use. ENGINE_HEADLESS=1 gives the headless back-end;
    // otherwise the registered factory, by default the GLFW window. When the
    // window cannot be made the view is inert (hasNativeWindow() false) and
    // CCApplication::run() returns 1. The frame starts at 960 x 640.
    static CCEGLView* sharedOpenGLView();
    // (ours) Drops the view so the next sharedOpenGLView() starts afresh; the
    // director must not hold it (CCDirector::resetForTest takes care of that).
    static void purgeSharedOpenGLView();

    typedef std::function<std::unique_ptr<ViewBackend>()> BackendFactory;
    // (ours) Replaces the window factory (tests). An empty factory restores
    // the default window; a factory returning null gives the inert view.
    static void setBackendFactory(BackendFactory factory);

    virtual bool isOpenGLReady();
    // Queues a Close: run() ends at the next delivery.
    virtual void end();
    virtual void swapBuffers();

    // ---- window calls (nothing happens without a window)
    void setViewName(const char* viewName) override;
    // Windowed: the client area becomes frame x zoom. Fullscreen: only
    // recorded. A side below 1 is ignored (logged once).
    void setFrameSize(float width, float height) override;
    void setFrameZoomFactor(float zoomFactor) override;
    // The X11 window id; 0 without a window.
    uintptr_t getHWnd() const { return m_backend->nativeWindowId(); }
    bool hasNativeWindow() const { return m_backend->hasNativeWindow(); }
    // The monitor holding the window centre (else the primary): position and
    // current video-mode size.
    CCRect getMonitorRect() const { return m_backend->monitorRect(); }
    // Fullscreen on the current monitor at its current mode (no mode change);
    // the frame size is read back before this returns.
    void setFullscreen(bool fullscreen);
    bool isFullscreen() const { return m_backend->isFullscreen(); }
    void setWindowRect(int x, int y, int width, int height);
    // 8-bit RGBA, rows top first.
    void setIcon(const unsigned char* rgba, int width, int height);
    // Several sizes of one icon; images outside 1..1024 pixels are dropped.
    void setIcons(const std::vector<ViewIcon>& icons);
    // The client area as last placed (headless: as last set by setWindowRect).
    CCRect getWindowRect() const { return m_backend->windowRect(); }

    // ---- events
    typedef std::function<void(const ViewEvent&)> WndProc;
    void setWndProc(WndProc hook) { m_wndProc = std::move(hook); }
    // Where iconify and restore go, once per transition (true: into the
    // background). The application sets it; the view knows no application.
    typedef void (*LifecycleHandler)(bool background);
    static void setLifecycleHandler(LifecycleHandler handler);
    // Stand-ins for posting WM_USER / WM_CLOSE: delivered at the next iteration.
    void postUserMessage(intptr_t param);
    void requestClose();
    // Async-signal-safe; the Close is queued at the next poll.
    static void requestCloseFromSignal();

    typedef std::function<void(const ViewKeyEvent&)> KeySink;
    // Receives each key press and release once, in order: the window's as
    // they arrive while polling, the script's at their frame.
    void setKeySink(KeySink sink) { m_keySink = std::move(sink); }
    // The engine has no gamepad: the host's sink turns the script's pad lines
    // into its own pad events. Without one they are logged.
    typedef std::function<void(const ViewPadEvent&)> PadSink;
    void setPadSink(PadSink sink) { m_padSink = std::move(sink); }
    void sendPad(const ViewPadEvent& pad);
    // While false, a window Escape press reaches only the key sink, so a host
    // that maps Escape itself never gets a second back; on by default. The
    // script's `back` line is not a key and always gives back.
    void setEscapeIsBack(bool escapeIsBack) { m_bEscapeIsBack = escapeIsBack; }
    bool escapeIsBack() const { return m_bEscapeIsBack; }

    // ---- (ours) the loop's side
    // Gathers window events; `waitSeconds` > 0 waits up to that long for one.
    void pollEvents(double waitSeconds = 0);
    // Delivers what was queued before this call. Returns false once a Close
    // was delivered.
    bool deliverEvents();
    // Handles one event now (engine first, then the hook): the script's
    // iconify, restore and quit.
    void dispatchEvent(const ViewEvent& event);
    // The one way in for keys, the window's and the script's: a press of a
    // key already down (auto-repeat) or a release of a key not down (held
    // while the window got focus) stops here, and only here. Otherwise the
    // key goes to the sink (logged when there is none) and this returns true.
    bool sendKey(const ViewKeyEvent& key);
    // True once a Close was delivered (until the view is purged).
    bool windowShouldClose() const { return m_bCloseDelivered; }
    bool isHeadless() const { return m_bHeadless; }
    bool isIconified() const { return m_bIconified; }
    ViewBackend* getBackend() { return m_backend.get(); }
    // Sets the viewport from the policy and clears the framebuffer to black.
    void beginFrameDraw();
    // Applies the viewport of the current policy (no-op without a context).
    void applyViewport();

    // ---- (ours) what a back-end calls while polling
    void queueEvent(const ViewEvent& event);
    // A framebuffer size report; sides below 1 are dropped here.
    void queueResize(int width, int height);
    void queueMouseButton(bool pressed, float x, float y);
    void queueMouseMove(float x, float y);
    // Sends the key at once; the press of Escape is also the back key
    // (unless setEscapeIsBack(false)), delivered in order with the mouse.
    void queueKey(const ViewKeyEvent& key);
    void queueFocusLost();

    ~CCEGLView() override;

private:
    CCEGLView(std::unique_ptr<ViewBackend> backend, bool headless);

    struct Queued {
        enum Kind { Window, MouseButton, MouseMove, Back, FocusLost } kind = Window;
        ViewEvent event;
        bool pressed = false;  // MouseButton
        float x = 0, y = 0;
    };
    void deliver(const Queued& item);
    void handle(const ViewEvent& event);

    std::unique_ptr<ViewBackend> m_backend;
    bool m_bHeadless;
    bool m_bCloseDelivered = false;
    bool m_bIconified = false;
    bool m_bLoggedBadFrame = false;
    bool m_bEscapeIsBack = true;
    std::deque<Queued> m_queue;
    WndProc m_wndProc;
    KeySink m_keySink;
    PadSink m_padSink;
    std::bitset<kViewKeyCount> m_keysDown;
};

}  // namespace cocos2d
