// A plain node kept for game classes that hold one as a member: every sprite
// is batched by the quad batcher anyway, so it adds nothing and draws nothing
// of its own. Usable by value.
#pragma once

#include "scene/CCNode.h"

namespace cocos2d {

class CCTexture2D;

class CCSpriteBatchNode : public CCNode {
public:
    CCSpriteBatchNode() = default;
    ~CCSpriteBatchNode() override = default;

    static CCSpriteBatchNode* create();
    static CCSpriteBatchNode* create(const char* fileImage, unsigned int capacity = 29);
    static CCSpriteBatchNode* createWithTexture(CCTexture2D* texture, unsigned int capacity = 29);
    bool init() override;
    bool initWithFile(const char* fileImage, unsigned int capacity);
    bool initWithTexture(CCTexture2D* texture, unsigned int capacity);

    CCTexture2D* getTexture() { return m_pTexture; }

private:
    CCTexture2D* m_pTexture = nullptr;  // not retained: informational only
};

}  // namespace cocos2d
