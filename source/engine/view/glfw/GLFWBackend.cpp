#include "view/glfw/GLFWBackend.h"

#include "gl/CCGL.h"  // before GLFW, so GL comes with its prototypes

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

// GLFW's native header would pull in Xrandr's headers for this one call; an
// X11 Window is an unsigned long.
extern "C" unsigned long glfwGetX11Window(GLFWwindow* window);

#include <cmath>
#include <string>
#include <vector>

#include "director/EngineHooks.h"
#include "platform/CCCommon.h"

static_assert(cocos2d::kViewKeyEscape == GLFW_KEY_ESCAPE && cocos2d::kViewKeyCount > GLFW_KEY_LAST,
              "the view's key codes are GLFW's");

namespace cocos2d {

namespace {

std::string g_lastGLFWError;

void onGLFWError(int code, const char* description) {
    g_lastGLFWError = description ? description : "";
    CCLog("[CCEGLView] GLFW error 0x%x: %s", code, g_lastGLFWError.c_str());
}

// The character a key types unshifted, from the keyboard layout.
unsigned int keyText(int key, int scancode) {
    if (key == GLFW_KEY_SPACE) return ' ';
    const char* name = glfwGetKeyName(key, scancode);
    if (!name || !name[0]) return 0;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(name);
    if (s[0] < 0x80) return s[1] ? 0 : s[0];
    // One UTF-8 sequence of two or three bytes (layout letters such as é).
    if ((s[0] & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80 && !s[2]) return ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
    if ((s[0] & 0xF0) == 0xE0 && (s[1] & 0xC0) == 0x80 && (s[2] & 0xC0) == 0x80 && !s[3])
        return ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
    return 0;
}

class GLFWBackend : public ViewBackend {
public:
    explicit GLFWBackend(GLFWwindow* window) : m_window(window) {
        glfwSetWindowUserPointer(window, this);
        glfwSetFramebufferSizeCallback(window, [](GLFWwindow* w, int width, int height) {
            if (CCEGLView* view = self(w)->m_view) view->queueResize(width, height);
        });
        glfwSetWindowCloseCallback(window, [](GLFWwindow* w) {
            // The host decides: it always sees Close, and the window stays.
            glfwSetWindowShouldClose(w, GLFW_FALSE);
            if (CCEGLView* view = self(w)->m_view) view->requestClose();
        });
        glfwSetWindowIconifyCallback(window, [](GLFWwindow* w, int iconified) {
            CCEGLView* view = self(w)->m_view;
            if (!view) return;
            ViewEvent event;
            event.type = iconified ? ViewEvent::Iconified : ViewEvent::Restored;
            view->queueEvent(event);
        });
        glfwSetWindowFocusCallback(window, [](GLFWwindow* w, int focused) {
            if (CCEGLView* view = self(w)->m_view) {
                if (!focused) view->queueFocusLost();
            }
        });
        glfwSetMouseButtonCallback(window, [](GLFWwindow* w, int button, int action, int) {
            GLFWBackend* backend = self(w);
            if (button != GLFW_MOUSE_BUTTON_LEFT || !backend->m_view) return;
            float x = 0, y = 0;
            backend->cursor(&x, &y);
            backend->m_view->queueMouseButton(action == GLFW_PRESS, x, y);
        });
        glfwSetCursorPosCallback(window, [](GLFWwindow* w, double, double) {
            GLFWBackend* backend = self(w);
            if (!backend->m_view || glfwGetMouseButton(w, GLFW_MOUSE_BUTTON_LEFT) != GLFW_PRESS) return;
            float x = 0, y = 0;
            backend->cursor(&x, &y);
            backend->m_view->queueMouseMove(x, y);
        });
        glfwSetKeyCallback(window, [](GLFWwindow* w, int key, int scancode, int action, int) {
            CCEGLView* view = self(w)->m_view;
            if (!view || key == GLFW_KEY_UNKNOWN) return;
            // A repeat is a press of a key already down: the view drops it.
            ViewKeyEvent event;
            event.pressed = action != GLFW_RELEASE;
            event.key = key;
            event.text = keyText(key, scancode);
            view->queueKey(event);
        });
    }

    ~GLFWBackend() override {
        ccGLSetHasContext(false);
        glfwDestroyWindow(m_window);
        // No glfwTerminate: it unloads the driver, whose allocations would
        // then show up as leaks nobody can attribute.
    }

    const char* getName() const override { return "glfw"; }
    bool isOpenGLReady() const override { return true; }
    bool hasNativeWindow() const override { return true; }

    void pollEvents(CCEGLView* view) override {
        m_view = view;
        glfwPollEvents();
    }
    void waitEvents(CCEGLView* view, double seconds) override {
        m_view = view;
        glfwWaitEventsTimeout(seconds);
    }
    void swapBuffers() override { glfwSwapBuffers(m_window); }

    void frameSizeChanged(float width, float height) override {
        if (isFullscreen()) return;
        glfwSetWindowSize(m_window, static_cast<int>(std::lround(width)), static_cast<int>(std::lround(height)));
    }
    void setTitle(const std::string& title) override { glfwSetWindowTitle(m_window, title.c_str()); }
    uintptr_t nativeWindowId() const override { return static_cast<uintptr_t>(glfwGetX11Window(m_window)); }

    CCRect monitorRect() const override {
        GLFWmonitor* monitor = currentMonitor();
        if (!monitor) return CCRect();
        int x = 0, y = 0;
        glfwGetMonitorPos(monitor, &x, &y);
        const GLFWvidmode* mode = glfwGetVideoMode(monitor);
        if (!mode) return CCRect();
        return CCRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(mode->width),
                      static_cast<float>(mode->height));
    }

    CCSize setFullscreen(bool fullscreen) override {
        if (fullscreen == isFullscreen()) return framebufferSize();
        if (fullscreen) {
            GLFWmonitor* monitor = currentMonitor();
            const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
            if (!mode) {
                CCLog("[CCEGLView] no monitor for fullscreen");
                return framebufferSize();
            }
            glfwGetWindowPos(m_window, &m_windowed[0], &m_windowed[1]);
            glfwGetWindowSize(m_window, &m_windowed[2], &m_windowed[3]);
            // The monitor's current mode: no mode change, so switching back is instant.
            glfwSetWindowMonitor(m_window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
            waitForSize(mode->width, mode->height);
        } else {
            glfwSetWindowMonitor(m_window, nullptr, m_windowed[0], m_windowed[1], m_windowed[2], m_windowed[3], 0);
            waitForSize(m_windowed[2], m_windowed[3]);
        }
        return framebufferSize();
    }
    bool isFullscreen() const override { return glfwGetWindowMonitor(m_window) != nullptr; }

    void setWindowRect(int x, int y, int width, int height) override {
        if (isFullscreen()) {
            m_windowed[0] = x;
            m_windowed[1] = y;
            m_windowed[2] = width;
            m_windowed[3] = height;
            return;
        }
        glfwSetWindowPos(m_window, x, y);
        glfwSetWindowSize(m_window, width, height);
    }

    void setIcon(const unsigned char* rgba, int width, int height) override {
        GLFWimage image;
        image.width = width;
        image.height = height;
        image.pixels = const_cast<unsigned char*>(rgba);
        glfwSetWindowIcon(m_window, 1, &image);
    }
    void setIcons(const std::vector<ViewIcon>& icons) override {
        std::vector<GLFWimage> images;
        for (const ViewIcon& icon : icons) {
            GLFWimage image;
            image.width = icon.width;
            image.height = icon.height;
            image.pixels = const_cast<unsigned char*>(icon.rgba);
            images.push_back(image);
        }
        glfwSetWindowIcon(m_window, static_cast<int>(images.size()), images.data());
    }
    CCRect windowRect() const override {
        int x = 0, y = 0, width = 0, height = 0;
        glfwGetWindowPos(m_window, &x, &y);
        glfwGetWindowSize(m_window, &width, &height);
        return CCRect(static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                      static_cast<float>(height));
    }

    CCSize framebufferSize() const override {
        int width = 0, height = 0;
        glfwGetFramebufferSize(m_window, &width, &height);
        return CCSize(static_cast<float>(width), static_cast<float>(height));
    }

private:
    static GLFWBackend* self(GLFWwindow* window) { return static_cast<GLFWBackend*>(glfwGetWindowUserPointer(window)); }

    // Cursor in framebuffer pixels, origin top-left.
    void cursor(float* x, float* y) const {
        double cx = 0, cy = 0;
        glfwGetCursorPos(m_window, &cx, &cy);
        int ww = 0, wh = 0, fw = 0, fh = 0;
        glfwGetWindowSize(m_window, &ww, &wh);
        glfwGetFramebufferSize(m_window, &fw, &fh);
        const double sx = ww > 0 ? static_cast<double>(fw) / ww : 1.0;
        const double sy = wh > 0 ? static_cast<double>(fh) / wh : 1.0;
        *x = static_cast<float>(cx * sx);
        *y = static_cast<float>(cy * sy);
    }

    // The monitor holding the window centre, else the primary one.
    GLFWmonitor* currentMonitor() const {
        if (GLFWmonitor* own = glfwGetWindowMonitor(m_window)) return own;
        int wx = 0, wy = 0, ww = 0, wh = 0;
        glfwGetWindowPos(m_window, &wx, &wy);
        glfwGetWindowSize(m_window, &ww, &wh);
        const int cx = wx + ww / 2, cy = wy + wh / 2;
        int count = 0;
        GLFWmonitor** monitors = glfwGetMonitors(&count);
        for (int i = 0; i < count; ++i) {
            int mx = 0, my = 0;
            glfwGetMonitorPos(monitors[i], &mx, &my);
            const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
            if (mode && cx >= mx && cx < mx + mode->width && cy >= my && cy < my + mode->height) return monitors[i];
        }
        return glfwGetPrimaryMonitor();
    }

    // A window manager applies a switch asynchronously; the caller wants the
    // new size now. Bounded, so a manager that refuses cannot hang the game.
    void waitForSize(int width, int height) {
        for (int i = 0; i < 100; ++i) {
            const CCSize fb = framebufferSize();
            if (static_cast<int>(fb.width) == width && static_cast<int>(fb.height) == height) return;
            glfwWaitEventsTimeout(0.002);
        }
    }

    GLFWwindow* m_window;
    CCEGLView* m_view = nullptr;
    int m_windowed[4] = {0, 0, 960, 640};
};

}  // namespace

std::unique_ptr<ViewBackend> createGLFWBackend(int width, int height, const char* title) {
    static bool initialised = false;
    glfwSetErrorCallback(onGLFWError);
    if (!initialised) {
        if (!glfwInit()) {
            CCLog("[CCEGLView] cannot open a window: %s",
                  g_lastGLFWError.empty() ? "GLFW failed to start" : g_lastGLFWError.c_str());
            return nullptr;
        }
        initialised = true;
    }
    glfwDefaultWindowHints();
    // A compatibility context: no profile hint, so Mesa gives its highest
    // compatibility version.
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 1);
    glfwWindowHint(GLFW_DEPTH_BITS, 0);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    GLFWwindow* window = glfwCreateWindow(width, height, title ? title : "", nullptr, nullptr);
    if (!window) {
        CCLog("[CCEGLView] needs an OpenGL 2.1 compatibility context; none could be made: %s",
              g_lastGLFWError.c_str());
        return nullptr;
    }
    glfwMakeContextCurrent(window);
    std::string problem;
    if (!checkGLCapabilities(&problem)) {
        CCLog("[CCEGLView] %s", problem.c_str());
        glfwMakeContextCurrent(nullptr);
        glfwDestroyWindow(window);
        return nullptr;
    }
    CCLog("[CCEGLView] GL_VERSION %s, GL_RENDERER %s", reinterpret_cast<const char*>(glGetString(GL_VERSION)),
          reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    glfwSwapInterval(engineHooks().fixedDeltaTime ? 0 : 1);
    std::unique_ptr<ViewBackend> backend(new GLFWBackend(window));
    ccGLSetHasContext(true);
    return backend;
}

}  // namespace cocos2d
