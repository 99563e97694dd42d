// What the streaming and creation tests share: a game-field scene entered
// over a world built in code with the fixture builders.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FieldFixtures.h"
#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVAttributeFundamental.h"
#include "platform/RandomAndClock.h"
#include "player/app/LockStateStore.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/objects/QVPObjectFactory.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "screens_test_support.h"

namespace fieldtest {

namespace ff = fieldfixtures;
using cocos2d::CCPoint;

// The captured log lines that contain `part`.
inline int linesWith(const std::string& part) {
    int n = 0;
    for (const std::string& line : LogCapture::lines()) n += line.find(part) != std::string::npos ? 1 : 0;
    return n;
}

inline void setFloat(const QVModel& model, const char* name, float value) {
    attributeCast<QVAttributeFloat>(model.attribute(name))->setValue(value);
}

class FieldTest : public screentest::ScreenTest {
protected:
    FieldTest() {
        compat::srand(7);
        crate = ff::obstacleAsset("Crate", 40.0f, 40.0f);
    }
    ~FieldTest() override {
        leave();
        clearCheckpoints();
    }

    // The scene of world `key`, built and entered (its first reset).
    QVPScreenScene* enter(const std::string& key) {
        leave();
        manager()->setSceneName(key);
        scene = QVPScreenScene::create();
        scene->retain();
        scene->onEnter();
        return scene;
    }
    void leave() {
        if (!scene) return;
        drainPool();
        scene->onExit();
        scene->release();
        scene = nullptr;
        drainPool();
    }
    static void drainPool() { cocos2d::CCPoolManager::sharedPoolManager()->pop(); }

    // `count` static crates in a row, added to the section.
    std::vector<std::shared_ptr<QVModelObjectAssetUnit>> crates(const std::shared_ptr<QVModelLevelSection>& section,
                                                                int count, bool physics = false) {
        std::vector<std::shared_ptr<QVModelObjectAssetUnit>> made;
        for (int i = 0; i < count; ++i) {
            made.push_back(
                ff::unitPlacement(crate, CCPoint(40.0f + 50.0f * (i % 20), 100.0f + 50.0f * (i / 20)), physics));
            section->addChild(made.back());
        }
        return made;
    }

    cocos2d::CCNode* camera() const { return scene->getGameFieldCamera(); }
    // The camera's runtime objects.
    std::vector<QVPObject*> objects() const {
        std::vector<QVPObject*> found;
        if (cocos2d::CCArray* children = camera()->getChildren()) {
            for (cocos2d::CCObject* child : children->data()) {
                if (auto* object = dynamic_cast<QVPObject*>(child)) found.push_back(object);
            }
        }
        return found;
    }
    // The camera child made from the model with that id, or null.
    QVPObject* objectOf(const std::shared_ptr<QVModel>& model) const {
        for (QVPObject* object : objects()) {
            if (object->getTag() == static_cast<int>(model->id())) return object;
        }
        return nullptr;
    }
    int bodyCount() const { return scene->getWorld()->GetBodyCount(); }

    // The real classes first; the fixtures then take over their two rows.
    struct ClassesRegistered {
        ClassesRegistered() {
            registerObjectClasses();
            registerComponentClasses();
        }
    } classesRegistered;
    ff::FieldFixtures fixtures;
    std::shared_ptr<QVModelAssetObstacle> crate;
    QVPScreenScene* scene = nullptr;
};

}  // namespace fieldtest
