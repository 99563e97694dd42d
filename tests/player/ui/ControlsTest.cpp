// On-screen controls: the joystick's directions and vectors, the
// accelerometer fed by input-script lines, the swipe window, which touches
// the controls claim, what screens build and drop, and a world steered by
// them.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../app/input_test_support.h"
#include "../screens/screens_test_support.h"
#include "input/CCAccelerometer.h"
#include "input/CCTouchDispatcher.h"
#include "input/InputScript.h"
#include "input/TouchInput.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "platform/RandomAndClock.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "player/ui/QVObjectModelHolder.h"
#include "player/ui/QVPObjectManipulator.h"
#include "player/ui/QVPObjectSwipeControl.h"

using namespace uitest;
using cocos2d::CCPoint;
using inputtest::Calls;
using inputtest::num;

namespace {

// A handler below the controls (priority 1) that takes every touch offered.
struct LowerHandler : cocos2d::CCTouchDelegate {
    LowerHandler() { cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->addTargetedDelegate(this, 1, true); }
    ~LowerHandler() override { cocos2d::CCDirector::sharedDirector()->getTouchDispatcher()->removeDelegate(this); }
    bool ccTouchBegan(cocos2d::CCTouch*, cocos2d::CCEvent*) override { return ++began, true; }
    int began = 0;
};

class Controls : public screentest::ScreenTest {
protected:
    Controls() {
        auto* settings = QVModelGeneralSettings::shared().get();
        attr<QVAttributeSize>(*settings, "Design Size")->setValue(cocos2d::CCSize(1136, 640));
        compat::setClockForTest([this] { return now; });
    }
    // An empty HUD running, a recording character, recorders of the swipe
    // actions 13-16.
    void openHud() {
        hud = QVPScreenUi::create();
        run(hud);
        character = inputtest::autoreleased(new inputtest::Character(&calls, "c"));
        QVPInputController::shared()->addCharacter(character);
        for (int action = 13; action <= 16; ++action) {
            swipes.push_back(std::make_unique<inputtest::Recorder>(&calls, std::to_string(action)));
            QVPInputController::shared()->subscribeAction(action, swipes.back().get(),
                                                          callfuncO_selector(inputtest::Recorder::onAction), 0);
        }
    }
    ~Controls() override {
        for (const auto& recorder : swipes) QVPInputController::shared()->unsubscribeAction(recorder.get());
        cocos2d::InputScriptPlayer::sharedPlayer()->unload();
        cocos2d::TouchInput::sharedTouchInput()->reset();
        QVPObjectAccelerometer::destroyShared();
        compat::setClockForTest({});
        QVModelGeneralSettings::reset();
    }

    static std::shared_ptr<QVModelObjectManipulator> stick(const std::string& style, float sensitivity,
                                                           float rotation = 0.0f) {
        auto model = registered<QVModelObjectManipulator>();
        model->setPosition(CCPoint(200, 200));
        attr(*model, "Sensitivity")->setValue(sensitivity);
        attr(*model, "Rotation")->setValue(rotation);
        setText(*model, "Control Style", style);
        return model;
    }
    static std::shared_ptr<QVModelObjectSwipeControl> swipeArea(const CCPoint& position = CCPoint(900, 400)) {
        auto model = registered<QVModelObjectSwipeControl>();
        model->setPosition(position);
        return model;
    }
    template <class Control>
    Control* place(Control* control) {
        hud->uiContainer()->addChild(control);
        return control;
    }
    // Plays input-script lines (window pixels, y down; the headless window
    // is the 1136 x 640 design area) through the engine's targets; the
    // clock stands at `secondsPerFrame` times the frame number. Returns what
    // the stand-ins were asked.
    // With `eachFrame`, it runs after each frame's events.
    Calls play(const std::string& script, double secondsPerFrame = 1.0 / 60.0, unsigned frames = 8,
               const std::function<void()>& eachFrame = {}) {
        calls.clear();
        auto* player = cocos2d::InputScriptPlayer::sharedPlayer();
        EXPECT_TRUE(player->loadText(script));
        for (unsigned frame = 1; frame <= frames; ++frame) {
            now = static_cast<int64_t>(frame * secondsPerFrame * 1e7);
            player->deliverFrame(frame);
            if (eachFrame) eachFrame();
        }
        player->unload();
        return calls;
    }

    QVPScreenUi* hud = nullptr;
    inputtest::Character* character = nullptr;
    std::vector<std::unique_ptr<inputtest::Recorder>> swipes;
    Calls calls;
    int64_t now = 0;
};

// Script lines of one finger: down at window pixel `at`, then a move to
// each offset from it, then up where it last was.
std::string drag(CCPoint at, const std::vector<CCPoint>& moves) {
    const auto line = [](int frame, const char* what, CCPoint p) {
        return std::to_string(frame) + " touch " + what + " " + num(p.x) + " " + num(p.y) + "\n";
    };
    std::string script = line(1, "down", at);
    CCPoint last = at;
    for (size_t i = 0; i < moves.size(); ++i) script += line(int(i) + 2, "move", last = at + moves[i]);
    return script + line(int(moves.size()) + 2, "up", last);
}

// The stick's centre (200, 200) is window pixel (200, 440); view y grows
// downwards.
TEST_F(Controls, JoystickSteersByStyle) {
    openHud();
    struct Row {
        const char* name;
        const char* style;
        float sensitivity, rotation;
        std::vector<CCPoint> moves;
        Calls expected;
    };
    const Row rows[] = {
        {"relative: 50 right, 20 up", "", 2, 0, {{50, -20}}, {"c direction 1,0.4", "c direction 0,0"}},
        // The turn counts 0.0174533 radians per degree.
        {"relative, turned by 90", "", 2, 90, {{50, -20}}, {"c direction -0.400001,1", "c direction 0,0"}},
        {"relative, from the start",
         "",
         1,
         0,
         {{10, 0}, {20, 0}},
         {"c direction 0.1,0", "c direction 0.2,0", "c direction 0,0"}},
        {"absolute, from the last move",
         "kControlStyleAbsolute",
         1,
         0,
         {{5, 0}, {15, 0}},
         {"c move 0.5,0", "c move 1,0", "c direction 0,0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto* joystick = place(QVPObjectButtonJoystick::create(stick(row.style, row.sensitivity, row.rotation)));
        EXPECT_EQ(play(drag(CCPoint(200, 440), row.moves)), row.expected);
        joystick->removeFromParent();
    }
}

TEST_F(Controls, AccelerometerFollowsScriptLines) {
    openHud();
    struct Row {
        const char* name;
        const char *type, *style, *axes;  // no model when type is null
        float sensitivity;
        int orientation;
        const char* accel;
        Calls expected;  // then the target and the lean factor
    };
    const char* move = "kControlTypeMove";
    const char* absolute = "kControlStyleAbsolute";
    const Row rows[] = {
        {"absolute move", move, absolute, "", 1, 1, "0.5 0 1", {"target 852,320", "lean 1"}},
        {"absolute move, both axes", move, absolute, "", 0.5f, 1, "-1 1 1", {"target 284,480", "lean 1"}},
        {"relative move", move, "", "", 2, 1, "0.5 0.25 1", {"c direction 1,0.5", "target 0,0", "lean 1"}},
        {"x axis only", move, "", "kActiveAxeX", 1, 1, "0.5 0.25 1", {"c direction 0.5,0", "target 0,0", "lean 1"}},
        {"y axis only", move, "", "kActiveAxeY", 1, 1, "0.5 0.25 1", {"c direction 0,0.25", "target 0,0", "lean 1"}},
        {"lean right",
         "",
         "",
         "",
         1,
         1,
         "0.3 0 1",
         {"c startRotateRight", "c stopRotateLeft", "target 0,0", "lean 0.6"}},
        {"lean left, clamped",
         "",
         "",
         "",
         1,
         1,
         "-0.7 0 1",
         {"c startRotateLeft", "c stopRotateRight", "target 0,0", "lean 1"}},
        {"level counts as left",
         "",
         "",
         "",
         1,
         1,
         "0 0.5 1",
         {"c startRotateLeft", "c stopRotateRight", "target 0,0", "lean 0"}},
        {"portrait does not lean", "", "", "", 1, 0, "0.3 0 1", {"target 0,0", "lean 1"}},
        {"without a model", nullptr, absolute, "", 1, 1, "0.5 0 1", {"target 0,0", "lean 1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        static_cast<QVAttributeOrientation*>(QVModelGeneralSettings::shared()->attribute("Orientation"))
            ->setValue(static_cast<QVOrientation>(row.orientation), true);
        character->setTargetPosition(CCPoint(0, 0));
        character->setLeanFactor(1.0f);
        std::shared_ptr<QVModelObjectAccelerometer> model;
        if (row.type) {
            model = registered<QVModelObjectAccelerometer>();
            attr(*model, "Sensitivity")->setValue(row.sensitivity);
            setText(*model, "Control Style", row.style);
            setText(*model, "Control Type", row.type);
            setText(*model, "Active Axes", row.axes);
        }
        QVPObjectAccelerometer::shared()->setModel(model);
        Calls got = play(std::string("1 accel ") + row.accel);
        got.push_back("target " + num(character->targetPosition().x) + "," + num(character->targetPosition().y));
        got.push_back("lean " + num(character->leanFactor()));
        EXPECT_EQ(got, row.expected);
    }
    QVPObjectAccelerometer::destroyShared();
    EXPECT_EQ(cocos2d::CCAccelerometer::sharedAccelerometer()->getDelegate(), nullptr);
}

// The swipe area's centre (900, 400) is window pixel (900, 240).
TEST_F(Controls, SwipeRaisesOneActionWithinItsWindow) {
    openHud();
    struct Row {
        const char* name;
        std::vector<CCPoint> moves;
        double secondsPerFrame;
        Calls expected;
    };
    const Row rows[] = {
        {"31 right within 0.4 s, once", {{31, 0}, {90, 0}}, 0.2, {"14 from source"}},
        {"31 right after 0.6 s", {{31, 0}, {90, 0}}, 0.6, {}},
        {"x is tested first", {{40, -40}}, 0.1, {"14 from source"}},
        {"left", {{-31, 0}}, 0.1, {"13 from source"}},
        {"up", {{0, -31}}, 0.1, {"15 from source"}},
        {"down", {{0, 31}}, 0.1, {"16 from source"}},
        {"30 is not a swipe", {{30, 30}}, 0.1, {}},
    };
    place(QVPObjectSwipeControl::create(swipeArea()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(play(drag(CCPoint(900, 240), row.moves), row.secondsPerFrame), row.expected);
    }
    EXPECT_EQ(play("1 touch down 900 240\n2 touch up 900 240\n3 touch move 990 240"), Calls{}) << "a lift disarms";
    // A start point on the view's left edge (x 0) never arms.
    place(QVPObjectSwipeControl::create(swipeArea(CCPoint(20, 400))));
    EXPECT_EQ(play(drag(CCPoint(0, 240), {{40, 0}})), Calls{});
}

// A pause overlay's button below the controls (priority 1) gets the touch
// at the control's centre while the HUD is hidden under the overlay, the
// control is hidden or has left the scene; and any touch outside the box
// or on a control without a model.
TEST_F(Controls, HiddenControlsClaimNothing) {
    openHud();
    enum Change { kNone, kHudHidden, kControlHidden, kLeftScene, kOutside, kNoModel };
    for (bool joystickRow : {true, false}) {
        for (Change change : {kNone, kHudHidden, kControlHidden, kLeftScene, kOutside, kNoModel}) {
            SCOPED_TRACE(std::string(joystickRow ? "joystick " : "swipe ") + std::to_string(change));
            LowerHandler overlay;
            const bool model = change != kNoModel;
            cocos2d::CCNode* control =
                joystickRow
                    ? static_cast<cocos2d::CCNode*>(QVPObjectButtonJoystick::create(model ? stick("", 1) : nullptr))
                    : QVPObjectSwipeControl::create(model ? swipeArea(CCPoint(200, 200)) : nullptr);
            control->setPosition(CCPoint(200, 200));
            place(control)->retain();
            if (change == kHudHidden) hud->setUiVisible(false);
            if (change == kControlHidden) control->setVisible(false);
            if (change == kLeftScene) control->removeFromParent();
            play(drag(change == kOutside ? CCPoint(251, 440) : CCPoint(200, 440), {{60, 0}}));
            EXPECT_EQ(overlay.began, change == kNone ? 0 : 1);
            hud->setUiVisible(true);
            control->removeFromParent();
            control->release();
        }
    }
}

TEST_F(Controls, ScreensBuildControlsAndDropTheirDelegates) {
    auto model = openScreenModel("Lab HUD");
    auto manipulator = object<QVModelObjectManipulator>(model, 150, 150);
    auto swipe = object<QVModelObjectSwipeControl>(model, 900, 400);
    auto tilt = object<QVModelObjectAccelerometer>(model);
    QVPObjectAccelerometer::shared()->setModel(std::make_shared<QVModelObjectAccelerometer>(""));

    LogCapture log;
    QVPScreenUi* screen = QVPScreenUi::create();
    ASSERT_NE(screen, nullptr);
    screen->retain();
    auto* joystick = dynamic_cast<QVPObjectButtonJoystick*>(screen->objectFor(manipulator->id()));
    auto* swipeControl = dynamic_cast<QVPObjectSwipeControl*>(screen->objectFor(swipe->id()));
    ASSERT_TRUE(joystick && swipeControl);
    EXPECT_EQ(joystick->getPosition(), CCPoint(150, 150));
    EXPECT_EQ(QVObjectModelHolder::modelOf(swipeControl), swipe);
    EXPECT_EQ(QVPObjectAccelerometer::shared()->getModel(), tilt);
    EXPECT_EQ(screen->objectFor(tilt->id()), nullptr);
    for (const char* kind : {"QVModelObjectManipulator", "QVModelObjectSwipeControl", "QVModelObjectAccelerometer"}) {
        EXPECT_FALSE(log.has(std::string("[QVPScreen] no runtime object for ") + kind)) << kind;
    }

    // A screen built without one takes the model away.
    model->removeChild(tilt);
    QVPScreenUi::create();
    EXPECT_EQ(QVPObjectAccelerometer::shared()->getModel(), nullptr);

    // Running, the controls are delegates; a screen destroyed without
    // leaving the scene still takes them off the dispatcher.
    cocos2d::CCTouchDispatcher* dispatcher = cocos2d::CCDirector::sharedDirector()->getTouchDispatcher();
    screen->onEnter();
    EXPECT_TRUE(dispatcher->hasDelegate(joystick) && dispatcher->hasDelegate(swipeControl));
    joystick->retain();
    swipeControl->retain();
    screen->release();
    cocos2d::CCPoolManager::sharedPoolManager()->pop();
    EXPECT_FALSE(dispatcher->hasDelegate(joystick) || dispatcher->hasDelegate(swipeControl));
    joystick->release();
    swipeControl->release();
}

// The ui fixture's Arena world: no gravity, no game speed, the character
// "Red" rising at 6 for 0.5 s on a swipe up of "Swipe", and the HUD
// "ArenaHud" with the relative stick "Stick" (150, 150) and the swipe area
// "Swipe" (900, 400), both scaled by 2.
TEST_F(Controls, ArenaJoystickAndSwipe) {
    registerObjectClasses();
    registerComponentClasses();
    ASSERT_TRUE(loadGame(std::string(QV_BINARY_DIR) + "/fixtures/ui/ui"));
    for (const auto& atlas : QVModelController::shared()->getModels<QVModelAtlas>()) {
        cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(atlas->plistPath().c_str());
    }
    manager()->setScene("Arena");
    cocos2d::CCDirector::sharedDirector()->runWithScene(manager()->createCurrentScene());
    step(2);
    QVPScreenScene* scene = manager()->getGameScene();
    ASSERT_NE(scene, nullptr);
    ASSERT_NE(scene->getHud(), nullptr);
    ASSERT_EQ(scene->getInputController()->getCharacters()->count(), 1u);
    auto* hero = static_cast<QVPObjectAssetCharacter*>(scene->getInputController()->getCharacters()->objectAtIndex(0));
    const auto frame = [] { step(1); };

    // The stick at design (150, 150) is window pixel (150, 490): 100 right,
    // held for 60 frames.
    const CCPoint start = hero->getPosition();
    play("1 touch down 150 490\n2 touch move 250 490\n61 touch up 250 490", 1.0 / 60.0, 61, frame);
    EXPECT_GT(hero->getPosition().x - start.x, 30.0f);

    // A swipe up of 40 points within one frame, at the area's centre.
    const CCPoint before = hero->getPosition();
    float highest = before.y;
    play("1 touch down 900 240\n2 touch move 900 200\n3 touch up 900 200", 1.0 / 60.0, 30, [&] {
        frame();
        highest = std::max(highest, hero->getPosition().y);
    });
    EXPECT_GT(highest - before.y, 20.0f);
}

}  // namespace
