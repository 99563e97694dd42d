#include "scene/CCScene.h"

#include "director/CCDirector.h"

namespace cocos2d {

CCScene::CCScene() {
    ignoreAnchorPointForPosition(true);
    setAnchorPoint(CCPoint(0.5f, 0.5f));
}

CCScene* CCScene::create() {
    auto* scene = new CCScene();
    scene->init();
    scene->autorelease();
    return scene;
}

bool CCScene::init() {
    setContentSize(CCDirector::sharedDirector()->getWinSize());
    return true;
}

}  // namespace cocos2d
