// EventHandler: the host's listener for the keyboard and the gamepad. Keys
// become button presses on the innermost screen or actions of the shared
// input controller; gamepad events, renumbered to what the controller
// expects, reach the running world's controller.
//
// Guarantees:
// - a key that translates to 0 (Return, Backspace, right modifiers ...)
//   reaches nothing;
// - a release goes where its press went: the buttons that took the press
//   (kept alive until then) or the action the press started, even when the
//   screen changed in between; a release with no recorded press does nothing;
// - Escape dispatches back once, and only when no button and no key
//   attribute took it (the view leaves window Escape to the key sink);
// - the pad's evdev axes 0 and 1 are swapped (the controller wants 1
//   horizontal, 0 vertical) and POV 0 becomes buttons 12 up, 13 right,
//   14 down, 15 left, a diagonal holding two.
#pragma once

#include <map>

#include <OISJoyStick.h>
#include <OISKeyboard.h>

namespace cocos2d {
class CCArray;
}

class EventHandler : public OIS::KeyListener, public OIS::JoyStickListener {
public:
    static constexpr int kEscapeCode = 0x01000000;

    EventHandler() = default;
    ~EventHandler() override;
    EventHandler(const EventHandler&) = delete;
    EventHandler& operator=(const EventHandler&) = delete;

    bool keyPressed(const OIS::KeyEvent& event) override;
    bool keyReleased(const OIS::KeyEvent& event) override;

    bool buttonPressed(const OIS::JoyStickEvent& event, int button) override;
    bool buttonReleased(const OIS::JoyStickEvent& event, int button) override;
    // Reads the axis's absolute value; an index outside the state is ignored.
    bool axisMoved(const OIS::JoyStickEvent& event, int axis) override;
    bool povMoved(const OIS::JoyStickEvent& event, int index) override;
    bool sliderMoved(const OIS::JoyStickEvent& event, int index) override;
    bool vector3Moved(const OIS::JoyStickEvent& event, int index) override;

    // The one entry per kind for translated pad numbers: logs
    // "Button Pressed : %d" / "Button Released : %d" or
    // "Axis Moved : %d - %d", then forwards to the shared input controller
    // while a game-field scene runs.
    void padButton(int button, bool pressed);
    void padAxis(int value, int axis);

    // The first action whose key attribute (general settings, in the fixed
    // order up, down, left, right, motor CW, CCW, rotate left, right, shoot,
    // jump) equals the code; 0 when none or for code 0.
    static int actionForKey(int code);

    // Drops the recorded presses without releasing anything (shut-down).
    void forgetPresses();

    // Makes this handler the view's pad sink: the input script's pad lines
    // reach padButton and padAxis with their numbers as written (already
    // the controller's, so nothing is swapped). The handler must outlive
    // the sink (the host's lives to the end of the program).
    void installPadSink();

private:
    struct Press {
        cocos2d::CCArray* buttons = nullptr;  // retained; null for an action
        int action = 0;
    };

    std::map<int, Press> m_presses;  // by OIS key code
    int m_pov = 0;                   // POV 0's last direction
};
