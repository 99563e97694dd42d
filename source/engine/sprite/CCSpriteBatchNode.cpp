#include "sprite/CCSpriteBatchNode.h"

#include "textures/CCTextureCache.h"

namespace cocos2d {

CCSpriteBatchNode* CCSpriteBatchNode::create() {
    CCSpriteBatchNode* node = new CCSpriteBatchNode();
    node->init();
    node->autorelease();
    return node;
}

CCSpriteBatchNode* CCSpriteBatchNode::create(const char* fileImage, unsigned int capacity) {
    CCSpriteBatchNode* node = new CCSpriteBatchNode();
    if (!node->initWithFile(fileImage, capacity)) {
        delete node;
        return nullptr;
    }
    node->autorelease();
    return node;
}

CCSpriteBatchNode* CCSpriteBatchNode::createWithTexture(CCTexture2D* texture, unsigned int capacity) {
    CCSpriteBatchNode* node = new CCSpriteBatchNode();
    if (!node->initWithTexture(texture, capacity)) {
        delete node;
        return nullptr;
    }
    node->autorelease();
    return node;
}

bool CCSpriteBatchNode::init() { return CCNode::init(); }

bool CCSpriteBatchNode::initWithFile(const char* fileImage, unsigned int capacity) {
    CCTexture2D* texture = fileImage ? CCTextureCache::sharedTextureCache()->addImage(fileImage) : nullptr;
    return texture && initWithTexture(texture, capacity);
}

bool CCSpriteBatchNode::initWithTexture(CCTexture2D* texture, unsigned int capacity) {
    (void)capacity;
    if (!texture || !CCNode::init()) return false;
    m_pTexture = texture;
    return true;
}

}  // namespace cocos2d
