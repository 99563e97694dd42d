// Shared by the input controller and key chain tests: recording stand-ins
// that write what they were asked into one call list, and screens run by a
// fresh director.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "input/CCKeypadDispatcher.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPInputController.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVPObjectButton.h"
#include "scene/CCScene.h"

namespace inputtest {

using Calls = std::vector<std::string>;

inline std::string num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    return text;
}

// A stand-in's call list and the name its entries start with.
struct Named {
    Calls* out;
    std::string who;
    void add(const std::string& call) const { out->push_back(who + " " + call); }
};

template <class T>
T* autoreleased(T* made) {
    made->autorelease();
    return made;
}

struct Character : QVPObjectAssetCharacter, Named {
    Character(Calls* calls, std::string name) : QVPObjectAssetCharacter(nullptr), Named{calls, std::move(name)} {}
    void setDirection(float x, float y) override { add("direction " + num(x) + "," + num(y)); }
    void setDirectionX(float x) override { add("directionX " + num(x)); }
    void setDirectionY(float y) override { add("directionY " + num(y)); }
    void jump() override { add("jump"); }
    void releaseJump() override { add("releaseJump"); }
    void startRotateLeft() override { add("startRotateLeft"); }
    void stopRotateLeft() override { add("stopRotateLeft"); }
    void startRotateRight() override { add("startRotateRight"); }
    void stopRotateRight() override { add("stopRotateRight"); }
    void setShooting(bool shooting) override { add(shooting ? "shoot on" : "shoot off"); }
    void move(float dx, float dy) override { add("move " + num(dx) + "," + num(dy)); }
    void clearPowerups() override { add("clearPowerups"); }
    void setState(int32_t state) override {
        add("state " + std::to_string(state));
        QVPObjectAssetCharacter::setState(state);
    }
};

// No model to build from: the UI container is added as buildFromModel would.
struct Screen : QVPScreen, Named {
    Screen(Calls* calls, std::string name) : Named{calls, std::move(name)} { addChild(m_uiContainer, kUiContainerZ); }
    void keyBackClicked() override {
        add("back");
        if (onBack) onBack();
    }
    void keyDown(int key) override { add("keyDown " + std::to_string(key)); }
    void keyUp(int key) override { add("keyUp " + std::to_string(key)); }
    void activateHighlightedButton() override { add("activate"); }
    void moveHighlight(int direction) override { add("highlight " + std::to_string(direction)); }
    std::function<void()> onBack;
};

// Target of buttons and subscriptions; `then` runs inside an action call.
struct Recorder : cocos2d::CCObject, Named {
    Recorder(Calls* calls, std::string name) : Named{calls, std::move(name)} {}
    void onActivate(cocos2d::CCObject*) { add("activated"); }
    void onAction(cocos2d::CCObject* source) {
        add(source ? "from source" : "from null");
        if (then) then();
    }
    std::function<void()> then;
};

// "action N" subscribed to each action 1-10 of the shared controller.
struct ActionRecorders {
    explicit ActionRecorders(Calls* calls) {
        for (int action = 1; action <= 10; ++action) {
            all.push_back(std::make_unique<Recorder>(calls, "action " + std::to_string(action)));
            QVPInputController::shared()->subscribeAction(action, all.back().get(),
                                                          callfuncO_selector(Recorder::onAction), 0);
        }
    }
    ~ActionRecorders() {
        for (const auto& recorder : all) QVPInputController::shared()->unsubscribeAction(recorder.get());
    }
    std::vector<std::unique_ptr<Recorder>> all;
};

// A button under `parent` bound to raw key `key`, activating `target`.
inline QVPObjectButton* keyButton(cocos2d::CCNode* parent, int key, Recorder* target) {
    auto model = QVModelObjectButton::create();
    attributeCast<QVAttributeKey>(model->attribute("Keyboard Key"))->setValue(key);
    QVPObjectButton* button = QVPObjectButton::create(nullptr, nullptr, nullptr);
    button->setModel(model);
    button->setActionTarget(target, menu_selector(Recorder::onActivate));
    parent->addChild(button);
    return button;
}

inline void setKey(const char* attribute, int code) {
    attributeCast<QVAttributeKey>(QVModelGeneralSettings::shared()->attribute(attribute))->setValue(code);
}

// A fresh director, no shared controller, and the general settings back to
// their defaults afterwards.
class InputTest : public ::testing::Test {
protected:
    InputTest() {
        cocos2d::CCDirector::resetForTest();
        QVPInputController::destroy();
    }
    ~InputTest() override {
        QVPInputController::destroy();
        cocos2d::CCDirector::resetForTest();
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    // `name`, a recording screen, as the first child of a new running scene.
    Screen* runScreen(const std::string& name) {
        Screen* screen = autoreleased(new Screen(&calls, name));
        cocos2d::CCScene* scene = cocos2d::CCScene::create();
        scene->addChild(screen);
        cocos2d::CCDirector::sharedDirector()->runWithScene(scene);
        cocos2d::CCDirector::sharedDirector()->stepFrame(0);
        return screen;
    }
    // What the stand-ins were asked while `act` ran.
    Calls after(const std::function<void()>& act) {
        calls.clear();
        act();
        return calls;
    }
    static cocos2d::CCKeypadDispatcher* keypad() {
        return cocos2d::CCDirector::sharedDirector()->getKeypadDispatcher();
    }

    Calls calls;
};

}  // namespace inputtest
