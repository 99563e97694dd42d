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
#include "InputDevices.h"
#include "LogCapture.h"
#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "input/CCKeypadDispatcher.h"
#include "scene/CCScene.h"
#include "view/CCEGLView.h"

namespace {

// Devices whose capture throws, as OIS's do when a device goes away.
struct ThrowingKeyboard : GlfwKeyboard {
    explicit ThrowingKeyboard(int* count) : captures(count) {}
    void capture() override {
        ++*captures;
        OIS_EXCEPT(OIS::E_InputDisconnected, "keyboard went away");
    }
    int* captures;
};

struct ThrowingJoyStick : OIS::JoyStick {
    ThrowingJoyStick(int* count, bool* gone)
        : OIS::JoyStick("test pad", true, 0, nullptr), captures(count), destroyed(gone) {}
    ~ThrowingJoyStick() override { *destroyed = true; }
    void setBuffered(bool) override {}
    void capture() override {
        ++*captures;
        throw std::runtime_error("pad unplugged");
    }
    OIS::Interface* queryInterface(OIS::Interface::IType) override { return nullptr; }
    void _initialize() override {}
    int* captures;
    bool* destroyed;
};

// Lists one pad; opening it fails, or gives a pad whose capture throws.
class PadFactory : public OIS::FactoryCreator {
public:
    explicit PadFactory(bool opens) : m_opens(opens) {}
    OIS::DeviceList freeDeviceList() override { return OIS::DeviceList(); }
    int totalDevices(OIS::Type type) override { return type == OIS::OISJoyStick ? 1 : 0; }
    int freeDevices(OIS::Type type) override { return type == OIS::OISJoyStick && !m_open ? 1 : 0; }
    bool vendorExist(OIS::Type type, const std::string&) override { return type == OIS::OISJoyStick; }
    OIS::Object* createObject(OIS::InputManager*, OIS::Type, bool, const std::string&) override {
        if (!m_opens) throw std::runtime_error("pad busy");
        m_open = true;
        return new ThrowingJoyStick(&captures, &gone);
    }
    void destroyObject(OIS::Object* object) override {
        ++destroyed;
        m_open = false;
        delete object;
    }
    int captures = 0;
    int destroyed = 0;
    bool gone = false;

private:
    bool m_opens;
    bool m_open = false;
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

TEST_F(HostInputDevices, WithoutAWindowOnlyTheKeyboardExists) {
    LogCapture log;
    createInputDevices(0, &listener, &listener);
    EXPECT_EQ(inputDevices().manager, nullptr);
    EXPECT_EQ(inputDevices().joystick, nullptr);
    ASSERT_NE(glfwKeyboard(), nullptr);
    EXPECT_EQ(glfwKeyboard()->getEventCallback(), &listener);
    EXPECT_EQ(log.count("[Host]"), 1u) << log.joined();
    EXPECT_EQ(log.count("OIS"), 1u) << log.joined();
}

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

// OIS gets the window (unsigned decimal) and leaves keyboard, mouse and cursor alone.
TEST_F(HostInputDevices, EachFailingOisStepIsLoggedAndSkipped) {
    EXPECT_EQ(oisParameters(4294967295u).find("WINDOW")->second, "4294967295");
    // Creation of the input system throws: no manager, the keyboard stays.
    setInputSystemFactory([](OIS::ParamList& params) -> OIS::InputManager* {
        const OIS::ParamList expected = {
            {"WINDOW", "77"}, {"x11_keyboard_grab", "false"}, {"x11_mouse_grab", "false"}, {"x11_mouse_hide", "false"}};
        EXPECT_EQ(params, expected);
        OIS_EXCEPT(OIS::E_General, "Error opening X!");
    });
    {
        LogCapture log;
        createInputDevices(77, &listener, &listener);
        EXPECT_EQ(inputDevices().manager, nullptr);
        EXPECT_NE(glfwKeyboard(), nullptr);
        ASSERT_EQ(log.all().size(), 1u) << log.joined();
        EXPECT_EQ(log.all()[0], "[Host] OIS input system creation failed: Error opening X!; continuing without it");
    }
    // A manager whose one pad comes from `pads`.
    static PadFactory* pads = nullptr;
    setInputSystemFactory([](OIS::ParamList&) -> OIS::InputManager* {
        auto* manager = new FakeManager;
        manager->addFactoryCreator(pads);
        return manager;
    });

    // A pad is listed but cannot be opened: the manager stays, no joystick.
    PadFactory failing(false);
    pads = &failing;
    {
        LogCapture log;
        createInputDevices(77, &listener, &listener);
        EXPECT_NE(inputDevices().manager, nullptr);
        EXPECT_EQ(inputDevices().joystick, nullptr);
        ASSERT_EQ(log.all().size(), 1u) << log.joined();
        EXPECT_EQ(log.all()[0], "[Host] OIS joystick creation failed: pad busy; continuing without it");
    }

    // A pad that opens gets the listener, and is unplugged later.
    PadFactory working(true);
    pads = &working;
    {
        LogCapture log;
        createInputDevices(77, &listener, &listener);
        ASSERT_NE(inputDevices().joystick, nullptr);
        EXPECT_EQ(inputDevices().joystick->getEventCallback(), &listener);
        EXPECT_TRUE(log.all().empty()) << log.joined();
        captureInputDevices();
        captureInputDevices();
        EXPECT_EQ(inputDevices().joystick, nullptr);
        EXPECT_EQ(working.destroyed, 1);  // handed back to OIS, not deleted behind its back
        EXPECT_EQ(log.count("joystick capture failed"), 1u) << log.joined();
        EXPECT_NE(inputDevices().manager, nullptr);
    }
    destroyInputDevices();
    setInputSystemFactory(nullptr);
}

TEST_F(HostInputDevices, ADeviceWhoseCaptureThrowsIsDroppedAfterOneLogLine) {
    int keyboardCaptures = 0, padCaptures = 0;
    bool padDestroyed = false;
    inputDevices().keyboard.reset(new ThrowingKeyboard(&keyboardCaptures));
    inputDevices().joystick = new ThrowingJoyStick(&padCaptures, &padDestroyed);

    LogCapture log;
    captureInputDevices();
    captureInputDevices();
    captureInputDevices();
    EXPECT_EQ(keyboardCaptures, 1);
    EXPECT_EQ(padCaptures, 1);
    EXPECT_EQ(inputDevices().keyboard, nullptr);
    EXPECT_EQ(inputDevices().joystick, nullptr);
    EXPECT_TRUE(padDestroyed);
    ASSERT_EQ(log.all().size(), 2u) << log.joined();
    EXPECT_EQ(log.all()[0], "[Host] OIS keyboard capture failed: keyboard went away; continuing without it");
    EXPECT_EQ(log.all()[1], "[Host] OIS joystick capture failed: pad unplugged; continuing without it");
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
    struct App : cocos2d::CCApplication {
        bool applicationDidFinishLaunching() override {
            cocos2d::CCDirector::sharedDirector()->runWithScene(cocos2d::CCScene::create());
            return true;
        }
    } app;
    cocos2d::CCDirector::sharedDirector()->setFrameLimit(6);
    cocos2d::CCDirector::sharedDirector()->addFrameHook([](unsigned int) { captureInputDevices(); });
    EXPECT_EQ(app.run(), 0);
    unsetenv("ENGINE_INPUT_SCRIPT");
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"press 36", "release 36", "press 1", "release 1"}));
    cocos2d::CCKeypadDispatcher::sharedDispatcher()->removeDelegate(&recorder);
    cocos2d::CCDirector::resetForTest();
}
