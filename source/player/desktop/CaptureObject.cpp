#include "CaptureObject.h"

#include "InputDevices.h"

void CaptureObject::update(float dt) {
    (void)dt;
    captureInputDevices();
}
