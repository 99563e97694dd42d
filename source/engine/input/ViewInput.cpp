#include "input/ViewInput.h"

#include "input/InputScript.h"
#include "input/CCKeypadDispatcher.h"
#include "input/TouchInput.h"

namespace cocos2d {

namespace {

constexpr int kMouseTouchId = 0;

}  // namespace

bool viewInputBeginRun() { return CCInputScriptPlayer::sharedPlayer()->loadFromEnvironment(); }

void viewInputMouseButton(bool pressed, float x, float y) {
    CCTouchInput* input = CCTouchInput::sharedTouchInput();
    if (pressed) {
        input->touchBegan(kMouseTouchId, x, y);
    } else {
        input->touchEnded(kMouseTouchId, x, y);
    }
}

void viewInputMouseMove(float x, float y) { CCTouchInput::sharedTouchInput()->touchMoved(kMouseTouchId, x, y); }

void viewInputCancelTouches() { CCTouchInput::sharedTouchInput()->cancelAll(); }

void viewInputEscape(bool repeat) {
    // Held Escape repeats would press back many times in a row.
    if (repeat) return;
    CCKeypadDispatcher::sharedDispatcher()->dispatchKeypadMSG(kTypeBackClicked);
}

void viewInputDeliverScript(unsigned int frame, CCInputScriptTarget* target) {
    CCInputScriptPlayer::sharedPlayer()->deliverFrame(frame, target);
}

void viewInputEndRun() {
    CCTouchInput::sharedTouchInput()->reset();
    CCInputScriptPlayer::sharedPlayer()->unload();
}

}  // namespace cocos2d
