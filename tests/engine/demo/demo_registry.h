// engine_demo's scene registry. Each demo registers itself under a name;
// main() parses the common options and runs the named one.
//
//   engine_demo --scene NAME [--frame WxH] [--design WxH] [--policy N] [ARGS...]
//
// The demos print their results on stdout and log on stderr.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "cocos2d.h"

class DemoScene {
public:
    virtual ~DemoScene() = default;
    // The arguments after the common options; false refuses them.
    virtual bool parseArgs(const std::vector<std::string>& args) { return args.empty(); }
    // The run ends after this many frames when ENGINE_MAX_FRAMES is unset.
    virtual unsigned int defaultFrames() const { return 600; }
    // Called once the view has the options' frame and design: the first scene.
    virtual cocos2d::CCScene* createScene() = 0;
    // After the run returned its status; gives the process exit status.
    virtual int finish(int status) { return status; }
};

struct DemoRegistrar {
    DemoRegistrar(const char* name, std::function<std::unique_ptr<DemoScene>()> factory);
    // A demo that is only its first scene, run for `frames` frames.
    DemoRegistrar(const char* name, unsigned int frames, std::function<cocos2d::CCScene*()> make);
};
#define ENGINE_DEMO_CONCAT2(a, b) a##b
#define ENGINE_DEMO_CONCAT(a, b) ENGINE_DEMO_CONCAT2(a, b)
#define ENGINE_DEMO_SCENE(NAME, CLASS)                               \
    static DemoRegistrar ENGINE_DEMO_CONCAT(g_demo_, __LINE__)(NAME, \
                                                               [] { return std::unique_ptr<DemoScene>(new CLASS()); })
#define ENGINE_DEMO_SIMPLE(NAME, FRAMES, ...) \
    static DemoRegistrar ENGINE_DEMO_CONCAT(g_demo_, __LINE__)(NAME, FRAMES, __VA_ARGS__)

// The frame being run (loop iterations from 1).
unsigned int demoFrame();
// One line on stdout, flushed at once (the checks read it as it comes).
void demoSay(const std::string& line);
// A scene holding `nodes`, in order.
cocos2d::CCScene* demoScene(std::initializer_list<cocos2d::CCNode*> nodes);
// A node whose draw() calls `fn` (raw GL or primitives in the scene's space).
cocos2d::CCNode* demoDrawNode(std::function<void()> fn);
// A node whose update(dt) calls `fn` every tick from frame 1 on.
cocos2d::CCNode* demoTickNode(std::function<void(unsigned int frame, float dt)> fn);
// A 1x1 texture of one colour, and a w x h sprite of one at (x, y).
cocos2d::CCTexture2D* demoSolidTexture(GLubyte r, GLubyte g, GLubyte b);
cocos2d::CCSprite* demoBlock(cocos2d::CCTexture2D* texture, float x, float y, float w, float h);
// Writes a file into the run's private folder (removed at exit); its path,
// or "" when it could not be written. demoPng takes RGB rows, top row first.
std::string demoFile(const std::string& name, const std::string& bytes);
std::string demoPng(const std::string& name, int w, int h, const std::vector<unsigned char>& rgb);
