// The game field's lifetime: scenes come and go with objects holding bodies
// and joints, some still waiting in the autorelease pool when their scene
// dies, and nothing outlives them or reaches a deleted world (ASan/LSan).
#include "field_scene_support.h"
#include "model/classes/QVModelLinker.h"
#include "physics/PhysicsGuard.h"
#include "player/app/QVPInputController.h"
#include "player/screens/QVPFieldStateHash.h"

namespace {

using fieldtest::CCPoint;
namespace ff = fieldfixtures;

class FieldLifetime : public fieldtest::FieldTest {
protected:
    // A motor joint between two bodies, driven by actions 9 and 10.
    b2Joint* motor(QVPObject* a, QVPObject* b) {
        b2RevoluteJointDef def;
        def.Initialize(a->getBody(), b->getBody(), b->getBody()->GetPosition());
        def.enableMotor = true;
        def.maxMotorTorque = 10.0f;
        b2Joint* joint = physics::createJoint(scene->getWorld(), def);
        auto linker = std::make_shared<QVModelLinker>("motor");
        scene->getInputController()->addMotorJoint(static_cast<b2RevoluteJoint*>(joint), linker);
        return joint;
    }
    std::vector<QVPObject*> withBodies() const {
        std::vector<QVPObject*> found;
        for (QVPObject* object : objects()) {
            if (object->getBody()) found.push_back(object);
        }
        return found;
    }
};

TEST_F(FieldLifetime, TenSceneSwitchesLeaveNoObject) {
    auto world = ff::world("L");
    auto start = ff::section(world, "Start", 1136.0f, true);
    auto hero = ff::characterAsset("Hero", 40.0f, 40.0f);
    start->addChild(ff::characterPlacement(hero, CCPoint(200.0f, 60.0f)));
    crates(start, 12, false);
    crates(start, 12, true);
    auto extra = ff::unitPlacement(crate, CCPoint(600.0f, 300.0f), true);
    const int64_t before = QVPObject::liveCount();

    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        enter("L");
        for (int frame = 0; frame < 3; ++frame) scene->update(1.0f / 60.0f);
        std::vector<QVPObject*> bodies = withBodies();
        ASSERT_GE(bodies.size(), 4u);
        motor(bodies[0], bodies[1]);
        motor(bodies[2], bodies[3]);
        scene->getInputController()->actionPressed(9, nullptr);
        scene->update(1.0f / 60.0f);
        // Made in the frame of the switch: still in the pool when the scene
        // goes, with bodies and a joint.
        QVPObject* late = scene->createObjectFromModel(extra, 0, CCPoint(0.0f, 0.0f), false);
        ASSERT_NE(late, nullptr);
        ASSERT_NE(late->getBody(), nullptr);
        motor(bodies[4], late);
        scene->onExit();
        scene->release();
        scene = nullptr;
        drainPool();
        ASSERT_EQ(QVPObject::liveCount(), before);
    }
}

// The same world run twice from the same seed hashes the same, frame after
// frame; a body nudged by one step of velocity changes the hash.
TEST_F(FieldLifetime, TheStateHashFollowsTheRun) {
    auto world = ff::world("H");
    auto start = ff::section(world, "Start", 1136.0f, true);
    start->addChild(ff::characterPlacement(ff::characterAsset("Hero", 40.0f, 40.0f), CCPoint(200.0f, 60.0f)));
    crates(start, 10, true);
    auto run = [this](bool nudge) {
        compat::srand(7);
        enter("H");
        physics::setGravity(scene->getWorld(), b2Vec2(0.0f, -10.0f));
        std::vector<uint64_t> hashes;
        for (int frame = 0; frame < 120; ++frame) {
            if (frame == 60) scene->getInputController()->actionPressed(3, nullptr);
            if (nudge && frame == 90) {
                b2Body* body = withBodies().back()->getBody();
                physics::setLinearVelocity(body, body->GetLinearVelocity() + b2Vec2(0.0f, 1e-3f));
            }
            scene->update(1.0f / 60.0f);
            hashes.push_back(fieldStateHash(*scene));
        }
        scene->getInputController()->actionReleased(3, nullptr);
        return hashes;
    };
    const std::vector<uint64_t> first = run(false);
    const std::vector<uint64_t> second = run(false);
    const std::vector<uint64_t> nudged = run(true);
    EXPECT_EQ(first, second);
    EXPECT_NE(first[0], first[119]);
    EXPECT_EQ(std::vector<uint64_t>(first.begin(), first.begin() + 90),
              std::vector<uint64_t>(nudged.begin(), nudged.begin() + 90));
    EXPECT_NE(first[90], nudged[90]);
}

// Pad keys press and release their actions; the gamepad's jump buttons
// press jump but never release it; other codes do nothing.
TEST_F(FieldLifetime, KeysReachTheInputController) {
    struct Recorder : cocos2d::CCObject {
        void onAction(cocos2d::CCObject*) { ++calls; }
        int calls = 0;
    };
    const struct {
        int key;
        int action;  // 0: none
        int onRelease;
    } rows[] = {{19, 1, 1}, {20, 2, 1}, {21, 4, 1},  {22, 3, 1}, {23, 5, 1},
                {96, 5, 0}, {99, 5, 0}, {100, 5, 0}, {4, 0, 0},  {50, 0, 0}};
    ff::section(ff::world("K"), "Start", 1136.0f, true);
    enter("K");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        Recorder recorders[6];
        for (int action = 1; action <= 5; ++action) {
            scene->getInputController()->subscribeAction(action, &recorders[action],
                                                         callfuncO_selector(Recorder::onAction), 0);
        }
        scene->onKeyDown(row.key);
        const int pressed = row.action ? recorders[row.action].calls : 0;
        scene->onKeyUp(row.key);
        int total = 0;
        for (int action = 1; action <= 5; ++action) total += recorders[action].calls;
        EXPECT_EQ(pressed, row.action ? 1 : 0);
        EXPECT_EQ(total, (row.action ? 1 : 0) + row.onRelease);
        for (int action = 1; action <= 5; ++action) scene->getInputController()->unsubscribeAction(&recorders[action]);
        scene->getInputController()->actionReleased(5, nullptr);
    }
}

}  // namespace
