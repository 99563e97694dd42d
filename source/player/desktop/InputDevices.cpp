#include "InputDevices.h"

#include <OISException.h>

#include <exception>
#include <string>

#include "GlfwKeyboard.h"
#include "input/InputScript.h"
#include "platform/QVLog.h"
#include "view/CCEGLView.h"

namespace {

InputDevices g_devices;
InputSystemFactory g_factory;

// Runs one OIS step; false (after one log line) when it threw.
template <typename Step>
bool guarded(const char* what, Step step) {
    try {
        step();
        return true;
    } catch (const OIS::Exception& e) {
        logMessage("[Host] OIS %s failed: %s; continuing without it", what, e.eText ? e.eText : "unknown error");
    } catch (const std::exception& e) {
        logMessage("[Host] OIS %s failed: %s; continuing without it", what, e.what());
    } catch (...) {
        logMessage("[Host] OIS %s failed: unknown exception; continuing without it", what);
    }
    return false;
}

void dropJoystick() {
    OIS::JoyStick* joystick = g_devices.joystick;
    g_devices.joystick = nullptr;
    if (!joystick) return;
    if (g_devices.manager) {
        guarded("joystick destruction", [&] { g_devices.manager->destroyInputObject(joystick); });
    } else {
        delete joystick;  // one a test put here by hand
    }
}

}  // namespace

OIS::ParamList oisParameters(std::uintptr_t window) {
    OIS::ParamList params;
    params.insert({"WINDOW", std::to_string(window)});
    params.insert({"x11_keyboard_grab", "false"});
    params.insert({"x11_mouse_grab", "false"});
    params.insert({"x11_mouse_hide", "false"});
    return params;
}

void setInputSystemFactory(InputSystemFactory factory) { g_factory = std::move(factory); }

InputDevices& inputDevices() { return g_devices; }

GlfwKeyboard* glfwKeyboard() { return dynamic_cast<GlfwKeyboard*>(g_devices.keyboard.get()); }

void createInputDevices(std::uintptr_t window, OIS::KeyListener* keyListener,
                        OIS::JoyStickListener* joyListener) {
    destroyInputDevices();

    auto keyboard = std::make_unique<GlfwKeyboard>();
    keyboard->setEventCallback(keyListener);
    g_devices.keyboard = std::move(keyboard);
    // The one key path: the view's sink (window and script keys, repeats
    // already dropped) straight into this keyboard's queue.
    cocos2d::CCEGLView::sharedOpenGLView()->setKeySink([](const cocos2d::ViewKeyEvent& key) {
        if (GlfwKeyboard* kb = glfwKeyboard()) kb->feedKey(key.key, key.pressed, key.text);
    });

    // The input script may name keys as OIS does ("KC_J"): they become the
    // GLFW key at that position and take the window's path.
    cocos2d::InputScript::setKeyNameResolver([](const std::string& name) {
        return GlfwKeyboard::glfwKeyForKeyCode(GlfwKeyboard::keyCodeForName(name));
    });

    // Only the live window's id may reach OIS: an X error on its own
    // connection would end the process through Xlib's default handler.
    if (window == 0) {
        logMessage("[Host] no native window; OIS not created, no gamepad");
        return;
    }
    OIS::ParamList params = oisParameters(window);
    if (!guarded("input system creation", [&] {
            g_devices.manager = g_factory ? g_factory(params) : OIS::InputManager::createInputSystem(params);
        }))
        return;
    if (!g_devices.manager) return;
    guarded("joystick creation", [&] {
        if (g_devices.manager->getNumberOfDevices(OIS::OISJoyStick) <= 0) return;
        auto* joystick = static_cast<OIS::JoyStick*>(g_devices.manager->createInputObject(OIS::OISJoyStick, true));
        g_devices.joystick = joystick;
        joystick->setEventCallback(joyListener);
    });
}

void captureInputDevices() {
    if (g_devices.keyboard) {
        if (!guarded("keyboard capture", [&] { g_devices.keyboard->capture(); })) g_devices.keyboard.reset();
    }
    if (g_devices.joystick) {
        if (!guarded("joystick capture", [&] { g_devices.joystick->capture(); })) dropJoystick();
    }
}

void destroyInputDevices() {
    g_devices.keyboard.reset();
    dropJoystick();
    if (g_devices.manager) {
        OIS::InputManager* manager = g_devices.manager;
        g_devices.manager = nullptr;
        guarded("input system destruction", [&] { OIS::InputManager::destroyInputSystem(manager); });
    }
}
