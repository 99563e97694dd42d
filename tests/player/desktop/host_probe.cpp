// host_probe: drives the host's window glue, icon and keyboard in a real
// window, and prints what the window and the keyboard really did, for the
// end-to-end scripts.
//
//   --icon FILE              set the window icon from FILE
//   --orientation N          the game's orientation setting (default 1)
//   --post K@F[,K@F...]      at frame F: windowed-forced (direct forced call),
//                            fullscreen or windowed (posted requests)
//   --keys                   print "press|release <KeyCode> 0x<tool code>"
//   --seconds S              close through a posted close after S seconds
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "HostTestSupport.h"
#include "HostWindow.h"
#include "IconFile.h"
#include "InputDevices.h"
#include "KeyCodeMap.h"
#include "director/CCDirector.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

// At frame `frame`: "windowed-forced", "fullscreen" or "windowed".
typedef std::pair<std::string, unsigned int> Post;

// Client-area geometry in root coordinates, from our own X connection;
// headless, the view's remembered rectangle.
void printWindow(Display* display) {
    CCEGLView* view = CCEGLView::sharedOpenGLView();
    const CCRect r = view->getWindowRect();
    int w = static_cast<int>(r.size.width), h = static_cast<int>(r.size.height);
    int x = static_cast<int>(r.origin.x), y = static_cast<int>(r.origin.y);
    if (display) {
        const Window window = static_cast<Window>(view->getHWnd());
        XWindowAttributes attributes;
        Window child;
        XSync(display, False);
        if (!window || !XGetWindowAttributes(display, window, &attributes) ||
            !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child)) {
            std::printf("window unknown\n");
            return;
        }
        w = attributes.width;
        h = attributes.height;
    }
    std::printf("window %dx%d+%d+%d %s\n", w, h, x, y, view->isFullscreen() ? "fullscreen" : "windowed");
}

class KeyPrinter : public OIS::KeyListener {
public:
    bool keyPressed(const OIS::KeyEvent& e) override { return print("press", e.key); }
    bool keyReleased(const OIS::KeyEvent& e) override { return print("release", e.key); }

private:
    bool print(const char* what, OIS::KeyCode kc) {
        std::printf("%s %d 0x%X\n", what, static_cast<int>(kc), static_cast<unsigned>(toolKeyCode(kc)));
        return true;
    }
};

// "kind@frame,kind@frame..."
bool parsePosts(const char* text, std::vector<Post>& posts) {
    std::istringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        const size_t at = item.find('@');
        const int frame = at == std::string::npos ? 0 : std::atoi(item.c_str() + at + 1);
        const std::string kind = item.substr(0, at);
        if (frame <= 0 || (kind != "windowed-forced" && kind != "fullscreen" && kind != "windowed")) return false;
        posts.push_back({kind, static_cast<unsigned int>(frame)});
    }
    return !posts.empty();
}

int usage() {
    std::fprintf(stderr,
                 "usage: host_probe [--icon FILE] [--orientation N] [--post KIND@FRAME,...] [--keys] [--seconds S]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string icon;
    int orientation = 1;
    std::vector<Post> posts;
    bool keys = false;
    double seconds = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--icon" && hasValue) {
            icon = argv[++i];
        } else if (arg == "--orientation" && hasValue) {
            orientation = std::atoi(argv[++i]);
        } else if (arg == "--post" && hasValue) {
            if (!parsePosts(argv[++i], posts)) return usage();
        } else if (arg == "--keys") {
            keys = true;
        } else if (arg == "--seconds" && hasValue) {
            seconds = std::atof(argv[++i]);
        } else {
            return usage();
        }
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // the scripts read lines while the probe runs

    SceneApp app;
    CCEGLView* view = CCEGLView::sharedOpenGLView();
    // Headless (ENGINE_HEADLESS=1) runs on the fake monitor, keys from the input script.
    Display* display = nullptr;
    if (!view->isHeadless() && (!view->hasNativeWindow() || !(display = XOpenDisplay(nullptr)))) {
        std::fprintf(stderr, "host_probe: no window, or cannot open the display\n");
        return 1;
    }
    view->setViewName("host_probe");
    setOrientationProvider([orientation] { return orientation; });
    setBeforeSwitchHook([] { std::printf("save\n"); });
    installWindowProcHook();
    if (!icon.empty()) setWindowIcon(icon.c_str());
    KeyPrinter printer;
    if (keys) createInputDevices(view->getHWnd(), &printer, nullptr);

    const auto started = std::chrono::steady_clock::now();
    bool closing = false;
    std::vector<unsigned int> reports;  // frames at which to print the window
    CCDirector::sharedDirector()->addFrameHook([&](unsigned int frame) {
        if (keys) captureInputDevices();
        for (const Post& post : posts) {
            if (post.second != frame) continue;
            if (post.first == "windowed-forced") {
                setFullscreen(false, true);
                reports.push_back(frame + 3);
            } else {
                postWindowModeRequest(post.first == "fullscreen");
                reports.push_back(frame + 1 + 3);  // handled at the start of the next frame
            }
        }
        for (unsigned int r : reports)
            if (r == frame) printWindow(display);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (!closing && seconds > 0 && elapsed >= seconds) {
            closing = true;
            postCloseRequest();
        }
    });

    const int result = app.run();
    destroyInputDevices();
    if (display) XCloseDisplay(display);
    return result;
}
