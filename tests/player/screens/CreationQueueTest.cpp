// The creation queue, the linkers and teleport transfers: batches, the
// objects a section owns, refused objects, self-links and what a transfer
// carries over.
#include <cmath>

#include "field_scene_support.h"
#include "menu/CCMenu.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectLabel.h"
#include "physics/PhysicsGuard.h"
#include "player/app/QVPInputController.h"
#include "player/ui/QVPObjectButton.h"
#include "player/ui/QVPObjectText.h"

namespace fieldtest {
namespace {

using uitest::registered;
using uitest::setText;

class CreationTest : public FieldTest {
protected:
    // A world whose start section holds one crate; `pieces` are not
    // streamed (they start far away) and are queued by hand.
    void enterWorld() {
        auto w = ff::world("Queue");
        crates(ff::section(w, "start", 1136.0f, true), 1);
        enter("Queue");
    }
    static std::shared_ptr<QVModelLevelSection> piece(const std::string& name) {
        return ff::section(nullptr, name, 1136.0f);
    }
    static std::shared_ptr<QVModelLinker> link(const std::shared_ptr<QVModelLevelSection>& section,
                                               const std::shared_ptr<QVModelObject>& a,
                                               const std::shared_ptr<QVModelObject>& b, float speed = 0.0f,
                                               bool buttonActivated = false) {
        auto linker = registered<QVModelLinker>();
        linker->setObjects(a, b);
        setFloat(*linker, "Speed", speed);
        setBool(*linker, "Button Activated", buttonActivated);
        section->addChild(linker);
        return linker;
    }
    // Queues and completes the section.
    void build(const std::shared_ptr<QVModelLevelSection>& section) {
        scene->addLevelSection(section, 0.0f);
        for (int call = 0; call < 100 && !scene->updateObjectCreationQueue(); ++call) {}
    }
    int countOf(const std::vector<std::shared_ptr<QVModelObjectAssetUnit>>& models) const {
        int n = 0;
        for (const auto& model : models) n += objectOf(model) ? 1 : 0;
        return n;
    }
    static b2RevoluteJoint* jointOf(QVPObject* object) {
        b2JointEdge* edge = object && object->getBody() ? object->getBody()->GetJointList() : nullptr;
        return edge ? static_cast<b2RevoluteJoint*>(edge->joint) : nullptr;
    }
};

TEST_F(CreationTest, BatchesOfTwentyAndSectionsInTurn) {
    enterWorld();
    auto first = piece("first");
    auto second = piece("second");
    auto a = crates(first, 45, true);
    auto b = crates(second, 45, true);
    scene->addLevelSection(first, 0.0f);
    // One section alone: 20, 20, 5, completed by the third call; its bodies
    // stay off until then.
    const struct {
        int made;
        bool done;
    } alone[] = {{20, false}, {20, false}, {5, true}};
    int before = static_cast<int>(QVPObject::constructedCount());
    for (const auto& row : alone) {
        SCOPED_TRACE(row.made);
        EXPECT_EQ(scene->updateObjectCreationQueue(), row.done);
        const int now = static_cast<int>(QVPObject::constructedCount());
        EXPECT_EQ(now - before, row.made);
        before = now;
        for (const auto& model : a) {
            if (QVPObject* object = objectOf(model)) {
                ASSERT_NE(object->getBody(), nullptr);
                EXPECT_EQ(object->getBody()->IsEnabled(), row.done);
                EXPECT_EQ(object->isControllable(), row.done);
            }
        }
    }
    // Two sections: filled in turn, 20 object models each.
    auto third = piece("third");
    auto c = crates(third, 45, true);
    scene->addLevelSection(second, 0.0f);
    scene->addLevelSection(third, 0.0f);
    const int counts[][2] = {{20, 0}, {20, 20}, {40, 20}, {40, 40}, {45, 40}, {45, 45}};
    for (const auto& row : counts) {
        SCOPED_TRACE(testing::Message() << row[0] << " " << row[1]);
        scene->updateObjectCreationQueue();
        EXPECT_EQ(countOf(b), row[0]);
        EXPECT_EQ(countOf(c), row[1]);
    }
    EXPECT_EQ(scene->getCreationQueueLength(), 0u);
}

TEST_F(CreationTest, ACompletedSectionKeepsNothingAlive) {
    enterWorld();
    auto section = piece("short");
    auto models = crates(section, 5, true);
    build(section);
    drainPool();
    const int64_t live = QVPObject::liveCount();
    for (const auto& model : models) objectOf(model)->removeFromParentAndCleanup(true);
    EXPECT_EQ(QVPObject::liveCount(), live - 5);
}

QVPObjectAsset* powerupBuilder(const std::shared_ptr<QVModelObject>& model) {
    auto* object = new QVPObjectAsset(model);
    object->setTypeFlags(QVPObject::kTypePowerup);
    return object;
}

TEST_F(CreationTest, RefusedObjectsLeaveNothingBehind) {
    const QVPObjectBuilder previous = objectBuilder(QVPObjectRow::Powerup);
    setObjectBuilder(QVPObjectRow::Powerup, &powerupBuilder);
    enterWorld();
    auto asset = registered<QVModelAssetPowerup>();
    setText(*asset, "Powerup Type", "kPowerupCheckpoint");
    setFloat(*asset, "Appearance Chance", 100.0f);
    auto powerup = registered<QVModelObjectAssetPowerup>();
    powerup->setAsset(asset);
    powerup->setPosition(CCPoint(300.0f, 200.0f));
    auto hero = ff::characterPlacement(ff::characterAsset("Hero", 40.0f, 40.0f), CCPoint(100.0f, 100.0f));

    // Not yet taken: created.
    ASSERT_NE(scene->createObjectFromModel(powerup, 0, CCPoint(0.0f, 0.0f), true), nullptr);
    CheckpointRecord& record = checkpointRecord("Queue");
    record.pointX = 300.0f;
    record.pointY = 200.0f;
    const std::size_t count = objects().size();
    const int64_t live = QVPObject::liveCount();
    // A checkpoint already taken, and a character outside the start section.
    EXPECT_EQ(scene->createObjectFromModel(powerup, 0, CCPoint(0.0f, 0.0f), true), nullptr);
    EXPECT_EQ(scene->createObjectFromModel(hero, manager()->getStartSectionId() + 1, CCPoint(0.0f, 0.0f), true),
              nullptr);
    // A character re-created where the world refuses its body.
    auto* far = cocos2d::CCNode::create();
    far->setPosition(CCPoint(1e9f, 0.0f));
    EXPECT_EQ(scene->recreateObject(hero, far), nullptr);
    EXPECT_EQ(scene->getInputController()->getCharacters()->count(), 0u);
    drainPool();
    EXPECT_EQ(objects().size(), count);
    EXPECT_EQ(QVPObject::liveCount(), live);
    setObjectBuilder(QVPObjectRow::Powerup, previous);
}

TEST_F(CreationTest, LabelsButtonsAndAttachedText) {
    enterWorld();
    auto section = piece("ui");
    auto holder = crates(section, 1).front();
    auto label = registered<QVModelObjectLabel>();
    label->setPosition(CCPoint(10.0f, 20.0f));
    section->addChild(label);
    auto button = registered<QVModelObjectButton>();
    button->setZDepth(3);
    section->addChild(button);
    link(section, holder, label);
    build(section);

    QVPObject* holderObject = objectOf(holder);
    ASSERT_NE(holderObject, nullptr);
    auto* text = dynamic_cast<QVPObjectText*>(holderObject->getChildByTag(static_cast<int>(label->id())));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->labelModel(), label);
    EXPECT_EQ(scene->getWorld()->GetJointCount(), 0);

    cocos2d::CCMenu* menu = nullptr;
    for (cocos2d::CCObject* child : camera()->getChildren()->data()) {
        auto* node = static_cast<cocos2d::CCNode*>(child);
        if (node->getTag() == QVPScreen::kButtonMenuTag) menu = dynamic_cast<cocos2d::CCMenu*>(node);
    }
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->getZOrder(), 3);
    ASSERT_EQ(menu->getChildrenCount(), 1u);
    auto* item = dynamic_cast<QVPObjectButton*>(static_cast<cocos2d::CCNode*>(menu->getChildren()->objectAtIndex(0)));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->getModel(), button);
}

TEST_F(CreationTest, SelfLinksAndCyclesAreSkipped) {
    enterWorld();
    auto section = piece("cycle");
    auto first = registered<QVModelObjectLabel>();
    auto second = registered<QVModelObjectLabel>();
    section->addChild(first);
    section->addChild(second);
    link(section, first, first);
    link(section, first, second);
    link(section, second, first);
    LogCapture log;
    build(section);
    QVPObject* one = objectOf(first);
    ASSERT_NE(one, nullptr);
    cocos2d::CCNode* two = one->getChildByTag(static_cast<int>(second->id()));
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(two->getChildByTag(static_cast<int>(first->id())), nullptr);
    EXPECT_EQ(one->getParent(), camera());
    EXPECT_EQ(linesWith("skipped"), 2);
}

TEST_F(CreationTest, MotorsFromLinkers) {
    enterWorld();
    auto section = piece("motors");
    auto bodies = crates(section, 4, true);
    link(section, bodies[0], bodies[1], 2.0f);
    link(section, bodies[2], bodies[3], 3.0f, true);
    build(section);
    b2RevoluteJoint* spinning = jointOf(objectOf(bodies[1]));
    b2RevoluteJoint* driven = jointOf(objectOf(bodies[3]));
    ASSERT_NE(spinning, nullptr);
    ASSERT_NE(driven, nullptr);
    EXPECT_TRUE(spinning->IsMotorEnabled());
    EXPECT_FLOAT_EQ(spinning->GetMotorSpeed(), -2.0f);
    QVPInputController* input = scene->getInputController();
    const struct {
        int action;
        bool press;
        float speed;
    } steps[] = {{0, false, 0.0f}, {9, true, -3.0f}, {9, false, 0.0f}, {10, true, 3.0f}, {10, false, 0.0f}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.action);
        if (step.action && step.press) input->actionPressed(step.action, nullptr);
        if (step.action && !step.press) input->actionReleased(step.action, nullptr);
        EXPECT_FLOAT_EQ(driven->GetMotorSpeed(), step.speed);
    }

    // The driven joint dies with a body outside the finished-object step (a
    // transfer's old object going): a later press must not reach it (ASan).
    QVPObject* old = objectOf(bodies[3]);
    auto* destination = cocos2d::CCNode::create();
    camera()->addChild(destination);
    scene->queueTransfer(old, destination);
    scene->processTransferQueue();
    old->removeFromParentAndCleanup(true);
    drainPool();
    input->actionPressed(9, nullptr);
    input->actionReleased(9, nullptr);
}

TEST_F(CreationTest, TransfersCarryVelocityDampingAndTurn) {
    enterWorld();
    auto section = piece("transfer");
    auto moving = crates(section, 1, true).front();
    auto flat = crates(section, 1, true).front();
    flat->setScale(CCPoint(0.0f, 0.0f));
    build(section);
    const struct {
        std::shared_ptr<QVModelObjectAssetUnit> model;
        float rotation;
        bool body;
    } rows[] = {{moving, 135.0f, true}, {moving, -170.0f, true}, {flat, 0.0f, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rotation);
        QVPObject* old = objectOf(row.model);
        ASSERT_NE(old, nullptr);
        ASSERT_EQ(old->getBody() != nullptr, row.body);
        if (row.body) {
            old->getBody()->SetLinearDamping(0.5f);
            physics::setLinearVelocity(old->getBody(), b2Vec2(3.0f, 1.0f));
        }
        auto* destination = cocos2d::CCNode::create();
        destination->setPosition(CCPoint(500.0f, 300.0f));
        destination->setRotation(row.rotation);
        camera()->addChild(destination);
        scene->queueTransfer(old, destination);
        // The teleport takes the old object away, and may finish itself,
        // before the queue runs (ASan).
        old->removeFromParentAndCleanup(true);
        destination->removeFromParentAndCleanup(true);
        drainPool();
        scene->processTransferQueue();
        QVPObject* made = objectOf(row.model);
        ASSERT_NE(made, nullptr);
        EXPECT_NEAR(made->getRotation(), row.rotation, 1e-3f);
        EXPECT_NEAR(made->getPositionX(), 500.0f, 1e-3f);
        EXPECT_NEAR(made->getPositionY(), 300.0f, 1e-3f);
        ASSERT_EQ(made->getBody() != nullptr, row.body);
        if (row.body) {
            EXPECT_FLOAT_EQ(made->getBody()->GetLinearDamping(), 0.5f);
            EXPECT_FLOAT_EQ(made->getBody()->GetLinearVelocity().x, 3.0f);
            EXPECT_FLOAT_EQ(made->getBody()->GetLinearVelocity().y, 1.0f);
        }
        drainPool();
    }
}

}  // namespace
}  // namespace fieldtest
