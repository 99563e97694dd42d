#include "director/CCApplication.h"

#include <time.h>

#include <cerrno>
#include <cmath>

#include "audio/AudioEngine.h"
#include "audio/SimpleAudioEngine.h"
#include "director/CCDirector.h"
#include "director/CCEGLView.h"
#include "platform/CCCommon.h"

namespace cocos2d {

namespace {

CCApplication* s_sharedApplication = nullptr;

double monotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void sleepUntil(double deadline) {
    const double wait = deadline - monotonicNow();
    if (wait <= 0) return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(wait);
    ts.tv_nsec = static_cast<long>((wait - static_cast<double>(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace

CCApplication::CCApplication() {
    if (s_sharedApplication) CCLog("[CCApplication] a second application replaces the first");
    s_sharedApplication = this;
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

bool CCApplication::shouldStop() const {
    CCDirector* director = CCDirector::sharedDirector();
    return director->isEndRequested() || director->isFrameLimitReached() ||
           director->getOpenGLView()->windowShouldClose();
}

int CCApplication::run() {
    if (!applicationDidFinishLaunching()) {
        CCLog("[CCApplication] applicationDidFinishLaunching failed");
        return 1;
    }
    CCDirector* director = CCDirector::sharedDirector();
    director->beginRun();
    double nextFrame = monotonicNow();
    for (;;) {
        director->getOpenGLView()->pollEvents();
        if (shouldStop()) break;
        director->mainLoop();
        if (shouldStop()) break;
        // With the fixed dt the loop runs flat out unless animation is
        // stopped, where it would only spin on the pool.
        if (!director->isFixedDeltaTime() || !director->isAnimating()) {
            const double interval = director->getAnimationInterval();
            nextFrame += interval;
            const double now = monotonicNow();
            // After a stall, start counting again instead of racing to catch up.
            if (nextFrame < now - interval) nextFrame = now;
            sleepUntil(nextFrame);
        }
    }
    director->shutdown();
    // Closing the device completes what it wrote (OpenAL Soft's file writer
    // finishes its header only then).
    experimental::AudioEngine::end();
    CocosDenshion::SimpleAudioEngine::end();
    return 0;
}

}  // namespace cocos2d
