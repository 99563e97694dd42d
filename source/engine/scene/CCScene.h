// The root of a node tree the director runs. Its content size is the window
// size and, like a layer, its anchor does not move it.
#pragma once

#include "scene/CCNode.h"

namespace cocos2d {

class CCScene : public CCNode {
public:
    CCScene();
    static CCScene* create();
    bool init() override;
};

}  // namespace cocos2d
