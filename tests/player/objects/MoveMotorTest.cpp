// The move and motor components: what switches them on and off, and the
// velocities they give the body.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../../engine/log/log_capture.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "components_test_support.h"
#include "model/classes/QVModelControls.h"
#include "player/objects/QVComponentMotor.h"
#include "player/objects/QVComponentMove.h"

using cocos2d::CCPoint;

namespace {

// Stored games mark each axis empty on its own; the model's setters cannot.
void setPoint(QVAttributePoint* attribute, float x, float y, bool yEmpty) {
    auto* dict = cocos2d::CCDictionary::create();
    dict->setObject(cocos2d::CCString::createWithFormat("{%g,%g}", x, y), "value");
    dict->setObject(cocos2d::CCString::create(yEmpty ? "true" : "false"), "isYEmpty");
    attribute->valueFromDictionary(dict);
}

std::shared_ptr<QVModelComponentMove> moveModel(const std::string& event, float timeout = 0.0f) {
    auto model = std::make_shared<QVModelComponentMove>("Move");
    model->eventAttribute()->setValue(event, true);
    model->timeoutAttribute()->setValue(timeout, true);
    setPoint(model->linearVelocityAttribute(), 3.0f, 0.0f, false);
    return model;
}

QVComponentMove* moveOf(QVPObject* object, size_t index = 0) {
    return dynamic_cast<QVComponentMove*>(object->components().at(index));
}

b2Vec2 velocityOf(QVPObject* object) { return object->getBody()->GetLinearVelocity(); }

class Move : public componentstest::ComponentsTest {};

// Each step raises an action from a control ("" for none) and runs one
// update; the move is then on or off.
TEST_F(Move, EventsSwitchItOnAndOff) {
    struct Step {
        bool press;
        int action;
        const char* control;
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
        {"another parameter swaps the roles",
         "kButton-Jump-1",
         false,
         {{true, 11, "Jump", false}, {false, 12, "Jump", true}, {true, 11, "Jump", false}}},
        {"a name with dashes", "kSwitch-Big-Jump-0", false, {{true, 11, "Jump", false}, {true, 11, "Big-Jump", true}}},
        {"activate on release: only the release starts, and it runs on",
         "kButton-Jump-0",
         true,
         {{true, 11, "Jump", false}, {false, 12, "Jump", true}, {true, 11, "Jump", true}, {false, 12, "Jump", true}}},
        {"another control or none", "kButton-Jump-0", false, {{true, 11, "Fire", false}, {true, 11, "", false}}},
        {"swipe 2 is action 15", "kSwipe-Pad-2", false, {{true, 13, "Pad", false}, {true, 15, "Pad", true}}},
        {"swipe without a direction", "kSwipe-Pad", false, {{true, 13, "Pad", false}, {true, 16, "Pad", false}}},
        {"an unknown kind", "kTap-Jump-0", false, {{true, 11, "Jump", false}, {false, 12, "Jump", false}}},
        {"a whole-string kind with more", "kEventStart-Jump-0", false, {{true, 11, "Jump", false}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = moveModel(row.event);
        model->activateOnReleaseAttribute()->setValue(row.onRelease, true);
        QVPObjectAsset* object = owner({model});
        const bool swipe = std::string(row.event).rfind("kSwipe", 0) == 0;
        for (const Step& step : row.steps) {
            cocos2d::CCNode* source = nullptr;
            if (*step.control)
                source = swipe ? control<QVModelObjectSwipeControl>(step.control) : control(step.control);
            step.press ? press(step.action, source) : release(step.action, source);
            frames(object, 1);
            EXPECT_EQ(moveOf(object)->isActive(), step.active) << step.action << " " << step.control;
            EXPECT_EQ(object->isControllable(), !step.active);
        }
        QVPInputController::destroy();
    }
    // A plain button of the right name is not an on-screen control.
    QVPObjectAsset* object = owner({moveModel("kButton-Jump-0")});
    press(11, control<QVModelObjectButton>("Jump"));
    frames(object, 1);
    EXPECT_FALSE(moveOf(object)->isActive());
}

TEST_F(Move, VelocityWhileOn) {
    struct Row {
        const char* name;
        const char* operation;
        float x;
        bool yEmpty;
        float expectX;
    };
    const Row rows[] = {
        {"replace both axes", "", 3, false, 3},
        {"an empty y keeps gravity", "", 3, true, 3},
        {"kAdd adds to the start velocity", "kAdd", 3, true, 4},
        {"kMultiply is applied once, then held", "kMultiply", 2, true, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = moveModel("kEventStart");
        // An animation without a shape keeps the body's fixture and mass.
        model->animationAttribute()->setModel(framesAnimation(2));
        model->mathematicalOperationAttribute()->setValue(row.operation, true);
        setPoint(model->linearVelocityAttribute(), row.x, 0.0f, row.yEmpty);
        QVPObjectAsset* object = owner({model});
        physics::setLinearVelocity(object->getBody(), b2Vec2(1, 0));
        frames(object, 30);
        EXPECT_FLOAT_EQ(velocityOf(object).x, row.expectX);
        // Set before each step; gravity acts within it.
        if (row.yEmpty) {
            EXPECT_LT(velocityOf(object).y, -3.0f);
        } else {
            EXPECT_GT(velocityOf(object).y, -0.5f);
        }
    }
}

TEST_F(Move, TimeoutStopsAndZeroNeverDoes) {
    for (const float timeout : {0.0f, 0.5f}) {
        SCOPED_TRACE(timeout);
        QVPObjectAsset* object = owner({moveModel("kEventStart", timeout)});
        int last = 0;
        for (int frame = 1; frame <= 600; ++frame) {
            frames(object, 1);
            if (moveOf(object)->isActive()) last = frame;
        }
        EXPECT_NEAR(last, timeout > 0 ? 31 : 600, 1);
    }
}

// Starting one move stops the owner's other one in the same update; a
// running iso-jump holds a start back until it lands.
TEST_F(Move, OneMoveAtATimeAndNoneDuringAJump) {
    auto jump = std::make_shared<QVModelComponentIsoJump>("Jump");
    jump->eventAttribute()->setValue("kButton-Hop-0", true);
    jump->animationAttribute()->setModel(framesAnimation(3));
    jump->jumpDurationAttribute()->setValue(0.25f, true);
    jump->jumpGravityAttribute()->setValue(CCPoint(), true);
    QVPObjectAsset* object = owner({moveModel("kButton-A-0"), moveModel("kButton-B-0"), jump});
    press(11, control("A"));
    frames(object, 1);
    press(11, control("B"));
    frames(object, 1);
    EXPECT_FALSE(moveOf(object, 0)->isActive());
    EXPECT_TRUE(moveOf(object, 1)->isActive());

    release(12, control("B"));
    press(11, control("Hop"));
    frames(object, 2);
    press(11, control("A"));
    int waited = 0;
    for (; !moveOf(object, 0)->isActive() && waited < 60; ++waited) frames(object, 1);
    EXPECT_NEAR(waited, 16, 2);
}

TEST_F(Move, ContactFilterOfAffectedAsset) {
    auto target = fieldfixtures::obstacleAsset("Target", 10, 10);
    const uint32_t unit = QVPObject::kTypeUnit;
    const uint32_t character = QVPObject::kTypeCharacter;
    struct Row {
        const char* name;
        std::string affected;
        uint32_t otherFlags;
        bool otherIsTarget;
        bool starts;
    };
    const Row rows[] = {
        {"-1 takes a unit", "-1", unit, false, true},
        {"-1 ignores a powerup", "-1", QVPObject::kTypePowerup, false, false},
        {"-2 takes a character", "-2", character, false, true},
        {"-2 ignores a unit", "-2", unit, false, false},
        {"-3 takes a unit", "-3", unit, false, true},
        {"-3 ignores a character", "-3", character, false, false},
        {"an id takes its asset", std::to_string(target->id()), unit, true, true},
        {"an id ignores another asset", std::to_string(target->id()), unit, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = moveModel("kEventCollision");
        model->affectedAssetAttribute()->setValue(row.affected, true);
        QVPObjectAsset* object = owner({model});
        QVPObjectAsset* other = owner({}, row.otherFlags, "kCharacterCollision",
                                      row.otherIsTarget ? target : fieldfixtures::obstacleAsset("Other", 10, 10), true);
        object->beginContact(other, nullptr, false);
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
    frames(owner({model}), 1);
    EXPECT_EQ(switchState(on), std::optional<bool>(false));
    EXPECT_EQ(switchState(off), std::optional<bool>(true));
}

// A rebuilt object goes on at the velocity its body was given.
TEST_F(Move, CopiedStateKeepsVelocity) {
    QVPObjectAsset* before = owner({moveModel("kEventStart")});
    frames(before, 1);
    QVPObjectAsset* after = owner({moveModel("kButton-Jump-0")});
    physics::setLinearVelocity(after->getBody(), b2Vec2(-1.0f, 2.0f));
    after->copyComponentStates(before);
    EXPECT_TRUE(moveOf(after)->isActive());
    EXPECT_FLOAT_EQ(moveOf(after)->targetVelocity().x, -1.0f);
    EXPECT_FLOAT_EQ(moveOf(after)->targetVelocity().y, 2.0f);
}

TEST_F(Move, OwnerDeathSwitchesItOff) {
    auto model = moveModel("kButton-Jump-0");
    model->animationAttribute()->setModel(framesAnimation(2));
    QVPObjectAsset* object = owner({model});
    press(11, control("Jump"));
    frames(object, 1);
    ASSERT_EQ(object->currentAnimation(), moveOf(object)->animation());
    object->setState(QVPObject::kStateDying);
    EXPECT_FALSE(moveOf(object)->isActive());
    EXPECT_TRUE(object->isControllable());
    EXPECT_EQ(object->currentPriority(), -1);
    release(12, control("Jump"));
    press(11, control("Jump"));
    frames(object, 1);
    EXPECT_FALSE(moveOf(object)->isActive());
}

class Motor : public componentstest::ComponentsTest {};

// (5, 0) keeps the vertical velocity, a zero angle stops rotation, every
// press of any control multiplies by (2, 1) again, and so does a contact
// with a unit of the "Affected asset", and only that.
TEST_F(Motor, VelocityAndMultipliers) {
    auto target = fieldfixtures::obstacleAsset("Target", 10, 10);
    const auto motor = [&](const char* event) {
        auto model = std::make_shared<QVModelComponentMotor>("Motor");
        model->eventAttribute()->setValue(event, true);
        model->linearVelocityAttribute()->setValue(CCPoint(5, 0), true);
        model->linearMultiplierAttribute()->setValue(CCPoint(2, 1), true);
        model->affectedAssetAttribute()->setValue(std::to_string(target->id()), true);
        return owner({model});
    };
    QVPObjectAsset* button = motor("kEventButton");
    button->getBody()->SetAngularVelocity(3.0f);
    frames(button, 30);
    EXPECT_FLOAT_EQ(velocityOf(button).x, 5.0f);
    EXPECT_LT(velocityOf(button).y, -3.0f);
    EXPECT_FLOAT_EQ(button->getBody()->GetAngularVelocity(), 0.0f);
    press(11, control("Anything"));
    press(11, nullptr);
    frames(button, 1);
    EXPECT_FLOAT_EQ(velocityOf(button).x, 20.0f);

    QVPObjectAsset* touched = motor("kEventCollision");
    touched->beginContact(owner({}, QVPObject::kTypeCharacter, "kCharacterCollision", target, true), nullptr, false);
    touched->beginContact(nullptr, nullptr, false);
    frames(touched, 1);
    EXPECT_FLOAT_EQ(velocityOf(touched).x, 5.0f);
    touched->beginContact(owner({}, QVPObject::kTypeUnit, "kCharacterCollision", target, true), nullptr, false);
    frames(touched, 1);
    EXPECT_FLOAT_EQ(velocityOf(touched).x, 10.0f);

    LogCapture log;
    QVComponent::create(button->components().at(0)->getModel())->release();
    EXPECT_TRUE(LogCapture::has("[QVComponentMotor] deallocate"));
}

}  // namespace
