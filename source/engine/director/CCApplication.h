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

    // Calls applicationDidFinishLaunching once (returns 1 if it fails), then
    // polls the view and runs the director's loop until end(), a view close
    // or the frame limit; then tears the director down, ends both audio
    // engines and returns 0.
    int run();

    virtual bool applicationDidFinishLaunching() = 0;
    virtual void applicationDidEnterBackground() {}
    virtual void applicationWillEnterForeground() {}

    // Seconds per frame, passed on to the director.
    virtual void setAnimationInterval(double interval);

private:
    bool shouldStop() const;
};

}  // namespace cocos2d
