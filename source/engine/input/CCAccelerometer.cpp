#include "input/CCAccelerometer.h"

#include <algorithm>
#include <vector>

#include "base/CCObject.h"

namespace cocos2d {

namespace {

std::vector<CCAccelerometer*>& liveAccelerometers() {
    // Never destroyed, like the dispatchers themselves: a delegate deleted
    // during static tear-down still looks itself up here.
    static auto* accelerometers = new std::vector<CCAccelerometer*>();
    return *accelerometers;
}

}  // namespace

CCAccelerometerDelegate::~CCAccelerometerDelegate() { CCAccelerometer::delegateDestroyed(this); }

CCAccelerometer::CCAccelerometer() { liveAccelerometers().push_back(this); }

CCAccelerometer::~CCAccelerometer() {
    auto& live = liveAccelerometers();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

CCAccelerometer* CCAccelerometer::sharedAccelerometer() {
    static CCAccelerometer* accelerometer = new CCAccelerometer();
    return accelerometer;
}

void CCAccelerometer::delegateDestroyed(CCAccelerometerDelegate* delegate) {
    for (CCAccelerometer* accelerometer : liveAccelerometers()) {
        if (accelerometer->m_pDelegate == delegate) accelerometer->m_pDelegate = nullptr;
    }
}

void CCAccelerometer::setDelegate(CCAccelerometerDelegate* delegate) { m_pDelegate = delegate; }

void CCAccelerometer::update(double x, double y, double z, double timestamp) {
    CCAccelerometerDelegate* delegate = m_pDelegate;
    if (!delegate) return;
    CCAcceleration acceleration;
    acceleration.x = x;
    acceleration.y = y;
    acceleration.z = z;
    acceleration.timestamp = timestamp;
    CCObject* object = dynamic_cast<CCObject*>(delegate);
    if (object) object->retain();
    delegate->didAccelerate(&acceleration);
    if (object) object->release();
}

}  // namespace cocos2d
