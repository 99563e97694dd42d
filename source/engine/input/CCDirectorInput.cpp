// The director hands out the shared input objects; layers, menus and the
// window delivery all use these same instances.
#include "director/CCDirector.h"
#include "input/CCAccelerometer.h"
#include "input/CCKeypadDispatcher.h"
#include "input/CCTouchDispatcher.h"

namespace cocos2d {

CCTouchDispatcher* CCDirector::getTouchDispatcher() { return CCTouchDispatcher::sharedDispatcher(); }

CCKeypadDispatcher* CCDirector::getKeypadDispatcher() { return CCKeypadDispatcher::sharedDispatcher(); }

CCAccelerometer* CCDirector::getAccelerometer() { return CCAccelerometer::sharedAccelerometer(); }

}  // namespace cocos2d
