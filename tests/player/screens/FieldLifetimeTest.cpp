// The game field's lifetime: scenes come and go with objects holding bodies
// and joints, some still waiting in the autorelease pool when their scene
// dies, and nothing outlives them or reaches a deleted world (ASan/LSan).
#include "field_scene_support.h"
#include "model/classes/QVModelLinker.h"
#include "physics/PhysicsGuard.h"
#include "player/app/QVPInputController.h"

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

// A button-driven joint that dies with its body outside the tick's own
// removal leaves no motor entry behind: pressing 9 afterwards touches only
// live joints (ASan).
TEST_F(FieldLifetime, AJointDestroyedWithItsBodyLeavesNoMotorEntry) {
    auto world = ff::world("J");
    auto start = ff::section(world, "Start", 1136.0f, true);
    crates(start, 4, true);
    enter("J");
    std::vector<QVPObject*> bodies = withBodies();
    ASSERT_GE(bodies.size(), 4u);
    b2Joint* doomed = motor(bodies[0], bodies[1]);
    auto* kept = static_cast<b2RevoluteJoint*>(motor(bodies[2], bodies[3]));
    (void)doomed;
    b2Body* body = bodies[1]->getBody();
    bodies[1]->detachBody();
    ASSERT_TRUE(physics::destroyBody(scene->getWorld(), body));
    EXPECT_EQ(scene->getWorld()->GetJointCount(), 1);
    scene->getInputController()->actionPressed(9, nullptr);
    scene->update(1.0f / 60.0f);
    EXPECT_TRUE(kept->IsMotorEnabled());
    scene->getInputController()->actionReleased(9, nullptr);
}

}  // namespace
