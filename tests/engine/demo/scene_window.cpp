// Window demos:
//   clear       magenta frame, top-left quadrant cleared green with a scissor
//   events      posts User 7 and 8 in frame 3 and requestClose in frame 4;
//               prints what the hook sees, then "run STATUS frames TICKS"
//   wmclose     sends WM_DELETE_WINDOW to its own window through Xlib in frame 3
//   fullscreen  draws like clear; fullscreen by a posted message in frame 2,
//               windowed 960x640 in frame 10; frame sizes at frames 8 and 16
//   icon        sets a 16x16 icon and reads _NET_WM_ICON back in frame 3
//   policy      (with --design, --frame, --policy) the window filled with
//               (0,128,255) and 54-point red bands at its top and bottom
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

std::string sizeText(float w, float h) {
    return std::to_string(static_cast<int>(w)) + "x" + std::to_string(static_cast<int>(h));
}

// Raw GL in the framebuffer's pixels: the batch is flushed first, as game
// code drawing raw GL does.
void drawClearPattern() {
    ccGLBlendResetToCache();
    const CCSize fb = CCDirector::sharedDirector()->getOpenGLView()->getBackend()->framebufferSize();
    const GLsizei w = static_cast<GLsizei>(fb.width), h = static_cast<GLsizei>(fb.height);
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, h / 2, w / 2, h - h / 2);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
}

ENGINE_DEMO_SIMPLE("clear", 3, [] { return demoScene({demoDrawNode(drawClearPattern)}); });

ENGINE_DEMO_SIMPLE("policy", 3, [] {
    return demoScene({demoDrawNode([] {
        const CCSize win = CCDirector::sharedDirector()->getWinSize();
        ccDrawSolidRect(CCPoint(0, 0), CCPoint(win.width, win.height), ccc4f(0, 128.0f / 255.0f, 1, 1));
        ccDrawSolidRect(CCPoint(0, 0), CCPoint(win.width, 54), ccc4f(1, 0, 0, 1));
        ccDrawSolidRect(CCPoint(0, win.height - 54), CCPoint(win.width, win.height), ccc4f(1, 0, 0, 1));
    })});
});

// Prints what the window hook sees, then the run's outcome; `act` runs in
// every tick.
class HookedDemo : public DemoScene {
public:
    explicit HookedDemo(void (*act)(unsigned int frame)) : m_act(act) {}
    CCScene* createScene() override {
        CCDirector::sharedDirector()->getOpenGLView()->setWndProc([](const ViewEvent& event) {
            if (event.type == ViewEvent::User) demoSay("hook user " + std::to_string(event.param));
            if (event.type == ViewEvent::Close) demoSay("hook close");
        });
        return demoScene({demoTickNode([this](unsigned int frame, float) {
            ++m_ticks;
            m_act(frame);
        })});
    }
    int finish(int status) override {
        demoSay("run " + std::to_string(status) + " frames " + std::to_string(m_ticks));
        return status;
    }

private:
    void (*m_act)(unsigned int);
    unsigned int m_ticks = 0;
};

void postTwoThenClose(unsigned int frame) {
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    if (frame == 3) {
        view->postUserMessage(7);
        view->postUserMessage(8);
    }
    if (frame == 4) view->requestClose();
}
DemoRegistrar g_events("events", [] { return std::unique_ptr<DemoScene>(new HookedDemo(postTwoThenClose)); });

// What a window manager's close button sends.
void sendDeleteWindow(unsigned int frame) {
    const Window window = static_cast<Window>(CCDirector::sharedDirector()->getOpenGLView()->getHWnd());
    Display* display = frame == 3 && window ? XOpenDisplay(nullptr) : nullptr;
    if (!display) {
        if (frame == 3) std::fprintf(stderr, "wmclose: no X11 window\n");
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
}
DemoRegistrar g_wmclose("wmclose", [] { return std::unique_ptr<DemoScene>(new HookedDemo(sendDeleteWindow)); });

ENGINE_DEMO_SIMPLE("fullscreen", 18, [] {
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    const CCRect monitor = view->getMonitorRect();
    demoSay("monitor " + std::to_string(static_cast<int>(monitor.origin.x)) + "," +
            std::to_string(static_cast<int>(monitor.origin.y)) + " " +
            sizeText(monitor.size.width, monitor.size.height));
    view->setWndProc([view](const ViewEvent& event) {
        if (event.type == ViewEvent::User && event.param == 1) view->setFullscreen(true);
    });
    CCNode* steps = demoTickNode([view](unsigned int frame, float) {
        if (frame == 2) view->postUserMessage(1);
        if (frame == 10) {
            view->setFullscreen(false);
            view->setFrameSize(960, 640);
        }
        const CCSize& size = view->getFrameSize();
        if (frame == 8 || frame == 16)
            demoSay("frame " + std::to_string(frame) + " " + sizeText(size.width, size.height));
    });
    return demoScene({demoDrawNode(drawClearPattern), steps});
});

std::string readIcon(Window window) {
    Display* display = window ? XOpenDisplay(nullptr) : nullptr;
    if (!display) return "icon none";
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string result = "icon none";
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 2, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data) == Success &&
        data && format == 32 && count == 2) {
        // 32-bit properties come back as longs.
        const long* values = reinterpret_cast<const long*>(data);
        result = "icon " + std::to_string(values[0]) + "x" + std::to_string(values[1]);
    }
    if (data) XFree(data);
    XCloseDisplay(display);
    return result;
}

ENGINE_DEMO_SIMPLE("icon", 5, [] {
    CCEGLView* view = CCDirector::sharedDirector()->getOpenGLView();
    std::vector<unsigned char> red(16 * 16 * 4, 0);
    for (std::size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
    view->setIcon(red.data(), 16, 16);
    return demoScene({demoTickNode([view](unsigned int frame, float) {
        if (frame == 3) demoSay(readIcon(static_cast<Window>(view->getHWnd())));
    })});
});

}  // namespace
