// The event object handed to touch delegates alongside the touches. It
// carries nothing; delegates only pass it on.
#pragma once

#include "base/CCObject.h"

namespace cocos2d {

class CCEvent : public CCObject {};

}  // namespace cocos2d
