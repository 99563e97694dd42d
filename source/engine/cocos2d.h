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

#include "math/CCAffineTransform.h"
#include "math/kazmath.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"

#include "actions/CCAction.h"
#include "actions/CCActionInterval.h"
#include "actions/CCActionManager.h"
#include "actions/CCScheduler.h"
#include "director/CCApplication.h"
#include "director/CCDirector.h"
#include "director/CCEGLView.h"
#include "director/CCEGLViewProtocol.h"
#include "frames/CCDisplayFrameTarget.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "scene/CCLayer.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"
#include "scene/CCScene.h"
#include "textures/CCImage.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

#define USING_NS_CC using namespace cocos2d
#define NS_CC_BEGIN namespace cocos2d {
#define NS_CC_END }
