#include "input/ViewInput.h"

#include "input/CCKeypadDispatcher.h"
#include "input/InputScript.h"
#include "input/TouchInput.h"

namespace cocos2d {

namespace {

constexpr int kMouseTouchId = 0;

}  // namespace

bool viewInputBeginRun() { return InputScriptPlayer::sharedPlayer()->loadFromEnvironment(); }

void viewInputMouseButton(bool pressed, float x, float y) {
    TouchInput* input = TouchInput::sharedTouchInput();
    if (pressed) {
        input->touchBegan(kMouseTouchId, x, y);
    } else {
        input->touchEnded(kMouseTouchId, x, y);
    }
}

void viewInputMouseMove(float x, float y) { TouchInput::sharedTouchInput()->touchMoved(kMouseTouchId, x, y); }

void viewInputCancelTouches() { TouchInput::sharedTouchInput()->cancelAll(); }

void viewInputBack() { CCKeypadDispatcher::sharedDispatcher()->dispatchKeypadMSG(kTypeBackClicked); }

void viewInputDeliverScript(unsigned int frame, InputScriptTarget* target) {
    InputScriptPlayer::sharedPlayer()->deliverFrame(frame, target);
}

void viewInputEndRun() {
    TouchInput::sharedTouchInput()->reset();
    InputScriptPlayer::sharedPlayer()->unload();
}

}  // namespace cocos2d
