// Whole-world runs: a world built in code with the real object classes,
// opened as the running scene through the screen manager, stepped frame by
// frame on the headless director while a per-frame script of actions and
// gamepad events goes to the scene's input controller.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../screens/screens_test_support.h"
#include "FieldFixtures.h"
#include "ScenarioFixtures.h"
#include "base/CCArray.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "physics/PhysicsGuard.h"
#include "platform/RandomAndClock.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "view/CCEGLView.h"

namespace scenariotest {

namespace ff = fieldfixtures;
using cocos2d::CCPoint;

constexpr float kFrame = 1.0f / 60.0f;
constexpr float kPointsPerMetre = 20.0f;
constexpr int64_t kTicksPerSecond = 10000000;  // 100-ns ticks

// One scripted input event, sent before the frame's step.
struct Cue {
    enum Kind { kPress, kRelease, kPadDown, kPadUp, kPadAxis };
    int frame;
    Kind kind;
    int code;       // action, pad button or pad axis
    int value = 0;  // pad axis value
};
using Script = std::vector<Cue>;

class ScenarioTest : public screentest::ScreenTest {
protected:
    void SetUp() override {
        registerObjectClasses();
        registerComponentClasses();
        QVPSettingsController::setLoaded(true);
        compat::srand(1);
        compat::setClockForTest([this] { return m_frame * kTicksPerSecond / 60; });
        auto* view = cocos2d::CCDirector::sharedDirector()->getOpenGLView();
        view->setFrameSize(1136, 640);
        view->setDesignResolutionSize(1136, 640, cocos2d::kResolutionExactFit);

        auto node = this->node<QVNodeScene, QVModelScreenScene>("W");
        worldModel = node->screenScene();
        section = ff::section(worldModel, "Start", 1136.0f, true);
        // Gravity (0, -50), time scale 1: the world model's own defaults.
    }
    void TearDown() override {
        for (cocos2d::CCObject* kept : m_kept) kept->release();
        m_kept.clear();
        manager()->reset();
        cocos2d::CCDirector::resetForTest();
        QVPSettingsController::setLoaded(false);
        clearCheckpoints();
        compat::setClockForTest(nullptr);
    }

    // ---- the world

    // The placed character of `asset` at `position` (points), in the start
    // section.
    std::shared_ptr<QVModelObjectAssetCharacter> placeCharacter(const std::shared_ptr<QVModelAssetCharacter>& asset,
                                                                const CCPoint& position) {
        auto made = ff::characterPlacement(asset, position);
        section->addChild(made);
        return made;
    }
    template <class M>
    std::shared_ptr<M> place(const std::shared_ptr<M>& model) {
        section->addChild(model);
        return model;
    }
    // A floor whose top is at y = 0, under the whole section and beyond.
    void placeFloor() { place(ff::groundUnit(CCPoint(568.0f, -20.0f), 3000.0f, 40.0f)); }

    // The world built by the manager and run by the director; its creation
    // queue has run.
    QVPScreenScene* enter() {
        manager()->setScene("W");
        cocos2d::CCScene* made = manager()->createCurrentScene();
        if (!made) return nullptr;
        cocos2d::CCDirector* director = cocos2d::CCDirector::sharedDirector();
        const bool replacing = director->getRunningScene() != nullptr;
        if (replacing) {
            director->replaceScene(made);
        } else {
            director->runWithScene(made);
        }
        scene = manager()->getGameScene();
        idle(replacing ? 2 : 1);
        return scene;
    }

    // ---- running

    void sendCue(const Cue& cue) {
        QVPInputController* input = scene->getInputController();
        switch (cue.kind) {
            case Cue::kPress:
                input->actionPressed(cue.code, nullptr);
                break;
            case Cue::kRelease:
                input->actionReleased(cue.code, nullptr);
                break;
            case Cue::kPadDown:
                input->gamepadButtonPressed(cue.code);
                break;
            case Cue::kPadUp:
                input->gamepadButtonReleased(cue.code);
                break;
            case Cue::kPadAxis:
                input->gamepadAxisMoved(cue.value, cue.code);
                break;
        }
    }
    // One frame: the clock moves on, the director steps.
    void stepFrame() {
        ++m_frame;
        cocos2d::CCDirector::sharedDirector()->stepFrame(kFrame);
    }
    // `frames` frames; before frame i (from 0) its cues go out, after it
    // `each(i)` runs. Stops early when `each` answers false.
    void play(const Script& script, int frames, const std::function<bool(int)>& each = {}) {
        for (int i = 0; i < frames; ++i) {
            for (const Cue& cue : script) {
                if (cue.frame == i) sendCue(cue);
            }
            stepFrame();
            if (each && !each(i)) return;
        }
    }
    void idle(int frames) { play({}, frames); }

    // ---- reading the world

    QVPObjectAssetCharacter* hero() const {
        cocos2d::CCArray* characters = scene ? scene->getInputController()->getCharacters() : nullptr;
        return characters && characters->count() ? static_cast<QVPObjectAssetCharacter*>(characters->objectAtIndex(0))
                                                 : nullptr;
    }
    std::vector<QVPObject*> objects() const {
        std::vector<QVPObject*> found;
        if (cocos2d::CCArray* children = scene->getGameFieldCamera()->getChildren()) {
            for (cocos2d::CCObject* child : children->data()) {
                if (auto* object = dynamic_cast<QVPObject*>(child)) found.push_back(object);
            }
        }
        return found;
    }
    // The camera child made from that model, or null.
    QVPObject* objectOf(const std::shared_ptr<QVModel>& model) const {
        for (QVPObject* object : objects()) {
            if (object->getTag() == static_cast<int>(model->id()) && !(object->typeFlags() & QVPObject::kTypeSpawned)) {
                return object;
            }
        }
        return nullptr;
    }
    // Kept alive until the test ends, so that it can be read after it left
    // the field.
    template <class T>
    T* keep(T* object) {
        if (object) {
            object->retain();
            m_kept.push_back(object);
        }
        return object;
    }
    // Whether the two objects' bodies touch through a contact right now.
    static bool touching(const QVPObject* a, const QVPObject* b) {
        if (!a || !b || !a->getBody() || !b->getBody()) return false;
        for (b2ContactEdge* edge = a->getBody()->GetContactList(); edge; edge = edge->next) {
            if (edge->other == b->getBody() && edge->contact->IsTouching()) return true;
        }
        return false;
    }
    int bodyCount() const { return scene->getWorld()->GetBodyCount(); }
    // The node's position on the screen.
    CCPoint onScreen(cocos2d::CCNode* node) const {
        return scene->getGameFieldCamera()->convertToWorldSpace(node->getPosition());
    }

    std::shared_ptr<QVModelScreenScene> worldModel;
    std::shared_ptr<QVModelLevelSection> section;
    QVPScreenScene* scene = nullptr;

private:
    int64_t m_frame = 0;
    std::vector<cocos2d::CCObject*> m_kept;
};

}  // namespace scenariotest
