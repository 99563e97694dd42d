// A texture: pixel size, content size and alpha flags, plus the driver name
// once uploaded. Headless (name 0) the pixels are dropped after init unless
// keepsPixelsWithoutContext is switched on, so decoded atlases cost no memory.
#pragma once

#include <cstddef>
#include <memory>

#include "base/CCObject.h"
#include "math/CCGeometry.h"
#include "math/ccTypes.h"

namespace cocos2d {

class CCImage;

// Only RGBA8888 is supported. Its value is 7, which is what game code passes
// for a solid-colour texture; the other values exist so they can be refused.
enum CCTexture2DPixelFormat {
    kCCTexture2DPixelFormat_RGB888 = 1,
    kCCTexture2DPixelFormat_RGB565 = 2,
    kCCTexture2DPixelFormat_A8 = 3,
    kCCTexture2DPixelFormat_I8 = 4,
    kCCTexture2DPixelFormat_AI88 = 5,
    kCCTexture2DPixelFormat_RGBA4444 = 6,
    kCCTexture2DPixelFormat_RGBA8888 = 7,
    kCCTexture2DPixelFormat_Default = kCCTexture2DPixelFormat_RGBA8888,
};

class CCTexture2D : public CCObject {
public:
    CCTexture2D() = default;
    ~CCTexture2D() override;

    // data holds pixelsWide * pixelsHigh RGBA8 pixels (straight alpha); a
    // premultiplied copy is uploaded. Other formats return false (logged).
    bool initWithData(const void* data, CCTexture2DPixelFormat pixelFormat, unsigned int pixelsWide,
                      unsigned int pixelsHigh, const CCSize& contentSize);
    // Content size = pixel size; the image's alpha mode is kept.
    bool initWithImage(CCImage* image);

    GLuint getName() const { return m_name; }
    unsigned int getPixelsWide() const { return m_pixelsWide; }
    unsigned int getPixelsHigh() const { return m_pixelsHigh; }
    const CCSize& getContentSize() const { return m_contentSize; }
    CCSize getContentSizeInPixels() const { return m_contentSize; }
    // Content size over pixel size, so a stretched 1x1 texture samples one texel.
    GLfloat getMaxS() const { return m_maxS; }
    GLfloat getMaxT() const { return m_maxT; }
    bool hasPremultipliedAlpha() const { return m_premultiplied; }
    CCTexture2DPixelFormat getPixelFormat() const { return m_format; }

    // (ours) The uploaded RGBA8 pixels while no context holds them; null when
    // dropped (the default) or after an upload.
    const unsigned char* getPixelData() const { return m_pixels.get(); }
    // (ours) Keep pixels of textures created while headless (tests, tools).
    static void setKeepsPixelsWithoutContext(bool keep);
    static bool keepsPixelsWithoutContext();

private:
    // Uploads `pixels`; keeps them (taking `owned` or a copy) only while headless
    // and asked to.
    bool finishInit(const unsigned char* pixels, std::unique_ptr<unsigned char[]> owned, unsigned int w,
                    unsigned int h, const CCSize& contentSize, bool premultiplied);

    GLuint m_name = 0;
    unsigned int m_pixelsWide = 0;
    unsigned int m_pixelsHigh = 0;
    CCSize m_contentSize;
    GLfloat m_maxS = 0;
    GLfloat m_maxT = 0;
    bool m_premultiplied = false;
    CCTexture2DPixelFormat m_format = kCCTexture2DPixelFormat_Default;
    std::unique_ptr<unsigned char[]> m_pixels;
};

}  // namespace cocos2d
