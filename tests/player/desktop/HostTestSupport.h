// Shared by the desktop tests and host_probe.
#pragma once

#include <string>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "scene/CCScene.h"

// An application whose launch runs an empty scene.
struct SceneApp : cocos2d::CCApplication {
    bool applicationDidFinishLaunching() override {
        cocos2d::CCDirector::sharedDirector()->runWithScene(cocos2d::CCScene::create());
        return true;
    }
};
