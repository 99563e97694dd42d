// Shared by the input controller and key chain tests: recording stand-ins for
// the character, bound objects, screens and handlers, each writing what it
// was asked into one call list, and screens run by a fresh director.
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

// Records every operation the controller calls, prefixed by its name.
class Character : public QVPObjectAssetCharacter {
public:
    static Character* make(Calls* calls, const std::string& name = "c") {
        auto* c = new Character(calls, name);
        c->autorelease();
        return c;
    }
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

private:
    Character(Calls* calls, std::string name) : QVPObjectAssetCharacter(nullptr), m_calls(calls), m_name(name) {}
    void add(const std::string& call) { m_calls->push_back(m_name + " " + call); }
    Calls* m_calls;
    std::string m_name;
};

// A screen that records the keypad and highlight calls it gets.
class Screen : public QVPScreen {
public:
    static Screen* make(Calls* calls, const std::string& name) {
        auto* s = new Screen(calls, name);
        s->autorelease();
        return s;
    }
    void keyBackClicked() override {
        add("back");
        if (onBack) onBack();
    }
    void keyDown(int key) override { add("keyDown " + std::to_string(key)); }
    void keyUp(int key) override { add("keyUp " + std::to_string(key)); }
    void activateHighlightedButton() override { add("activate"); }
    void moveHighlight(int direction) override { add("highlight " + std::to_string(direction)); }
    std::function<void()> onBack;

private:
    // No model to build from: the container is added as buildFromModel would.
    Screen(Calls* calls, std::string name) : m_calls(calls), m_name(std::move(name)) {
        addChild(m_uiContainer, kUiContainerZ);
    }
    void add(const std::string& call) { m_calls->push_back(m_name + " " + call); }
    Calls* m_calls;
    std::string m_name;
};

// Target of buttons and subscriptions.
class Recorder : public cocos2d::CCObject {
public:
    Recorder(Calls* calls, std::string name) : m_calls(calls), m_name(std::move(name)) {}
    void onActivate(cocos2d::CCObject*) { m_calls->push_back(m_name + " activated"); }
    void onAction(cocos2d::CCObject* source) {
        m_calls->push_back(m_name + (source ? " from source" : " from null"));
        if (then) then();
    }
    std::function<void()> then;

private:
    Calls* m_calls;
    std::string m_name;
};

// A button on `screen`'s UI container bound to raw key `key`, activating
// `target`.
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

    // Runs `screen` as the first child of a new running scene.
    void run(QVPScreen* screen) {
        cocos2d::CCScene* scene = cocos2d::CCScene::create();
        scene->addChild(screen);
        cocos2d::CCDirector::sharedDirector()->runWithScene(scene);
        cocos2d::CCDirector::sharedDirector()->stepFrame(0);
    }
    static cocos2d::CCKeypadDispatcher* keypad() {
        return cocos2d::CCDirector::sharedDirector()->getKeypadDispatcher();
    }

    Calls calls;
};

}  // namespace inputtest
