// The input devices of the host: our window-fed keyboard, and OIS's input
// system for the gamepad. OIS throws on Linux where DirectInput returned
// errors (no display, a bad window, an unplugged pad), so every OIS step is
// guarded: a failure is logged and the player goes on without that device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include <OISInputManager.h>
#include <OISJoyStick.h>
#include <OISKeyboard.h>
#include <OISPrereqs.h>

class GlfwKeyboard;

// "WINDOW" = the X11 window id in decimal, and OIS told to leave the keyboard,
// the mouse and the cursor alone (by default it grabs both and hides it).
OIS::ParamList oisParameters(std::uintptr_t window);

struct InputDevices {
    OIS::InputManager* manager = nullptr;
    std::unique_ptr<OIS::Keyboard> keyboard;  // ours, never created through OIS
    OIS::JoyStick* joystick = nullptr;        // OIS's when a manager exists
};

// The host's devices (tests may put their own keyboard or joystick here).
InputDevices& inputDevices();

// The keyboard when it is the window-fed one, else null.
GlfwKeyboard* glfwKeyboard();

// Creates the keyboard (always, and wires it to the view's key sink and the
// input script's OIS key names), then,
// with a native window only, the OIS input system and the buffered joystick
// when one exists. Each OIS step that throws is logged as
// "[Host] OIS <step> failed: <text>; continuing without it".
void createInputDevices(std::uintptr_t window, OIS::KeyListener* keyListener,
                        OIS::JoyStickListener* joyListener);

// Replaces OIS::InputManager::createInputSystem (tests: a manager whose
// devices fail). An empty function restores OIS's own.
typedef std::function<OIS::InputManager*(OIS::ParamList&)> InputSystemFactory;
void setInputSystemFactory(InputSystemFactory factory);

// Captures the keyboard, then the joystick. A device whose capture throws is
// logged once, destroyed and dropped.
void captureInputDevices();

// Destroys the devices, then the input system. Safe to call more than once.
void destroyInputDevices();
