// The director runs the frame: scheduler tick, scene switch, visit, per-frame
// hooks, audio tick, pool drain, frame count, in that order. It owns the running scene.
#pragma once

#include <functional>
#include <vector>

#include "base/CCObject.h"
#include "math/CCGeometry.h"

namespace cocos2d {

class CCAccelerometer;
class CCActionManager;
class CCKeypadDispatcher;
class CCTouchDispatcher;
struct EngineHooks;
class CCEGLView;
class CCScene;
class CCScheduler;

class CCDirector {
public:
    // Created on first use and never destroyed. Reads ENGINE_FIXED_DT and
    // ENGINE_MAX_FRAMES once, here.
    static CCDirector* sharedDirector();

    void setOpenGLView(CCEGLView* view);
    // The view set by setOpenGLView; the shared view when none was set.
    CCEGLView* getOpenGLView();

    // s (retained) becomes the pending scene; it enters at the switch step of
    // the next frame.
    void runWithScene(CCScene* scene);
    // s (retained) becomes the pending scene. The running scene stays alive and
    // running until the switch: from the tick that is the same frame, from a
    // draw or an event the next one. A second call in one frame drops the
    // first pending scene without it ever entering. Null and the running scene
    // itself are ignored with a log line.
    void replaceScene(CCScene* scene);
    CCScene* getRunningScene() const { return m_pRunningScene; }
    // (ours) The scene waiting for the next switch, if any.
    CCScene* getNextScene() const { return m_pNextScene; }

    // The window size is the view's effective design size.
    CCSize getWinSize();
    CCSize getWinSizeInPixels() { return getWinSize(); }
    CCSize getVisibleSize();
    CCPoint getVisibleOrigin();
    // (ours) The design area is centred in the frame for every policy, so the
    // offset is always (0, 0).
    CCPoint getContentOffset() const { return CCPointZero; }
    float getContentScaleFactor() const { return 1.0f; }

    CCScheduler* getScheduler();
    CCActionManager* getActionManager();
    // The process-wide input dispatchers (defined with the input module).
    CCTouchDispatcher* getTouchDispatcher();
    CCKeypadDispatcher* getKeypadDispatcher();
    CCAccelerometer* getAccelerometer();

    // Seconds per frame; 1/60 by default. Non-positive or non-finite values
    // are ignored with a log line.
    void setAnimationInterval(double interval);
    double getAnimationInterval() const { return m_dAnimationInterval; }
    // The first frame after a start has dt 0 (unless the fixed dt is on).
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return m_bAnimating; }

    // One loop iteration: while animating, computes dt from the monotonic
    // clock and runs a frame; while stopped, only drains the pool and counts
    // the iteration.
    void mainLoop();
    // Asks run() to end after the current iteration.
    void end();
    bool isEndRequested() const { return m_bEndRequested; }
    // Draw calls of the last drawn frame: engine batches plus CC_INCREMENT_GL_DRAWS.
    unsigned int getDrawCalls() const;
    // Loop iterations completed so far, stopped ones included; during
    // frame n (from 1) this is n - 1.
    unsigned int getTotalFrames() const { return m_uTotalFrames; }

    // (ours) Runs one frame with the given dt (negative or non-finite gives 0).
    void stepFrame(float dt);
    // (ours) Every frame's dt becomes the animation interval, with no sleeping.
    void setFixedDeltaTime(bool fixed) { m_bFixedDeltaTime = fixed; }
    bool isFixedDeltaTime() const { return m_bFixedDeltaTime; }
    // (ours) run() ends after frame `frames`; 0 means no limit.
    void setFrameLimit(unsigned int frames) { m_uFrameLimit = frames; }
    unsigned int getFrameLimit() const { return m_uFrameLimit; }
    bool isFrameLimitReached() const { return m_uFrameLimit != 0 && m_uTotalFrames >= m_uFrameLimit; }

    // (ours) Per-frame hooks run after the visit and before the pool drain
    // (audio polling, screenshots). The argument is the frame number, from 1.
    typedef std::function<void(unsigned int frame)> FrameHook;
    int addFrameHook(FrameHook hook);
    void removeFrameHook(int id);

    // (ours) Called by CCApplication::run(): the next frame gets dt 0.
    void beginRun();
    // (ours) Tear-down at the end of run(): the running scene exits, is cleaned
    // up and released; the pending scene is released; the scheduler is
    // cleared and the pool drained.
    void shutdown();
    // (ours) For tests: shutdown() plus every setting back to its start value
    // (hooks re-read from the environment), and a fresh shared view.
    static void resetForTest();

private:
    CCDirector();
    void setNextScene();
    void visitRunningScene();
    void loadProjection();
    float computeDeltaTime();
    void applyHooks(const EngineHooks& hooks);

    CCScene* m_pRunningScene = nullptr;
    CCScene* m_pNextScene = nullptr;
    CCEGLView* m_pView = nullptr;
    CCSize m_obProjectedSize;

    double m_dAnimationInterval = 1.0 / 60.0;
    bool m_bAnimating = true;
    bool m_bNextDeltaTimeZero = true;
    bool m_bEndRequested = false;
    bool m_bFixedDeltaTime = false;
    bool m_bHasLastTime = false;
    bool m_bInFrame = false;
    unsigned int m_uFrameLimit = 0;
    unsigned int m_uTotalFrames = 0;
    double m_dLastTime = 0.0;  // CLOCK_MONOTONIC seconds

    struct HookEntry {
        int id;
        FrameHook hook;
    };
    std::vector<HookEntry> m_hooks;
    int m_nNextHookId = 1;
};

}  // namespace cocos2d
