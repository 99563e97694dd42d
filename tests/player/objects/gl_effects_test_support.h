// What the light, mirror and particles tests share: the field test's scratch
// root, scene and real classes, a game layer node, a world without gravity
// and a recorder of effect draws.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "../screens/field_scene_support.h"
#include "GlEffectFixtures.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelObjectParticles.h"
#include "player/objects/EffectDrawing.h"

namespace gleffectstest {

namespace ff = fieldfixtures;
using cocos2d::CCPoint;

class GlEffectsTest : public fieldtest::FieldTest {
protected:
    GlEffectsTest() {
        layer = cocos2d::CCNode::create();
        layer->retain();
        effects::setEffectDrawRecorder(&draws);
    }
    ~GlEffectsTest() override {
        effects::setEffectDrawRecorder(nullptr);
        layer->removeAllChildrenWithCleanup(true);
        layer->release();
    }
    // `object` (one reference, from a builder) placed in the game layer,
    // which then owns it.
    template <class T>
    T* inLayer(T* object) {
        layer->addChild(object);
        object->setGameLayer(layer);
        object->release();
        return object;
    }
    // The scene of a world whose start section holds `placements`, made by
    // the manager (so it is the running game scene) and run until the
    // section stands.
    template <class... M>
    QVPScreenScene* runningScene(const M&... placements) {
        auto w = ff::world("Effects");
        auto start = ff::section(w, "start", 1136.0f, true);
        (start->addChild(placements), ...);
        manager()->setSceneName("Effects");
        manager()->createCurrentScene();
        scene = manager()->getGameScene();
        scene->retain();
        scene->onEnter();
        for (int i = 0; i < 5 && scene->getCreationQueueLength() > 0; ++i) scene->update(QVPScreenScene::kStep);
        return scene;
    }

    LogCapture capture;
    cocos2d::CCNode* layer = nullptr;
    b2World world{b2Vec2(0.0f, 0.0f)};
    std::vector<effects::EffectDraw> draws;
};

}  // namespace gleffectstest
