// The host's key chain and gamepad glue: which key reaches a button, an
// action or the back key, where a release goes after the screen changed,
// and how the Linux pad's numbers are turned into the controller's.
#include <gtest/gtest.h>

#include "../app/input_test_support.h"
#include "EventHandler.h"
#include "GlfwKeyboard.h"
#include "HostTestSupport.h"
#include "view/CCEGLView.h"

using namespace cocos2d;
using namespace inputtest;

namespace {

class KeyChain : public InputTest {
protected:
    ~KeyChain() override { handler.forgetPresses(); }
    void press(OIS::KeyCode key, unsigned int text = 0) { handler.keyPressed(OIS::KeyEvent(&keyboard, key, text)); }
    void release(OIS::KeyCode key) { handler.keyReleased(OIS::KeyEvent(&keyboard, key, 0)); }
    void tap(OIS::KeyCode key) { press(key), release(key); }

    GlfwKeyboard keyboard;
    EventHandler handler;
    ActionRecorders actions{&calls};
    Recorder target{&calls, "button"};
};

}  // namespace

TEST_F(KeyChain, KeysReachTheFirstMatchingActionAndNothingForCodeZero) {
    setKey("Move Left Key", 'A');
    setKey("Move Right Key", 'A');
    setKey("Jump Key", ' ');
    setKey("Shoot Key", 0x01000030);  // F1
    // With no screen running, a button outside any screen is no match.
    QVPObjectButton* loose = keyButton(CCNode::create(), 'B', &target);
    const std::pair<OIS::KeyCode, const char*> rows[] = {{OIS::KC_A, "action 4 from null"},
                                                         {OIS::KC_SPACE, "action 5 from null"},
                                                         {OIS::KC_F1, "action 8 from null"},
                                                         // Code 0: the unset key attributes hold 0 too.
                                                         {OIS::KC_RETURN, nullptr},
                                                         {OIS::KC_BACK, nullptr},
                                                         {OIS::KC_RSHIFT, nullptr},
                                                         {OIS::KC_B, nullptr}};
    for (const auto& [key, action] : rows) {
        SCOPED_TRACE(GlfwKeyboard::nameForKeyCode(key));
        EXPECT_EQ(after([&, key = key] { tap(key); }), (action ? Calls{action, action} : Calls{}));  // press, release
    }
    EXPECT_FALSE(loose->isSelected());
    calls.clear();
    release(OIS::KC_A);  // no recorded press
    EXPECT_TRUE(calls.empty());
}

// A button on the innermost screen takes its key only while it and its
// ancestors are visible and it is enabled; otherwise the chain gets it.
TEST_F(KeyChain, OnlyVisibleEnabledButtonsTakeTheirKey) {
    setKey("Jump Key", 'O');
    Screen* screen = runScreen("screen");
    QVPObjectButton* button = keyButton(screen->uiContainer(), 'O', &target);
    const struct {
        const char* name;
        bool visible, containerVisible, enabled;
    } rows[] = {{"shown", true, true, true},
                {"hidden", false, true, true},
                {"container hidden", true, false, true},
                {"disabled", true, true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool takes = row.visible && row.containerVisible && row.enabled;
        button->setVisible(row.visible);
        screen->uiContainer()->setVisible(row.containerVisible);
        button->setEnabled(row.enabled);
        calls.clear();
        press(OIS::KC_O);
        EXPECT_EQ(button->isSelected(), takes);
        release(OIS::KC_O);
        EXPECT_EQ(calls, (takes ? Calls{"button activated"} : Calls{"action 5 from null", "action 5 from null"}));
    }
}

// Press on A, B opens over A, release: A's button and the held action are
// released; B's button, never pressed, is not activated.
TEST_F(KeyChain, AReleaseGoesWhereItsPressWent) {
    setKey("Move Left Key", 'L');
    Screen* a = runScreen("A");
    keyButton(a->uiContainer(), 'O', &target);
    press(OIS::KC_O);
    press(OIS::KC_L);
    EXPECT_EQ(QVPInputController::shared()->direction(), CCPoint(-1, 0));

    Recorder other(&calls, "B's button");
    Screen* b = autoreleased(new Screen(&calls, "B"));
    keyButton(b->uiContainer(), 'O', &other);
    keyButton(b->uiContainer(), 'L', &other);
    a->addChild(b);
    ASSERT_EQ(QVPScreen::topmostScreen(), b);
    calls.clear();
    release(OIS::KC_O);
    release(OIS::KC_L);
    EXPECT_EQ(calls, (Calls{"button activated", "action 4 from null"}));
    EXPECT_EQ(QVPInputController::shared()->direction(), CCPoint(0, 0));

    // A button whose screen has gone is not activated, and nothing leaks.
    press(OIS::KC_O);
    b->removeFromParent();
    calls.clear();
    release(OIS::KC_O);
    EXPECT_TRUE(calls.empty());
}

// Escape goes back once, and only when no button and no key attribute took
// it; the running screen hears back through the controller.
TEST_F(KeyChain, EscapeGivesOneBackOnlyWhenNothingTookIt) {
    Screen* screen = runScreen("screen");
    tap(OIS::KC_ESCAPE);
    EXPECT_EQ(calls, Calls{"screen back"});

    QVPObjectButton* button = keyButton(screen->uiContainer(), EventHandler::kEscapeCode, &target);
    calls.clear();
    tap(OIS::KC_ESCAPE);
    EXPECT_EQ(calls, Calls{"button activated"});

    button->setVisible(false);
    setKey("Shoot Key", EventHandler::kEscapeCode);
    calls.clear();
    tap(OIS::KC_ESCAPE);
    EXPECT_EQ(calls, (Calls{"action 8 from null", "action 8 from null"}));
}

TEST_F(KeyChain, PressLogShowsOnlyPrintableCharacters) {
    LogCapture log;
    press(OIS::KC_A, 'a');
    press(OIS::KC_RETURN, '\r');
    press(OIS::KC_F1, 0);
    press(OIS::KC_E, 0xE9);
    release(OIS::KC_A);
    EXPECT_EQ(log.all(),
              (std::vector<std::string>{" KeyPressed {30, A} Character (a)", " KeyPressed {28, Return} Character ( )",
                                        " KeyPressed {59, F1} Character ( )", " KeyPressed {18, E} Character ( )",
                                        "KeyReleased {A}"}));
}

// evdev axes 0 and 1 swap; POV 0 becomes buttons 12-15, a diagonal two.
TEST_F(KeyChain, GamepadNumbersAreTranslatedBeforeTheLog) {
    OIS::JoyStickState state;
    state.mAxes.resize(3);
    state.mAxes[0].abs = 1234;
    state.mAxes[1].abs = -99;
    state.mAxes[2].abs = 7;
    LogCapture log;
    for (int axis = 0; axis <= 3; ++axis) handler.axisMoved(OIS::JoyStickEvent(nullptr, state), axis);  // 3: none
    handler.buttonPressed(OIS::JoyStickEvent(nullptr, state), 0);
    for (int direction : {OIS::Pov::North, OIS::Pov::NorthEast, OIS::Pov::Centered, OIS::Pov::SouthWest}) {
        state.mPOV[0].direction = direction;
        handler.povMoved(OIS::JoyStickEvent(nullptr, state), 0);
    }
    handler.povMoved(OIS::JoyStickEvent(nullptr, state), 1);
    EXPECT_EQ(log.all(), (std::vector<std::string>{
                             "Axis Moved : 1234 - 1", "Axis Moved : -99 - 0", "Axis Moved : 7 - 2",
                             "Button Pressed : 0", "Button Pressed : 12", "Button Pressed : 13", "Button Released : 12",
                             "Button Released : 13", "Button Pressed : 14", "Button Pressed : 15"}));
    EXPECT_TRUE(calls.empty());  // no world runs, so nothing is forwarded
}

// The script's pad lines carry the controller's numbers already: the sink
// hands them on unswapped, through the same entries as a real pad.
TEST_F(KeyChain, ScriptPadLinesReachThePadEntriesUnswapped) {
    handler.installPadSink();
    LogCapture log;
    CCEGLView* view = CCEGLView::sharedOpenGLView();
    const struct {
        bool axis, pressed;
        int number, value;
    } rows[] = {{true, false, 1, -32767}, {true, false, 0, 400}, {false, true, 0, 0}, {false, false, 13, 0}};
    for (const auto& row : rows) {
        ViewPadEvent pad;
        pad.axis = row.axis;
        pad.pressed = row.pressed;
        pad.number = row.number;
        pad.value = row.value;
        view->sendPad(pad);
    }
    view->setPadSink(nullptr);
    view->sendPad(ViewPadEvent{});
    EXPECT_EQ(log.all(),
              (std::vector<std::string>{"Axis Moved : -32767 - 1", "Axis Moved : 400 - 0", "Button Pressed : 0",
                                        "Button Released : 13", "[CCEGLView] pad button 0 up with no pad sink"}));
}
