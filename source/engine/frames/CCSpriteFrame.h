// One frame of a texture atlas: the texture, the frame's rectangle in it
// (points = pixels), whether it is stored rotated, and the trim offset and
// untrimmed size.
#pragma once

#include "base/CCObject.h"
#include "math/CCGeometry.h"

namespace cocos2d {

class CCTexture2D;

class CCSpriteFrame : public CCObject {
public:
    CCSpriteFrame() = default;
    ~CCSpriteFrame() override;

    // The texture is retained. Autoreleased.
    static CCSpriteFrame* createWithTexture(CCTexture2D* texture, const CCRect& rect);
    static CCSpriteFrame* createWithTexture(CCTexture2D* texture, const CCRect& rect, bool rotated,
                                            const CCPoint& offset, const CCSize& originalSize);
    bool initWithTexture(CCTexture2D* texture, const CCRect& rect, bool rotated, const CCPoint& offset,
                         const CCSize& originalSize);

    CCTexture2D* getTexture() const { return m_texture; }
    void setTexture(CCTexture2D* texture);
    const CCRect& getRect() const { return m_rect; }
    const CCRect& getRectInPixels() const { return m_rect; }
    bool isRotated() const { return m_rotated; }
    const CCPoint& getOffset() const { return m_offset; }
    const CCPoint& getOffsetInPixels() const { return m_offset; }
    const CCSize& getOriginalSize() const { return m_originalSize; }
    const CCSize& getOriginalSizeInPixels() const { return m_originalSize; }

private:
    CCTexture2D* m_texture = nullptr;
    CCRect m_rect;
    bool m_rotated = false;
    CCPoint m_offset;
    CCSize m_originalSize;
};

}  // namespace cocos2d
