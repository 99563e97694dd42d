#include "EventHandler.h"

#include <string>

#include "KeyCodeMap.h"
#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "input/CCKeypadDispatcher.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/screens/QVPScreen.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButton.h"
#include "view/CCEGLView.h"

using namespace cocos2d;

namespace {

std::string keyName(const OIS::KeyEvent& event) {
    auto* keyboard = dynamic_cast<const OIS::Keyboard*>(event.device);
    if (!keyboard) return std::string();
    return const_cast<OIS::Keyboard*>(keyboard)->getAsString(event.key);
}

char printable(unsigned int text) { return text >= 0x20 && text <= 0x7E ? static_cast<char>(text) : ' '; }

// The buttons of POV directions, in the order they are reported.
const struct {
    int bit;
    int button;
} kPovButtons[] = {
    {OIS::Pov::North, 12},
    {OIS::Pov::East, 13},
    {OIS::Pov::South, 14},
    {OIS::Pov::West, 15},
};

}  // namespace

EventHandler::~EventHandler() { forgetPresses(); }

void EventHandler::forgetPresses() {
    for (auto& entry : m_presses) CC_SAFE_RELEASE(entry.second.buttons);
    m_presses.clear();
}

int EventHandler::actionForKey(int code) {
    if (code == 0) return 0;
    const auto settings = QVModelGeneralSettings::shared();
    const struct {
        int key;
        int action;
    } chain[] = {
        {settings->moveUpKey(), 1},     {settings->moveDownKey(), 2},    {settings->moveLeftKey(), 4},
        {settings->moveRightKey(), 3},  {settings->motorCWKey(), 9},     {settings->motorCCWKey(), 10},
        {settings->rotateLeftKey(), 6}, {settings->rotateRightKey(), 7}, {settings->shootKey(), 8},
        {settings->jumpKey(), 5},
    };
    for (const auto& link : chain) {
        if (link.key == code) return link.action;
    }
    return 0;
}

bool EventHandler::keyPressed(const OIS::KeyEvent& event) {
    logMessage(" KeyPressed {%d, %s} Character (%c)", static_cast<int>(event.key), keyName(event).c_str(),
               printable(event.text));
    const int code = toolKeyCode(event.key);
    // Code 0 is "no key": unset key attributes hold it too.
    if (code == 0) return true;
    // Repeats never arrive; a second press while held changes nothing.
    if (m_presses.count(event.key)) return true;

    CCArray* taken = CCArray::create();
    if (QVPInputController::pressKeyObjects(code, QVPScreen::topmostScreen(), taken)) {
        taken->retain();
        m_presses[event.key] = Press{taken, 0};
        return true;
    }
    const int action = actionForKey(code);
    if (action == 0) {
        if (code == kEscapeCode)
            CCDirector::sharedDirector()->getKeypadDispatcher()->dispatchKeypadMSG(kTypeBackClicked);
        return true;
    }
    m_presses[event.key] = Press{nullptr, action};
    QVPInputController::shared()->actionPressed(action, nullptr);
    return true;
}

bool EventHandler::keyReleased(const OIS::KeyEvent& event) {
    logMessage("KeyReleased {%s}", keyName(event).c_str());
    auto found = m_presses.find(event.key);
    if (found == m_presses.end()) return true;
    const Press press = found->second;
    m_presses.erase(found);
    if (press.buttons) {
        for (CCObject* object : press.buttons->data()) {
            auto* button = static_cast<QVPObjectButton*>(object);
            // A button whose screen has gone has nothing left to release.
            if (button->isRunning() && button->getScreen()) button->releaseFromKey();
        }
        press.buttons->release();
    } else {
        QVPInputController::shared()->actionReleased(press.action, nullptr);
    }
    return true;
}

bool EventHandler::buttonPressed(const OIS::JoyStickEvent&, int button) {
    padButton(button, true);
    return true;
}

bool EventHandler::buttonReleased(const OIS::JoyStickEvent&, int button) {
    padButton(button, false);
    return true;
}

bool EventHandler::axisMoved(const OIS::JoyStickEvent& event, int axis) {
    if (axis < 0 || static_cast<std::size_t>(axis) >= event.state.mAxes.size()) return true;
    const int swapped = axis == 0 ? 1 : axis == 1 ? 0 : axis;
    padAxis(event.state.mAxes[static_cast<std::size_t>(axis)].abs, swapped);
    return true;
}

bool EventHandler::povMoved(const OIS::JoyStickEvent& event, int index) {
    if (index != 0) return true;
    const int previous = m_pov;
    const int now = event.state.mPOV[0].direction;
    m_pov = now;
    for (const auto& pov : kPovButtons) {
        if ((previous & pov.bit) && !(now & pov.bit)) padButton(pov.button, false);
    }
    for (const auto& pov : kPovButtons) {
        if (!(previous & pov.bit) && (now & pov.bit)) padButton(pov.button, true);
    }
    return true;
}

bool EventHandler::sliderMoved(const OIS::JoyStickEvent&, int) { return true; }

bool EventHandler::vector3Moved(const OIS::JoyStickEvent&, int) { return true; }

void EventHandler::padButton(int button, bool pressed) {
    logMessage(pressed ? "Button Pressed : %d" : "Button Released : %d", button);
    if (!ScreenManager::shared()->getGameScene()) return;
    QVPInputController* controller = QVPInputController::shared();
    if (pressed) {
        controller->gamepadButtonPressed(button);
    } else {
        controller->gamepadButtonReleased(button);
    }
}

void EventHandler::installPadSink() {
    cocos2d::CCEGLView::sharedOpenGLView()->setPadSink([this](const cocos2d::ViewPadEvent& pad) {
        if (pad.axis) {
            padAxis(pad.value, pad.number);
        } else {
            padButton(pad.number, pad.pressed);
        }
    });
}

void EventHandler::padAxis(int value, int axis) {
    logMessage("Axis Moved : %d - %d", value, axis);
    if (!ScreenManager::shared()->getGameScene()) return;
    QVPInputController::shared()->gamepadAxisMoved(value, axis);
}
