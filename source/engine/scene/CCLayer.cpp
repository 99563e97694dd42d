#include "scene/CCLayer.h"

#include "director/CCDirector.h"

namespace cocos2d {

CCLayer::CCLayer() {
    ignoreAnchorPointForPosition(true);
    setAnchorPoint(CCPoint(0.5f, 0.5f));
}

CCLayer* CCLayer::create() {
    auto* layer = new CCLayer();
    layer->init();
    layer->autorelease();
    return layer;
}

bool CCLayer::init() {
    // Cheap on purpose: layers also serve as plain records.
    setContentSize(CCDirector::sharedDirector()->getWinSize());
    return true;
}

// Registration with the input dispatchers joins these once input exists.
void CCLayer::onEnter() { CCNode::onEnter(); }

void CCLayer::onExit() { CCNode::onExit(); }

}  // namespace cocos2d
