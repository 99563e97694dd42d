// The object base and its components: the requested state, the child walk,
// the visibility rule, the body box and the component list.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "objects_test_support.h"
#include "player/objects/QVPObjectAsset.h"

using cocos2d::CCNode;
using cocos2d::CCPoint;
using objectstest::calls;
using objectstest::RecordingComponent;

namespace {

class ObjectTest : public objectstest::ObjectsTest {
protected:
    // A placed unit whose obstacle asset holds these component models.
    std::shared_ptr<QVModelObjectAssetUnit> placedWith(const std::vector<std::shared_ptr<QVModelComponent>>& parts) {
        auto asset = fieldfixtures::obstacleAsset("Crate", 40, 40);
        for (const auto& part : parts) asset->addChild(part);
        return fieldfixtures::unitPlacement(asset, CCPoint(0, 0));
    }
};

// Runs a callback in its own update.
class Scripted : public QVPObject {
public:
    explicit Scripted(std::function<void(Scripted*)> onUpdate) : QVPObject(nullptr), m_onUpdate(std::move(onUpdate)) {}
    void update(float dt) override {
        ++updates;
        if (m_onUpdate) m_onUpdate(this);
        QVPObject::update(dt);
    }
    int updates = 0;

private:
    std::function<void(Scripted*)> m_onUpdate;
};

TEST_F(ObjectTest, ComponentsRunInModelOrderAndKindsWithoutBuilderGiveNone) {
    QVComponent::setComponentBuilder(QVComponentKind::Motor, &RecordingComponent::build);
    LogCapture log;
    auto placed =
        placedWith({std::make_shared<QVModelComponentMotor>("m1"), std::make_shared<QVModelComponentDamage>("d"),
                    std::make_shared<QVModelComponentHealth>("h"), std::make_shared<QVModelComponentMotor>("m2")});
    QVPObjectAsset* a = new QVPObjectAsset(placed);
    QVPObjectAsset* b = new QVPObjectAsset(placed);
    ASSERT_EQ(a->components().size(), 2u);  // the damage model has no kind, health has no builder
    EXPECT_EQ(a->components()[0]->owner(), a);
    EXPECT_FALSE(a->components()[0]->isActive());
    EXPECT_EQ(
        std::count(log.all().begin(), log.all().end(), "[QVComponent] no builder installed for QVModelComponentHealth"),
        1);

    calls().clear();
    a->update(0.0f);
    a->transformChanged();
    a->setState(QVPObject::kStateMoving);
    EXPECT_EQ(calls(), (std::vector<std::string>{"m1.update", "m2.update", "m1.transform", "m2.transform", "m1.state",
                                                 "m2.state"}));
    a->release();
    b->release();
}

TEST_F(ObjectTest, RequestedStateIsAppliedOnceAndTheCurrentStateNotifiesAgain) {
    QVComponent::setComponentBuilder(QVComponentKind::Motor, &RecordingComponent::build);
    QVPObjectAsset* object = new QVPObjectAsset(placedWith({std::make_shared<QVModelComponentMotor>("m")}));
    calls().clear();
    object->setPendingState(QVPObject::kStateJumping);
    object->update(0.0f);
    object->update(0.0f);
    EXPECT_EQ(object->getState(), QVPObject::kStateJumping);
    EXPECT_EQ(object->pendingState(), -1);
    EXPECT_EQ(std::count(calls().begin(), calls().end(), "m.state"), 1);
    object->setPendingState(QVPObject::kStateJumping);
    object->update(0.0f);
    EXPECT_EQ(std::count(calls().begin(), calls().end(), "m.state"), 2);
    object->release();
}

TEST_F(ObjectTest, ChildrenThatFinishOrAreRemovedDuringTheWalk) {
    QVPObject* parent = new QVPObject(nullptr);
    Scripted* removed = new Scripted(nullptr);
    Scripted* moved = new Scripted(nullptr);
    QVPObject* elsewhere = new QVPObject(nullptr);
    // Finishes itself; removes a later sibling (the parent held its last
    // reference); moves another to a new parent.
    Scripted* finishing = new Scripted([](Scripted* self) { self->setState(QVPObject::kStateFinished); });
    Scripted* remover = new Scripted([&](Scripted*) {
        parent->removeChild(removed, true);
        moved->retain();
        moved->removeFromParentAndCleanup(false);
        elsewhere->addChild(moved);
        moved->release();
    });
    for (QVPObject* child : std::vector<QVPObject*>{finishing, remover, removed, moved}) {
        parent->addChild(child);
        child->release();
    }
    remover->retain();
    moved->retain();
    parent->update(0.0f);
    EXPECT_EQ(parent->getChildrenCount(), 1u);  // the remover
    EXPECT_EQ(remover->getParent(), parent);
    EXPECT_EQ(remover->updates, 1);
    EXPECT_EQ(moved->updates, 0);  // it left before its turn
    EXPECT_EQ(moved->getParent(), elsewhere);
    remover->release();
    moved->release();
    parent->release();
    elsewhere->release();
}

TEST_F(ObjectTest, VisibilityFollowsTaggedChildrenThenTheView) {
    struct Row {
        const char* name;
        bool gameLayer;
        CCPoint position;
        std::vector<std::pair<int, bool>> children;  // (tag, visible)
        bool onScreen;
    };
    const CCPoint far(100000, 100000);
    const Row rows[] = {
        {"no game layer, far away", false, far, {}, true},
        {"inside the view", true, CCPoint(10, 10), {}, true},
        {"outside the view", true, far, {}, false},
        {"a visible tagged child keeps it", true, far, {{3, true}}, true},
        {"the last tagged child decides", true, far, {{3, true}, {0, true}, {4, false}}, false},
        {"untagged children do not count", true, far, {{0, true}, {-1, true}}, false},
        {"a hidden child: the view decides", true, CCPoint(10, 10), {{2, false}}, true},
    };
    CCNode* layer = CCNode::create();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObject* object = new QVPObject(nullptr);
        layer->addChild(object);
        if (row.gameLayer) object->setGameLayer(layer);
        object->setPosition(row.position);
        for (const auto& child : row.children) {
            CCNode* node = CCNode::create();
            node->setVisible(child.second);
            object->addChild(node, 0, child.first);
        }
        object->update(0.0f);
        EXPECT_EQ(object->isOnScreen(), row.onScreen);
        EXPECT_EQ(object->isVisible(), row.onScreen);
        object->removeFromParent();
        object->release();
    }
}

TEST_F(ObjectTest, BodyBoxIsZeroWithoutAnEnabledBody) {
    auto placed = fieldfixtures::unitPlacement(fieldfixtures::obstacleAsset("Crate", 40, 40), CCPoint(100, 100));
    QVPObjectAsset* object = new QVPObjectAsset(placed);
    auto zero = [](const b2AABB& box) {
        return box.lowerBound.x == 0 && box.lowerBound.y == 0 && box.upperBound.x == 0 && box.upperBound.y == 0;
    };
    EXPECT_TRUE(zero(object->getBodyAABB()));
    object->createBody(&world, false);
    ASSERT_NE(object->getBody(), nullptr);
    const b2AABB box = object->getBodyAABB();
    EXPECT_NEAR(box.lowerBound.x, 4.0f, 0.05f);
    EXPECT_NEAR(box.upperBound.y, 6.0f, 0.05f);
    physics::setEnabled(object->getBody(), false);
    EXPECT_TRUE(zero(object->getBodyAABB()));
    object->release();
}

TEST_F(ObjectTest, ComponentStatesCopyOverTheCommonLength) {
    QVComponent::setComponentBuilder(QVComponentKind::Motor, &RecordingComponent::build);
    auto motors = [this](int n) {
        std::vector<std::shared_ptr<QVModelComponent>> parts;
        for (int i = 0; i < n; ++i) parts.push_back(std::make_shared<QVModelComponentMotor>("m"));
        return new QVPObjectAsset(placedWith(parts));
    };
    QVPObjectAsset* three = motors(3);
    QVPObjectAsset* two = motors(2);
    for (QVComponent* c : three->components()) c->setActive(true);
    two->copyComponentStates(three);
    EXPECT_TRUE(two->components()[0]->isActive() && two->components()[1]->isActive());
    two->components()[1]->setActive(false);
    three->copyComponentStates(two);
    EXPECT_TRUE(three->components()[0]->isActive());
    EXPECT_FALSE(three->components()[1]->isActive());
    EXPECT_TRUE(three->components()[2]->isActive());  // beyond the shorter list: untouched
    three->release();
    two->release();
}

}  // namespace
