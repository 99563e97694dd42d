// Shared pieces of the view tests: an application that runs a recording
// scene, and helpers for the run hooks read from the environment.
#pragma once

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "cocos2d.h"

namespace viewtest {

using namespace cocos2d;

// Ticks and draws are recorded with their frame numbers.
class RecordingScene : public CCScene {
public:
    static RecordingScene* create() {
        auto* scene = new RecordingScene();
        scene->init();
        // Ticks from frame 1, before it enters at that frame's switch.
        CCDirector::sharedDirector()->getScheduler()->scheduleUpdateForTarget(scene, 0, false);
        scene->autorelease();
        return scene;
    }
    void update(float dt) override {
        tickFrames.push_back(frame());
        deltas.push_back(dt);
        if (onTick) onTick(frame());
    }
    void draw() override { drawFrames.push_back(frame()); }
    static unsigned int frame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

    std::vector<unsigned int> tickFrames, drawFrames;
    std::vector<float> deltas;
    std::function<void(unsigned int)> onTick;
};

class TestApp : public CCApplication {
public:
    bool applicationDidFinishLaunching() override {
        ++launches;
        scene = RecordingScene::create();
        scene->retain();
        if (onLaunch) onLaunch();
        CCDirector::sharedDirector()->runWithScene(scene);
        return true;
    }
    void applicationDidEnterBackground() override {
        lifecycle.push_back("background " + std::to_string(RecordingScene::frame()));
        if (stopWhenHidden) CCDirector::sharedDirector()->stopAnimation();
    }
    void applicationWillEnterForeground() override {
        lifecycle.push_back("foreground " + std::to_string(RecordingScene::frame()));
        if (stopWhenHidden) CCDirector::sharedDirector()->startAnimation();
    }
    ~TestApp() override {
        if (scene) scene->release();
    }

    int launches = 0;
    bool stopWhenHidden = true;
    RecordingScene* scene = nullptr;
    std::vector<std::string> lifecycle;
    std::function<void()> onLaunch;
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
