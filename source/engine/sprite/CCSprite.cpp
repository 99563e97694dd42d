#include "sprite/CCSprite.h"

#include <cstddef>
#include <utility>

#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "gl/CCGLProgram.h"
#include "gl/QuadBatcher.h"
#include "gl/CCShaderCache.h"
#include "gl/ccGLStateCache.h"
#include "platform/CCCommon.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

namespace cocos2d {

namespace {

template <class T>
T* autoreleased(T* object, bool ok) {
    if (ok) {
        object->autorelease();
        return object;
    }
    delete object;
    return nullptr;
}

}  // namespace

CCSprite::CCSprite() = default;

CCSprite::~CCSprite() {
    CC_SAFE_RELEASE(m_pTexture);
    CC_SAFE_RELEASE(m_pShaderProgram);
}

// ---- creation

CCSprite* CCSprite::create() {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->init());
}

CCSprite* CCSprite::create(const char* fileName) {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->initWithFile(fileName));
}

CCSprite* CCSprite::create(const char* fileName, const CCRect& rect) {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->initWithFile(fileName, rect));
}

CCSprite* CCSprite::createWithTexture(CCTexture2D* texture) {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->initWithTexture(texture));
}

CCSprite* CCSprite::createWithTexture(CCTexture2D* texture, const CCRect& rect) {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->initWithTexture(texture, rect));
}

CCSprite* CCSprite::createWithSpriteFrame(CCSpriteFrame* frame) {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->initWithSpriteFrame(frame));
}

CCSprite* CCSprite::createWithSpriteFrameName(const char* frameName) {
    CCSprite* s = new CCSprite();
    return autoreleased(s, s->initWithSpriteFrameName(frameName));
}

bool CCSprite::init() { return initWithTexture(nullptr, CCRectZero); }

bool CCSprite::initWithTexture(CCTexture2D* texture) {
    if (!texture) return false;
    const CCSize size = texture->getContentSize();
    return initWithTexture(texture, CCRect(0, 0, size.width, size.height));
}

bool CCSprite::initWithTexture(CCTexture2D* texture, const CCRect& rect) {
    return initWithTexture(texture, rect, false);
}

bool CCSprite::initWithTexture(CCTexture2D* texture, const CCRect& rect, bool rotated) {
    if (!CCNode::init()) return false;
    setAnchorPoint(CCPoint(0.5f, 0.5f));
    m_sColor = ccWHITE;
    m_nOpacity = 255;
    m_bFlipX = m_bFlipY = false;
    m_obUnflippedOffsetPositionFromCenter = CCPointZero;
    m_sQuad = ccV3F_C4B_T2F_Quad();
    setTexture(texture);
    setTextureRect(rect, rotated, rect.size);
    return true;
}

bool CCSprite::initWithSpriteFrame(CCSpriteFrame* frame) {
    if (!frame) return false;
    if (!initWithTexture(frame->getTexture(), frame->getRect())) return false;
    setDisplayFrame(frame);
    return true;
}

bool CCSprite::initWithSpriteFrameName(const char* frameName) {
    if (!frameName) return false;
    CCSpriteFrame* frame = CCSpriteFrameCache::sharedSpriteFrameCache()->spriteFrameByName(frameName);
    if (!frame) {
        CCLogOnce("[CCSprite] no sprite frame named \"%s\"", frameName);
        return false;
    }
    return initWithSpriteFrame(frame);
}

bool CCSprite::initWithFile(const char* fileName) {
    if (!fileName) return false;
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(fileName);
    return texture && initWithTexture(texture);
}

bool CCSprite::initWithFile(const char* fileName, const CCRect& rect) {
    if (!fileName) return false;
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->addImage(fileName);
    return texture && initWithTexture(texture, rect);
}

// ---- texture and geometry

void CCSprite::setTexture(CCTexture2D* texture) {
    if (texture != m_pTexture) {
        CC_SAFE_RETAIN(texture);
        CC_SAFE_RELEASE(m_pTexture);
        m_pTexture = texture;
    }
    updateBlendFunc();
    updateColor();
}

void CCSprite::updateBlendFunc() {
    // Premultiplied textures blend (ONE, 1-SRC_ALPHA); straight-alpha ones
    // (made from raw pixels) blend by their alpha.
    if (!m_pTexture || m_pTexture->hasPremultipliedAlpha())
        m_sBlendFunc = ccBlendFuncMake(CC_BLEND_SRC, CC_BLEND_DST);
    else
        m_sBlendFunc = ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void CCSprite::setTextureRect(const CCRect& rect) { setTextureRect(rect, false, rect.size); }

void CCSprite::setTextureRect(const CCRect& rect, bool rotated, const CCSize& untrimmedSize) {
    m_bRectRotated = rotated;
    setContentSize(untrimmedSize);
    m_obUntrimmedSize = untrimmedSize;
    m_obRect = rect;
    updateTexCoords();
    updateVertices();
}

void CCSprite::updateVertices() {
    CCPoint relativeOffset = m_obUnflippedOffsetPositionFromCenter;
    if (m_bFlipX) relativeOffset.x = -relativeOffset.x;
    if (m_bFlipY) relativeOffset.y = -relativeOffset.y;
    // The trimmed rect sits centred in the untrimmed size, moved by the offset.
    m_obOffsetPosition.x = relativeOffset.x + (m_obUntrimmedSize.width - m_obRect.size.width) / 2;
    m_obOffsetPosition.y = relativeOffset.y + (m_obUntrimmedSize.height - m_obRect.size.height) / 2;

    const float x1 = m_obOffsetPosition.x;
    const float y1 = m_obOffsetPosition.y;
    const float x2 = x1 + m_obRect.size.width;
    const float y2 = y1 + m_obRect.size.height;
    m_sQuad.bl.vertices = ccVertex3F{x1, y1, 0};
    m_sQuad.br.vertices = ccVertex3F{x2, y1, 0};
    m_sQuad.tl.vertices = ccVertex3F{x1, y2, 0};
    m_sQuad.tr.vertices = ccVertex3F{x2, y2, 0};
}

void CCSprite::updateTexCoords() {
    if (!m_pTexture) return;
    const float atlasWidth = static_cast<float>(m_pTexture->getPixelsWide());
    const float atlasHeight = static_cast<float>(m_pTexture->getPixelsHigh());
    if (atlasWidth <= 0 || atlasHeight <= 0) return;
    const CCRect& r = m_obRect;
    // Texture rows run top to bottom, so t grows downwards.
    if (m_bRectRotated) {
        // Stored turned 90 degrees clockwise: the upright image's left edge
        // is the stored top row, its top edge the stored right column.
        float left = r.origin.x / atlasWidth;
        float right = (r.origin.x + r.size.height) / atlasWidth;
        float top = r.origin.y / atlasHeight;
        float bottom = (r.origin.y + r.size.width) / atlasHeight;
        if (m_bFlipX) std::swap(top, bottom);
        if (m_bFlipY) std::swap(left, right);
        m_sQuad.bl.texCoords = ccTex2F{left, top};
        m_sQuad.br.texCoords = ccTex2F{left, bottom};
        m_sQuad.tl.texCoords = ccTex2F{right, top};
        m_sQuad.tr.texCoords = ccTex2F{right, bottom};
    } else {
        float left = r.origin.x / atlasWidth;
        float right = (r.origin.x + r.size.width) / atlasWidth;
        float top = r.origin.y / atlasHeight;
        float bottom = (r.origin.y + r.size.height) / atlasHeight;
        if (m_bFlipX) std::swap(left, right);
        if (m_bFlipY) std::swap(top, bottom);
        m_sQuad.bl.texCoords = ccTex2F{left, bottom};
        m_sQuad.br.texCoords = ccTex2F{right, bottom};
        m_sQuad.tl.texCoords = ccTex2F{left, top};
        m_sQuad.tr.texCoords = ccTex2F{right, top};
    }
}

void CCSprite::setFlipX(bool flipX) {
    if (m_bFlipX == flipX) return;
    m_bFlipX = flipX;
    setTextureRect(m_obRect, m_bRectRotated, m_obUntrimmedSize);
}

void CCSprite::setFlipY(bool flipY) {
    if (m_bFlipY == flipY) return;
    m_bFlipY = flipY;
    setTextureRect(m_obRect, m_bRectRotated, m_obUntrimmedSize);
}

// ---- frames

void CCSprite::setDisplayFrame(CCSpriteFrame* frame) {
    if (!frame) return;
    m_obUnflippedOffsetPositionFromCenter = frame->getOffset();
    if (frame->getTexture() != m_pTexture) setTexture(frame->getTexture());
    setTextureRect(frame->getRect(), frame->isRotated(), frame->getOriginalSize());
}

bool CCSprite::isFrameDisplayed(CCSpriteFrame* frame) {
    return frame && frame->getTexture() == m_pTexture && frame->getRect().equals(m_obRect);
}

CCSpriteFrame* CCSprite::displayFrame() {
    return CCSpriteFrame::createWithTexture(m_pTexture, m_obRect, m_bRectRotated,
                                            m_obUnflippedOffsetPositionFromCenter, getContentSize());
}

// ---- colour

void CCSprite::setColor(const ccColor3B& color) {
    m_sColor = color;
    updateColor();
}

void CCSprite::setOpacity(GLubyte opacity) {
    m_nOpacity = opacity;
    updateColor();
}

void CCSprite::updateColor() {
    ccColor4B c = {m_sColor.r, m_sColor.g, m_sColor.b, m_nOpacity};
    // Premultiplied: colour scaled by opacity, so a fading sprite never glows.
    if (!m_pTexture || m_pTexture->hasPremultipliedAlpha()) {
        c.r = static_cast<GLubyte>(m_sColor.r * m_nOpacity / 255);
        c.g = static_cast<GLubyte>(m_sColor.g * m_nOpacity / 255);
        c.b = static_cast<GLubyte>(m_sColor.b * m_nOpacity / 255);
    }
    m_sQuad.bl.colors = m_sQuad.br.colors = m_sQuad.tl.colors = m_sQuad.tr.colors = c;
}

// ---- program and drawing

void CCSprite::setShaderProgram(CCGLProgram* program) {
    if (program == m_pShaderProgram) return;
    CC_SAFE_RETAIN(program);
    CC_SAFE_RELEASE(m_pShaderProgram);
    m_pShaderProgram = program;
}

void CCSprite::draw() {
    if (!m_pTexture) return;
    CCGLProgram* program = m_pShaderProgram;
    CCGLProgram* standard = CCShaderCache::sharedShaderCache()->positionTextureColorProgram();
    // A program the driver rejected falls back to the standard one, so the
    // sprite still shows (untinted) instead of drawing garbage.
    if (!program || program == standard || !program->isValid()) {
        QuadBatcher::sharedBatcher()->addQuad(m_pTexture, standard, m_sBlendFunc, m_sQuad);
        return;
    }
    // Own program: drawn alone, in node space, its own uniforms untouched.
    ccGLBlendFunc(m_sBlendFunc.src, m_sBlendFunc.dst);
    program->use();
    program->setUniformsForBuiltins();
    ccGLBindTexture2D(m_pTexture->getName());
    ccGLEnableVertexAttribs(kCCVertexAttribFlag_PosColorTex);
    if (ccGLHasContext()) {
        ccGLPointQuadVertices(&m_sQuad.tl);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    CC_INCREMENT_GL_DRAWS(1);
}

}  // namespace cocos2d
