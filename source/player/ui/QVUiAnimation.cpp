#include "player/ui/QVUiAnimation.h"

#include "actions/CCActionInterval.h"
#include "base/CCArray.h"
#include "math/CCGeometry.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVNumeric.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

using cocos2d::CCArray;
using cocos2d::CCNode;
using cocos2d::CCObject;

namespace qvui {

void placeFromModel(CCNode* node, const QVBaseModelObject& model, float time, int state, bool stickToEdge) {
    node->setRotation(model.rotation(time, state));
    const cocos2d::CCPoint scale = model.scale(time, state);
    node->setScaleX(scale.x);
    node->setScaleY(scale.y);
    node->setPosition(stickToEdge ? model.anchoredPosition(time, state) : model.position(time, state));
}

cocos2d::GLubyte opacityByte(float opacity) {
    return static_cast<cocos2d::GLubyte>(truncToInt(cocos2d::clampf(opacity, 0.0f, 1.0f) * 255.0f) & 0xFF);
}

void setChildrenOpacity(CCNode* node, cocos2d::GLubyte opacity) {
    CCArray* children = node->getChildren();
    CCObject* child = nullptr;
    CCARRAY_FOREACH(children, child) {
        if (auto* rgba = dynamic_cast<cocos2d::CCRGBAProtocol*>(child)) rgba->setOpacity(opacity);
    }
}

bool autohideDue(CCNode* node, float delay, bool fadedOut, float time) {
    return delay > 0.0f && node->isVisible() && !fadedOut && time >= delay;
}

void fadeOutChildren(CCNode* node, Fade kind) {
    CCArray* children = node->getChildren();
    CCObject* child = nullptr;
    CCARRAY_FOREACH(children, child) {
        cocos2d::CCFiniteTimeAction* fade = nullptr;
        if (kind == Fade::kOut) {
            fade = cocos2d::CCFadeOut::create(2.0f);
        } else {
            fade = cocos2d::CCFadeTo::create(2.0f, 0);
        }
        static_cast<CCNode*>(child)->runAction(cocos2d::CCRepeat::create(fade, 1));
    }
}

}  // namespace qvui
