// (ours) What CCAnimate needs from its target: a node that can show a frame.
// The sprite implements it; animations on any other node show nothing.
#pragma once

namespace cocos2d {

class CCSpriteFrame;

class DisplayFrameTarget {
public:
    virtual ~DisplayFrameTarget() = default;
    virtual void setDisplayFrame(CCSpriteFrame* frame) = 0;
};

}  // namespace cocos2d
