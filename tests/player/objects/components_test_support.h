// What the behaviour component tests share: a world with gravity, owners
// with a dynamic body built from components, on-screen control nodes, and
// animations whose image frames can be read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../ui/ui_test_support.h"
#include "FieldFixtures.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectImage.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSwitchStates.h"
#include "player/objects/QVComponent.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/ui/QVObjectModelHolder.h"
#include "sprite/CCSprite.h"

namespace componentstest {

constexpr float kFrame = 1.0f / 60.0f;

class ComponentsTest : public uitest::UiTest {
protected:
    ComponentsTest() {
        registerComponentClasses();
        QVPGameFieldSettings::shared()->setVelocityScale(1.0f);
    }
    ~ComponentsTest() override {
        for (cocos2d::CCNode* node : m_kept) node->release();
        QVPInputController::destroy();
        QVPGameFieldSettings::destroy();
        clearSwitchStates();
        for (int kind = 1; kind <= static_cast<int>(QVComponentKind::Health); ++kind) {
            QVComponent::setComponentBuilder(static_cast<QVComponentKind>(kind), nullptr);
        }
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }

    // An activated object placing an obstacle asset (box 40 x 40) with the
    // components; with a dynamic body unless `bodyless`.
    QVPObjectAsset* owner(std::initializer_list<std::shared_ptr<QVModelComponent>> components,
                          uint32_t flags = QVPObject::kTypeUnit, const std::string& collision = "kCharacterCollision",
                          std::shared_ptr<QVModelAssetObstacle> asset = nullptr, bool bodyless = false) {
        if (!asset) asset = fieldfixtures::obstacleAsset("Thing", 40, 40);
        for (const auto& component : components) asset->addChild(component);
        auto* made = new fieldfixtures::FixtureBody(
            fieldfixtures::unitPlacement(asset, cocos2d::CCPoint(100, 200), true, collision));
        made->setTypeFlags(flags);
        if (!bodyless) made->createBody(&world, false);
        made->activate();
        m_kept.push_back(made);
        return made;
    }
    // A node raising actions as the on-screen control of that class and
    // "Name" does.
    template <class Control = QVModelObjectButtonControl>
    cocos2d::CCNode* control(const std::string& name) {
        auto model = uitest::registered<Control>();
        model->setName(name);
        auto* node = new cocos2d::CCNode();
        node->setUserObject(QVObjectModelHolder::create(model));
        m_kept.push_back(node);
        return node;
    }
    static void press(int action, cocos2d::CCObject* source) {
        QVPInputController::shared()->actionPressed(action, source);
    }
    static void release(int action, cocos2d::CCObject* source) {
        QVPInputController::shared()->actionReleased(action, source);
    }
    // The owner's update, then the world's step, `count` times.
    void frames(QVPObjectAsset* object, int count) {
        for (int i = 0; i < count; ++i) {
            object->update(kFrame);
            world.Step(kFrame, 8, 3);
        }
    }
    // One image of `count` frames, "Duration" count / 30.
    std::shared_ptr<QVModelAnimation> framesAnimation(unsigned count) {
        auto model = uitest::registered<QVModelAnimation>();
        auto image = uitest::registered<QVModelObjectImage>();
        auto container = spriteContainer(count);
        uitest::attr<QVAttributeSprite>(*image, "Image")->setValue(container);
        model->addChild(image);
        model->setDuration(static_cast<float>(count) / 30.0f);
        m_containers[model.get()] = container;
        return model;
    }
    // The frame the image of a framesAnimation shows; -1 when none.
    int shownFrame(QVPAnimationObject* animation) const {
        cocos2d::CCNode* image = animation->frameNode(0);
        const auto& container = m_containers.at(animation->getModel().get());
        auto* sprite = dynamic_cast<cocos2d::CCSprite*>(image->getChildren()->objectAtIndex(0));
        for (unsigned i = 0; i < container->children().size(); ++i) {
            if (sprite->isFrameDisplayed(container->getSpriteFrame(i))) return static_cast<int>(i);
        }
        return -1;
    }
    static int fixtureCount(const QVPObject* object) {
        int count = 0;
        for (b2Fixture* f = object->getBody()->GetFixtureList(); f; f = f->GetNext()) ++count;
        return count;
    }
    // Height in points of the first fixture's polygon.
    static float fixtureHeight(const QVPObject* object) {
        const auto* polygon = static_cast<const b2PolygonShape*>(object->getBody()->GetFixtureList()->GetShape());
        float low = polygon->m_vertices[0].y;
        float high = low;
        for (int i = 1; i < polygon->m_count; ++i) {
            low = std::min(low, polygon->m_vertices[i].y);
            high = std::max(high, polygon->m_vertices[i].y);
        }
        return (high - low) / 0.05f;
    }

    b2World world{b2Vec2(0.0f, -10.0f)};

private:
    std::vector<cocos2d::CCNode*> m_kept;
    std::map<const QVBaseModelAnimation*, std::shared_ptr<QVModelSpriteContainer>> m_containers;
};

}  // namespace componentstest
