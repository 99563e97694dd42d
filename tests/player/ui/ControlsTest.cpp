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

// A drag from (200, 440) in window pixels: the stick's centre.
TEST_F(Controls, JoystickSteersByStyle) {
    openHud();
    struct Row {
        const char* name;
        const char* style;
        float sensitivity, rotation;
        const char* script;
        Calls expected;
    };
    const Row rows[] = {
        {"relative: 50 right, 20 up",
         "kControlStyleRelative",
         2,
         0,
         "1 touch down 200 440\n2 touch move 250 420\n3 touch up 250 420",
         {"c direction 1,0.4", "c direction 0,0"}},
        // The turn counts 0.0174533 radians per degree.
        {"relative, turned by 90 degrees",
         "",
         2,
         90,
         "1 touch down 200 440\n2 touch move 250 420\n3 touch up 250 420",
         {"c direction -0.400001,1", "c direction 0,0"}},
        {"relative from the start point, not the last move",
         "",
         1,
         0,
         "1 touch down 200 440\n2 touch move 210 440\n3 touch move 220 440\n4 touch up 220 440",
         {"c direction 0.1,0", "c direction 0.2,0", "c direction 0,0"}},
        {"absolute: 10 right between two events",
         "kControlStyleAbsolute",
         1,
         0,
         "1 touch down 200 440\n2 touch move 205 440\n3 touch move 215 440\n4 touch up 215 440",
         {"c move 0.5,0", "c move 1,0", "c direction 0,0"}},
        {"outside the box", "", 2, 0, "1 touch down 251 440\n2 touch move 300 440\n3 touch up 300 440", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectButtonJoystick* joystick =
            place(QVPObjectButtonJoystick::create(stick(row.style, row.sensitivity, row.rotation)));
        EXPECT_EQ(play(row.script), row.expected);
        joystick->removeFromParent();
    }
}

TEST_F(Controls, AccelerometerFollowsScriptLines) {
    openHud();
    struct Row {
        const char* name;
        bool model;
        const char *type, *style, *axes;
        float sensitivity;
        int orientation;
        const char* accel;
        Calls expected;  // then the target and the lean factor
    };
    const Row rows[] = {
        {"absolute move",
         true,
         "kControlTypeMove",
         "kControlStyleAbsolute",
         "",
         1,
         1,
         "0.5 0 1",
         {"target 852,320", "lean 1"}},
        {"absolute move, both axes",
         true,
         "kControlTypeMove",
         "kControlStyleAbsolute",
         "",
         0.5f,
         1,
         "-1 1 1",
         {"target 284,480", "lean 1"}},
        {"relative move",
         true,
         "kControlTypeMove",
         "",
         "",
         2,
         1,
         "0.5 0.25 1",
         {"c direction 1,0.5", "target 0,0", "lean 1"}},
        {"x axis only",
         true,
         "kControlTypeMove",
         "",
         "kActiveAxeX",
         1,
         1,
         "0.5 0.25 1",
         {"c direction 0.5,0", "target 0,0", "lean 1"}},
        {"y axis only",
         true,
         "kControlTypeMove",
         "",
         "kActiveAxeY",
         1,
         1,
         "0.5 0.25 1",
         {"c direction 0,0.25", "target 0,0", "lean 1"}},
        {"lean right",
         true,
         "kControlTypeRotate",
         "",
         "",
         1,
         1,
         "0.3 0 1",
         {"c startRotateRight", "c stopRotateLeft", "target 0,0", "lean 0.6"}},
        {"lean left, clamped",
         true,
         "kControlTypeRotate",
         "",
         "",
         1,
         1,
         "-0.7 0 1",
         {"c startRotateLeft", "c stopRotateRight", "target 0,0", "lean 1"}},
        {"level counts as left",
         true,
         "kControlTypeRotate",
         "",
         "",
         1,
         1,
         "0 0.5 1",
         {"c startRotateLeft", "c stopRotateRight", "target 0,0", "lean 0"}},
        {"portrait does not lean", true, "kControlTypeRotate", "", "", 1, 0, "0.3 0 1", {"target 0,0", "lean 1"}},
        {"without a model",
         false,
         "kControlTypeMove",
         "kControlStyleAbsolute",
         "",
         1,
         1,
         "0.5 0 1",
         {"target 0,0", "lean 1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        static_cast<QVAttributeOrientation*>(QVModelGeneralSettings::shared()->attribute("Orientation"))
            ->setValue(static_cast<QVOrientation>(row.orientation), true);
        character->setTargetPosition(CCPoint(0, 0));
        character->setLeanFactor(1.0f);
        std::shared_ptr<QVModelObjectAccelerometer> model;
        if (row.model) {
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
    // Gone with its instance: the engine no longer calls it.
    QVPObjectAccelerometer::destroyShared();
    EXPECT_EQ(cocos2d::CCAccelerometer::sharedAccelerometer()->getDelegate(), nullptr);
    EXPECT_EQ(QVPObjectAccelerometer::current(), nullptr);
}

// The swipe area at (900, 400) is window pixel (900, 240).
TEST_F(Controls, SwipeRaisesOneActionWithinItsWindow) {
    openHud();
    const std::string down = "1 touch down 900 240\n";
    struct Row {
        const char* name;
        std::string moves;
        double secondsPerFrame;
        Calls expected;
    };
    const Row rows[] = {
        {"31 right within 0.4 s, once",
         "2 touch move 931 240\n3 touch move 990 240\n4 touch up 990 240",
         0.2,
         {"14 from source"}},
        {"31 right after 0.6 s", "2 touch move 931 240\n3 touch move 990 240\n4 touch up 990 240", 0.6, {}},
        {"x is tested first", "2 touch move 940 200\n3 touch up 940 200", 0.1, {"14 from source"}},
        {"left", "2 touch move 869 240\n3 touch up 869 240", 0.1, {"13 from source"}},
        {"up (view y falls)", "2 touch move 900 209\n3 touch up 900 209", 0.1, {"15 from source"}},
        {"down", "2 touch move 900 271\n3 touch up 900 271", 0.1, {"16 from source"}},
        {"30 is not a swipe", "2 touch move 930 270\n3 touch up 930 270", 0.1, {}},
        {"a lift disarms", "2 touch up 900 240\n3 touch move 990 240", 0.1, {}},
    };
    place(QVPObjectSwipeControl::create(swipeArea()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(play(down + row.moves, row.secondsPerFrame), row.expected);
    }
    // A start point on the view's left edge (x 0) never arms.
    place(QVPObjectSwipeControl::create(swipeArea(CCPoint(20, 400))));
    EXPECT_EQ(play("1 touch down 0 240\n2 touch move 40 240\n3 touch up 40 240"), Calls{});
}

TEST_F(Controls, UnclaimedTouchesReachLowerHandlers) {
    openHud();
    struct Row {
        const char* name;
        std::function<cocos2d::CCNode*()> make;
        const char* touch;  // window pixels
        int lowerBegan;
    };
    const Row rows[] = {
        {"joystick, inside", [] { return QVPObjectButtonJoystick::create(stick("", 1)); }, "200 440", 0},
        {"joystick, outside", [] { return QVPObjectButtonJoystick::create(stick("", 1)); }, "260 440", 1},
        {"joystick, no model", [] { return QVPObjectButtonJoystick::create(nullptr); }, "0 640", 1},
        {"swipe, inside", [] { return QVPObjectSwipeControl::create(swipeArea()); }, "949 289", 0},
        {"swipe, outside", [] { return QVPObjectSwipeControl::create(swipeArea()); }, "951 240", 1},
        {"swipe, no model", [] { return QVPObjectSwipeControl::create(nullptr); }, "0 640", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LowerHandler lower;
        cocos2d::CCNode* control = place(row.make());
        play(std::string("1 touch down ") + row.touch + "\n2 touch up " + row.touch);
        EXPECT_EQ(lower.began, row.lowerBegan);
        control->removeFromParent();
    }
}

// A pause overlay's button below the controls gets the touch while the HUD
// is hidden under it, and once the controls left the scene.
TEST_F(Controls, HiddenControlsClaimNothing) {
    openHud();
    enum Change { kNone, kHudHidden, kControlHidden, kLeftScene };
    for (bool joystickRow : {true, false}) {
        for (Change change : {kNone, kHudHidden, kControlHidden, kLeftScene}) {
            SCOPED_TRACE(std::string(joystickRow ? "joystick " : "swipe ") + std::to_string(change));
            LowerHandler overlay;
            cocos2d::CCNode* control =
                joystickRow ? static_cast<cocos2d::CCNode*>(QVPObjectButtonJoystick::create(stick("", 1)))
                            : QVPObjectSwipeControl::create(swipeArea(CCPoint(200, 200)));
            place(control)->retain();
            if (change == kHudHidden) hud->setUiVisible(false);
            if (change == kControlHidden) control->setVisible(false);
            if (change == kLeftScene) control->removeFromParent();
            play("1 touch down 200 440\n2 touch move 260 440\n3 touch up 260 440");
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
    EXPECT_TRUE(log.all().empty() || std::none_of(log.all().begin(), log.all().end(), [](const std::string& line) {
                    return line.find("no runtime object") != std::string::npos;
                }));

    // A screen built without one takes the model away.
    model->removeChild(tilt);
    QVPScreenUi::create();
    EXPECT_EQ(QVPObjectAccelerometer::shared()->getModel(), nullptr);

    // Running, the controls are delegates; a destroyed screen leaves none.
    cocos2d::CCTouchDispatcher* dispatcher = cocos2d::CCDirector::sharedDirector()->getTouchDispatcher();
    screen->onEnter();
    EXPECT_TRUE(dispatcher->hasDelegate(joystick) && dispatcher->hasDelegate(swipeControl));
    screen->release();
    cocos2d::CCPoolManager::sharedPoolManager()->pop();
    LowerHandler lower;
    play("1 touch down 150 490\n2 touch up 150 490\n3 touch down 900 240\n4 touch up 900 240");
    EXPECT_EQ(lower.began, 2);
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
