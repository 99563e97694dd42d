// A textured quad node: a whole texture, a rectangle of it, or an atlas frame
// (rotated and trimmed frames included). It submits its quad to the batcher;
// with a program other than the standard one it draws on its own.
#pragma once

#include "frames/DisplayFrameTarget.h"
#include "gl/ccGLTypes.h"
#include "math/CCGeometry.h"
#include "scene/CCNode.h"
#include "scene/CCProtocols.h"

namespace cocos2d {

class CCGLProgram;
class CCSpriteFrame;
class CCTexture2D;

class CCSprite : public CCNode, public CCRGBAProtocol, public DisplayFrameTarget {
public:
    CCSprite();
    ~CCSprite() override;

    // Autoreleased; null when the file, texture or frame is missing.
    static CCSprite* create();
    static CCSprite* create(const char* fileName);
    static CCSprite* create(const char* fileName, const CCRect& rect);
    static CCSprite* createWithTexture(CCTexture2D* texture);
    static CCSprite* createWithTexture(CCTexture2D* texture, const CCRect& rect);
    static CCSprite* createWithSpriteFrame(CCSpriteFrame* frame);
    static CCSprite* createWithSpriteFrameName(const char* frameName);

    bool init() override;
    virtual bool initWithTexture(CCTexture2D* texture);
    virtual bool initWithTexture(CCTexture2D* texture, const CCRect& rect);
    virtual bool initWithTexture(CCTexture2D* texture, const CCRect& rect, bool rotated);
    virtual bool initWithSpriteFrame(CCSpriteFrame* frame);
    virtual bool initWithSpriteFrameName(const char* frameName);
    virtual bool initWithFile(const char* fileName);
    virtual bool initWithFile(const char* fileName, const CCRect& rect);

    // Retained. The blend follows the texture's alpha mode.
    virtual void setTexture(CCTexture2D* texture);
    virtual CCTexture2D* getTexture() { return m_pTexture; }

    // Texture coordinates = rect / texture pixels, so a 1x1 texture given a
    // larger rect is stretched over it. Content size = rect size.
    virtual void setTextureRect(const CCRect& rect);
    // The quad is the rect (or rect turned, when rotated), placed inside the
    // untrimmed size by the current offset.
    virtual void setTextureRect(const CCRect& rect, bool rotated, const CCSize& untrimmedSize);
    const CCRect& getTextureRect() const { return m_obRect; }
    bool isTextureRectRotated() const { return m_bRectRotated; }

    // Texture, rect, rotation, offset and content size from the frame.
    void setDisplayFrame(CCSpriteFrame* frame) override;
    virtual bool isFrameDisplayed(CCSpriteFrame* frame);
    // A new autoreleased frame describing what is shown.
    virtual CCSpriteFrame* displayFrame();

    // ---- colour (premultiplied into the vertex colours)
    void setColor(const ccColor3B& color) override;
    const ccColor3B& getColor() override { return m_sColor; }
    void setOpacity(GLubyte opacity) override;
    GLubyte getOpacity() override { return m_nOpacity; }

    virtual void setBlendFunc(const ccBlendFunc& blendFunc) { m_sBlendFunc = blendFunc; }
    virtual ccBlendFunc getBlendFunc() { return m_sBlendFunc; }

    // Retained; null means the standard program.
    virtual void setShaderProgram(CCGLProgram* program);
    virtual CCGLProgram* getShaderProgram() { return m_pShaderProgram; }

    virtual void setFlipX(bool flipX);
    virtual void setFlipY(bool flipY);
    bool isFlipX() const { return m_bFlipX; }
    bool isFlipY() const { return m_bFlipY; }

    // The quad in node space, as submitted.
    const ccV3F_C4B_T2F_Quad& getQuad() const { return m_sQuad; }
    // (ours) The trim offset in points, y up.
    const CCPoint& getOffsetPosition() const { return m_obOffsetPosition; }

    void draw() override;

protected:
    void updateVertices();
    void updateTexCoords();
    void updateColor();
    void updateBlendFunc();

    // What draw reads comes first, so a frame touches fewer cache lines of
    // each sprite.
    CCTexture2D* m_pTexture = nullptr;
    CCGLProgram* m_pShaderProgram = nullptr;
    ccBlendFunc m_sBlendFunc;
    ccV3F_C4B_T2F_Quad m_sQuad;
    CCRect m_obRect;
    bool m_bRectRotated = false;
    CCPoint m_obUnflippedOffsetPositionFromCenter;
    CCPoint m_obOffsetPosition;
    CCSize m_obUntrimmedSize;
    ccColor3B m_sColor = {255, 255, 255};
    GLubyte m_nOpacity = 255;
    bool m_bFlipX = false;
    bool m_bFlipY = false;
};

}  // namespace cocos2d
