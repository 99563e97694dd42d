// Shared pieces of the view and director tests: a scene that records its
// ticks, draws and life, an application that runs one, and helpers for the
// run hooks read from the environment.
#pragma once

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "cocos2d.h"

namespace viewtest {

using namespace cocos2d;

// Ticks (with dt and frame number) and draws are recorded; its life goes to
// events() as "<name> entered|exited|cleanup|destroyed". Autoreleased.
class ProbeScene : public CCScene {
public:
    // `tickFromNextFrame`: ticks from the next frame on, before it enters;
    // otherwise paused until it enters, as scheduleUpdate() leaves it.
    static ProbeScene* create(const std::string& name, bool tickFromNextFrame = false) {
        auto* scene = new ProbeScene();
        scene->m_name = name;
        scene->init();
        if (tickFromNextFrame) {
            CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(scene, 0, false);
        } else {
            scene->scheduleUpdate();
        }
        scene->autorelease();
        return scene;
    }
    ~ProbeScene() override { note("destroyed"); }
    void onEnter() override {
        CCScene::onEnter();
        note("entered");
    }
    void onExit() override {
        CCScene::onExit();
        note("exited");
    }
    void cleanup() override {
        CCScene::cleanup();
        note("cleanup");
    }
    void update(float dt) override {
        updates.push_back(dt);
        tickFrames.push_back(frame());
        if (onUpdate) onUpdate();
    }
    void draw() override {
        drawFrames.push_back(frame());
        if (onDraw) onDraw();
    }
    // The frame being run (the director counts finished ones).
    static unsigned int frame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }
    static std::vector<std::string>& events() {
        static std::vector<std::string> log;
        return log;
    }

    std::vector<float> updates;
    std::vector<unsigned int> tickFrames, drawFrames;
    std::function<void()> onUpdate, onDraw;

private:
    void note(const char* what) { events().push_back(m_name + " " + what); }
    std::string m_name;
};

// Runs scene "A", ticking from frame 1 and kept for the test to read after
// run(); without `ownScene`, onLaunch runs a scene of its own.
class TestApp : public CCApplication {
public:
    explicit TestApp(bool ownScene = true) : m_ownScene(ownScene) {}
    ~TestApp() override {
        if (scene) scene->release();
    }
    bool applicationDidFinishLaunching() override {
        ++launches;
        if (m_ownScene) (scene = ProbeScene::create("A", true))->retain();
        if (onLaunch) onLaunch();
        if (scene) CCDirector::sharedDirector()->runWithScene(scene);
        return launchOk;
    }
    void applicationDidEnterBackground() override {
        lifecycle.push_back("background " + std::to_string(ProbeScene::frame()));
        CCDirector::sharedDirector()->stopAnimation();
    }
    void applicationWillEnterForeground() override {
        lifecycle.push_back("foreground " + std::to_string(ProbeScene::frame()));
        CCDirector::sharedDirector()->startAnimation();
    }

    int launches = 0;
    bool launchOk = true;
    ProbeScene* scene = nullptr;
    std::vector<std::string> lifecycle;
    std::function<void()> onLaunch;

private:
    bool m_ownScene;
};

// Sets an environment variable for one test and clears it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) { setenv(name, value.c_str(), 1); }
    ~ScopedEnv() { unsetenv(m_name); }

private:
    const char* m_name;
};

inline std::string writeTemp(const std::string& name, const std::string& text) {
    const std::string path = std::string(QV_BINARY_DIR) + "/tests/" + name;
    std::ofstream(path) << text;
    return path;
}

}  // namespace viewtest
