// OIS set-up on a machine without a display: what is passed, what is
// created, and that no OIS exception or device failure ends the process.
#include <gtest/gtest.h>

#include <OISException.h>
#include <OISFactoryCreator.h>

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "GlfwKeyboard.h"
#include "HostTestSupport.h"
#include "InputDevices.h"
#include "director/CCDirector.h"
#include "input/CCKeypadDispatcher.h"
#include "view/CCEGLView.h"

namespace {

// Devices whose capture throws, as OIS's do when a device goes away.
struct ThrowingKeyboard : GlfwKeyboard {
    void capture() override { OIS_EXCEPT(OIS::E_InputDisconnected, "keyboard went away"); }
};

struct ThrowingJoyStick : OIS::JoyStick {
    ThrowingJoyStick() : OIS::JoyStick("test pad", true, 0, nullptr) {}
    void setBuffered(bool) override {}
    void capture() override { throw std::runtime_error("pad unplugged"); }
    OIS::Interface* queryInterface(OIS::Interface::IType) override { return nullptr; }
    void _initialize() override {}
};

// Lists one pad; opening it fails, or gives a pad whose capture throws.
class PadFactory : public OIS::FactoryCreator {
public:
    explicit PadFactory(bool opens) : m_opens(opens) {}
    OIS::DeviceList freeDeviceList() override { return OIS::DeviceList(); }
    int totalDevices(OIS::Type type) override { return type == OIS::OISJoyStick; }
    int freeDevices(OIS::Type type) override { return type == OIS::OISJoyStick; }
    bool vendorExist(OIS::Type, const std::string&) override { return false; }
    OIS::Object* createObject(OIS::InputManager*, OIS::Type, bool, const std::string&) override {
        if (!m_opens) throw std::runtime_error("pad busy");
        return new ThrowingJoyStick;
    }
    void destroyObject(OIS::Object* object) override {
        ++destroyed;
        delete object;
    }
    int destroyed = 0;

private:
    bool m_opens;
};

struct FakeManager : OIS::InputManager {
    FakeManager() : OIS::InputManager("fake") {}
    void _initialize(OIS::ParamList&) override {}
};

struct NullListener : OIS::KeyListener, OIS::JoyStickListener {
    bool keyPressed(const OIS::KeyEvent&) override { return true; }
    bool keyReleased(const OIS::KeyEvent&) override { return true; }
    bool buttonPressed(const OIS::JoyStickEvent&, int) override { return true; }
    bool buttonReleased(const OIS::JoyStickEvent&, int) override { return true; }
    bool axisMoved(const OIS::JoyStickEvent&, int) override { return true; }
};

class HostInputDevices : public ::testing::Test {
protected:
    void TearDown() override { destroyInputDevices(); }
    NullListener listener;
};

}  // namespace

TEST_F(HostInputDevices, RealOisWithoutADisplayNeverEndsTheProcess) {
    // No display and a window id that names nothing. OIS 1.3 only opens the
    // display for its own keyboard and mouse, which are never created, so
    // the input system comes up; whatever it does, nothing may escape.
    const char* display = std::getenv("DISPLAY");
    std::string saved = display ? display : "";
    unsetenv("DISPLAY");
    LogCapture log;
    EXPECT_NO_THROW(createInputDevices(0x7ffffff1u, &listener, &listener));
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
    ASSERT_NE(glfwKeyboard(), nullptr);
    for (const std::string& line : log.all()) {
        EXPECT_EQ(line.rfind("[Host] OIS ", 0), 0u) << line;
        EXPECT_NE(line.find("; continuing without it"), std::string::npos) << line;
    }
    EXPECT_NO_THROW(captureInputDevices());
    EXPECT_NO_THROW(destroyInputDevices());
    EXPECT_EQ(inputDevices().manager, nullptr);
}

// OIS gets the window (unsigned decimal) and leaves keyboard, mouse and
// cursor alone; each of its steps may throw, and the player goes on.
TEST_F(HostInputDevices, EachFailingOisStepIsLoggedOnceAndSkipped) {
    EXPECT_EQ(oisParameters(4294967295u).find("WINDOW")->second, "4294967295");
    static PadFactory* pads = nullptr;  // the fake manager's one pad; without one, creation throws
    setInputSystemFactory([](OIS::ParamList& params) -> OIS::InputManager* {
        EXPECT_EQ(params, (OIS::ParamList{{"WINDOW", "77"},
                                          {"x11_keyboard_grab", "false"},
                                          {"x11_mouse_grab", "false"},
                                          {"x11_mouse_hide", "false"}}));
        if (!pads) OIS_EXCEPT(OIS::E_General, "Error opening X!");
        auto* manager = new FakeManager;
        manager->addFactoryCreator(pads);
        return manager;
    });
    PadFactory failing(false), working(true);
    const struct {
        std::uintptr_t window;
        PadFactory* pad;
        const char* log;
        bool manager;
    } steps[] = {
        {0, nullptr, "[Host] no native window; OIS not created, no gamepad", false},
        {77, nullptr, "[Host] OIS input system creation failed: Error opening X!; continuing without it", false},
        {77, &failing, "[Host] OIS joystick creation failed: pad busy; continuing without it", true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.log);
        pads = step.pad;
        LogCapture log;
        createInputDevices(step.window, &listener, &listener);
        EXPECT_EQ(inputDevices().manager != nullptr, step.manager);
        EXPECT_EQ(inputDevices().joystick, nullptr);
        ASSERT_NE(glfwKeyboard(), nullptr);  // whatever OIS does
        EXPECT_EQ(glfwKeyboard()->getEventCallback(), &listener);
        EXPECT_EQ(log.all(), std::vector<std::string>{step.log});
    }

    // A pad that opens gets the listener. A keyboard and a pad whose capture
    // throws are each dropped after one line, the pad handed back to OIS.
    pads = &working;
    LogCapture log;
    createInputDevices(77, &listener, &listener);
    ASSERT_NE(inputDevices().joystick, nullptr);
    EXPECT_EQ(inputDevices().joystick->getEventCallback(), &listener);
    inputDevices().keyboard.reset(new ThrowingKeyboard);
    for (int i = 0; i < 3; ++i) captureInputDevices();
    EXPECT_EQ(inputDevices().keyboard, nullptr);
    EXPECT_EQ(inputDevices().joystick, nullptr);
    EXPECT_EQ(working.destroyed, 1);  // not deleted behind OIS's back
    EXPECT_NE(inputDevices().manager, nullptr);
    EXPECT_EQ(log.all(), (std::vector<std::string>{
                             "[Host] OIS keyboard capture failed: keyboard went away; continuing without it",
                             "[Host] OIS joystick capture failed: pad unplugged; continuing without it"}));
    destroyInputDevices();
    setInputSystemFactory(nullptr);
}

// The one key path, for window keys and scripted ones alike: one press and
// one release per key, whatever auto-repeat and focus add; Escape's press is
// also the back key, once.
TEST_F(HostInputDevices, WindowAndScriptedKeysArriveOncePerPressAndRelease) {
    struct Recorder : NullListener, cocos2d::CCKeypadDelegate {
        std::vector<std::string> log;
        bool keyPressed(const OIS::KeyEvent& e) override { return note("press ", e); }
        bool keyReleased(const OIS::KeyEvent& e) override { return note("release ", e); }
        bool note(const char* what, const OIS::KeyEvent& e) {
            log.push_back(what + std::to_string(e.key));
            return true;
        }
        void keyBackClicked() override { log.push_back("back"); }
    } recorder;
    cocos2d::CCDirector::resetForTest();
    createInputDevices(0, &recorder, &recorder);
    cocos2d::CCKeypadDispatcher::sharedDispatcher()->addDelegate(&recorder);
    cocos2d::CCEGLView* view = cocos2d::CCEGLView::sharedOpenGLView();
    for (const auto& [key, pressed] : std::vector<std::pair<int, bool>>{
             {GLFW_KEY_J, false},  // held while the window got focus
             {GLFW_KEY_J, true}, {GLFW_KEY_J, true}, {GLFW_KEY_J, false},  // a hold with auto-repeat
             {cocos2d::kViewKeyEscape, true}, {cocos2d::kViewKeyEscape, true}, {cocos2d::kViewKeyEscape, false}}) {
        cocos2d::ViewKeyEvent event;
        event.key = key;
        event.pressed = pressed;
        view->queueKey(event);
    }
    view->deliverEvents();
    captureInputDevices();
    // The back key at delivery, the keys at capture.
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"back", "press 36", "release 36", "press 1", "release 1"}));

    // Scripted by OIS and GLFW names; a scripted Escape is a key, not the back key.
    recorder.log.clear();
    const std::string path = testing::TempDir() + "qv_keys.txt";
    std::ofstream(path) << "1 key down KC_J\n2 key down j\n3 key up KC_J\n4 key down ESCAPE\n5 key up KC_ESCAPE\n";
    setenv("ENGINE_INPUT_SCRIPT", path.c_str(), 1);
    SceneApp app;
    cocos2d::CCDirector::sharedDirector()->setFrameLimit(6);
    cocos2d::CCDirector::sharedDirector()->addFrameHook([](unsigned int) { captureInputDevices(); });
    EXPECT_EQ(app.run(), 0);
    unsetenv("ENGINE_INPUT_SCRIPT");
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"press 36", "release 36", "press 1", "release 1"}));
    cocos2d::CCKeypadDispatcher::sharedDispatcher()->removeDelegate(&recorder);
    cocos2d::CCDirector::resetForTest();
}
