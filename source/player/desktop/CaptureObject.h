// CaptureObject: polls the input devices once per frame, so their buffered
// events reach the listeners (the event handler) inside the tick. The entry
// schedules it at priority 0 before the main loop, ahead of every screen's
// update, so a frame's screens already see that frame's input.
#pragma once

#include "base/CCObject.h"

class CaptureObject : public cocos2d::CCObject {
public:
    void update(float dt) override;
};
