// An OIS keyboard fed by the window's key events instead of its own X11
// connection. OIS's X11 keyboard, beside a GLFW window, sees each press as a
// release/press pair with one timestamp (its connection lacks detectable
// auto-repeat) and its repeat filter swallows the press. This keyboard gets
// the view's clean press and release events (window and script alike),
// queues them, and hands them to the listener from capture(), so listeners
// cannot tell it from an OIS device.
#pragma once

#include <deque>
#include <string>

#include <OISKeyboard.h>

class GlfwKeyboard : public OIS::Keyboard {
public:
    GlfwKeyboard();
    ~GlfwKeyboard() override = default;

    // OIS::Object
    void setBuffered(bool buffered) override;
    // Delivers the queued events, in order, to the listener (buffered mode), or
    // only applies them to the key state (unbuffered).
    void capture() override;
    OIS::Interface* queryInterface(OIS::Interface::IType type) override;
    void _initialize() override;

    // OIS::Keyboard
    bool isKeyDown(OIS::KeyCode key) const override;
    const std::string& getAsString(OIS::KeyCode kc) override;
    void copyKeyStates(char keys[256]) const override;

    // The one translation: a key from the view's sink (already free of
    // repeats) becomes an OIS key event, queued for capture(). The character
    // is the window's (`text`) or, where it gives none, the US layout's
    // unshifted one; releases carry none. False for a key outside the table.
    bool feedKey(int glfwKey, bool pressed, unsigned int text = 0);

    // Number of events waiting for capture().
    std::size_t pendingEvents() const { return m_queue.size(); }

    // The translation table, shared with tools and tests.
    static OIS::KeyCode keyCodeForGlfwKey(int glfwKey);
    // The GLFW key at that position; -1 outside the table.
    static int glfwKeyForKeyCode(OIS::KeyCode kc);
    // KC_UNASSIGNED for an unknown name.
    static OIS::KeyCode keyCodeForName(const std::string& name);
    // "KC_J"; empty for a code outside the table.
    static const char* nameForKeyCode(OIS::KeyCode kc);

private:
    struct Pending {
        OIS::KeyCode key;
        bool down;
        unsigned int text;
    };
    void apply(const Pending& event);

    std::deque<Pending> m_queue;
    bool m_down[256] = {};  // state as delivered
    std::string m_name;     // getAsString's storage
};
