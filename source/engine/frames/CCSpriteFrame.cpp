#include "frames/CCSpriteFrame.h"

#include "textures/CCTexture2D.h"

namespace cocos2d {

CCSpriteFrame::~CCSpriteFrame() { CC_SAFE_RELEASE(m_texture); }

CCSpriteFrame* CCSpriteFrame::createWithTexture(CCTexture2D* texture, const CCRect& rect) {
    return createWithTexture(texture, rect, false, CCPointZero, rect.size);
}

CCSpriteFrame* CCSpriteFrame::createWithTexture(CCTexture2D* texture, const CCRect& rect, bool rotated,
                                                const CCPoint& offset, const CCSize& originalSize) {
    auto* frame = new CCSpriteFrame();
    frame->initWithTexture(texture, rect, rotated, offset, originalSize);
    frame->autorelease();
    return frame;
}

bool CCSpriteFrame::initWithTexture(CCTexture2D* texture, const CCRect& rect, bool rotated, const CCPoint& offset,
                                    const CCSize& originalSize) {
    setTexture(texture);
    m_rect = rect;
    m_rotated = rotated;
    m_offset = offset;
    m_originalSize = originalSize;
    return true;
}

void CCSpriteFrame::setTexture(CCTexture2D* texture) {
    if (texture == m_texture) return;
    CC_SAFE_RETAIN(texture);
    CC_SAFE_RELEASE(m_texture);
    m_texture = texture;
}

}  // namespace cocos2d
