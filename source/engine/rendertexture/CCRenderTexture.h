// Drawing into a texture. begin() redirects drawing into the texture's
// framebuffer with an ortho(0, w, 0, h) projection and identity model-view,
// so eye point (x, y) lands in texel (x, y); end() restores everything. The
// sprite shows the capture upright and centred on the node's origin.
#pragma once

#include "gl/CCGL.h"
#include "scene/CCNode.h"

namespace cocos2d {

class CCSprite;
class CCTexture2D;

class CCRenderTexture : public CCNode {
public:
    CCRenderTexture();
    ~CCRenderTexture() override;

    // RGBA8888. Each side is clamped to 1 .. GL_MAX_TEXTURE_SIZE (4096
    // headless) with a log line, so a bad size never gives an unusable object.
    static CCRenderTexture* create(int w, int h);
    static CCRenderTexture* create(int w, int h, int pixelFormat);
    bool initWithWidthAndHeight(int w, int h, int pixelFormat);

    void begin();
    void beginWithClear(float r, float g, float b, float a);
    void end();
    // Clears the texture while capturing (begin, clear, end when not capturing).
    void clear(float r, float g, float b, float a);

    CCSprite* getSprite() { return m_pSprite; }
    void setSprite(CCSprite* sprite);

    void visit() override;
    void draw() override {}

    // (ours)
    bool isCapturing() const { return m_bCapturing; }
    GLuint getFramebuffer() const { return m_uFBO; }
    int getPixelsWide() const { return m_nWidth; }
    int getPixelsHigh() const { return m_nHeight; }
    // The largest side create() accepts.
    static int maxTextureSize();

private:
    CCTexture2D* m_pTexture = nullptr;
    CCSprite* m_pSprite = nullptr;
    GLuint m_uFBO = 0;
    GLint m_nOldFBO = 0;
    GLint m_oldViewport[4] = {0, 0, 0, 0};
    int m_nWidth = 0;
    int m_nHeight = 0;
    bool m_bCapturing = false;
};

}  // namespace cocos2d
