// The window-fed keyboard and the tool's key table it ends in: every GLFW key
// of the table reaches its tool code, and the keyboard delivers like an OIS one.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "GlfwKeyboard.h"
#include "KeyCodeMap.h"

namespace {

constexpr int kSpecial = 0x01000000;

struct Recorder : OIS::KeyListener {
    struct Event {
        bool pressed;
        OIS::KeyCode key;
        unsigned int text;
        bool downInside;  // isKeyDown(key) as the listener saw it
    };
    explicit Recorder(GlfwKeyboard* kb) : keyboard(kb) { kb->setEventCallback(this); }
    bool keyPressed(const OIS::KeyEvent& e) override { return record(true, e); }
    bool keyReleased(const OIS::KeyEvent& e) override { return record(false, e); }
    bool record(bool pressed, const OIS::KeyEvent& e) {
        events.push_back({pressed, e.key, e.text, keyboard->isKeyDown(e.key)});
        if (onEvent) onEvent(e);
        return true;
    }
    GlfwKeyboard* keyboard;
    std::vector<Event> events;
    std::function<void(const OIS::KeyEvent&)> onEvent;
};

}  // namespace

// The tool's 79 pairs, by the GLFW key that produces each, built from the
// rows' rules rather than copied from the table.
TEST(KeyCodeMap, EveryToolKeyTravelsFromGlfwToItsToolCodeAndNoOtherKeyHasOne) {
    std::vector<std::pair<int, int>> rows;
    for (int i = 0; i < 26; ++i) rows.push_back({GLFW_KEY_A + i, 'A' + i});
    for (int i = 0; i < 10; ++i) rows.push_back({GLFW_KEY_0 + i, '0' + i});
    for (int i = 0; i < 12; ++i) rows.push_back({GLFW_KEY_F1 + i, kSpecial + 0x30 + i});
    rows.insert(rows.end(), {
        {GLFW_KEY_GRAVE_ACCENT, '`'}, {GLFW_KEY_MINUS, '-'}, {GLFW_KEY_EQUAL, '='}, {GLFW_KEY_LEFT_BRACKET, '['},
        {GLFW_KEY_RIGHT_BRACKET, ']'}, {GLFW_KEY_BACKSLASH, '\\'}, {GLFW_KEY_SEMICOLON, ';'},
        {GLFW_KEY_APOSTROPHE, '\''}, {GLFW_KEY_COMMA, ','}, {GLFW_KEY_PERIOD, '.'}, {GLFW_KEY_SLASH, '/'},
        {GLFW_KEY_SPACE, ' '}, {GLFW_KEY_KP_DIVIDE, '/'}, {GLFW_KEY_KP_MULTIPLY, '*'}, {GLFW_KEY_KP_SUBTRACT, '-'},
        {GLFW_KEY_KP_ADD, '+'}, {GLFW_KEY_ESCAPE, kSpecial}, {GLFW_KEY_TAB, kSpecial + 1},
        {GLFW_KEY_KP_ENTER, kSpecial + 5}, {GLFW_KEY_INSERT, kSpecial + 6}, {GLFW_KEY_DELETE, kSpecial + 7},
        {GLFW_KEY_HOME, kSpecial + 0x10}, {GLFW_KEY_END, kSpecial + 0x11}, {GLFW_KEY_LEFT, kSpecial + 0x12},
        {GLFW_KEY_UP, kSpecial + 0x13}, {GLFW_KEY_RIGHT, kSpecial + 0x14}, {GLFW_KEY_DOWN, kSpecial + 0x15},
        {GLFW_KEY_LEFT_SHIFT, kSpecial + 0x20}, {GLFW_KEY_LEFT_CONTROL, kSpecial + 0x21},
        {GLFW_KEY_LEFT_ALT, kSpecial + 0x23}, {GLFW_KEY_CAPS_LOCK, kSpecial + 0x24},
    });
    ASSERT_EQ(rows.size(), 79u);
    for (const auto& [glfw, tool] : rows)
        EXPECT_EQ(toolKeyCode(GlfwKeyboard::keyCodeForGlfwKey(glfw)), tool) << "GLFW key " << glfw;
    size_t mapped = 0;
    for (const auto& entry : keyCodeMap) mapped += entry.second != 0;
    EXPECT_EQ(mapped, 79u) << "a row the tool does not have";
    // A key without a row gives "no key", and the lookup inserts it with 0.
    EXPECT_EQ(toolKeyCode(OIS::KC_RETURN), 0);
    EXPECT_EQ(keyCodeMap.count(OIS::KC_RETURN), 1u);
}

TEST(GlfwKeyboard, TranslationCoversAFullKeyboardWithoutClashes) {
    // Keys that the tool ignores still need their own OIS code, or a held
    // Return would read as a held numeric-pad Enter.
    std::set<int> seen;
    for (int key = GLFW_KEY_SPACE; key <= GLFW_KEY_LAST; ++key) {
        const OIS::KeyCode kc = GlfwKeyboard::keyCodeForGlfwKey(key);
        if (kc == OIS::KC_UNASSIGNED) continue;
        EXPECT_TRUE(seen.insert(kc).second) << "OIS code " << kc << " used twice (GLFW key " << key << ")";
        // The script names the same key.
        EXPECT_EQ(GlfwKeyboard::keyCodeForName(GlfwKeyboard::nameForKeyCode(kc)), kc);
        EXPECT_EQ(GlfwKeyboard::glfwKeyForKeyCode(kc), key);
    }
    EXPECT_GE(seen.size(), 105u);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_ENTER), OIS::KC_RETURN);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_KP_ENTER), OIS::KC_NUMPADENTER);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_RIGHT_ALT), OIS::KC_RMENU);
    EXPECT_EQ(GlfwKeyboard::keyCodeForName("KC_NOPE"), OIS::KC_UNASSIGNED);
    EXPECT_EQ(GlfwKeyboard::glfwKeyForKeyCode(OIS::KC_UNASSIGNED), -1);
}

TEST(GlfwKeyboard, DeliversFromCaptureInOrderWithTextStateAndModifiers) {
    GlfwKeyboard keyboard;
    Recorder listener(&keyboard);
    EXPECT_FALSE(keyboard.feedKey(GLFW_KEY_UNKNOWN, true));
    keyboard.feedKey(GLFW_KEY_J, true);
    keyboard.feedKey(GLFW_KEY_RIGHT_SHIFT, true);
    keyboard.feedKey(GLFW_KEY_A, true, 0xE4);  // the window's own character wins
    keyboard.feedKey(GLFW_KEY_J, false);
    keyboard.feedKey(GLFW_KEY_F5, true);
    // Nothing reaches the listener, nor the key state, before capture.
    EXPECT_TRUE(listener.events.empty());
    EXPECT_FALSE(keyboard.isKeyDown(OIS::KC_J));
    keyboard.capture();

    ASSERT_EQ(listener.events.size(), 5u);
    const std::vector<OIS::KeyCode> keys = {OIS::KC_J, OIS::KC_RSHIFT, OIS::KC_A, OIS::KC_J, OIS::KC_F5};
    // Without the window's character the US layout's unshifted one, Shift or not.
    const std::vector<unsigned int> texts = {'j', 0, 0xE4, 0, 0};
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(listener.events[i].key, keys[i]);
        EXPECT_EQ(listener.events[i].text, texts[i]);
        EXPECT_EQ(listener.events[i].downInside, listener.events[i].pressed);
    }
    EXPECT_FALSE(listener.events[3].pressed);
    EXPECT_TRUE(keyboard.isKeyDown(OIS::KC_A));
    EXPECT_FALSE(keyboard.isKeyDown(OIS::KC_J));
    char states[256];
    keyboard.copyKeyStates(states);
    EXPECT_EQ(states[OIS::KC_A], 1);
    EXPECT_EQ(states[OIS::KC_J], 0);
    EXPECT_TRUE(keyboard.isModifierDown(OIS::Keyboard::Shift));
    EXPECT_FALSE(keyboard.isModifierDown(OIS::Keyboard::Ctrl));
    keyboard.feedKey(GLFW_KEY_RIGHT_SHIFT, false);
    keyboard.feedKey(GLFW_KEY_LEFT_CONTROL, true);
    keyboard.capture();
    EXPECT_FALSE(keyboard.isModifierDown(OIS::Keyboard::Shift));
    EXPECT_TRUE(keyboard.isModifierDown(OIS::Keyboard::Ctrl));

    EXPECT_EQ(keyboard.getAsString(OIS::KC_J), "J");
    EXPECT_EQ(keyboard.getAsString(OIS::KC_RETURN), "Return");
    EXPECT_FALSE(keyboard.getAsString(OIS::KC_MAIL).empty());
}

TEST(GlfwKeyboard, UnbufferedCaptureOnlyUpdatesStateAndLateFeedsWait) {
    GlfwKeyboard keyboard;
    Recorder listener(&keyboard);
    keyboard.setBuffered(false);
    keyboard.feedKey(GLFW_KEY_SPACE, true);
    keyboard.capture();
    EXPECT_TRUE(listener.events.empty());
    EXPECT_TRUE(keyboard.isKeyDown(OIS::KC_SPACE));

    // A key fed from inside the listener is delivered by the next capture.
    keyboard.setBuffered(true);
    listener.onEvent = [&](const OIS::KeyEvent& e) {
        if (e.key == OIS::KC_A) keyboard.feedKey(GLFW_KEY_B, true);
    };
    keyboard.feedKey(GLFW_KEY_A, true);
    keyboard.capture();
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(keyboard.pendingEvents(), 1u);
    keyboard.capture();
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[1].key, OIS::KC_B);
}
