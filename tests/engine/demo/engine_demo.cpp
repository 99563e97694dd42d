// engine_demo: one scene per engine feature, chosen with --scene NAME.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "demo_registry.h"
#include "view/Screenshot.h"

using namespace cocos2d;

namespace {

struct Options {
    std::string scene;
    float frameW = 960, frameH = 640;
    // Without --design and --policy the design size follows the frame.
    bool designSet = false;
    float designW = 960, designH = 640;
    int policy = kResolutionExactFit;
    std::vector<std::string> args;  // the scene's own, in order
};

std::map<std::string, std::function<std::unique_ptr<DemoScene>()>>& registry() {
    static std::map<std::string, std::function<std::unique_ptr<DemoScene>()>> scenes;
    return scenes;
}

bool parseSize(const char* text, float* w, float* h) {
    int a = 0, b = 0;
    char tail = 0;
    if (std::sscanf(text, "%dx%d%c", &a, &b, &tail) != 2 || a < 1 || b < 1 || a > 16384 || b > 16384) return false;
    *w = static_cast<float>(a);
    *h = static_cast<float>(b);
    return true;
}

bool parseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg != "--scene" && arg != "--frame" && arg != "--design" && arg != "--policy") {
            o->args.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--scene") {
            o->scene = value;
        } else if (arg == "--frame") {
            if (!parseSize(value, &o->frameW, &o->frameH)) return false;
        } else if (arg == "--design") {
            if (!parseSize(value, &o->designW, &o->designH)) return false;
            o->designSet = true;
        } else {
            char* end = nullptr;
            const long policy = std::strtol(value, &end, 10);
            if (end == value || *end || policy < 0 || policy > INT_MAX) return false;
            o->policy = static_cast<int>(policy);
            o->designSet = true;
        }
    }
    return !o->scene.empty();
}

int usage() {
    std::fprintf(stderr,
                 "usage: engine_demo --scene NAME [--frame WxH] [--design WxH] [--policy N] [ARGS...]\nscenes:");
    for (const auto& entry : registry()) std::fprintf(stderr, " %s", entry.first.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}

class NodeWithFn : public CCNode {
public:
    std::function<void()> drawFn;
    std::function<void(unsigned int, float)> tickFn;
    void draw() override {
        if (drawFn) drawFn();
    }
    void update(float dt) override { tickFn(demoFrame(), dt); }
};

NodeWithFn* newNodeWithFn() {
    auto* node = new NodeWithFn();
    node->init();
    node->autorelease();
    return node;
}

class SimpleDemo : public DemoScene {
public:
    SimpleDemo(unsigned int frames, std::function<CCScene*()> make) : m_frames(frames), m_make(std::move(make)) {}
    unsigned int defaultFrames() const override { return m_frames; }
    CCScene* createScene() override { return m_make(); }

private:
    unsigned int m_frames;
    std::function<CCScene*()> m_make;
};

class DemoApp : public CCApplication {
public:
    DemoApp(DemoScene* demo, const Options& options) : m_demo(demo), m_options(options) {}
    bool applicationDidFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        CCEGLView* view = CCEGLView::sharedOpenGLView();
        view->setFrameSize(m_options.frameW, m_options.frameH);
        director->setOpenGLView(view);
        if (m_options.designSet) view->setDesignResolutionSize(m_options.designW, m_options.designH, m_options.policy);
        director->setAnimationInterval(1.0 / 60.0);
        if (director->getFrameLimit() == 0) director->setFrameLimit(m_demo->defaultFrames());
        CCScene* scene = m_demo->createScene();
        if (scene) director->runWithScene(scene);
        return scene != nullptr;
    }

private:
    DemoScene* m_demo;
    const Options& m_options;
};

// The run's private folder, removed with everything in it at exit.
struct AssetFolder {
    std::string dir;
    AssetFolder() {
        char pattern[] = "/tmp/qv-engine-demo-XXXXXX";
        if (::mkdtemp(pattern)) dir = pattern;
    }
    ~AssetFolder() {
        std::error_code ignored;
        if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
    }
};

std::string assetPath(const std::string& name) {
    static AssetFolder folder;
    if (folder.dir.empty()) std::fprintf(stderr, "[engine_demo] cannot create an asset folder under /tmp\n");
    return folder.dir.empty() ? "" : folder.dir + "/" + name;
}

}  // namespace

DemoRegistrar::DemoRegistrar(const char* name, std::function<std::unique_ptr<DemoScene>()> factory) {
    registry()[name] = std::move(factory);
}

DemoRegistrar::DemoRegistrar(const char* name, unsigned int frames, std::function<CCScene*()> make) {
    registry()[name] = [frames, make] { return std::unique_ptr<DemoScene>(new SimpleDemo(frames, make)); };
}

unsigned int demoFrame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

void demoSay(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

CCScene* demoScene(std::initializer_list<CCNode*> nodes) {
    CCScene* scene = CCScene::create();
    for (CCNode* node : nodes) scene->addChild(node);
    return scene;
}

CCNode* demoDrawNode(std::function<void()> fn) {
    NodeWithFn* node = newNodeWithFn();
    node->drawFn = std::move(fn);
    return node;
}

CCNode* demoTickNode(std::function<void(unsigned int, float)> fn) {
    NodeWithFn* node = newNodeWithFn();
    node->tickFn = std::move(fn);
    // Scheduled now, not when the scene enters, so it ticks from frame 1
    // (the scene enters after that frame's tick).
    CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(node, 0, false);
    return node;
}

CCTexture2D* demoSolidTexture(GLubyte r, GLubyte g, GLubyte b) {
    const GLubyte pixel[4] = {r, g, b, 255};
    auto* texture = new CCTexture2D();
    texture->initWithData(pixel, kCCTexture2DPixelFormat_RGBA8888, 1, 1, CCSize(1, 1));
    texture->autorelease();
    return texture;
}

CCSprite* demoBlock(CCTexture2D* texture, float x, float y, float w, float h) {
    CCSprite* sprite = CCSprite::createWithTexture(texture);
    sprite->setTextureRect(CCRect(0, 0, w, h));
    sprite->setPosition(x, y);
    return sprite;
}

std::string demoFile(const std::string& name, const std::string& bytes) {
    const std::string path = assetPath(name);
    std::ofstream out(path, std::ios::binary);
    if (path.empty() || !out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
        std::fprintf(stderr, "[engine_demo] cannot write %s\n", name.c_str());
        return "";
    }
    return path;
}

std::string demoPng(const std::string& name, int w, int h, const std::vector<unsigned char>& rgb) {
    const std::string path = assetPath(name);
    std::string error;
    if (path.empty() || rgb.size() != static_cast<size_t>(w) * h * 3 || !writeRGBPng(path, rgb.data(), w, h, &error)) {
        std::fprintf(stderr, "[engine_demo] cannot write %s %s\n", name.c_str(), error.c_str());
        return "";
    }
    return path;
}

int main(int argc, char** argv) {
    // The demo shows the engine's log on standard error unless QVP_LOG says
    // otherwise (an empty QVP_LOG still writes nothing).
    setenv("QVP_LOG", "stderr", 0);
    Options options;
    if (!parseOptions(argc, argv, &options)) return usage();
    auto it = registry().find(options.scene);
    if (it == registry().end()) {
        std::fprintf(stderr, "engine_demo: unknown scene \"%s\"\n", options.scene.c_str());
        return usage();
    }
    std::unique_ptr<DemoScene> demo = it->second();
    if (!demo->parseArgs(options.args)) {
        std::fprintf(stderr, "engine_demo: bad arguments for scene %s (see its file)\n", options.scene.c_str());
        return 2;
    }
    DemoApp app(demo.get(), options);
    return demo->finish(app.run());
}
