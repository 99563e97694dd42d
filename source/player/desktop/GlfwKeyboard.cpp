#include "GlfwKeyboard.h"

#include <GLFW/glfw3.h>

#include <cstring>

namespace {

struct KeyRow {
    int glfw;
    OIS::KeyCode code;
    const char* name;   // OIS's enumerator name, as the input script writes it
    const char* label;  // what getAsString reports
    char plain;         // what the key types unshifted on a US layout (0: none)
};

// Every key of a 105-key keyboard, by position (GLFW names keys by their US
// layout position, as the OIS codes do).
const KeyRow kKeys[] = {
    {GLFW_KEY_ESCAPE, OIS::KC_ESCAPE, "KC_ESCAPE", "Esc", 0},
    {GLFW_KEY_1, OIS::KC_1, "KC_1", "1", '1'},
    {GLFW_KEY_2, OIS::KC_2, "KC_2", "2", '2'},
    {GLFW_KEY_3, OIS::KC_3, "KC_3", "3", '3'},
    {GLFW_KEY_4, OIS::KC_4, "KC_4", "4", '4'},
    {GLFW_KEY_5, OIS::KC_5, "KC_5", "5", '5'},
    {GLFW_KEY_6, OIS::KC_6, "KC_6", "6", '6'},
    {GLFW_KEY_7, OIS::KC_7, "KC_7", "7", '7'},
    {GLFW_KEY_8, OIS::KC_8, "KC_8", "8", '8'},
    {GLFW_KEY_9, OIS::KC_9, "KC_9", "9", '9'},
    {GLFW_KEY_0, OIS::KC_0, "KC_0", "0", '0'},
    {GLFW_KEY_MINUS, OIS::KC_MINUS, "KC_MINUS", "-", '-'},
    {GLFW_KEY_EQUAL, OIS::KC_EQUALS, "KC_EQUALS", "=", '='},
    {GLFW_KEY_BACKSPACE, OIS::KC_BACK, "KC_BACK", "Backspace", 0},
    {GLFW_KEY_TAB, OIS::KC_TAB, "KC_TAB", "Tab", 0},
    {GLFW_KEY_Q, OIS::KC_Q, "KC_Q", "Q", 'q'},
    {GLFW_KEY_W, OIS::KC_W, "KC_W", "W", 'w'},
    {GLFW_KEY_E, OIS::KC_E, "KC_E", "E", 'e'},
    {GLFW_KEY_R, OIS::KC_R, "KC_R", "R", 'r'},
    {GLFW_KEY_T, OIS::KC_T, "KC_T", "T", 't'},
    {GLFW_KEY_Y, OIS::KC_Y, "KC_Y", "Y", 'y'},
    {GLFW_KEY_U, OIS::KC_U, "KC_U", "U", 'u'},
    {GLFW_KEY_I, OIS::KC_I, "KC_I", "I", 'i'},
    {GLFW_KEY_O, OIS::KC_O, "KC_O", "O", 'o'},
    {GLFW_KEY_P, OIS::KC_P, "KC_P", "P", 'p'},
    {GLFW_KEY_LEFT_BRACKET, OIS::KC_LBRACKET, "KC_LBRACKET", "[", '['},
    {GLFW_KEY_RIGHT_BRACKET, OIS::KC_RBRACKET, "KC_RBRACKET", "]", ']'},
    {GLFW_KEY_ENTER, OIS::KC_RETURN, "KC_RETURN", "Return", '\r'},
    {GLFW_KEY_LEFT_CONTROL, OIS::KC_LCONTROL, "KC_LCONTROL", "Left Ctrl", 0},
    {GLFW_KEY_A, OIS::KC_A, "KC_A", "A", 'a'},
    {GLFW_KEY_S, OIS::KC_S, "KC_S", "S", 's'},
    {GLFW_KEY_D, OIS::KC_D, "KC_D", "D", 'd'},
    {GLFW_KEY_F, OIS::KC_F, "KC_F", "F", 'f'},
    {GLFW_KEY_G, OIS::KC_G, "KC_G", "G", 'g'},
    {GLFW_KEY_H, OIS::KC_H, "KC_H", "H", 'h'},
    {GLFW_KEY_J, OIS::KC_J, "KC_J", "J", 'j'},
    {GLFW_KEY_K, OIS::KC_K, "KC_K", "K", 'k'},
    {GLFW_KEY_L, OIS::KC_L, "KC_L", "L", 'l'},
    {GLFW_KEY_SEMICOLON, OIS::KC_SEMICOLON, "KC_SEMICOLON", ";", ';'},
    {GLFW_KEY_APOSTROPHE, OIS::KC_APOSTROPHE, "KC_APOSTROPHE", "'", '\''},
    {GLFW_KEY_GRAVE_ACCENT, OIS::KC_GRAVE, "KC_GRAVE", "`", '`'},
    {GLFW_KEY_LEFT_SHIFT, OIS::KC_LSHIFT, "KC_LSHIFT", "Left Shift", 0},
    {GLFW_KEY_BACKSLASH, OIS::KC_BACKSLASH, "KC_BACKSLASH", "\\", '\\'},
    {GLFW_KEY_Z, OIS::KC_Z, "KC_Z", "Z", 'z'},
    {GLFW_KEY_X, OIS::KC_X, "KC_X", "X", 'x'},
    {GLFW_KEY_C, OIS::KC_C, "KC_C", "C", 'c'},
    {GLFW_KEY_V, OIS::KC_V, "KC_V", "V", 'v'},
    {GLFW_KEY_B, OIS::KC_B, "KC_B", "B", 'b'},
    {GLFW_KEY_N, OIS::KC_N, "KC_N", "N", 'n'},
    {GLFW_KEY_M, OIS::KC_M, "KC_M", "M", 'm'},
    {GLFW_KEY_COMMA, OIS::KC_COMMA, "KC_COMMA", ",", ','},
    {GLFW_KEY_PERIOD, OIS::KC_PERIOD, "KC_PERIOD", ".", '.'},
    {GLFW_KEY_SLASH, OIS::KC_SLASH, "KC_SLASH", "/", '/'},
    {GLFW_KEY_RIGHT_SHIFT, OIS::KC_RSHIFT, "KC_RSHIFT", "Right Shift", 0},
    {GLFW_KEY_KP_MULTIPLY, OIS::KC_MULTIPLY, "KC_MULTIPLY", "Num *", '*'},
    {GLFW_KEY_LEFT_ALT, OIS::KC_LMENU, "KC_LMENU", "Left Alt", 0},
    {GLFW_KEY_SPACE, OIS::KC_SPACE, "KC_SPACE", "Space", ' '},
    {GLFW_KEY_CAPS_LOCK, OIS::KC_CAPITAL, "KC_CAPITAL", "Caps Lock", 0},
    {GLFW_KEY_F1, OIS::KC_F1, "KC_F1", "F1", 0},
    {GLFW_KEY_F2, OIS::KC_F2, "KC_F2", "F2", 0},
    {GLFW_KEY_F3, OIS::KC_F3, "KC_F3", "F3", 0},
    {GLFW_KEY_F4, OIS::KC_F4, "KC_F4", "F4", 0},
    {GLFW_KEY_F5, OIS::KC_F5, "KC_F5", "F5", 0},
    {GLFW_KEY_F6, OIS::KC_F6, "KC_F6", "F6", 0},
    {GLFW_KEY_F7, OIS::KC_F7, "KC_F7", "F7", 0},
    {GLFW_KEY_F8, OIS::KC_F8, "KC_F8", "F8", 0},
    {GLFW_KEY_F9, OIS::KC_F9, "KC_F9", "F9", 0},
    {GLFW_KEY_F10, OIS::KC_F10, "KC_F10", "F10", 0},
    {GLFW_KEY_NUM_LOCK, OIS::KC_NUMLOCK, "KC_NUMLOCK", "Num Lock", 0},
    {GLFW_KEY_SCROLL_LOCK, OIS::KC_SCROLL, "KC_SCROLL", "Scroll Lock", 0},
    {GLFW_KEY_KP_7, OIS::KC_NUMPAD7, "KC_NUMPAD7", "Num 7", '7'},
    {GLFW_KEY_KP_8, OIS::KC_NUMPAD8, "KC_NUMPAD8", "Num 8", '8'},
    {GLFW_KEY_KP_9, OIS::KC_NUMPAD9, "KC_NUMPAD9", "Num 9", '9'},
    {GLFW_KEY_KP_SUBTRACT, OIS::KC_SUBTRACT, "KC_SUBTRACT", "Num -", '-'},
    {GLFW_KEY_KP_4, OIS::KC_NUMPAD4, "KC_NUMPAD4", "Num 4", '4'},
    {GLFW_KEY_KP_5, OIS::KC_NUMPAD5, "KC_NUMPAD5", "Num 5", '5'},
    {GLFW_KEY_KP_6, OIS::KC_NUMPAD6, "KC_NUMPAD6", "Num 6", '6'},
    {GLFW_KEY_KP_ADD, OIS::KC_ADD, "KC_ADD", "Num +", '+'},
    {GLFW_KEY_KP_1, OIS::KC_NUMPAD1, "KC_NUMPAD1", "Num 1", '1'},
    {GLFW_KEY_KP_2, OIS::KC_NUMPAD2, "KC_NUMPAD2", "Num 2", '2'},
    {GLFW_KEY_KP_3, OIS::KC_NUMPAD3, "KC_NUMPAD3", "Num 3", '3'},
    {GLFW_KEY_KP_0, OIS::KC_NUMPAD0, "KC_NUMPAD0", "Num 0", '0'},
    {GLFW_KEY_KP_DECIMAL, OIS::KC_DECIMAL, "KC_DECIMAL", "Num .", '.'},
    {GLFW_KEY_WORLD_2, OIS::KC_OEM_102, "KC_OEM_102", "<", '<'},
    {GLFW_KEY_F11, OIS::KC_F11, "KC_F11", "F11", 0},
    {GLFW_KEY_F12, OIS::KC_F12, "KC_F12", "F12", 0},
    {GLFW_KEY_F13, OIS::KC_F13, "KC_F13", "F13", 0},
    {GLFW_KEY_F14, OIS::KC_F14, "KC_F14", "F14", 0},
    {GLFW_KEY_F15, OIS::KC_F15, "KC_F15", "F15", 0},
    {GLFW_KEY_KP_EQUAL, OIS::KC_NUMPADEQUALS, "KC_NUMPADEQUALS", "Num =", '='},
    {GLFW_KEY_KP_ENTER, OIS::KC_NUMPADENTER, "KC_NUMPADENTER", "Num Enter", '\r'},
    {GLFW_KEY_RIGHT_CONTROL, OIS::KC_RCONTROL, "KC_RCONTROL", "Right Ctrl", 0},
    {GLFW_KEY_KP_DIVIDE, OIS::KC_DIVIDE, "KC_DIVIDE", "Num /", '/'},
    {GLFW_KEY_PRINT_SCREEN, OIS::KC_SYSRQ, "KC_SYSRQ", "Print", 0},
    {GLFW_KEY_RIGHT_ALT, OIS::KC_RMENU, "KC_RMENU", "Right Alt", 0},
    {GLFW_KEY_PAUSE, OIS::KC_PAUSE, "KC_PAUSE", "Pause", 0},
    {GLFW_KEY_HOME, OIS::KC_HOME, "KC_HOME", "Home", 0},
    {GLFW_KEY_UP, OIS::KC_UP, "KC_UP", "Up", 0},
    {GLFW_KEY_PAGE_UP, OIS::KC_PGUP, "KC_PGUP", "Page Up", 0},
    {GLFW_KEY_LEFT, OIS::KC_LEFT, "KC_LEFT", "Left", 0},
    {GLFW_KEY_RIGHT, OIS::KC_RIGHT, "KC_RIGHT", "Right", 0},
    {GLFW_KEY_END, OIS::KC_END, "KC_END", "End", 0},
    {GLFW_KEY_DOWN, OIS::KC_DOWN, "KC_DOWN", "Down", 0},
    {GLFW_KEY_PAGE_DOWN, OIS::KC_PGDOWN, "KC_PGDOWN", "Page Down", 0},
    {GLFW_KEY_INSERT, OIS::KC_INSERT, "KC_INSERT", "Insert", 0},
    {GLFW_KEY_DELETE, OIS::KC_DELETE, "KC_DELETE", "Delete", 0},
    {GLFW_KEY_LEFT_SUPER, OIS::KC_LWIN, "KC_LWIN", "Left Windows", 0},
    {GLFW_KEY_RIGHT_SUPER, OIS::KC_RWIN, "KC_RWIN", "Right Windows", 0},
    {GLFW_KEY_MENU, OIS::KC_APPS, "KC_APPS", "Menu", 0},
};

const KeyRow* rowForCode(OIS::KeyCode kc) {
    for (const KeyRow& r : kKeys)
        if (r.code == kc) return &r;
    return nullptr;
}

const KeyRow* rowForGlfwKey(int glfwKey) {
    for (const KeyRow& r : kKeys)
        if (r.glfw == glfwKey) return &r;
    return nullptr;
}

}  // namespace

GlfwKeyboard::GlfwKeyboard() : OIS::Keyboard("GLFW window", true, 0, nullptr) {}

void GlfwKeyboard::setBuffered(bool buffered) { mBuffered = buffered; }

OIS::Interface* GlfwKeyboard::queryInterface(OIS::Interface::IType) { return nullptr; }

void GlfwKeyboard::_initialize() {
    m_queue.clear();
    std::memset(m_down, 0, sizeof m_down);
    mModifiers = 0;
}

bool GlfwKeyboard::isKeyDown(OIS::KeyCode key) const {
    return static_cast<unsigned>(key) < 256 && m_down[key];
}

const std::string& GlfwKeyboard::getAsString(OIS::KeyCode kc) {
    const KeyRow* row = rowForCode(kc);
    m_name = row ? row->label : "Key " + std::to_string(static_cast<int>(kc));
    return m_name;
}

void GlfwKeyboard::copyKeyStates(char keys[256]) const {
    for (int i = 0; i < 256; ++i) keys[i] = m_down[i] ? 1 : 0;
}

OIS::KeyCode GlfwKeyboard::keyCodeForGlfwKey(int glfwKey) {
    const KeyRow* row = rowForGlfwKey(glfwKey);
    return row ? row->code : OIS::KC_UNASSIGNED;
}

int GlfwKeyboard::glfwKeyForKeyCode(OIS::KeyCode kc) {
    const KeyRow* row = rowForCode(kc);
    return row ? row->glfw : -1;
}

OIS::KeyCode GlfwKeyboard::keyCodeForName(const std::string& name) {
    for (const KeyRow& r : kKeys)
        if (name == r.name) return r.code;
    return OIS::KC_UNASSIGNED;
}

const char* GlfwKeyboard::nameForKeyCode(OIS::KeyCode kc) {
    const KeyRow* row = rowForCode(kc);
    return row ? row->name : "";
}

bool GlfwKeyboard::feedKey(int glfwKey, bool pressed, unsigned int text) {
    const KeyRow* row = rowForGlfwKey(glfwKey);
    if (!row) return false;
    if (text == 0) text = static_cast<unsigned char>(row->plain);
    m_queue.push_back(Pending{row->code, pressed, pressed ? text : 0});
    return true;
}

void GlfwKeyboard::apply(const Pending& event) {
    m_down[event.key] = event.down;
    unsigned mods = 0;
    if (m_down[OIS::KC_LSHIFT] || m_down[OIS::KC_RSHIFT]) mods |= Shift;
    if (m_down[OIS::KC_LCONTROL] || m_down[OIS::KC_RCONTROL]) mods |= Ctrl;
    if (m_down[OIS::KC_LMENU] || m_down[OIS::KC_RMENU]) mods |= Alt;
    mModifiers = mods;
}

void GlfwKeyboard::capture() {
    // The listener may feed more keys; those wait for the next capture.
    std::deque<Pending> batch;
    batch.swap(m_queue);
    for (const Pending& event : batch) {
        apply(event);
        if (!mBuffered || !mListener) continue;
        OIS::KeyEvent arg(this, event.key, event.text);
        if (event.down)
            mListener->keyPressed(arg);
        else
            mListener->keyReleased(arg);
    }
}
