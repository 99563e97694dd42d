// Small helpers the screens and game-field objects share.
#pragma once

#include "math/CCGeometry.h"
#include "math/ccTypes.h"

namespace cocos2d {
class CCNode;
class CCSprite;
}  // namespace cocos2d

// True when the node and every ancestor are visible; false for null.
bool isVisibleInTree(cocos2d::CCNode* node);

// The foot of the perpendicular from P onto the line through A and B. A
// vertical line and A = B give finite results; non-finite input gives (0, 0).
cocos2d::CCPoint closestPointOnLine(float ax, float ay, float bx, float by, float px, float py);

// A new autoreleased sprite of the given size filled with one colour
// (straight-alpha red, green, blue, alpha): one pixel stretched over the size.
cocos2d::CCSprite* createColorSprite(const cocos2d::CCSize& size, const cocos2d::ccColor4B& rgba);

// One-dimensional gradient noise, 0 at integers and within [-1, 1]. The
// tables are drawn from compat::rand() on the first call. Non-finite x gives 0.
double noise1D(double x);
