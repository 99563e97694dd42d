// engine_demo's scene registry. Each demo lives in its own scene_<name>.cpp
// and registers itself with ENGINE_DEMO_SCENE; main() parses the common
// options and runs the named one.
//
//   engine_demo --scene NAME [--frame WxH] [--design WxH] [--policy N] [ARGS...]
//
// The demos print their results on stdout and log on stderr.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cocos2d.h"

struct DemoOptions {
    std::string scene;
    float frameW = 960, frameH = 640;
    // Without --design and --policy the design size follows the frame.
    bool designSet = false;
    float designW = 960, designH = 640;
    int policy = cocos2d::kResolutionExactFit;
    // Whatever else was on the command line, in order (scene arguments).
    std::vector<std::string> args;
    int argc = 0;
    char** argv = nullptr;
};

class DemoScene {
public:
    virtual ~DemoScene() = default;
    // Scene arguments; false prints the usage line.
    virtual bool parseArgs(const std::vector<std::string>& args) { return args.empty(); }
    virtual const char* usage() const { return ""; }
    // The run ends after this many frames when ENGINE_MAX_FRAMES is unset.
    virtual unsigned int defaultFrames() const { return 600; }
    // Called once the view has the options' frame and design: the first scene.
    virtual cocos2d::CCScene* createScene() = 0;
    // The application's lifecycle calls.
    virtual void didEnterBackground() {}
    virtual void willEnterForeground() {}
    // After run() returned its status; gives the process exit status.
    virtual int finish(int status) { return status; }
    // The whole run; scenes with their own application override it.
    virtual int run(const DemoOptions& options);
};

typedef std::function<std::unique_ptr<DemoScene>()> DemoFactory;

struct DemoRegistrar {
    DemoRegistrar(const char* name, DemoFactory factory);
};

// Registered names, sorted.
std::vector<std::string> demoSceneNames();

// The frame being run (loop iterations from 1).
unsigned int demoFrame();
// One line on stdout, flushed at once (the checks read it as it comes).
void demoSay(const std::string& line);
// A node whose draw() calls `fn` (raw GL or primitives in the scene's space).
cocos2d::CCNode* demoDrawNode(std::function<void()> fn);
// A node whose update(dt) calls `fn` every tick from frame 1 on, with the
// frame number.
cocos2d::CCNode* demoTickNode(std::function<void(unsigned int frame, float dt)> fn);

#define ENGINE_DEMO_CONCAT2(a, b) a##b
#define ENGINE_DEMO_CONCAT(a, b) ENGINE_DEMO_CONCAT2(a, b)
#define ENGINE_DEMO_SCENE(NAME, CLASS)                                                                  \
    static DemoRegistrar ENGINE_DEMO_CONCAT(g_demoRegistrar_, __LINE__)(NAME, [] {                      \
        return std::unique_ptr<DemoScene>(new CLASS());                                                 \
    })
