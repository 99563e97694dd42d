#include "director/CCApplication.h"

#include <cmath>
#include <set>

#include "audio/AudioEngine.h"
#include "audio/SimpleAudioEngine.h"
#include "director/CCDirector.h"
#include "director/EngineHooks.h"
#include "gl/CCGL.h"
#include "input/InputScript.h"
#include "input/ViewInput.h"
#include "platform/CCCommon.h"
#include "platform/RandomAndClock.h"
#include "view/CCEGLView.h"
#include "view/Screenshot.h"

namespace cocos2d {

namespace {

CCApplication* s_sharedApplication = nullptr;

void sleepUntil(double deadline) { compat::sleepSeconds(deadline - compat::monotonicSeconds()); }

void toLifecycle(bool background) {
    CCApplication* app = CCApplication::currentApplication();
    if (!app) return;
    if (background) {
        app->applicationDidEnterBackground();
    } else {
        app->applicationWillEnterForeground();
    }
}

}  // namespace

CCApplication::CCApplication() {
    if (s_sharedApplication) CCLog("[CCApplication] a second application replaces the first");
    s_sharedApplication = this;
    CCEGLView::setLifecycleHandler(&toLifecycle);
}

CCApplication::~CCApplication() {
    if (s_sharedApplication == this) s_sharedApplication = nullptr;
}

CCApplication* CCApplication::sharedApplication() {
    if (!s_sharedApplication) CCLog("[CCApplication] no application exists");
    return s_sharedApplication;
}

void CCApplication::setAnimationInterval(double interval) {
    CCDirector::sharedDirector()->setAnimationInterval(interval);
}

CCApplication* CCApplication::currentApplication() { return s_sharedApplication; }

bool CCApplication::shouldStop() const {
    CCDirector* director = CCDirector::sharedDirector();
    return director->isEndRequested() || director->isFrameLimitReached() ||
           director->getOpenGLView()->windowShouldClose();
}

namespace {

// The window-level lines of the input script.
class ViewScriptTarget : public InputScriptTarget {
public:
    explicit ViewScriptTarget(CCEGLView* view) : m_view(view) {}
    void scriptKey(const InputScriptEvent& event) override {
        ViewKeyEvent key;
        key.pressed = event.kind == InputScriptEvent::KeyDown;
        key.key = event.key;
        m_view->sendKey(key);
    }
    void scriptPad(const InputScriptEvent& event) override {
        ViewPadEvent pad;
        pad.axis = event.kind == InputScriptEvent::PadAxis;
        pad.pressed = event.kind == InputScriptEvent::PadButtonDown;
        pad.number = event.pad;
        pad.value = event.padValue;
        m_view->sendPad(pad);
    }
    void scriptIconify() override { send(ViewEvent::Iconified); }
    void scriptRestore() override { send(ViewEvent::Restored); }
    // Delivered at once, so the loop ends before this frame ticks.
    void scriptQuit() override { send(ViewEvent::Close); }

private:
    void send(ViewEvent::Type type) {
        ViewEvent event;
        event.type = type;
        m_view->dispatchEvent(event);
    }
    CCEGLView* m_view;
};

// Each GL error code is logged once per run, so a broken draw every frame
// does not flood the log.
void drainGLErrors(std::set<GLenum>* seen) {
    if (!ccGLHasContext()) return;
    for (int i = 0; i < 64; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) return;
        if (seen->insert(error).second) CCLog("[CCEGLView] GL error 0x%04x", static_cast<unsigned int>(error));
    }
}

bool unusable(CCEGLView* view) { return !view->isHeadless() && !view->hasNativeWindow(); }

}  // namespace

int CCApplication::run() {
    // The first view is the window: without one there is nothing to launch.
    if (unusable(CCEGLView::sharedOpenGLView())) {
        CCLog("[CCApplication] no window; not starting");
        return 1;
    }
    if (!reportRefusedEngineHooks()) return 1;
    ScreenshotPlan screenshots;
    if (!screenshots.loadFromEnvironment()) return 1;
    if (!viewInputBeginRun()) return 1;
    if (!applicationDidFinishLaunching()) {
        CCLog("[CCApplication] applicationDidFinishLaunching failed");
        viewInputEndRun();
        CCDirector::sharedDirector()->shutdown();
        return 1;
    }
    CCDirector* director = CCDirector::sharedDirector();
    CCEGLView* view = director->getOpenGLView();
    if (unusable(view)) {
        CCLog("[CCApplication] the game's view has no window; not starting");
        viewInputEndRun();
        director->shutdown();
        return 1;
    }
    director->beginRun();
    ViewScriptTarget scriptTarget(view);
    const int shotHook =
        director->addFrameHook([&screenshots, view](unsigned int frame) { screenshots.capture(frame, view); });
    std::set<GLenum> glErrors;
    double nextStart = compat::monotonicSeconds();
    while (!shouldStop()) {
        const unsigned int frame = director->getTotalFrames() + 1;
        const double interval = director->getAnimationInterval();
        const bool animating = director->isAnimating();
        if (animating && !director->isFixedDeltaTime()) {
            sleepUntil(nextStart);
            const double now = compat::monotonicSeconds();
            nextStart += interval;
            // After a stall, start counting again instead of racing to catch up.
            if (nextStart < now) nextStart = now;
        }
        // 1. Poll; while stopped, wait for an event up to one interval.
        view->pollEvents(animating ? 0.0 : interval);
        if (!animating) nextStart = compat::monotonicSeconds();
        // 2. The window's events, then this frame's script lines.
        if (!view->deliverEvents()) break;
        viewInputDeliverScript(frame, &scriptTarget);
        if (view->windowShouldClose()) break;
        // 3 and 4. Tick, switch, clear, visit, flush, screenshots; pool drain.
        const bool drawing = director->isAnimating();
        director->mainLoop();
        if (drawing) {
            view->swapBuffers();
        } else {
            screenshots.skip(frame, "the animation is stopped");
        }
        drainGLErrors(&glErrors);
    }
    director->removeFrameHook(shotHook);
    director->shutdown();
    viewInputEndRun();
    // Closing the device completes what it wrote (OpenAL Soft's file writer
    // finishes its header only then).
    experimental::AudioEngine::end();
    CocosDenshion::SimpleAudioEngine::end();
    return 0;
}

}  // namespace cocos2d
