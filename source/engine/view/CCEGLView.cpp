#include "view/CCEGLView.h"

#include <signal.h>

#include <cmath>

#include "director/EngineHooks.h"
#include "gl/CCGL.h"
#include "input/ViewInput.h"
#include "platform/CCCommon.h"
#include "platform/RandomAndClock.h"
#include "view/glfw/GLFWBackend.h"
#include "view/headless/HeadlessBackend.h"

namespace cocos2d {

namespace {

CCEGLView* s_sharedView = nullptr;
volatile sig_atomic_t s_signalClose = 0;
CCEGLView::LifecycleHandler s_lifecycle = nullptr;

CCEGLView::BackendFactory& backendFactory() {
    static CCEGLView::BackendFactory* factory = new CCEGLView::BackendFactory();
    return *factory;
}

}  // namespace

void ViewBackend::waitEvents(CCEGLView* view, double seconds) {
    pollEvents(view);
    compat::sleepSeconds(seconds);
}

CCEGLView::CCEGLView(std::unique_ptr<ViewBackend> backend, bool headless)
    : m_backend(std::move(backend)), m_bHeadless(headless) {
    CCEGLViewProtocol::setFrameSize(960.0f, 640.0f);
    // A real window may start at another size (a tiling window manager).
    const CCSize fb = m_backend->framebufferSize();
    if (fb.width >= 1 && fb.height >= 1) CCEGLViewProtocol::setFrameSize(fb.width, fb.height);
}

CCEGLView::~CCEGLView() = default;

CCEGLView* CCEGLView::sharedOpenGLView() {
    if (!s_sharedView) {
        std::unique_ptr<ViewBackend> backend;
        const bool headless = engineHooks().headless;
        if (headless) {
            backend = createHeadlessBackend();
        } else {
            backend = backendFactory() ? backendFactory()() : createGLFWBackend(960, 640, "");
            // No silent fallback to headless: the caller learns through
            // hasNativeWindow() and run() returning 1.
            if (!backend) backend = createInertBackend();
        }
        s_sharedView = new CCEGLView(std::move(backend), headless);
    }
    return s_sharedView;
}

void CCEGLView::purgeSharedOpenGLView() {
    delete s_sharedView;
    s_sharedView = nullptr;
    s_signalClose = 0;
}

void CCEGLView::setBackendFactory(BackendFactory factory) { backendFactory() = std::move(factory); }

bool CCEGLView::isOpenGLReady() { return m_backend->isOpenGLReady(); }

void CCEGLView::end() { requestClose(); }

void CCEGLView::swapBuffers() { m_backend->swapBuffers(); }

// ---- window calls

void CCEGLView::setViewName(const char* viewName) {
    CCEGLViewProtocol::setViewName(viewName);
    m_backend->setTitle(getViewName());
}

void CCEGLView::setFrameSize(float width, float height) {
    // A window sized down to nothing would give zero scales, and the policy
    // maths and touch conversion would divide by them.
    if (!(width >= 1.0f) || !(height >= 1.0f) || !std::isfinite(width) || !std::isfinite(height)) {
        if (!m_bLoggedBadFrame) CCLog("[CCEGLView] frame size %g x %g ignored; keeping the last one", width, height);
        m_bLoggedBadFrame = true;
        return;
    }
    const CCSize before = getFrameSize();
    CCEGLViewProtocol::setFrameSize(width, height);
    if (getFrameSize() != before && !m_backend->isFullscreen()) {
        m_backend->frameSizeChanged(width * getFrameZoomFactor(), height * getFrameZoomFactor());
    }
    applyViewport();
}

void CCEGLView::setFrameZoomFactor(float zoomFactor) {
    const float before = getFrameZoomFactor();
    CCEGLViewProtocol::setFrameZoomFactor(zoomFactor);
    if (getFrameZoomFactor() != before && !m_backend->isFullscreen()) {
        const CCSize& frame = getFrameSize();
        m_backend->frameSizeChanged(frame.width * getFrameZoomFactor(), frame.height * getFrameZoomFactor());
    }
    applyViewport();
}

void CCEGLView::setFullscreen(bool fullscreen) {
    const CCSize fb = m_backend->setFullscreen(fullscreen);
    if (fb.width >= 1 && fb.height >= 1) {
        CCEGLViewProtocol::setFrameSize(fb.width / getFrameZoomFactor(), fb.height / getFrameZoomFactor());
        applyViewport();
    }
}

void CCEGLView::setWindowRect(int x, int y, int width, int height) {
    if (width < 1 || height < 1) {
        CCLog("[CCEGLView] window rect %d x %d ignored", width, height);
        return;
    }
    m_backend->setWindowRect(x, y, width, height);
}

void CCEGLView::setIcon(const unsigned char* rgba, int width, int height) {
    // Bounded so a corrupt icon cannot ask the window system for gigabytes.
    if (!rgba || width < 1 || height < 1 || width > 1024 || height > 1024) {
        CCLog("[CCEGLView] icon %d x %d refused", width, height);
        return;
    }
    m_backend->setIcon(rgba, width, height);
}

void CCEGLView::setIcons(const std::vector<ViewIcon>& icons) {
    std::vector<ViewIcon> usable;
    for (const ViewIcon& icon : icons) {
        if (!icon.rgba || icon.width < 1 || icon.height < 1 || icon.width > 1024 || icon.height > 1024) {
            CCLog("[CCEGLView] icon %d x %d refused", icon.width, icon.height);
            continue;
        }
        usable.push_back(icon);
    }
    if (!usable.empty()) m_backend->setIcons(usable);
}

// ---- events

void CCEGLView::postUserMessage(intptr_t param) {
    ViewEvent event;
    event.type = ViewEvent::User;
    event.param = param;
    queueEvent(event);
}

void CCEGLView::requestClose() {
    ViewEvent event;
    event.type = ViewEvent::Close;
    queueEvent(event);
}

void CCEGLView::requestCloseFromSignal() { s_signalClose = 1; }

void CCEGLView::setLifecycleHandler(LifecycleHandler handler) { s_lifecycle = handler; }

void CCEGLView::queueEvent(const ViewEvent& event) {
    Queued item;
    item.kind = Queued::Window;
    item.event = event;
    m_queue.push_back(item);
}

void CCEGLView::queueResize(int width, int height) {
    if (width < 1 || height < 1) return;  // minimised: keep the last frame
    ViewEvent event;
    event.type = ViewEvent::Resized;
    event.width = width;
    event.height = height;
    queueEvent(event);
}

void CCEGLView::queueMouseButton(bool pressed, float x, float y) {
    Queued item;
    item.kind = Queued::MouseButton;
    item.pressed = pressed;
    item.x = x;
    item.y = y;
    m_queue.push_back(item);
}

void CCEGLView::queueMouseMove(float x, float y) {
    Queued item;
    item.kind = Queued::MouseMove;
    item.x = x;
    item.y = y;
    m_queue.push_back(item);
}

void CCEGLView::queueKey(const ViewKeyEvent& key) {
    if (!sendKey(key) || !key.pressed || key.key != kViewKeyEscape || !m_bEscapeIsBack) return;
    Queued item;
    item.kind = Queued::Back;
    m_queue.push_back(item);
}

void CCEGLView::queueFocusLost() {
    Queued item;
    item.kind = Queued::FocusLost;
    m_queue.push_back(item);
}

void CCEGLView::pollEvents(double waitSeconds) {
    if (waitSeconds > 0) {
        m_backend->waitEvents(this, waitSeconds);
    } else {
        m_backend->pollEvents(this);
    }
    if (s_signalClose) {
        s_signalClose = 0;
        requestClose();
    }
}

bool CCEGLView::deliverEvents() {
    // Only what arrived before delivery began: a hook that posts sees its
    // message next iteration.
    std::deque<Queued> batch;
    batch.swap(m_queue);
    for (const Queued& item : batch) deliver(item);
    return !m_bCloseDelivered;
}

void CCEGLView::deliver(const Queued& item) {
    switch (item.kind) {
        case Queued::Window:
            dispatchEvent(item.event);
            break;
        case Queued::MouseButton:
            viewInputMouseButton(item.pressed, item.x, item.y);
            break;
        case Queued::MouseMove:
            viewInputMouseMove(item.x, item.y);
            break;
        case Queued::Back:
            viewInputBack();
            break;
        case Queued::FocusLost:
            viewInputCancelTouches();
            break;
    }
}

void CCEGLView::dispatchEvent(const ViewEvent& event) {
    handle(event);
    if (m_wndProc) {
        WndProc hook = m_wndProc;  // the hook may replace itself
        hook(event);
    }
}

void CCEGLView::handle(const ViewEvent& event) {
    switch (event.type) {
        case ViewEvent::Close:
            m_bCloseDelivered = true;
            break;
        case ViewEvent::Resized:
            setFrameSize(static_cast<float>(event.width) / getFrameZoomFactor(),
                         static_cast<float>(event.height) / getFrameZoomFactor());
            break;
        case ViewEvent::Iconified: {
            viewInputCancelTouches();
            if (m_bIconified) break;
            m_bIconified = true;
            if (s_lifecycle) s_lifecycle(true);
            break;
        }
        case ViewEvent::Restored: {
            if (!m_bIconified) break;
            m_bIconified = false;
            if (s_lifecycle) s_lifecycle(false);
            break;
        }
        case ViewEvent::User:
            break;
    }
}

bool CCEGLView::sendKey(const ViewKeyEvent& key) {
    if (key.key < 0 || key.key >= kViewKeyCount || m_keysDown[key.key] == key.pressed) return false;
    m_keysDown[key.key] = key.pressed;
    if (m_keySink) {
        KeySink sink = m_keySink;  // the sink may replace itself
        sink(key);
    } else {
        CCLog("[CCEGLView] key %d %s with no key sink", key.key, key.pressed ? "down" : "up");
    }
    return true;
}

void CCEGLView::sendPad(const ViewPadEvent& pad) {
    if (m_padSink) {
        PadSink sink = m_padSink;  // the sink may replace itself
        sink(pad);
    } else if (pad.axis) {
        CCLog("[CCEGLView] pad axis %d %d with no pad sink", pad.number, pad.value);
    } else {
        CCLog("[CCEGLView] pad button %d %s with no pad sink", pad.number, pad.pressed ? "down" : "up");
    }
}

// ---- drawing

void CCEGLView::applyViewport() {
    if (!m_backend->isOpenGLReady() || !ccGLHasContext()) return;
    const CCRect& vp = getViewPortRect();
    const float zoom = getFrameZoomFactor();
    glViewport(static_cast<GLint>(std::lround(vp.origin.x * zoom)), static_cast<GLint>(std::lround(vp.origin.y * zoom)),
               static_cast<GLsizei>(std::lround(vp.size.width * zoom)),
               static_cast<GLsizei>(std::lround(vp.size.height * zoom)));
}

void CCEGLView::beginFrameDraw() {
    if (!m_backend->isOpenGLReady() || !ccGLHasContext()) return;
    // The whole framebuffer, bars included, whatever the game left behind.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    applyViewport();
}

}  // namespace cocos2d
