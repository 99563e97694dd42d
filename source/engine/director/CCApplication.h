// The application: the game derives from it and run() drives the main loop.
#pragma once

namespace cocos2d {

class CCApplication {
public:
    // The constructed instance becomes the shared application.
    CCApplication();
    virtual ~CCApplication();

    CCApplication(const CCApplication&) = delete;
    CCApplication& operator=(const CCApplication&) = delete;

    // The live instance, or null (logged) when none exists.
    static CCApplication* sharedApplication();
    // (ours) The live instance or null, without a log line.
    static CCApplication* currentApplication();

    // Returns 1 without entering the loop when the view has no window (and
    // is not headless), applicationDidFinishLaunching fails, or
    // ENGINE_MAX_FRAMES, ENGINE_RANDOM_SEED, ENGINE_SCREENSHOT or
    // ENGINE_INPUT_SCRIPT is malformed. Otherwise runs
    // the loop until director end(), a delivered Close or the frame limit,
    // tears the director down, ends both audio engines and returns 0.
    //
    // One iteration: poll the window; deliver its events, mouse and keys,
    // then this frame's script events; while animating, tick, switch scenes,
    // clear, visit, flush, take screenshots and swap; drain the pool. While
    // stopped, events are still polled, waiting up to one interval.
    int run();

    virtual bool applicationDidFinishLaunching() = 0;
    virtual void applicationDidEnterBackground() {}
    virtual void applicationWillEnterForeground() {}

    // (ours) One step of the game's data loading, which the start screen
    // runs from its draw; nothing here.
    virtual void loadGameData() {}
    // Seconds per frame, passed on to the director.
    virtual void setAnimationInterval(double interval);

private:
    bool shouldStop() const;
};

}  // namespace cocos2d
