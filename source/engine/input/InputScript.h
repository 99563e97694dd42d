// (ours) The scripted input player behind ENGINE_INPUT_SCRIPT.
//
// One event per line: `frame kind args`, frames counting from 1 and never
// decreasing; `#` starts a comment and blank lines are skipped.
//     touch down|move|up X Y   window pixels, origin top-left
//     back                     the Escape/back key
//     accel X Y Z              one accelerometer reading
//     key down|up NAME         a key for the host's key sink (GLFW names:
//                              A..Z, 0..9, SPACE, ENTER, ESCAPE, LEFT, F1...)
//     pad button down|up N     gamepad button N (0..255) for the host's pad sink
//     pad axis N VALUE         gamepad axis N (0..255) at VALUE (-32768..32767)
//     iconify | restore        the window events of that name
//     quit                     a close request
// A frame's events are delivered in file order, after the window's own events.
// Any error names the line; the player then refuses to run.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cocos2d {

class TouchInput;

struct InputScriptEvent {
    enum Kind {
        TouchDown,
        TouchMove,
        TouchUp,
        Back,
        Accel,
        KeyDown,
        KeyUp,
        Iconify,
        Restore,
        Quit,
        PadButtonDown,
        PadButtonUp,
        PadAxis,
    };
    unsigned int frame = 0;
    unsigned int line = 0;
    Kind kind = Back;
    double x = 0, y = 0, z = 0;
    std::string keyName;
    int key = 0;       // GLFW key code
    int pad = 0;       // pad button or axis number
    int padValue = 0;  // pad axis value
};

class InputScript {
public:
    // Bounds, so a runaway or hostile file is refused rather than swallowed.
    static constexpr std::size_t kMaxFileBytes = 4u << 20;
    static constexpr std::size_t kMaxLineBytes = 1024;
    static constexpr std::size_t kMaxEvents = 1u << 20;

    // On failure returns false, keeps no events and sets `error` to a message
    // that starts with "line N: ".
    bool parse(const std::string& text, std::string* error);
    // As parse; a missing or unreadable file is an error too.
    bool loadFile(const std::string& path, std::string* error);

    const std::vector<InputScriptEvent>& events() const { return m_events; }
    // The events of `frame`, in file order. Frames must be asked in
    // increasing order; events of skipped frames are dropped.
    std::vector<InputScriptEvent> takeFrame(unsigned int frame);
    bool finished() const { return m_next >= m_events.size(); }

    // The GLFW key code of a key name (case-insensitive), or -1.
    static int keyCodeForName(const std::string& name);
    // Names the engine does not know (the host's OIS names, "KC_J") go to
    // this resolver, which gives a GLFW key or -1; empty removes it.
    typedef std::function<int(const std::string& name)> KeyNameResolver;
    static void setKeyNameResolver(KeyNameResolver resolver);

private:
    std::vector<InputScriptEvent> m_events;
    std::size_t m_next = 0;
};

// Where script events go. The default engine target sends touches through
// TouchInput, back to the keypad dispatcher and readings to the
// accelerometer; the view supplies the window-level ones.
class InputScriptTarget {
public:
    virtual ~InputScriptTarget() = default;
    virtual void scriptTouch(const InputScriptEvent& event);
    virtual void scriptBack();
    virtual void scriptAccel(double x, double y, double z);
    // The window-level events; without an override they are logged.
    virtual void scriptKey(const InputScriptEvent& event);
    // A pad button or axis line; the numbers are the host's, passed as written.
    virtual void scriptPad(const InputScriptEvent& event);
    virtual void scriptIconify();
    virtual void scriptRestore();
    virtual void scriptQuit();
};

class InputScriptPlayer {
public:
    static InputScriptPlayer* sharedPlayer();

    // Reads ENGINE_INPUT_SCRIPT. Unset or empty: no script, true. A missing
    // file or a bad line: one error line naming the file and line, in the
    // log and as a notice (QVLog.h), and false (the caller must not start
    // the loop).
    bool loadFromEnvironment();
    bool loadFile(const std::string& path);
    bool loadText(const std::string& text, const std::string& name = "script");
    bool isLoaded() const { return m_script != nullptr; }
    void unload();

    // Delivers the events of `frame` to `target` (the shared engine target
    // when null). Frames only move forward.
    void deliverFrame(unsigned int frame, InputScriptTarget* target = nullptr);

private:
    bool load(const std::string& path, std::string* error);

    std::unique_ptr<InputScript> m_script;
};

}  // namespace cocos2d
