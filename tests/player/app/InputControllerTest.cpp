// The input controller: what actions do to characters, joints, bound objects
// and subscribers, its key, keypad and gamepad tables, and who owns it when
// a new one takes over, also from inside its own calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "../../engine/log/log_capture.h"
#include "input_test_support.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObjectAsset.h"
#include "physics/PhysicsGuard.h"
#include "player/ui/QVObjectModelHolder.h"

using namespace cocos2d;
using namespace inputtest;

namespace {

class InputController : public InputTest {
protected:
    Character* character(const char* name, float x = 0, float y = 0) {
        Character* made = autoreleased(new Character(&calls, name));
        made->setPosition(CCPoint(x, y));
        controller->addCharacter(made);
        return made;
    }
    QVPInputController* controller = QVPInputController::shared();
};

// An object bound to an action; `onPress` runs inside its call.
struct Bound : QVPObjectAsset, Named {
    Bound(Calls* calls, std::string name) : QVPObjectAsset(nullptr), Named{calls, std::move(name)} {}
    void setActionPressed(bool pressed) override {
        add(pressed ? "pressed" : "released");
        if (onPress) onPress();
    }
    std::function<void()> onPress;
};

struct BodyObject : QVPObject {
    explicit BodyObject(b2Body* body) : QVPObject(nullptr) { m_body = body; }
};

// A node whose model (id `id`) is reachable through its model holder.
CCNode* sourceWithModel(uint32_t id) {
    auto model = QVModelObjectButton::create();
    model->setId(id);
    CCNode* node = CCNode::create();
    node->setUserObject(QVObjectModelHolder::create(model));
    return node;
}

int count(const std::string& line) {
    return static_cast<int>(std::count(LogCapture::lines().begin(), LogCapture::lines().end(), line));
}

}  // namespace

TEST_F(InputController, ActionsReachOnlyLiveCharacters) {
    character("a");
    // Dying without the defeat sequence, which would finish it at once.
    character("d")->QVPObject::setState(QVPObject::kStateDying);
    // Each row presses, then releases.
    const std::pair<int, Calls> rows[] = {{4, {"a direction -1,0", "a direction 0,0"}},
                                          {5, {"a jump", "a releaseJump"}},
                                          {6, {"a startRotateLeft", "a stopRotateLeft"}},
                                          {7, {"a startRotateRight", "a stopRotateRight"}},
                                          {8, {"a shoot on", "a shoot off"}},
                                          {11, {}}};
    for (const auto& [action, expected] : rows) {
        SCOPED_TRACE(action);
        calls.clear();
        controller->actionPressed(action, nullptr);
        controller->actionReleased(action, nullptr);
        EXPECT_EQ(calls, expected);
    }
    // Left and right held cancel; releasing one gives the other.
    calls.clear();
    controller->actionPressed(4, nullptr);
    controller->actionPressed(3, nullptr);
    controller->actionReleased(3, nullptr);
    EXPECT_EQ(calls, (Calls{"a direction -1,0", "a direction 0,0", "a direction -1,0"}));

    calls.clear();
    controller->setJoystickVector(0.5f, -1.0f);
    controller->killAllCharacters();
    // The defeat stops "a" and, without a defeat animation, finishes it.
    EXPECT_EQ(calls, (Calls{"a move 0.5,-1", "d move 0.5,-1", "a clearPowerups", "a state 4", "a direction 0,0",
                            "a state 5", "d clearPowerups", "d state 4"}));
}

TEST_F(InputController, PositionsOfCharactersAndOfTheInitSections) {
    Character* a = character("a", 10, 20);
    Character* b = character("b", 30, 40);
    EXPECT_EQ(controller->charactersPosition(), CCPoint(20, 30));
    b->QVPObjectAssetCharacter::setState(QVPObject::kStateFinished);
    EXPECT_EQ(controller->charactersPosition(), CCPoint(10, 20));
    a->QVPObjectAssetCharacter::setState(QVPObject::kStateDying);
    a->setPosition(CCPoint(500, 500));
    EXPECT_EQ(controller->charactersPosition(), CCPoint(10, 20));  // the last one

    // Only characters of "Init Section" sections count.
    auto section = [](bool init, std::initializer_list<std::shared_ptr<QVModelObjectAsset>> objects) {
        auto made = QVModelLevelSection::create();
        QVModelController::shared()->addModel(made);
        attributeCast<QVAttributeBool>(made->attribute("Init Section"))->setValue(init);
        for (const auto& object : objects) made->addChild(object);
    };
    auto at = [](std::shared_ptr<QVModelObjectAsset> object, float x, float y) {
        object->setPosition(CCPoint(x, y));
        return object;
    };
    EXPECT_EQ(QVPInputController::startPosition(), CCPoint(0, 0));
    section(false, {at(QVModelObjectAssetCharacter::create(), -500, -500)});
    section(true, {at(QVModelObjectAssetCharacter::create(), 0, 10), at(QVModelObjectAssetCharacter::create(), 20, 30),
                   at(QVModelObjectAssetUnit::create(), 1000, 1000)});
    section(true, {at(QVModelObjectAssetCharacter::create(), 40, 50)});
    EXPECT_EQ(QVPInputController::startPosition(), CCPoint(20, 30));
}

// Two sources hold up; one release lets go of both. While disabled a press
// does nothing, but a release still undoes what was held (nothing else).
TEST_F(InputController, ReleasesUndoHeldActionsAlsoWhileDisabled) {
    character("c");
    Recorder recorder(&calls, "sub");
    controller->subscribeAction(1, &recorder, callfuncO_selector(Recorder::onAction), 0);
    Bound bound(&calls, "bound");
    controller->registerActionObject(1, &bound);

    controller->actionPressed(1, nullptr);
    controller->actionPressed(1, nullptr);
    EXPECT_EQ(controller->direction(), CCPoint(0, 2));
    controller->actionReleased(1, nullptr);
    EXPECT_EQ(controller->direction(), CCPoint(0, 0));

    controller->actionPressed(1, nullptr);
    controller->actionPressed(5, nullptr);
    controller->setEnabled(false);
    calls.clear();
    controller->actionPressed(4, nullptr);
    controller->actionPressed(8, nullptr);
    controller->keyPressed(1);
    EXPECT_EQ(controller->direction(), CCPoint(0, 1));
    EXPECT_TRUE(calls.empty());
    controller->actionReleased(1, nullptr);
    controller->actionReleased(5, nullptr);
    EXPECT_EQ(calls, (Calls{"c direction 0,0", "c releaseJump"}));
    EXPECT_EQ(controller->direction(), CCPoint(0, 0));
}

TEST_F(InputController, MotorActionsDriveRealJoints) {
    b2World world(b2Vec2(0, -10));
    b2BodyDef def;
    def.type = b2_dynamicBody;
    b2Body* ground = physics::createBody(&world, def);
    def.position.Set(1, 0);
    b2Body* wheel = physics::createBody(&world, def);
    def.position.Set(3, 0);
    b2Body* other = physics::createBody(&world, def);
    b2RevoluteJointDef jd;
    jd.Initialize(ground, wheel, b2Vec2(1, 0));
    jd.enableMotor = true;
    auto* joint = static_cast<b2RevoluteJoint*>(physics::createJoint(&world, jd));
    jd.Initialize(ground, other, b2Vec2(3, 0));
    auto* otherJoint = static_cast<b2RevoluteJoint*>(physics::createJoint(&world, jd));
    ASSERT_TRUE(joint && otherJoint);
    auto linker = QVModelLinker::create();
    attributeCast<QVAttributeFloat>(linker->attribute("Speed"))->setValue(3.0f);
    controller->addMotorJoint(joint, linker);
    controller->addMotorJoint(otherJoint, linker);

    // Action, pressed (else released), the speed both joints then have.
    const std::tuple<int, bool, float> rows[] = {
        {9, true, -3}, {10, true, 0}, {9, false, 3}, {10, false, 0}, {10, true, 3}};
    for (const auto& [action, press, speed] : rows) {
        SCOPED_TRACE(std::to_string(action) + (press ? " press" : " release"));
        press ? controller->actionPressed(action, nullptr) : controller->actionReleased(action, nullptr);
        EXPECT_FLOAT_EQ(joint->GetMotorSpeed(), speed);
        EXPECT_FLOAT_EQ(otherJoint->GetMotorSpeed(), speed);
    }

    BodyObject wheelObject(wheel), bodiless(nullptr);
    controller->removeMotorJointsOf({&bodiless, &wheelObject, nullptr});
    controller->actionReleased(10, nullptr);
    EXPECT_FLOAT_EQ(joint->GetMotorSpeed(), 3.0f);  // no longer driven
    EXPECT_FLOAT_EQ(otherJoint->GetMotorSpeed(), 0.0f);
}

TEST_F(InputController, BoundObjectsMayUnbindDuringTheirCall) {
    Bound first(&calls, "first"), second(&calls, "second"), third(&calls, "third");
    for (Bound* bound : {&first, &second, &third}) controller->registerActionObject(11, bound);
    first.onPress = [&] { controller->unregisterActionObject(&first); };
    second.onPress = [&] { controller->unregisterActionObject(&third); };
    controller->actionPressed(11, nullptr);
    controller->actionReleased(11, nullptr);
    EXPECT_EQ(calls, (Calls{"first pressed", "second pressed", "second released"}));
}

TEST_F(InputController, SubscriberFilters) {
    Recorder filtered(&calls, "7"), any(&calls, "any");
    controller->subscribeAction(12, &filtered, callfuncO_selector(Recorder::onAction), 7);
    controller->subscribeAction(12, &any, callfuncO_selector(Recorder::onAction), 0);
    CCNode* seven = sourceWithModel(7);
    CCNode* eight = sourceWithModel(8);
    CCNode* modelless = CCNode::create();
    const Calls both{"7 from source", "any from source"}, onlyAny{"any from source"};
    const struct {
        const char* name;
        std::function<void()> call;
        Calls expected;
    } rows[] = {
        {"press from 7", [&] { controller->actionPressed(12, seven); }, both},
        {"release from 7", [&] { controller->actionReleased(12, seven); }, both},
        {"press from null", [&] { controller->actionPressed(12, nullptr); }, {"7 from null", "any from null"}},
        {"press from 8", [&] { controller->actionPressed(12, eight); }, onlyAny},
        {"press from a node without model", [&] { controller->actionPressed(12, modelless); }, onlyAny},
        {"notify 0", [&] { controller->notifyAction(eight, 12, 0); }, both},
        {"notify 7", [&] { controller->notifyAction(eight, 12, 7); }, both},
        {"notify 8", [&] { controller->notifyAction(seven, 12, 8); }, onlyAny},
        {"notify another action", [&] { controller->notifyAction(seven, 13, 0); }, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(after(row.call), row.expected);
    }
    controller->unsubscribeAction(&filtered);
    controller->unsubscribeAction(&any);
}

// A callback that unsubscribes and deletes a later subscriber (ASan); a
// double subscription goes completely.
TEST_F(InputController, UnsubscribedTargetsAreNeverCalled) {
    LogCapture log;
    Recorder first(&calls, "first"), twice(&calls, "twice");
    auto* later = new Recorder(&calls, "later");
    for (Recorder* target : {&first, later, later}) {
        controller->subscribeAction(11, target, callfuncO_selector(Recorder::onAction), 0);
    }
    first.then = [&] {
        if (!later) return;
        controller->unsubscribeAction(later);
        later->release();
        later = nullptr;
    };
    controller->actionPressed(11, nullptr);
    EXPECT_EQ(calls, Calls{"first from null"});
    EXPECT_EQ(count("action unsubscribed"), 2);

    for (int action : {11, 12, 11}) {
        controller->subscribeAction(action, &twice, callfuncO_selector(Recorder::onAction), 0);
    }
    controller->unsubscribeAction(&twice);
    EXPECT_EQ(count("action unsubscribed"), 5);
    calls.clear();
    controller->notifyAction(nullptr, 11, 0);
    controller->notifyAction(nullptr, 12, 0);
    EXPECT_EQ(calls, Calls{"first from null"});
    controller->unsubscribeAction(&first);
}

TEST_F(InputController, KeyCodesKeypadAndGamepadTables) {
    runScreen("screen");
    ActionRecorders actions(&calls);
    // keyPressed: codes 1-10 reach these actions, 11-15 the screen, 0 and 16 nothing.
    const int actionOf[] = {0, 4, 3, 1, 2, 8, 5, 9, 10, 6, 7};
    const std::pair<int, const char*> toScreen[] = {
        {11, "activate"}, {12, "highlight 12"}, {13, "highlight 13"}, {14, "highlight 14"}, {15, "highlight 15"}};
    for (int code = 0; code <= 16; ++code) {
        SCOPED_TRACE("keyPressed " + std::to_string(code));
        Calls expected;
        if (code > 0 && code <= 10) expected = {"action " + std::to_string(actionOf[code]) + " from null"};
        for (const auto& [screenCode, call] : toScreen) {
            if (screenCode == code) expected = {std::string("screen ") + call};
        }
        EXPECT_EQ(after([&] { controller->keyPressed(code); }), expected);
    }
    // The screen hears the key, then the controller's own reading.
    const std::pair<int, const char*> keyUps[] = {{4, "back"},          {97, "back"},         {19, "highlight 12"},
                                                  {20, "highlight 13"}, {21, "highlight 14"}, {22, "highlight 15"},
                                                  {23, "activate"},     {96, "activate"},     {99, "activate"},
                                                  {100, "activate"},    {5, nullptr}};
    for (const auto& [key, call] : keyUps) {
        SCOPED_TRACE("keyUp " + std::to_string(key));
        Calls expected{"screen keyUp " + std::to_string(key)};
        if (call) expected.push_back(std::string("screen ") + call);
        EXPECT_EQ(after([&, key = key] { controller->keyUp(key); }), expected);
    }
    const std::pair<int, int> buttons[] = {{12, 1}, {13, 3}, {14, 2}, {15, 4}, {0, 5}, {1, 8}, {2, 0}, {11, 0}};
    for (const auto& [button, action] : buttons) {
        SCOPED_TRACE("gamepad button " + std::to_string(button));
        const std::string seen = "action " + std::to_string(action) + " from null";
        calls.clear();
        controller->gamepadButtonPressed(button);
        controller->gamepadButtonReleased(button);
        EXPECT_EQ(calls, (action ? Calls{seen, seen} : Calls{}));
    }

    character("c");
    const std::tuple<int, int, const char*> axes[] = {{8000, 1, "directionX 0"},      {8192, 1, "directionX 0.25"},
                                                      {-16384, 1, "directionX -0.5"}, {16384, 0, "directionY -0.5"},
                                                      {-8191, 0, "directionY -0"},    {32767, 2, nullptr}};
    for (const auto& [value, axis, call] : axes) {
        SCOPED_TRACE("axis " + std::to_string(axis) + " value " + std::to_string(value));
        const Calls expected = call ? Calls{std::string("c ") + call} : Calls{};
        EXPECT_EQ(after([&, value = value, axis = axis] { controller->gamepadAxisMoved(value, axis); }), expected);
    }
}

// A screen that hears the keypad itself gets nothing forwarded; navigation
// and the key-up table still work through the controller.
TEST_F(InputController, NoForwardingToARegisteredScreen) {
    Screen* screen = runScreen("screen");
    keypad()->addDelegate(screen);
    controller->keyDown(20);
    controller->keyUp(20);
    controller->keyBackClicked();
    EXPECT_EQ(calls, Calls{"screen highlight 13"});
    keypad()->removeDelegate(screen);
    calls.clear();
    controller->setEnabled(false);
    controller->keyUp(4);
    keypad()->dispatchKeypadMSG(kTypeBackClicked);
    EXPECT_TRUE(calls.empty());
}

// The slot owns what shared() made: a takeover from inside its own back-key
// call frees it once the dispatch lets go. One delegate stays registered.
TEST_F(InputController, TakeoversKeepOneRegistrationAndFreeTheSlotsInstance) {
    LogCapture log;
    auto freed = [] { return count("QVPInputController - deallocated"); };
    Screen* screen = runScreen("screen");
    const unsigned int registered = keypad()->getDelegateCount();
    ASSERT_TRUE(keypad()->hasDelegate(controller));

    // The back key opens a world, whose scene makes its own controller.
    QVPInputController* owned = nullptr;
    screen->onBack = [&] { owned = new QVPInputController(); };
    keypad()->dispatchKeypadMSG(kTypeBackClicked);
    screen->onBack = nullptr;
    EXPECT_EQ(calls, Calls{"screen back"});
    EXPECT_EQ(freed(), 1);
    EXPECT_EQ(QVPInputController::current(), owned);
    EXPECT_EQ(keypad()->getDelegateCount(), registered);
    EXPECT_TRUE(keypad()->hasDelegate(owned));

    // One a scene owns is only displaced; its owner frees it.
    QVPInputController::destroy();
    EXPECT_EQ(freed(), 1);
    EXPECT_FALSE(keypad()->hasDelegate(owned));
    EXPECT_EQ(QVPInputController::current(), nullptr);
    QVPInputController* next = QVPInputController::shared();
    owned->release();
    EXPECT_EQ(freed(), 2);
    EXPECT_EQ(QVPInputController::current(), next);
    EXPECT_EQ(keypad()->getDelegateCount(), registered);

    QVPInputController::destroy();
    EXPECT_EQ(freed(), 3);
    EXPECT_EQ(QVPInputController::current(), nullptr);
    EXPECT_EQ(keypad()->getDelegateCount(), registered - 1);
    calls.clear();
    keypad()->dispatchKeypadMSG(kTypeBackClicked);
    EXPECT_TRUE(calls.empty());
}
