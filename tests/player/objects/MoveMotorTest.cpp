// The move and motor components: how they are switched on and off, and the
// velocities they give the body.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "components_test_support.h"
#include "model/classes/QVModelControls.h"
#include "player/objects/QVComponentEvent.h"
#include "player/objects/QVComponentIsoJump.h"
#include "player/objects/QVComponentMotor.h"
#include "player/objects/QVComponentMove.h"

using cocos2d::CCPoint;
using componentstest::ComponentsTest;

namespace {

// Stored games mark each axis empty on its own; the model's setters cannot.
void setPoint(QVAttributePoint* attribute, float x, float y, bool xEmpty, bool yEmpty) {
    auto* dict = cocos2d::CCDictionary::create();
    dict->setObject(cocos2d::CCString::createWithFormat("{%g,%g}", x, y), "value");
    dict->setObject(cocos2d::CCString::create(xEmpty ? "true" : "false"), "isXEmpty");
    dict->setObject(cocos2d::CCString::create(yEmpty ? "true" : "false"), "isYEmpty");
    attribute->valueFromDictionary(dict);
}

std::shared_ptr<QVModelComponentMove> moveModel(const std::string& event, float timeout = 0.0f) {
    auto model = std::make_shared<QVModelComponentMove>("Move");
    model->eventAttribute()->setValue(event, true);
    model->timeoutAttribute()->setValue(timeout, true);
    setPoint(model->linearVelocityAttribute(), 3.0f, 0.0f, false, false);
    return model;
}

QVComponentMove* moveOf(QVPObject* object, size_t index = 0) {
    return dynamic_cast<QVComponentMove*>(object->components().at(index));
}

b2Vec2 velocityOf(QVPObject* object) { return object->getBody()->GetLinearVelocity(); }

using Kind = QVComponentEvent::Kind;

TEST(ComponentEvent, ParsesKindNameAndParameter) {
    struct Row {
        const char* text;
        Kind kind;
        const char* name;
        const char* parameter;
    };
    const Row rows[] = {
        {"kButton-Jump-0", Kind::kButton, "Jump", "0"},
        {"kButton-Big-Red-Jump-1", Kind::kButton, "Big-Red-Jump", "1"},
        {"kSwitch-Lever", Kind::kSwitch, "Lever", ""},
        {"kSwipe-Pad-2", Kind::kSwipe, "Pad", "2"},
        {"kButton", Kind::kButton, "", ""},
        {"kButton--", Kind::kButton, "", ""},
        {"kEventCollision", Kind::kCollision, "", ""},
        {"kEventCollision-Jump-0", Kind::kNone, "Jump", "0"},
        {"kEventStart", Kind::kStart, "", ""},
        {"kEventButton", Kind::kNone, "", ""},
        {"", Kind::kNone, "", ""},
        {"-", Kind::kNone, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const QVComponentEvent event = QVComponentEvent::parse(row.text);
        EXPECT_EQ(event.kind(), row.kind);
        EXPECT_EQ(event.controlName(), row.name);
        EXPECT_EQ(event.parameter(), row.parameter);
    }
}

class Move : public ComponentsTest {};

// Presses and releases of controls, as (action, control) steps; the state
// after each step's update.
TEST_F(Move, ControlsSwitchItOnAndOff) {
    struct Step {
        bool press;
        int action;
        const char* control;  // "" raises it without a source
        bool active;
    };
    struct Row {
        const char* name;
        const char* event;
        bool onRelease;
        std::vector<Step> steps;
    };
    const Row rows[] = {
        {"parameter 0: press starts, release stops",
         "kButton-Jump-0",
         false,
         {{true, 11, "Jump", true}, {false, 12, "Jump", false}}},
        {"other parameter: the roles swap",
         "kButton-Jump-1",
         false,
         {{true, 11, "Jump", false}, {false, 12, "Jump", true}, {true, 11, "Jump", false}}},
        {"a name with dashes", "kSwitch-Big-Jump-0", false, {{true, 11, "Jump", false}, {true, 11, "Big-Jump", true}}},
        {"activate on release: the press does nothing, the release starts",
         "kButton-Jump-0",
         true,
         {{true, 11, "Jump", false}, {false, 12, "Jump", true}, {true, 11, "Jump", true}, {false, 12, "Jump", true}}},
        {"another control, or none, is ignored",
         "kButton-Jump-0",
         false,
         {{true, 11, "Fire", false}, {true, 11, "", false}}},
        {"swipe 2 listens to action 15 only",
         "kSwipe-Pad-2",
         false,
         {{true, 13, "Pad", false}, {true, 15, "Pad", true}}},
        {"swipe without a direction", "kSwipe-Pad", false, {{true, 13, "Pad", false}, {true, 16, "Pad", false}}},
        {"an unknown kind", "kTap-Jump-0", false, {{true, 11, "Jump", false}, {false, 12, "Jump", false}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = moveModel(row.event);
        model->activateOnReleaseAttribute()->setValue(row.onRelease, true);
        QVPObjectAsset* object = owner({model});
        int index = 0;
        for (const Step& step : row.steps) {
            SCOPED_TRACE(index++);
            cocos2d::CCNode* source = nullptr;
            if (*step.control) {
                source = std::string(row.event).rfind("kSwipe", 0) == 0
                             ? control<QVModelObjectSwipeControl>(step.control)
                             : control(step.control);
            }
            step.press ? press(step.action, source) : release(step.action, source);
            frames(object, 1);
            EXPECT_EQ(moveOf(object)->isActive(), step.active);
            EXPECT_EQ(object->isControllable(), !step.active);
        }
        QVPInputController::destroy();
    }
}

// A control of another class with the right name is not the control.
TEST_F(Move, OnlyButtonSwitchAndSwipeControlsCount) {
    QVPObjectAsset* object = owner({moveModel("kButton-Jump-0")});
    press(11, control<QVModelObjectButton>("Jump"));
    frames(object, 1);
    EXPECT_FALSE(moveOf(object)->isActive());
    press(11, control<QVModelObjectButtonSwitch>("Jump"));
    frames(object, 1);
    EXPECT_TRUE(moveOf(object)->isActive());
}

TEST_F(Move, VelocityWhileOn) {
    struct Row {
        const char* name;
        const char* operation;
        CCPoint model;
        bool yEmpty;
        b2Vec2 start;  // the body's velocity when it starts
        float expectX;
        bool falls;  // y left to gravity
    };
    const Row rows[] = {
        {"replace, both axes", "", CCPoint(3, 0), false, b2Vec2(1, 0), 3.0f, false},
        {"an empty y keeps gravity", "", CCPoint(3, 0), true, b2Vec2(1, 0), 3.0f, true},
        {"kAdd adds to the start velocity", "kAdd", CCPoint(3, 0), true, b2Vec2(1, 0), 4.0f, true},
        {"kMultiply once, then held", "kMultiply", CCPoint(2, 0), true, b2Vec2(1.5f, 0), 3.0f, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = moveModel("kEventStart");
        // An animation without a shape keeps the body's fixture and mass (a
        // swap to the builder's density 0 leaves a Box2D 2.4 body massless,
        // out of gravity's reach).
        model->animationAttribute()->setModel(framesAnimation(2));
        model->mathematicalOperationAttribute()->setValue(row.operation, true);
        setPoint(model->linearVelocityAttribute(), row.model.x, row.model.y, false, row.yEmpty);
        QVPObjectAsset* object = owner({model});
        physics::setLinearVelocity(object->getBody(), row.start);
        frames(object, 30);
        EXPECT_TRUE(moveOf(object)->isActive());
        EXPECT_FLOAT_EQ(velocityOf(object).x, row.expectX);
        // Set before each step; gravity acts within it.
        if (row.falls) {
            EXPECT_LT(velocityOf(object).y, -3.0f);
        } else {
            EXPECT_GT(velocityOf(object).y, -0.5f);
        }
    }
}

TEST_F(Move, TimeoutStopsAndZeroNeverDoes) {
    struct Row {
        float timeout;
        int lastActiveFrame;  // -1: never stops
    };
    for (const Row& row : {Row{0.0f, -1}, Row{0.5f, 31}}) {
        SCOPED_TRACE(row.timeout);
        QVPObjectAsset* object = owner({moveModel("kEventStart", row.timeout)});
        int last = 0;
        for (int frame = 1; frame <= 600; ++frame) {
            frames(object, 1);
            if (moveOf(object)->isActive()) last = frame;
        }
        if (row.lastActiveFrame < 0) {
            EXPECT_EQ(last, 600);
        } else {
            EXPECT_NEAR(last, row.lastActiveFrame, 1);
            EXPECT_TRUE(object->isControllable());
        }
    }
}

// Starting one move stops the owner's other one in the same update; a
// running iso-jump holds the start back until it lands.
TEST_F(Move, OneMoveAtATimeAndNoneDuringAJump) {
    auto jump = std::make_shared<QVModelComponentIsoJump>("Jump");
    jump->eventAttribute()->setValue("kButton-Hop-0", true);
    jump->animationAttribute()->setModel(framesAnimation(3));
    jump->jumpDurationAttribute()->setValue(0.25f, true);
    jump->jumpGravityAttribute()->setValue(CCPoint(), true);
    QVPObjectAsset* object = owner({moveModel("kButton-A-0"), moveModel("kButton-B-0"), jump});
    press(11, control("A"));
    frames(object, 1);
    ASSERT_TRUE(moveOf(object, 0)->isActive());
    press(11, control("B"));
    frames(object, 1);
    EXPECT_FALSE(moveOf(object, 0)->isActive());
    EXPECT_TRUE(moveOf(object, 1)->isActive());

    release(12, control("B"));
    press(11, control("Hop"));
    frames(object, 2);
    ASSERT_TRUE(object->components().at(2)->isActive());
    press(11, control("A"));
    int waited = 0;
    for (; !moveOf(object, 0)->isActive() && waited < 60; ++waited) frames(object, 1);
    // The jump lands after 0.25 s; the move starts right after.
    EXPECT_NEAR(waited, 16, 2);
}

TEST_F(Move, ContactFilterOfAffectedAsset) {
    auto target = fieldfixtures::obstacleAsset("Target", 10, 10);
    const std::string targetId = std::to_string(target->id());
    auto other = fieldfixtures::obstacleAsset("Other", 10, 10);
    struct Row {
        const char* name;
        std::string affected;
        bool otherIsTarget;
        uint32_t otherFlags;
        uint32_t ownerFlags;
        bool starts;
    };
    const uint32_t unit = QVPObject::kTypeUnit;
    const uint32_t character = QVPObject::kTypeCharacter;
    const Row rows[] = {
        {"-1 takes a unit", "-1", false, unit, unit, true},
        {"-1 takes a character", "-1", false, character, unit, true},
        {"-1 ignores a powerup", "-1", false, QVPObject::kTypePowerup, unit, false},
        {"nothing for a powerup owner", "-1", false, unit, QVPObject::kTypePowerup, false},
        {"-2 takes a character", "-2", false, character, unit, true},
        {"-2 ignores a unit", "-2", false, unit, unit, false},
        {"-3 takes a unit", "-3", false, unit, character, true},
        {"-3 ignores a character", "-3", false, character, unit, false},
        {"an id takes its asset", targetId, true, unit, unit, true},
        {"an id ignores another asset", targetId, false, unit, unit, false},
        {"no number reads 0 and takes nothing", "abc", false, unit, unit, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = moveModel("kEventCollision");
        model->affectedAssetAttribute()->setValue(row.affected, true);
        QVPObjectAsset* object = owner({model}, row.ownerFlags);
        object->beginContact(placed(row.otherIsTarget ? target : other, row.otherFlags), nullptr, false);
        object->beginContact(nullptr, nullptr, false);
        frames(object, 1);
        EXPECT_EQ(moveOf(object)->isActive(), row.starts);
    }
}

TEST_F(Move, ForcedSwitchFlipsTheMap) {
    auto on = uitest::registered<QVModelObjectButtonSwitch>();
    auto off = uitest::registered<QVModelObjectButtonSwitch>();
    setSwitchState(on, true);
    setSwitchState(off, false);
    auto model = moveModel("kEventStart");
    model->forcedSwitchButtonAttribute()->setValue(true, true);
    QVPObjectAsset* object = owner({model});
    frames(object, 1);
    EXPECT_EQ(switchState(on), std::optional<bool>(false));
    EXPECT_EQ(switchState(off), std::optional<bool>(true));
}

// A rebuilt object takes over the active flag and goes on at the velocity its
// body was given, not the model's.
TEST_F(Move, CopiedStateKeepsVelocity) {
    QVPObjectAsset* before = owner({moveModel("kEventStart")});
    frames(before, 1);
    ASSERT_TRUE(moveOf(before)->isActive());
    QVPObjectAsset* after = owner({moveModel("kButton-Jump-0")});
    physics::setLinearVelocity(after->getBody(), b2Vec2(-1.0f, 2.0f));
    after->copyComponentStates(before);
    EXPECT_TRUE(moveOf(after)->isActive());
    EXPECT_FALSE(after->isControllable());
    EXPECT_FLOAT_EQ(moveOf(after)->targetVelocity().x, -1.0f);
    EXPECT_FLOAT_EQ(moveOf(after)->targetVelocity().y, 2.0f);
}

TEST_F(Move, OwnerDeathSwitchesItOff) {
    auto model = moveModel("kButton-Jump-0");
    model->animationAttribute()->setModel(framesAnimation(2));
    QVPObjectAsset* object = owner({model});
    press(11, control("Jump"));
    frames(object, 1);
    ASSERT_TRUE(moveOf(object)->isActive());
    EXPECT_EQ(object->currentAnimation(), moveOf(object)->animation());
    object->setState(QVPObject::kStateDying);
    EXPECT_FALSE(moveOf(object)->isActive());
    EXPECT_TRUE(object->isControllable());
    EXPECT_EQ(object->currentPriority(), -1);
    EXPECT_FALSE(moveOf(object)->animation()->isVisible());
    // A dying owner is never switched on again.
    release(12, control("Jump"));
    press(11, control("Jump"));
    frames(object, 1);
    EXPECT_FALSE(moveOf(object)->isActive());
}

class Motor : public ComponentsTest {};

std::shared_ptr<QVModelComponentMotor> motorModel(const char* event, CCPoint velocity, float angular) {
    auto model = std::make_shared<QVModelComponentMotor>("Motor");
    model->eventAttribute()->setValue(event, true);
    model->linearVelocityAttribute()->setValue(velocity, true);
    model->angularVelocityAttribute()->setValue(angular, true);
    model->linearMultiplierAttribute()->setValue(CCPoint(2, 1), true);
    return model;
}

TEST_F(Motor, ZeroAxesKeepTheBodysOwnAndTheAngleIsAlwaysSet) {
    QVPObjectAsset* object = owner({motorModel("", CCPoint(5, 0), 0.0f)});
    object->getBody()->SetAngularVelocity(3.0f);
    frames(object, 30);
    EXPECT_FLOAT_EQ(velocityOf(object).x, 5.0f);
    EXPECT_LT(velocityOf(object).y, -3.0f);
    EXPECT_FLOAT_EQ(object->getBody()->GetAngularVelocity(), 0.0f);
}

// Every press of any control multiplies again (kept as stored games expect).
TEST_F(Motor, ButtonMultiplierCompounds) {
    QVPObjectAsset* object = owner({motorModel("kEventButton", CCPoint(5, 0), 1.0f)});
    press(11, control("Anything"));
    press(11, nullptr);
    release(12, nullptr);
    frames(object, 1);
    EXPECT_FLOAT_EQ(velocityOf(object).x, 20.0f);
}

TEST_F(Motor, ContactMultipliesForItsUnitOnly) {
    auto target = fieldfixtures::obstacleAsset("Target", 10, 10);
    auto model = motorModel("kEventCollision", CCPoint(5, 0), 1.0f);
    model->affectedAssetAttribute()->setValue(std::to_string(target->id()), true);
    QVPObjectAsset* object = owner({model});
    object->beginContact(placed(target, QVPObject::kTypeCharacter), nullptr, false);
    object->beginContact(placed(fieldfixtures::obstacleAsset("Other", 10, 10), QVPObject::kTypeUnit), nullptr, false);
    object->beginContact(nullptr, nullptr, false);
    frames(object, 1);
    EXPECT_FLOAT_EQ(velocityOf(object).x, 5.0f);
    object->beginContact(placed(target, QVPObject::kTypeUnit), nullptr, false);
    frames(object, 1);
    EXPECT_FLOAT_EQ(velocityOf(object).x, 10.0f);

    LogCapture log;
    QVComponent::create(model)->release();
    EXPECT_TRUE(LogCapture::has("[QVComponentMotor] deallocate"));
}

}  // namespace
