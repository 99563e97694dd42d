#include "rendertexture/CCRenderTexture.h"

#include <vector>

#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "math/kazmath.h"
#include "platform/CCCommon.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"

namespace cocos2d {

namespace {
// Only one capture at a time: the saved framebuffer and stacks are the
// outer drawing's.
bool g_capturing = false;
constexpr int kHeadlessMaxTextureSize = 4096;
}  // namespace

CCRenderTexture::CCRenderTexture() = default;

CCRenderTexture::~CCRenderTexture() {
    if (m_bCapturing) end();
    if (m_uFBO && ccGLHasContext()) glDeleteFramebuffers(1, &m_uFBO);
    CC_SAFE_RELEASE(m_pSprite);
    CC_SAFE_RELEASE(m_pTexture);
}

int CCRenderTexture::maxTextureSize() {
    if (!ccGLHasContext()) return kHeadlessMaxTextureSize;
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size > 0 ? size : kHeadlessMaxTextureSize;
}

CCRenderTexture* CCRenderTexture::create(int w, int h) { return create(w, h, kCCTexture2DPixelFormat_RGBA8888); }

CCRenderTexture* CCRenderTexture::create(int w, int h, int pixelFormat) {
    CCRenderTexture* rt = new CCRenderTexture();
    if (!rt->initWithWidthAndHeight(w, h, pixelFormat)) {
        delete rt;
        return nullptr;
    }
    rt->autorelease();
    return rt;
}

bool CCRenderTexture::initWithWidthAndHeight(int w, int h, int pixelFormat) {
    if (!CCNode::init()) return false;
    if (pixelFormat != kCCTexture2DPixelFormat_RGBA8888)
        CCLog("[CCRenderTexture] pixel format %d is not supported; using RGBA8888", pixelFormat);
    // A size from game data (a scale times 100) can be zero, negative or
    // huge; no framebuffer exists for those, so clamp to what one can be.
    const int maxSize = maxTextureSize();
    const int cw = w < 1 ? 1 : (w > maxSize ? maxSize : w);
    const int ch = h < 1 ? 1 : (h > maxSize ? maxSize : h);
    if (cw != w || ch != h) CCLog("[CCRenderTexture] size %dx%d clamped to %dx%d", w, h, cw, ch);
    m_nWidth = cw;
    m_nHeight = ch;

    std::vector<unsigned char> zeros(static_cast<std::size_t>(cw) * static_cast<std::size_t>(ch) * 4, 0);
    CCTexture2D* texture = new CCTexture2D();
    if (!texture->initWithData(zeros.data(), kCCTexture2DPixelFormat_RGBA8888, static_cast<unsigned int>(cw),
                               static_cast<unsigned int>(ch), CCSize(static_cast<float>(cw), static_cast<float>(ch)))) {
        texture->release();
        CCLog("[CCRenderTexture] could not make a %dx%d texture", cw, ch);
        return false;
    }
    CC_SAFE_RELEASE(m_pTexture);
    m_pTexture = texture;

    if (ccGLHasContext() && m_pTexture->getName() != 0) {
        GLint oldFBO = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &oldFBO);
        glGenFramebuffers(1, &m_uFBO);
        glBindFramebuffer(GL_FRAMEBUFFER, m_uFBO);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_pTexture->getName(), 0);
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(oldFBO));
        if (status != GL_FRAMEBUFFER_COMPLETE) {
            CCLog("[CCRenderTexture] framebuffer incomplete (0x%x); captures are dropped", status);
            glDeleteFramebuffers(1, &m_uFBO);
            m_uFBO = 0;
        }
    }

    CCSprite* sprite = CCSprite::createWithTexture(m_pTexture);
    if (!sprite) return false;
    // The capture is premultiplied (drawn with premultiplied blending), and
    // texel row 0 is the bottom of what was drawn.
    sprite->setBlendFunc(ccBlendFuncMake(GL_ONE, GL_ONE_MINUS_SRC_ALPHA));
    sprite->setFlipY(true);
    setSprite(sprite);
    return true;
}

void CCRenderTexture::setSprite(CCSprite* sprite) {
    if (sprite == m_pSprite) return;
    CC_SAFE_RETAIN(sprite);
    CC_SAFE_RELEASE(m_pSprite);
    m_pSprite = sprite;
}

void CCRenderTexture::begin() {
    if (g_capturing) {
        CCLog("[CCRenderTexture] begin while a capture is running; refused");
        return;
    }
    ccGLFlushBatch();
    g_capturing = true;
    m_bCapturing = true;

    kmGLMatrixMode(KM_GL_PROJECTION);
    kmGLPushMatrix();
    kmMat4 ortho;
    kmMat4OrthographicProjection(&ortho, 0, static_cast<float>(m_nWidth), 0, static_cast<float>(m_nHeight), -1024,
                                 1024);
    kmGLLoadMatrix(&ortho);
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLPushMatrix();
    kmGLLoadIdentity();

    if (ccGLHasContext()) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &m_nOldFBO);
        glGetIntegerv(GL_VIEWPORT, m_oldViewport);
        if (m_uFBO) glBindFramebuffer(GL_FRAMEBUFFER, m_uFBO);
        glViewport(0, 0, m_nWidth, m_nHeight);
    }
}

void CCRenderTexture::beginWithClear(float r, float g, float b, float a) {
    begin();
    if (!m_bCapturing || !ccGLHasContext() || !m_uFBO) return;
    GLfloat old[4] = {0, 0, 0, 0};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, old);
    glClearColor(r, g, b, a);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(old[0], old[1], old[2], old[3]);
}

void CCRenderTexture::clear(float r, float g, float b, float a) {
    if (m_bCapturing) {
        if (!ccGLHasContext() || !m_uFBO) return;
        ccGLFlushBatch();
        GLfloat old[4] = {0, 0, 0, 0};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, old);
        glClearColor(r, g, b, a);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(old[0], old[1], old[2], old[3]);
        return;
    }
    beginWithClear(r, g, b, a);
    end();
}

void CCRenderTexture::end() {
    if (!m_bCapturing) {
        CCLog("[CCRenderTexture] end without begin; ignored");
        return;
    }
    ccGLFlushBatch();
    if (ccGLHasContext()) {
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(m_nOldFBO));
        glViewport(m_oldViewport[0], m_oldViewport[1], m_oldViewport[2], m_oldViewport[3]);
    }
    kmGLMatrixMode(KM_GL_PROJECTION);
    kmGLPopMatrix();
    kmGLMatrixMode(KM_GL_MODELVIEW);
    kmGLPopMatrix();
    m_bCapturing = false;
    g_capturing = false;
}

void CCRenderTexture::visit() {
    if (!isVisible()) return;
    kmGLPushMatrix();
    transform();
    if (m_pSprite) m_pSprite->visit();
    draw();
    kmGLPopMatrix();
}

}  // namespace cocos2d
