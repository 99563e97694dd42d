// Umbrella header of our engine layer.
#pragma once

#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCObject.h"
#include "base/CCString.h"
#include "base/base64.h"
#include "math/CCGeometry.h"
#include "math/ccTypes.h"
#include "platform/CCCommon.h"
#include "platform/CCCompat.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"

// Modules above the base add their headers below as they land.

#define USING_NS_CC using namespace cocos2d
#define NS_CC_BEGIN namespace cocos2d {
#define NS_CC_END }
