// What the manager and screen tests share: a fresh manager, input controller
// and host around each test, flow graphs and screen models made in the test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "../app/recording_host.h"
#include "../ui/ui_test_support.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVNode.h"
#include "player/app/QVPInputController.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreen.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButton.h"
#include "scene/CCScene.h"

namespace screentest {

using namespace uitest;
using Names = std::vector<std::string>;

class ScreenTest : public UiTest {
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

    // A registered node of class T holding a registered screen of class S
    // with that Key.
    template <class T, class S = QVModelScreen>
    static std::shared_ptr<T> node(const std::string& key) {
        auto screen = registered<S>();
        setText(*screen, "Key", key);
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

    // A registered screen model with that Key, opened alone on the stack.
    static std::shared_ptr<QVModelScreen> openScreenModel(const std::string& key) {
        auto screen = registered<QVModelScreen>();
        setText(*screen, "Key", key);
        manager()->replaceScene("", key, 0);
        return screen;
    }
    // A registered object model of class T, a child of `screen`.
    template <class T>
    static std::shared_ptr<T> object(const std::shared_ptr<QVModelScreen>& screen, float x = 0, float y = 0,
                                     int z = 0) {
        auto made = registered<T>();
        made->setPosition(cocos2d::CCPoint(x, y));
        made->setZDepth(z);
        screen->addChild(made);
        return made;
    }
    static std::shared_ptr<QVModelObjectButton> button(const std::shared_ptr<QVModelScreen>& screen,
                                                       const std::string& action, float x = 0, float y = 0, int z = 0) {
        auto made = object<QVModelObjectButton>(screen, x, y, z);
        setText(*made, "Action", action);
        return made;
    }
    template <class A, class V>
    static void set(const QVModel& model, const char* name, V value) {
        attr<A>(model, name)->setValue(value);
    }

    static void setInt(const QVModel& model, const char* name, int value) { set<QVAttributeInt>(model, name, value); }
    static void setBool(const QVModel& model, const char* name, bool value) {
        set<QVAttributeBool>(model, name, value);
    }
    // The button the screen made from `model`.
    static QVPObjectButton* buttonOf(const QVPScreen& screen, const std::shared_ptr<QVModel>& model) {
        return dynamic_cast<QVPObjectButton*>(screen.objectFor(model->id()));
    }
    // `screen` in a new scene the director runs from the next frame on.
    static void run(QVPScreen* screen) {
        cocos2d::CCScene* scene = cocos2d::CCScene::create();
        scene->addChild(screen, 0, QVPScreen::kScreenTag);
        cocos2d::CCDirector::sharedDirector()->runWithScene(scene);
        step(1);
    }

    RecordingHost host;
};

}  // namespace screentest
