#include "input/InputScript.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "director/CCDirector.h"
#include "director/EngineHooks.h"
#include "input/CCAccelerometer.h"
#include "input/CCKeypadDispatcher.h"
#include "input/TouchInput.h"
#include "platform/CCCommon.h"
#include "platform/QVLog.h"

namespace cocos2d {

namespace {

// errno 0 (a stream that failed without one) adds nothing.
std::string withReason(const char* what, int err) {
    return err ? std::string(what) + ": " + std::strerror(err) : std::string(what);
}

// Window coordinates and readings beyond this are typing mistakes, not input.
constexpr double kMaxMagnitude = 1e6;
constexpr unsigned long kMaxFrame = 1000000000ul;

struct KeyName {
    const char* name;
    int key;
};

const KeyName kNamedKeys[] = {
    {"SPACE", GLFW_KEY_SPACE},
    {"APOSTROPHE", GLFW_KEY_APOSTROPHE},
    {"COMMA", GLFW_KEY_COMMA},
    {"MINUS", GLFW_KEY_MINUS},
    {"PERIOD", GLFW_KEY_PERIOD},
    {"SLASH", GLFW_KEY_SLASH},
    {"SEMICOLON", GLFW_KEY_SEMICOLON},
    {"EQUAL", GLFW_KEY_EQUAL},
    {"LEFT_BRACKET", GLFW_KEY_LEFT_BRACKET},
    {"BACKSLASH", GLFW_KEY_BACKSLASH},
    {"RIGHT_BRACKET", GLFW_KEY_RIGHT_BRACKET},
    {"GRAVE_ACCENT", GLFW_KEY_GRAVE_ACCENT},
    {"ESCAPE", GLFW_KEY_ESCAPE},
    {"ENTER", GLFW_KEY_ENTER},
    {"TAB", GLFW_KEY_TAB},
    {"BACKSPACE", GLFW_KEY_BACKSPACE},
    {"INSERT", GLFW_KEY_INSERT},
    {"DELETE", GLFW_KEY_DELETE},
    {"RIGHT", GLFW_KEY_RIGHT},
    {"LEFT", GLFW_KEY_LEFT},
    {"DOWN", GLFW_KEY_DOWN},
    {"UP", GLFW_KEY_UP},
    {"PAGE_UP", GLFW_KEY_PAGE_UP},
    {"PAGE_DOWN", GLFW_KEY_PAGE_DOWN},
    {"HOME", GLFW_KEY_HOME},
    {"END", GLFW_KEY_END},
    {"PAUSE", GLFW_KEY_PAUSE},
    {"KP_ENTER", GLFW_KEY_KP_ENTER},
    {"LEFT_SHIFT", GLFW_KEY_LEFT_SHIFT},
    {"LEFT_CONTROL", GLFW_KEY_LEFT_CONTROL},
    {"LEFT_ALT", GLFW_KEY_LEFT_ALT},
    {"RIGHT_SHIFT", GLFW_KEY_RIGHT_SHIFT},
    {"RIGHT_CONTROL", GLFW_KEY_RIGHT_CONTROL},
    {"RIGHT_ALT", GLFW_KEY_RIGHT_ALT},
};

std::string upper(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool parseNumber(const std::string& token, double* value) {
    if (token.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    if (errno != 0 || end != token.c_str() + token.size() || !std::isfinite(v) || std::fabs(v) > kMaxMagnitude)
        return false;
    *value = v;
    return true;
}

bool parseFrame(const std::string& token, unsigned int* frame) {
    if (token.empty() || token.size() > 10) return false;
    for (char c : token) {
        if (c < '0' || c > '9') return false;
    }
    const unsigned long v = std::strtoul(token.c_str(), nullptr, 10);
    if (v == 0 || v > kMaxFrame) return false;
    *frame = static_cast<unsigned int>(v);
    return true;
}

// Pad numbers as OIS gives them: buttons and axes by index, axis values in
// its signed 16-bit range.
constexpr long kMaxPadNumber = 255;
constexpr long kMinAxisValue = -32768;
constexpr long kMaxAxisValue = 32767;

bool parseInteger(const std::string& token, long low, long high, int* value) {
    if (token.empty() || token.size() > 12) return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(token.c_str(), &end, 10);
    if (errno != 0 || end != token.c_str() + token.size() || v < low || v > high) return false;
    *value = static_cast<int>(v);
    return true;
}

InputScript::KeyNameResolver& keyNameResolver() {
    static InputScript::KeyNameResolver resolver;
    return resolver;
}

std::string lineError(unsigned int line, const std::string& message) {
    return "line " + std::to_string(line) + ": " + message;
}

}  // namespace

int InputScript::keyCodeForName(const std::string& name) {
    const std::string n = upper(name);
    if (n.size() == 1 && n[0] >= 'A' && n[0] <= 'Z') return GLFW_KEY_A + (n[0] - 'A');
    if (n.size() == 1 && n[0] >= '0' && n[0] <= '9') return GLFW_KEY_0 + (n[0] - '0');
    if (n.size() >= 2 && n.size() <= 3 && n[0] == 'F') {
        int number = 0;
        for (size_t i = 1; i < n.size(); ++i) {
            if (n[i] < '0' || n[i] > '9') return -1;
            number = number * 10 + (n[i] - '0');
        }
        if (number < 1 || number > 25 || n[1] == '0') return -1;
        return GLFW_KEY_F1 + (number - 1);
    }
    if (n.size() == 4 && n.compare(0, 3, "KP_") == 0 && n[3] >= '0' && n[3] <= '9') return GLFW_KEY_KP_0 + (n[3] - '0');
    for (const KeyName& entry : kNamedKeys) {
        if (n == entry.name) return entry.key;
    }
    if (keyNameResolver()) return keyNameResolver()(n);
    return -1;
}

void InputScript::setKeyNameResolver(KeyNameResolver resolver) { keyNameResolver() = std::move(resolver); }

bool InputScript::parse(const std::string& text, std::string* error) {
    std::string scratch;
    if (!error) error = &scratch;
    m_events.clear();
    m_next = 0;
    if (text.size() > kMaxFileBytes) {
        *error = "line 1: the script is larger than " + std::to_string(kMaxFileBytes) + " bytes";
        return false;
    }
    std::vector<InputScriptEvent> events;
    unsigned int lastFrame = 0;
    unsigned int lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (line.size() > kMaxLineBytes) {
            *error = lineError(lineNumber, "line longer than " + std::to_string(kMaxLineBytes) + " bytes");
            return false;
        }
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find('\0') != std::string::npos) {
            *error = lineError(lineNumber, "NUL byte");
            return false;
        }
        std::istringstream in(line);
        std::vector<std::string> tokens;
        for (std::string token; in >> token;) tokens.push_back(token);
        if (tokens.empty()) continue;

        InputScriptEvent event;
        event.line = lineNumber;
        if (!parseFrame(tokens[0], &event.frame)) {
            *error = lineError(lineNumber, "'" + tokens[0] + "' is not a frame number (1 or more)");
            return false;
        }
        if (event.frame < lastFrame) {
            *error = lineError(lineNumber, "frame " + tokens[0] + " comes after frame " + std::to_string(lastFrame));
            return false;
        }
        if (tokens.size() < 2) {
            *error = lineError(lineNumber, "missing event kind after the frame");
            return false;
        }
        const std::string& kind = tokens[1];
        size_t expected = 2;
        if (kind == "touch") {
            expected = 5;
            if (tokens.size() >= 3) {
                if (tokens[2] == "down") {
                    event.kind = InputScriptEvent::TouchDown;
                } else if (tokens[2] == "move") {
                    event.kind = InputScriptEvent::TouchMove;
                } else if (tokens[2] == "up") {
                    event.kind = InputScriptEvent::TouchUp;
                } else {
                    *error = lineError(lineNumber, "touch wants down, move or up, not '" + tokens[2] + "'");
                    return false;
                }
            }
            if (tokens.size() != expected || !parseNumber(tokens[3], &event.x) || !parseNumber(tokens[4], &event.y)) {
                *error = lineError(lineNumber, "expected: FRAME touch down|move|up X Y");
                return false;
            }
        } else if (kind == "accel") {
            expected = 5;
            event.kind = InputScriptEvent::Accel;
            if (tokens.size() != expected || !parseNumber(tokens[2], &event.x) || !parseNumber(tokens[3], &event.y) ||
                !parseNumber(tokens[4], &event.z)) {
                *error = lineError(lineNumber, "expected: FRAME accel X Y Z");
                return false;
            }
        } else if (kind == "key") {
            expected = 4;
            if (tokens.size() != expected || (tokens[2] != "down" && tokens[2] != "up")) {
                *error = lineError(lineNumber, "expected: FRAME key down|up NAME");
                return false;
            }
            event.kind = tokens[2] == "down" ? InputScriptEvent::KeyDown : InputScriptEvent::KeyUp;
            event.keyName = upper(tokens[3]);
            event.key = keyCodeForName(tokens[3]);
            if (event.key < 0) {
                *error = lineError(lineNumber, "unknown key name '" + tokens[3] + "'");
                return false;
            }
        } else if (kind == "pad") {
            const bool button = tokens.size() >= 3 && tokens[2] == "button";
            const bool axis = tokens.size() >= 3 && tokens[2] == "axis";
            expected = 5;
            if (button && tokens.size() == expected && (tokens[3] == "down" || tokens[3] == "up") &&
                parseInteger(tokens[4], 0, kMaxPadNumber, &event.pad)) {
                event.kind = tokens[3] == "down" ? InputScriptEvent::PadButtonDown : InputScriptEvent::PadButtonUp;
            } else if (axis && tokens.size() == expected && parseInteger(tokens[3], 0, kMaxPadNumber, &event.pad) &&
                       parseInteger(tokens[4], kMinAxisValue, kMaxAxisValue, &event.padValue)) {
                event.kind = InputScriptEvent::PadAxis;
            } else {
                *error = lineError(lineNumber, "expected: FRAME pad button down|up N, or FRAME pad axis N VALUE (N 0-" +
                                                   std::to_string(kMaxPadNumber) + ", VALUE -32768 to 32767)");
                return false;
            }
        } else if (kind == "back") {
            event.kind = InputScriptEvent::Back;
        } else if (kind == "iconify") {
            event.kind = InputScriptEvent::Iconify;
        } else if (kind == "restore") {
            event.kind = InputScriptEvent::Restore;
        } else if (kind == "quit") {
            event.kind = InputScriptEvent::Quit;
        } else {
            *error = lineError(lineNumber, "unknown event kind '" + kind + "'");
            return false;
        }
        if (tokens.size() != expected) {
            *error = lineError(lineNumber, "unexpected '" + tokens[expected] + "' after " + kind);
            return false;
        }
        if (events.size() >= kMaxEvents) {
            *error = lineError(lineNumber, "more than " + std::to_string(kMaxEvents) + " events");
            return false;
        }
        lastFrame = event.frame;
        events.push_back(std::move(event));
    }
    m_events.swap(events);
    return true;
}

bool InputScript::loadFile(const std::string& path, std::string* error) {
    std::string scratch;
    if (!error) error = &scratch;
    m_events.clear();
    m_next = 0;
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = withReason("line 0: cannot open the file", errno);
        return false;
    }
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(in.gcount()));
        if (text.size() > kMaxFileBytes) {
            *error = "line 1: the script is larger than " + std::to_string(kMaxFileBytes) + " bytes";
            return false;
        }
    }
    if (in.bad()) {
        *error = withReason("line 0: read error", errno);
        return false;
    }
    return parse(text, error);
}

std::vector<InputScriptEvent> InputScript::takeFrame(unsigned int frame) {
    std::vector<InputScriptEvent> out;
    while (m_next < m_events.size() && m_events[m_next].frame < frame) ++m_next;
    while (m_next < m_events.size() && m_events[m_next].frame == frame) out.push_back(m_events[m_next++]);
    return out;
}

// ---- delivery

void InputScriptTarget::scriptTouch(const InputScriptEvent& event) {
    TouchInput* input = TouchInput::sharedTouchInput();
    const float x = static_cast<float>(event.x);
    const float y = static_cast<float>(event.y);
    switch (event.kind) {
        case InputScriptEvent::TouchDown:
            input->touchBegan(0, x, y);
            break;
        case InputScriptEvent::TouchMove:
            input->touchMoved(0, x, y);
            break;
        case InputScriptEvent::TouchUp:
            input->touchEnded(0, x, y);
            break;
        default:
            break;
    }
}

void InputScriptTarget::scriptBack() { CCKeypadDispatcher::sharedDispatcher()->dispatchKeypadMSG(kTypeBackClicked); }

void InputScriptTarget::scriptAccel(double x, double y, double z) {
    CCDirector* director = CCDirector::sharedDirector();
    const double time = static_cast<double>(director->getTotalFrames()) * director->getAnimationInterval();
    CCAccelerometer::sharedAccelerometer()->update(x, y, z, time);
}

void InputScriptTarget::scriptKey(const InputScriptEvent& event) {
    CCLog("[input script] line %u: key %s %s has no key sink", event.line,
          event.kind == InputScriptEvent::KeyDown ? "down" : "up", event.keyName.c_str());
}

void InputScriptTarget::scriptPad(const InputScriptEvent& event) {
    if (event.kind == InputScriptEvent::PadAxis) {
        CCLog("[input script] line %u: pad axis %d %d has no pad sink", event.line, event.pad, event.padValue);
    } else {
        CCLog("[input script] line %u: pad button %s %d has no pad sink", event.line,
              event.kind == InputScriptEvent::PadButtonDown ? "down" : "up", event.pad);
    }
}

void InputScriptTarget::scriptIconify() { CCLog("[input script] iconify: no window to iconify"); }

void InputScriptTarget::scriptRestore() { CCLog("[input script] restore: no window to restore"); }

void InputScriptTarget::scriptQuit() { CCDirector::sharedDirector()->end(); }

InputScriptPlayer* InputScriptPlayer::sharedPlayer() {
    static InputScriptPlayer* player = new InputScriptPlayer();
    return player;
}

bool InputScriptPlayer::loadFromEnvironment() {
    const char* path = std::getenv("ENGINE_INPUT_SCRIPT");
    if (!path || !*path) {
        unload();
        return true;
    }
    std::string error;
    if (load(path, &error)) return true;
    logNotice("ENGINE_INPUT_SCRIPT=%s: %s", quotedHookValue(path).c_str(), error.c_str());
    return false;
}

bool InputScriptPlayer::loadFile(const std::string& path) { return load(path, nullptr); }

bool InputScriptPlayer::load(const std::string& path, std::string* error) {
    unload();
    auto script = std::make_unique<InputScript>();
    std::string why;
    if (!script->loadFile(path, &why)) {
        CCLog("[input script] %s: %s", path.c_str(), why.c_str());
        if (error) *error = why;
        return false;
    }
    m_script = std::move(script);
    return true;
}

bool InputScriptPlayer::loadText(const std::string& text, const std::string& name) {
    unload();
    auto script = std::make_unique<InputScript>();
    std::string error;
    if (!script->parse(text, &error)) {
        CCLog("[input script] %s: %s", name.c_str(), error.c_str());
        return false;
    }
    m_script = std::move(script);
    return true;
}

void InputScriptPlayer::unload() { m_script.reset(); }

void InputScriptPlayer::deliverFrame(unsigned int frame, InputScriptTarget* target) {
    if (!m_script) return;
    static InputScriptTarget engineTarget;
    if (!target) target = &engineTarget;
    for (const InputScriptEvent& event : m_script->takeFrame(frame)) {
        switch (event.kind) {
            case InputScriptEvent::TouchDown:
            case InputScriptEvent::TouchMove:
            case InputScriptEvent::TouchUp:
                target->scriptTouch(event);
                break;
            case InputScriptEvent::Back:
                target->scriptBack();
                break;
            case InputScriptEvent::Accel:
                target->scriptAccel(event.x, event.y, event.z);
                break;
            case InputScriptEvent::KeyDown:
            case InputScriptEvent::KeyUp:
                target->scriptKey(event);
                break;
            case InputScriptEvent::PadButtonDown:
            case InputScriptEvent::PadButtonUp:
            case InputScriptEvent::PadAxis:
                target->scriptPad(event);
                break;
            case InputScriptEvent::Iconify:
                target->scriptIconify();
                break;
            case InputScriptEvent::Restore:
                target->scriptRestore();
                break;
            case InputScriptEvent::Quit:
                target->scriptQuit();
                break;
        }
    }
}

}  // namespace cocos2d
