// One accelerometer delegate at a time. The desktop has no sensor: values
// arrive only through update(), which the input script drives.
#pragma once

#include "scene/CCProtocols.h"

namespace cocos2d {

class CCAccelerometer {
public:
    CCAccelerometer();
    ~CCAccelerometer();
    CCAccelerometer(const CCAccelerometer&) = delete;
    CCAccelerometer& operator=(const CCAccelerometer&) = delete;

    // (ours) The accelerometer the director hands out.
    static CCAccelerometer* sharedAccelerometer();

    // Null removes the delegate. Not owned.
    void setDelegate(CCAccelerometerDelegate* delegate);
    CCAccelerometerDelegate* getDelegate() const { return m_pDelegate; }
    // Accepted and ignored: there is no sensor to pace.
    void setAccelerometerInterval(float interval) { (void)interval; }

    // (ours) Hands one reading to the delegate, if any.
    void update(double x, double y, double z, double timestamp);

    static void delegateDestroyed(CCAccelerometerDelegate* delegate);

private:
    CCAccelerometerDelegate* m_pDelegate = nullptr;
};

}  // namespace cocos2d
