// engine_demo: one scene per engine feature, chosen with --scene NAME.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "demo_registry.h"

using namespace cocos2d;

namespace {

std::map<std::string, DemoFactory>& registry() {
    static std::map<std::string, DemoFactory> scenes;
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

bool parseOptions(int argc, char** argv, DemoOptions* options) {
    options->argc = argc;
    options->argv = argv;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool common = std::strcmp(arg, "--scene") == 0 || std::strcmp(arg, "--frame") == 0 ||
                            std::strcmp(arg, "--design") == 0 || std::strcmp(arg, "--policy") == 0;
        if (!common) {
            options->args.push_back(arg);
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (std::strcmp(arg, "--scene") == 0) {
            options->scene = value;
        } else if (std::strcmp(arg, "--frame") == 0) {
            if (!parseSize(value, &options->frameW, &options->frameH)) return false;
        } else if (std::strcmp(arg, "--design") == 0) {
            if (!parseSize(value, &options->designW, &options->designH)) return false;
            options->designSet = true;
        } else {
            char* end = nullptr;
            const long policy = std::strtol(value, &end, 10);
            if (end == value || *end || policy < 0 || policy > INT_MAX) return false;
            options->policy = static_cast<int>(policy);
            options->designSet = true;
        }
    }
    return !options->scene.empty();
}

int usage() {
    std::fprintf(stderr, "usage: engine_demo --scene NAME [--frame WxH] [--design WxH] [--policy N] [ARGS...]\nscenes:");
    for (const std::string& name : demoSceneNames()) std::fprintf(stderr, " %s", name.c_str());
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

class DemoApp : public CCApplication {
public:
    DemoApp(DemoScene* demo, const DemoOptions& options) : m_demo(demo), m_options(options) {}
    bool applicationDidFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        CCEGLView* view = CCEGLView::sharedOpenGLView();
        view->setFrameSize(m_options.frameW, m_options.frameH);
        director->setOpenGLView(view);
        if (m_options.designSet) view->setDesignResolutionSize(m_options.designW, m_options.designH, m_options.policy);
        director->setAnimationInterval(1.0 / 60.0);
        if (director->getFrameLimit() == 0) director->setFrameLimit(m_demo->defaultFrames());
        CCScene* scene = m_demo->createScene();
        if (!scene) return false;
        director->runWithScene(scene);
        return true;
    }
    void applicationDidEnterBackground() override { m_demo->didEnterBackground(); }
    void applicationWillEnterForeground() override { m_demo->willEnterForeground(); }

private:
    DemoScene* m_demo;
    const DemoOptions& m_options;
};

}  // namespace

DemoRegistrar::DemoRegistrar(const char* name, DemoFactory factory) { registry()[name] = std::move(factory); }

std::vector<std::string> demoSceneNames() {
    std::vector<std::string> names;
    for (const auto& entry : registry()) names.push_back(entry.first);
    return names;
}

unsigned int demoFrame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

void demoSay(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

CCNode* demoDrawNode(std::function<void()> fn) {
    auto* node = new NodeWithFn();
    node->init();
    node->autorelease();
    node->drawFn = std::move(fn);
    return node;
}

CCNode* demoTickNode(std::function<void(unsigned int, float)> fn) {
    auto* node = new NodeWithFn();
    node->init();
    node->autorelease();
    node->tickFn = std::move(fn);
    // Scheduled now, not when the scene enters, so it ticks from frame 1
    // (the scene enters after that frame's tick).
    CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(node, 0, false);
    return node;
}

int DemoScene::run(const DemoOptions& options) {
    DemoApp app(this, options);
    return finish(app.run());
}

int main(int argc, char** argv) {
    // The demo shows the engine's log on standard error unless QVP_LOG says
    // otherwise (an empty QVP_LOG still writes nothing).
    setenv("QVP_LOG", "stderr", 0);
    DemoOptions options;
    if (!parseOptions(argc, argv, &options)) return usage();
    auto it = registry().find(options.scene);
    if (it == registry().end()) {
        std::fprintf(stderr, "engine_demo: unknown scene \"%s\"\n", options.scene.c_str());
        return usage();
    }
    std::unique_ptr<DemoScene> demo = it->second();
    if (!demo->parseArgs(options.args)) {
        std::fprintf(stderr, "usage: engine_demo --scene %s %s\n", options.scene.c_str(), demo->usage());
        return 2;
    }
    return demo->run(options);
}
