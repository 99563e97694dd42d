// Shared by the desktop tests and host_probe.
#pragma once

#include <string>
#include <vector>

#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "platform/QVLog.h"
#include "scene/CCScene.h"

// Collects the player log's lines for the duration of a test.
class LogCapture {
public:
    LogCapture() {
        lines().clear();
        setLogSink([](const char* text, std::size_t length) { lines().emplace_back(text, length); });
    }
    ~LogCapture() { setLogSink(nullptr); }
    const std::vector<std::string>& all() const { return lines(); }

private:
    static std::vector<std::string>& lines() {
        static std::vector<std::string> v;
        return v;
    }
};

// An application whose launch runs an empty scene.
struct SceneApp : cocos2d::CCApplication {
    bool applicationDidFinishLaunching() override {
        cocos2d::CCDirector::sharedDirector()->runWithScene(cocos2d::CCScene::create());
        return true;
    }
};
