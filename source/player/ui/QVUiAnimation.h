// What the animated UI objects (buttons, labels, images, the loading bar)
// share: placing a node from its model's curves, the opacity byte and the
// autohide fade.
#pragma once

#include "math/ccTypes.h"

namespace cocos2d {
class CCNode;
}

class QVBaseModelObject;

namespace qvui {

// Rotation, scale x and y and position of `node` at (time, state); the
// position is edge-anchored when `stickToEdge` is set.
void placeFromModel(cocos2d::CCNode* node, const QVBaseModelObject& model, float time, int state, bool stickToEdge);

// clamp(opacity, 0, 1) x 255, truncated; not a number gives 255.
cocos2d::GLubyte opacityByte(float opacity);

// Sets the opacity of every child that takes one.
void setChildrenOpacity(cocos2d::CCNode* node, cocos2d::GLubyte opacity);

// The fade is due: a delay above 0, the node visible, not yet faded, and
// `time` past the delay.
bool autohideDue(cocos2d::CCNode* node, float delay, bool fadedOut, float time);

enum class Fade { kOut, kToZero };
// Every child runs a 2 s fade to transparent, once.
void fadeOutChildren(cocos2d::CCNode* node, Fade kind);

}  // namespace qvui
