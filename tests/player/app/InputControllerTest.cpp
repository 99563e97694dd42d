// The input controller: what actions do to characters, joints, bound objects
// and subscribers, its key, keypad and gamepad tables, and who owns it when
// a new one takes over, also from inside its own calls.
#include <gtest/gtest.h>

#include <algorithm>

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
    QVPInputController* controller = QVPInputController::shared();
};

// An object bound to an action; `onPress` runs inside its call.
class Bound : public QVPObjectAsset {
public:
    Bound(Calls* calls, std::string name) : QVPObjectAsset(nullptr), m_calls(calls), m_name(std::move(name)) {}
    void setActionPressed(bool pressed) override {
        m_calls->push_back(m_name + (pressed ? " pressed" : " released"));
        if (onPress) onPress();
    }
    std::function<void()> onPress;

private:
    Calls* m_calls;
    std::string m_name;
};

// An object with a body of its own.
class BodyObject : public QVPObject {
public:
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

int count(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace

TEST_F(InputController, ActionsReachOnlyLiveCharacters) {
    Character* alive = Character::make(&calls, "a");
    Character* dying = Character::make(&calls, "d");
    dying->QVPObjectAssetCharacter::setState(QVPObject::kStateDying);
    controller->addCharacter(alive);
    controller->addCharacter(dying);
    calls.clear();

    // Each row presses, then releases; left and right cancel.
    const struct {
        int action;
        Calls pressed, released;
    } rows[] = {{4, {"a direction -1,0"}, {"a direction 0,0"}},
                {5, {"a jump"}, {"a releaseJump"}},
                {6, {"a startRotateLeft"}, {"a stopRotateLeft"}},
                {7, {"a startRotateRight"}, {"a stopRotateRight"}},
                {8, {"a shoot on"}, {"a shoot off"}},
                {11, {}, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.action);
        calls.clear();
        controller->actionPressed(row.action, nullptr);
        EXPECT_EQ(calls, row.pressed);
        calls.clear();
        controller->actionReleased(row.action, nullptr);
        EXPECT_EQ(calls, row.released);
    }
    controller->actionPressed(4, nullptr);
    controller->actionPressed(3, nullptr);
    calls.clear();
    controller->actionReleased(3, nullptr);
    EXPECT_EQ(calls, Calls{"a direction -1,0"});

    calls.clear();
    controller->setJoystickVector(0.5f, -1.0f);
    controller->killAllCharacters();
    EXPECT_EQ(calls, (Calls{"a move 0.5,-1", "d move 0.5,-1", "a clearPowerups", "a state 4", "d clearPowerups",
                            "d state 4"}));
    EXPECT_FALSE(controller->hasLiveCharacters());
}

TEST_F(InputController, PositionsOfCharactersAndOfTheInitSections) {
    Character* a = Character::make(&calls, "a");
    Character* b = Character::make(&calls, "b");
    a->setPosition(CCPoint(10, 20));
    b->setPosition(CCPoint(30, 40));
    EXPECT_TRUE(controller->hasLiveCharacters());  // none added yet
    controller->addCharacter(a);
    controller->addCharacter(b);
    EXPECT_EQ(controller->charactersPosition(), CCPoint(20, 30));
    b->QVPObjectAssetCharacter::setState(QVPObject::kStateFinished);
    EXPECT_EQ(controller->charactersPosition(), CCPoint(10, 20));
    a->QVPObjectAssetCharacter::setState(QVPObject::kStateDying);
    a->setPosition(CCPoint(500, 500));
    EXPECT_EQ(controller->charactersPosition(), CCPoint(10, 20));  // the last one

    // Only characters of "Init Section" sections count.
    auto section = [](bool init, std::initializer_list<CCPoint> characters, bool withUnit) {
        auto s = QVModelLevelSection::create();
        QVModelController::shared()->addModel(s);
        attributeCast<QVAttributeBool>(s->attribute("Init Section"))->setValue(init);
        for (const CCPoint& p : characters) {
            auto c = QVModelObjectAssetCharacter::create();
            c->setPosition(p);
            s->addChild(c);
        }
        if (withUnit) {
            auto unit = QVModelObjectAssetUnit::create();
            unit->setPosition(CCPoint(1000, 1000));
            s->addChild(unit);
        }
    };
    EXPECT_EQ(QVPInputController::startPosition(), CCPoint(0, 0));
    section(false, {CCPoint(-500, -500)}, false);
    section(true, {CCPoint(0, 10), CCPoint(20, 30)}, true);
    section(true, {CCPoint(40, 50)}, false);
    EXPECT_EQ(QVPInputController::startPosition(), CCPoint(20, 30));
}

// Two sources hold up; one release lets go of both. While disabled a press
// does nothing, but a release still undoes what was held (nothing else).
TEST_F(InputController, ReleasesUndoHeldActionsAlsoWhileDisabled) {
    Character* c = Character::make(&calls);
    controller->addCharacter(c);
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

    const struct {
        int action;
        bool press;
        float speed;
    } rows[] = {{9, true, -3}, {10, true, 0}, {9, false, 3}, {10, false, 0}, {10, true, 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.action) + (row.press ? " press" : " release"));
        row.press ? controller->actionPressed(row.action, nullptr) : controller->actionReleased(row.action, nullptr);
        EXPECT_FLOAT_EQ(joint->GetMotorSpeed(), row.speed);
        EXPECT_FLOAT_EQ(otherJoint->GetMotorSpeed(), row.speed);
    }

    BodyObject wheelObject(wheel), bodiless(nullptr);
    controller->removeMotorJointsOf({&bodiless, &wheelObject, nullptr});
    controller->actionReleased(10, nullptr);
    EXPECT_FLOAT_EQ(joint->GetMotorSpeed(), 3.0f);  // no longer driven
    EXPECT_FLOAT_EQ(otherJoint->GetMotorSpeed(), 0.0f);
}

TEST_F(InputController, BoundObjectsMayUnbindDuringTheirCall) {
    Bound first(&calls, "first"), second(&calls, "second"), third(&calls, "third");
    controller->registerActionObject(11, &first);
    controller->registerActionObject(11, &second);
    controller->registerActionObject(11, &third);
    first.onPress = [&] { controller->unregisterActionObject(&first); };
    second.onPress = [&] { controller->unregisterActionObject(&third); };
    controller->actionPressed(11, nullptr);
    EXPECT_EQ(calls, (Calls{"first pressed", "second pressed"}));
    calls.clear();
    controller->actionReleased(11, nullptr);
    EXPECT_EQ(calls, Calls{"second released"});
}

TEST_F(InputController, SubscriberFilters) {
    Recorder filtered(&calls, "7"), any(&calls, "any");
    controller->subscribeAction(12, &filtered, callfuncO_selector(Recorder::onAction), 7);
    controller->subscribeAction(12, &any, callfuncO_selector(Recorder::onAction), 0);
    CCNode* seven = sourceWithModel(7);
    CCNode* eight = sourceWithModel(8);
    CCNode* modelless = CCNode::create();

    const struct {
        const char* name;
        std::function<void()> call;
        Calls expected;
    } rows[] = {
        {"press from 7", [&] { controller->actionPressed(12, seven); }, {"7 from source", "any from source"}},
        {"release from 7", [&] { controller->actionReleased(12, seven); }, {"7 from source", "any from source"}},
        {"press from null", [&] { controller->actionPressed(12, nullptr); }, {"7 from null", "any from null"}},
        {"press from 8", [&] { controller->actionPressed(12, eight); }, {"any from source"}},
        {"press from a node without model", [&] { controller->actionPressed(12, modelless); }, {"any from source"}},
        {"notify 0", [&] { controller->notifyAction(eight, 12, 0); }, {"7 from source", "any from source"}},
        {"notify 7", [&] { controller->notifyAction(eight, 12, 7); }, {"7 from source", "any from source"}},
        {"notify 8", [&] { controller->notifyAction(seven, 12, 8); }, {"any from source"}},
        {"notify another action", [&] { controller->notifyAction(seven, 13, 0); }, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        calls.clear();
        row.call();
        EXPECT_EQ(calls, row.expected);
    }
    controller->unsubscribeAction(&filtered);
    controller->unsubscribeAction(&any);
}

// A callback that unsubscribes and deletes a later subscriber (ASan); a
// double subscription goes completely.
TEST_F(InputController, UnsubscribedTargetsAreNeverCalled) {
    LogCapture log;
    Recorder first(&calls, "first");
    auto* later = new Recorder(&calls, "later");
    controller->subscribeAction(11, &first, callfuncO_selector(Recorder::onAction), 0);
    controller->subscribeAction(11, later, callfuncO_selector(Recorder::onAction), 0);
    controller->subscribeAction(11, later, callfuncO_selector(Recorder::onAction), 0);
    first.then = [&] {
        if (!later) return;
        controller->unsubscribeAction(later);
        later->release();
        later = nullptr;
    };
    controller->actionPressed(11, nullptr);
    EXPECT_EQ(calls, Calls{"first from null"});
    EXPECT_EQ(count(log.all(), "action unsubscribed"), 2);

    Recorder twice(&calls, "twice");
    controller->subscribeAction(11, &twice, callfuncO_selector(Recorder::onAction), 0);
    controller->subscribeAction(12, &twice, callfuncO_selector(Recorder::onAction), 0);
    controller->subscribeAction(11, &twice, callfuncO_selector(Recorder::onAction), 0);
    controller->unsubscribeAction(&twice);
    EXPECT_EQ(count(log.all(), "action unsubscribed"), 5);
    calls.clear();
    controller->notifyAction(nullptr, 11, 0);
    controller->notifyAction(nullptr, 12, 0);
    EXPECT_EQ(calls, Calls{"first from null"});
    controller->unsubscribeAction(&first);
}

TEST_F(InputController, KeyCodesKeypadAndGamepadTables) {
    Screen* screen = Screen::make(&calls, "screen");
    run(screen);
    // One subscriber per action, named by it.
    std::vector<std::unique_ptr<Recorder>> recorders;
    for (int action = 1; action <= 10; ++action) {
        recorders.push_back(std::make_unique<Recorder>(&calls, std::to_string(action)));
        controller->subscribeAction(action, recorders.back().get(), callfuncO_selector(Recorder::onAction), 0);
    }
    // Every code gives at most one call ("" none).
    const std::pair<int, const char*> codes[] = {{1, "4 from null"},
                                                 {2, "3 from null"},
                                                 {3, "1 from null"},
                                                 {4, "2 from null"},
                                                 {5, "8 from null"},
                                                 {6, "5 from null"},
                                                 {7, "9 from null"},
                                                 {8, "10 from null"},
                                                 {9, "6 from null"},
                                                 {10, "7 from null"},
                                                 {0, ""},
                                                 {16, ""},
                                                 {11, "screen activate"},
                                                 {12, "screen highlight 12"},
                                                 {15, "screen highlight 15"}};
    for (const auto& [code, call] : codes) {
        SCOPED_TRACE("keyPressed " + std::to_string(code));
        calls.clear();
        controller->keyPressed(code);
        EXPECT_EQ(calls, *call ? Calls{call} : Calls{});
    }
    // The screen hears the key, then the controller's own reading.
    const std::pair<int, const char*> keyUps[] = {{4, "screen back"},
                                                  {97, "screen back"},
                                                  {19, "screen highlight 12"},
                                                  {20, "screen highlight 13"},
                                                  {21, "screen highlight 14"},
                                                  {22, "screen highlight 15"},
                                                  {23, "screen activate"},
                                                  {96, "screen activate"},
                                                  {99, "screen activate"},
                                                  {100, "screen activate"},
                                                  {5, ""}};
    for (const auto& [key, call] : keyUps) {
        SCOPED_TRACE("keyUp " + std::to_string(key));
        calls.clear();
        controller->keyUp(key);
        Calls expected{"screen keyUp " + std::to_string(key)};
        if (*call) expected.push_back(call);
        EXPECT_EQ(calls, expected);
    }
    const struct {
        int button;
        const char* action;
    } buttons[] = {{12, "1"}, {13, "3"}, {14, "2"}, {15, "4"}, {0, "5"}, {1, "8"}, {2, nullptr}, {11, nullptr}};
    for (const auto& row : buttons) {
        SCOPED_TRACE("gamepad button " + std::to_string(row.button));
        const std::string seen = row.action ? std::string(row.action) + " from null" : "";
        calls.clear();
        controller->gamepadButtonPressed(row.button);
        controller->gamepadButtonReleased(row.button);
        EXPECT_EQ(calls, (row.action ? Calls{seen, seen} : Calls{}));
    }
    for (const auto& recorder : recorders) controller->unsubscribeAction(recorder.get());

    Character* c = Character::make(&calls, "c");
    controller->addCharacter(c);
    const struct {
        int value, axis;
        Calls expected;
    } axes[] = {{8000, 1, {"c directionX 0"}},     {8192, 1, {"c directionX 0.25"}}, {-16384, 1, {"c directionX -0.5"}},
                {16384, 0, {"c directionY -0.5"}}, {-8191, 0, {"c directionY -0"}},  {32767, 2, {}}};
    for (const auto& row : axes) {
        SCOPED_TRACE("axis " + std::to_string(row.axis) + " value " + std::to_string(row.value));
        calls.clear();
        controller->gamepadAxisMoved(row.value, row.axis);
        EXPECT_EQ(calls, row.expected);
    }
}

// A screen that hears the keypad itself gets nothing forwarded; navigation
// and the key-up table still work through the controller.
TEST_F(InputController, NoForwardingToARegisteredScreen) {
    Screen* screen = Screen::make(&calls, "screen");
    run(screen);
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
    auto freed = [&] { return count(log.all(), "QVPInputController - deallocated"); };
    Screen* screen = Screen::make(&calls, "screen");
    run(screen);
    const unsigned int registered = keypad()->getDelegateCount();
    ASSERT_TRUE(keypad()->hasDelegate(controller));

    // The back key opens a world, whose scene makes its own controller.
    QVPInputController* owned = nullptr;
    screen->onBack = [&] { owned = new QVPInputController(); };
    keypad()->dispatchKeypadMSG(kTypeBackClicked);
    EXPECT_EQ(calls, Calls{"screen back"});
    EXPECT_EQ(freed(), 1);
    EXPECT_EQ(QVPInputController::current(), owned);
    EXPECT_EQ(keypad()->getDelegateCount(), registered);
    EXPECT_TRUE(keypad()->hasDelegate(owned));
    screen->onBack = nullptr;

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
