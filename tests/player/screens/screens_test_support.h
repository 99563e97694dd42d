// What the manager and screen tests share: a fresh manager, input controller
// and host around each test, flow graphs made in the test, and fixture games
// loaded as the player loads them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "../app/recording_host.h"
#include "../ui/ui_test_support.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVNode.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPInputController.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/ScreenManager.h"

namespace screentest {

using Names = std::vector<std::string>;

class ScreenTest : public uitest::UiTest {
protected:
    ScreenTest() {
        ScreenManager::shared()->reset();
        QVHost::install(&host);
    }
    ~ScreenTest() override {
        ScreenManager::shared()->reset();
        QVPInputController::destroy();
        QVPGameFieldSettings::destroy();
        clearScores();
        QVHost::install(nullptr);
    }

    static ScreenManager* manager() { return ScreenManager::shared(); }

    // A registered node of class T holding a registered screen (of class S)
    // with that Key.
    template <class T, class S = QVModelScreen>
    std::shared_ptr<T> node(const std::string& key) {
        auto screen = uitest::registered<S>();
        uitest::setText(*screen, "Key", key);
        auto made = std::make_shared<T>(key + " node");
        QVModelController::shared()->addModel(made);
        made->addChild(screen);
        return made;
    }
    // A link `name` of `from`; a null target leaves it unconnected.
    static void link(QVNode& from, const std::string& name, QVBaseAttribute* target) {
        auto* attribute = new QVAttribute(name, &from);
        attribute->setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
        if (target) attribute->connect(target);
    }
    static void link(QVNode& from, const std::string& name, const QVNode& to) { link(from, name, to.load()); }

    // Loads a generated game folder completely; false when it cannot.
    static bool loadGame(const std::string& root) {
        QVModelController* controller = QVModelController::shared();
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(root);
        controller->archiveMode = false;
        controller->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
        if (!controller->lastError().empty()) return false;
        controller->clear();
        for (int step = 0; step < 100000; ++step) {
            if (controller->loadNextFromFiles()) break;
        }
        return controller->lastError().empty();
    }

    RecordingHost host;
};

}  // namespace screentest
