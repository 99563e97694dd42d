// The tool's key table, the window-fed keyboard that produces its OIS codes,
// and the Steam line, which the player writes next to the key set-up.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "GlfwKeyboard.h"
#include "KeyCodeMap.h"
#include "SteamStub.h"

namespace {

constexpr int kSpecial = 0x01000000;

// The tool's pairs, built from the rows' rules rather than copied.
std::map<OIS::KeyCode, int> expectedPairs() {
    std::map<OIS::KeyCode, int> m;
    auto row = [&](OIS::KeyCode first, const char* letters) {
        for (int i = 0; letters[i]; ++i) m[static_cast<OIS::KeyCode>(first + i)] = letters[i];
    };
    row(OIS::KC_Q, "QWERTYUIOP");
    row(OIS::KC_A, "ASDFGHJKL");
    row(OIS::KC_Z, "ZXCVBNM");
    row(OIS::KC_1, "123456789");
    m[OIS::KC_0] = '0';
    const OIS::KeyCode fkeys[] = {OIS::KC_F1, OIS::KC_F2, OIS::KC_F3, OIS::KC_F4,  OIS::KC_F5,  OIS::KC_F6,
                                  OIS::KC_F7, OIS::KC_F8, OIS::KC_F9, OIS::KC_F10, OIS::KC_F11, OIS::KC_F12};
    for (int i = 0; i < 12; ++i) m[fkeys[i]] = 0x01000030 + i;
    const std::pair<OIS::KeyCode, int> rest[] = {
        {OIS::KC_GRAVE, '`'},        {OIS::KC_MINUS, '-'},      {OIS::KC_EQUALS, '='},
        {OIS::KC_LBRACKET, '['},     {OIS::KC_RBRACKET, ']'},   {OIS::KC_BACKSLASH, '\\'},
        {OIS::KC_SEMICOLON, ';'},    {OIS::KC_APOSTROPHE, '\''}, {OIS::KC_COMMA, ','},
        {OIS::KC_PERIOD, '.'},       {OIS::KC_SLASH, '/'},      {OIS::KC_SPACE, ' '},
        {OIS::KC_DIVIDE, '/'},       {OIS::KC_MULTIPLY, '*'},   {OIS::KC_SUBTRACT, '-'},
        {OIS::KC_ADD, '+'},          {OIS::KC_ESCAPE, kSpecial}, {OIS::KC_TAB, kSpecial + 1},
        {OIS::KC_NUMPADENTER, kSpecial + 5}, {OIS::KC_INSERT, kSpecial + 6}, {OIS::KC_DELETE, kSpecial + 7},
        {OIS::KC_HOME, kSpecial + 0x10}, {OIS::KC_END, kSpecial + 0x11}, {OIS::KC_LEFT, kSpecial + 0x12},
        {OIS::KC_UP, kSpecial + 0x13}, {OIS::KC_RIGHT, kSpecial + 0x14}, {OIS::KC_DOWN, kSpecial + 0x15},
        {OIS::KC_LSHIFT, kSpecial + 0x20}, {OIS::KC_LCONTROL, kSpecial + 0x21},
        {OIS::KC_LMENU, kSpecial + 0x23}, {OIS::KC_CAPITAL, kSpecial + 0x24},
    };
    for (const auto& p : rest) m[p.first] = p.second;
    return m;
}

class RecordingListener : public OIS::KeyListener {
public:
    struct Event {
        bool pressed;
        OIS::KeyCode key;
        unsigned int text;
        bool downInside;  // isKeyDown(key) as the listener saw it
    };
    explicit RecordingListener(GlfwKeyboard* kb = nullptr) : keyboard(kb) {}
    bool keyPressed(const OIS::KeyEvent& e) override { return record(true, e); }
    bool keyReleased(const OIS::KeyEvent& e) override { return record(false, e); }

    GlfwKeyboard* keyboard;
    std::vector<Event> events;

private:
    bool record(bool pressed, const OIS::KeyEvent& e) {
        events.push_back({pressed, e.key, e.text, keyboard && keyboard->isKeyDown(e.key)});
        return true;
    }
};

}  // namespace

TEST(KeyCodeMap, HoldsExactlyTheToolPairs) {
    const auto expected = expectedPairs();
    ASSERT_EQ(expected.size(), 79u);
    size_t mapped = 0;
    for (const auto& [key, code] : keyCodeMap) {
        if (code == 0) continue;  // inserted by an earlier lookup
        ++mapped;
        auto it = expected.find(key);
        ASSERT_NE(it, expected.end()) << "unexpected row for OIS key " << key;
        EXPECT_EQ(code, it->second) << "OIS key " << key;
    }
    EXPECT_EQ(mapped, 79u);
    for (const auto& [key, code] : expected) EXPECT_EQ(toolKeyCode(key), code) << "OIS key " << key;
}

TEST(KeyCodeMap, KeysWithoutARowTranslateToNoKeyAndAreInserted) {
    const OIS::KeyCode none[] = {
        OIS::KC_RETURN,  OIS::KC_BACK,    OIS::KC_RSHIFT,  OIS::KC_RCONTROL, OIS::KC_RMENU,   OIS::KC_NUMPAD0,
        OIS::KC_NUMPAD1, OIS::KC_NUMPAD2, OIS::KC_NUMPAD3, OIS::KC_NUMPAD4,  OIS::KC_NUMPAD5, OIS::KC_NUMPAD6,
        OIS::KC_NUMPAD7, OIS::KC_NUMPAD8, OIS::KC_NUMPAD9, OIS::KC_DECIMAL,  OIS::KC_PGUP,    OIS::KC_PGDOWN,
        OIS::KC_NUMLOCK, OIS::KC_SCROLL,  OIS::KC_PAUSE,   OIS::KC_LWIN,     OIS::KC_RWIN,    OIS::KC_APPS,
        OIS::KC_MEDIASELECT};
    for (OIS::KeyCode kc : none) {
        EXPECT_EQ(toolKeyCode(kc), 0) << "OIS key " << kc;
        auto it = keyCodeMap.find(kc);
        ASSERT_NE(it, keyCodeMap.end());
        EXPECT_EQ(it->second, 0);
    }
}

TEST(SteamLine, WritesTheLiteralTextAndDigitWithoutALineEnd) {
    EXPECT_FALSE(SteamAPI_Init());
    for (bool result : {false, true}) {
        char* buffer = nullptr;
        size_t size = 0;
        std::FILE* out = open_memstream(&buffer, &size);
        ASSERT_NE(out, nullptr);
        writeSteamStarted(out, result);
        // Flushed by the call itself: the bytes are visible before fclose.
        EXPECT_EQ(std::string(buffer, size), result ? "Steam Started: %b1" : "Steam Started: %b0");
        std::fclose(out);
        std::free(buffer);
    }
}

// GLFW key of every row of the tool's table, with the code it must end as.
TEST(GlfwKeyboard, EveryToolKeyTravelsFromGlfwToItsToolCode) {
    struct Row {
        int glfw;
        int tool;
    };
    std::vector<Row> rows;
    const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < 26; ++i) rows.push_back({GLFW_KEY_A + i, letters[i]});
    for (int i = 0; i < 10; ++i) rows.push_back({GLFW_KEY_0 + i, '0' + i});
    for (int i = 0; i < 12; ++i) rows.push_back({GLFW_KEY_F1 + i, kSpecial + 0x30 + i});
    const Row rest[] = {
        {GLFW_KEY_GRAVE_ACCENT, '`'}, {GLFW_KEY_MINUS, '-'},        {GLFW_KEY_EQUAL, '='},
        {GLFW_KEY_LEFT_BRACKET, '['}, {GLFW_KEY_RIGHT_BRACKET, ']'}, {GLFW_KEY_BACKSLASH, '\\'},
        {GLFW_KEY_SEMICOLON, ';'},    {GLFW_KEY_APOSTROPHE, '\''},  {GLFW_KEY_COMMA, ','},
        {GLFW_KEY_PERIOD, '.'},       {GLFW_KEY_SLASH, '/'},        {GLFW_KEY_SPACE, ' '},
        {GLFW_KEY_KP_DIVIDE, '/'},    {GLFW_KEY_KP_MULTIPLY, '*'},  {GLFW_KEY_KP_SUBTRACT, '-'},
        {GLFW_KEY_KP_ADD, '+'},       {GLFW_KEY_ESCAPE, kSpecial},  {GLFW_KEY_TAB, kSpecial + 1},
        {GLFW_KEY_KP_ENTER, kSpecial + 5}, {GLFW_KEY_INSERT, kSpecial + 6}, {GLFW_KEY_DELETE, kSpecial + 7},
        {GLFW_KEY_HOME, kSpecial + 0x10}, {GLFW_KEY_END, kSpecial + 0x11}, {GLFW_KEY_LEFT, kSpecial + 0x12},
        {GLFW_KEY_UP, kSpecial + 0x13}, {GLFW_KEY_RIGHT, kSpecial + 0x14}, {GLFW_KEY_DOWN, kSpecial + 0x15},
        {GLFW_KEY_LEFT_SHIFT, kSpecial + 0x20}, {GLFW_KEY_LEFT_CONTROL, kSpecial + 0x21},
        {GLFW_KEY_LEFT_ALT, kSpecial + 0x23}, {GLFW_KEY_CAPS_LOCK, kSpecial + 0x24},
    };
    rows.insert(rows.end(), std::begin(rest), std::end(rest));
    ASSERT_EQ(rows.size(), 79u);

    GlfwKeyboard keyboard;
    RecordingListener listener(&keyboard);
    keyboard.setEventCallback(&listener);
    for (const Row& row : rows) {
        listener.events.clear();
        ASSERT_TRUE(keyboard.feedGlfwKey(row.glfw, GLFW_PRESS)) << "GLFW key " << row.glfw;
        ASSERT_TRUE(keyboard.feedGlfwKey(row.glfw, GLFW_RELEASE));
        keyboard.capture();
        ASSERT_EQ(listener.events.size(), 2u) << "GLFW key " << row.glfw;
        EXPECT_TRUE(listener.events[0].pressed);
        EXPECT_FALSE(listener.events[1].pressed);
        EXPECT_EQ(listener.events[0].key, listener.events[1].key);
        EXPECT_EQ(toolKeyCode(listener.events[0].key), row.tool) << "GLFW key " << row.glfw;
    }
}

TEST(GlfwKeyboard, TranslationCoversAFullKeyboardWithoutClashes) {
    // Keys that the tool ignores still need their own OIS code, or a held
    // Return would read as a held numeric-pad Enter.
    std::set<int> seen;
    int mapped = 0;
    for (int key = GLFW_KEY_SPACE; key <= GLFW_KEY_LAST; ++key) {
        OIS::KeyCode kc = GlfwKeyboard::keyCodeForGlfwKey(key);
        if (kc == OIS::KC_UNASSIGNED) continue;
        ++mapped;
        EXPECT_TRUE(seen.insert(kc).second) << "OIS code " << kc << " used twice (GLFW key " << key << ")";
        // The script names the same key.
        EXPECT_EQ(GlfwKeyboard::keyCodeForName(GlfwKeyboard::nameForKeyCode(kc)), kc);
    }
    EXPECT_GE(mapped, 105);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_ENTER), OIS::KC_RETURN);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_KP_ENTER), OIS::KC_NUMPADENTER);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_RIGHT_ALT), OIS::KC_RMENU);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_KP_5), OIS::KC_NUMPAD5);
    EXPECT_EQ(GlfwKeyboard::keyCodeForGlfwKey(GLFW_KEY_UNKNOWN), OIS::KC_UNASSIGNED);
    EXPECT_EQ(GlfwKeyboard::keyCodeForName("KC_NOPE"), OIS::KC_UNASSIGNED);
}

TEST(GlfwKeyboard, DeliversEachPressAndReleaseOnceInOrderFromCapture) {
    GlfwKeyboard keyboard;
    RecordingListener listener(&keyboard);
    keyboard.setEventCallback(&listener);

    // A release without a press (key held while the window got focus).
    EXPECT_FALSE(keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_RELEASE));
    EXPECT_TRUE(keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_PRESS));
    EXPECT_FALSE(keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_REPEAT));
    EXPECT_FALSE(keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_PRESS));  // auto-repeat as a plain press
    EXPECT_TRUE(keyboard.feedGlfwKey(GLFW_KEY_K, GLFW_PRESS));
    EXPECT_TRUE(keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_RELEASE));
    EXPECT_FALSE(keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_RELEASE));
    EXPECT_FALSE(keyboard.feedGlfwKey(GLFW_KEY_UNKNOWN, GLFW_PRESS));

    // Nothing reaches the listener, nor the key state, before capture.
    EXPECT_TRUE(listener.events.empty());
    EXPECT_FALSE(keyboard.isKeyDown(OIS::KC_K));
    keyboard.capture();

    ASSERT_EQ(listener.events.size(), 3u);
    EXPECT_TRUE(listener.events[0].pressed);
    EXPECT_EQ(listener.events[0].key, OIS::KC_J);
    EXPECT_TRUE(listener.events[0].downInside);
    EXPECT_EQ(listener.events[1].key, OIS::KC_K);
    EXPECT_FALSE(listener.events[2].pressed);
    EXPECT_EQ(listener.events[2].key, OIS::KC_J);
    EXPECT_FALSE(listener.events[2].downInside);

    EXPECT_FALSE(keyboard.isKeyDown(OIS::KC_J));
    EXPECT_TRUE(keyboard.isKeyDown(OIS::KC_K));
    char states[256];
    keyboard.copyKeyStates(states);
    EXPECT_EQ(states[OIS::KC_K], 1);
    EXPECT_EQ(states[OIS::KC_J], 0);

    listener.events.clear();
    keyboard.capture();
    EXPECT_TRUE(listener.events.empty());
}

TEST(GlfwKeyboard, TextModifiersNamesAndScriptKeys) {
    GlfwKeyboard keyboard;
    RecordingListener listener(&keyboard);
    keyboard.setEventCallback(&listener);

    keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_PRESS);
    keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_RELEASE);
    keyboard.feedGlfwKey(GLFW_KEY_RIGHT_SHIFT, GLFW_PRESS);
    keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_PRESS);
    keyboard.feedGlfwKey(GLFW_KEY_J, GLFW_RELEASE);
    keyboard.feedGlfwKey(GLFW_KEY_A, GLFW_PRESS, 0xE4);  // the window's own character wins
    keyboard.feedGlfwKey(GLFW_KEY_F5, GLFW_PRESS);
    keyboard.capture();
    ASSERT_EQ(listener.events.size(), 7u);
    EXPECT_EQ(listener.events[0].text, unsigned('j'));
    EXPECT_EQ(listener.events[1].text, 0u);  // releases carry no character
    EXPECT_EQ(listener.events[3].text, unsigned('J'));
    EXPECT_EQ(listener.events[5].text, 0xE4u);
    EXPECT_EQ(listener.events[6].text, 0u);

    EXPECT_TRUE(keyboard.isModifierDown(OIS::Keyboard::Shift));
    EXPECT_FALSE(keyboard.isModifierDown(OIS::Keyboard::Ctrl));
    keyboard.feedGlfwKey(GLFW_KEY_RIGHT_SHIFT, GLFW_RELEASE);
    keyboard.feedGlfwKey(GLFW_KEY_LEFT_CONTROL, GLFW_PRESS);
    keyboard.capture();
    EXPECT_FALSE(keyboard.isModifierDown(OIS::Keyboard::Shift));
    EXPECT_TRUE(keyboard.isModifierDown(OIS::Keyboard::Ctrl));

    EXPECT_EQ(keyboard.getAsString(OIS::KC_J), "J");
    EXPECT_EQ(keyboard.getAsString(OIS::KC_RETURN), "Return");
    EXPECT_FALSE(keyboard.getAsString(OIS::KC_MAIL).empty());

    listener.events.clear();
    EXPECT_TRUE(keyboard.feedNamedKey("KC_UP", true));
    EXPECT_FALSE(keyboard.feedNamedKey("UP", true));
    EXPECT_TRUE(keyboard.feedNamedKey("KC_UP", false));
    keyboard.capture();
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[0].key, OIS::KC_UP);
    EXPECT_EQ(toolKeyCode(listener.events[0].key), kSpecial + 0x13);
}

TEST(GlfwKeyboard, UnbufferedCaptureOnlyUpdatesStateAndLateFeedsWait) {
    GlfwKeyboard keyboard;
    struct Feeder : RecordingListener {
        using RecordingListener::RecordingListener;
        bool keyPressed(const OIS::KeyEvent& e) override {
            if (e.key == OIS::KC_A) keyboard->feedGlfwKey(GLFW_KEY_B, GLFW_PRESS);
            return RecordingListener::keyPressed(e);
        }
    } listener(&keyboard);
    keyboard.setEventCallback(&listener);
    keyboard.setBuffered(false);
    keyboard.feedGlfwKey(GLFW_KEY_SPACE, GLFW_PRESS);
    keyboard.capture();
    EXPECT_TRUE(listener.events.empty());
    EXPECT_TRUE(keyboard.isKeyDown(OIS::KC_SPACE));

    // A key fed from inside the listener is delivered by the next capture.
    keyboard.setBuffered(true);
    keyboard.feedGlfwKey(GLFW_KEY_A, GLFW_PRESS);
    keyboard.capture();
    ASSERT_EQ(listener.events.size(), 1u);
    EXPECT_EQ(keyboard.pendingEvents(), 1u);
    keyboard.capture();
    ASSERT_EQ(listener.events.size(), 2u);
    EXPECT_EQ(listener.events[1].key, OIS::KC_B);
}
