#include "textures/CCTexture2D.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/CCCommon.h"
#include "textures/CCImage.h"
#include "textures/TextureUpload.h"

namespace cocos2d {

namespace {
std::atomic<bool> g_keepPixels{false};
}

void CCTexture2D::setKeepsPixelsWithoutContext(bool keep) { g_keepPixels = keep; }
bool CCTexture2D::keepsPixelsWithoutContext() { return g_keepPixels; }

CCTexture2D::~CCTexture2D() { deleteUploadedTexture(m_name); }

bool CCTexture2D::finishInit(const unsigned char* pixels, std::unique_ptr<unsigned char[]> owned, unsigned int w,
                             unsigned int h, const CCSize& contentSize, bool premultiplied) {
    deleteUploadedTexture(m_name);
    m_name = uploadTexture(pixels, static_cast<int>(w), static_cast<int>(h));
    m_pixelsWide = w;
    m_pixelsHigh = h;
    m_contentSize = contentSize;
    m_maxS = contentSize.width / static_cast<float>(w);
    m_maxT = contentSize.height / static_cast<float>(h);
    m_premultiplied = premultiplied;
    m_format = kCCTexture2DPixelFormat_RGBA8888;
    m_pixels.reset();
    if (m_name == 0 && g_keepPixels) {
        if (!owned) {
            const size_t bytes = size_t(w) * h * 4;
            owned.reset(new (std::nothrow) unsigned char[bytes]);
            if (owned) std::memcpy(owned.get(), pixels, bytes);
        }
        m_pixels = std::move(owned);
    }
    return true;
}

bool CCTexture2D::initWithData(const void* data, CCTexture2DPixelFormat pixelFormat, unsigned int pixelsWide,
                               unsigned int pixelsHigh, const CCSize& contentSize) {
    if (pixelFormat != kCCTexture2DPixelFormat_RGBA8888) {
        CCLog("[CCTexture2D] pixel format %d is not supported (only 7, RGBA8888)", static_cast<int>(pixelFormat));
        return false;
    }
    if (!data || pixelsWide == 0 || pixelsHigh == 0 || pixelsWide > unsigned(CCImage::kMaxDimension) ||
        pixelsHigh > unsigned(CCImage::kMaxDimension)) {
        CCLog("[CCTexture2D] refused texture data of %ux%u pixels", pixelsWide, pixelsHigh);
        return false;
    }
    if (!std::isfinite(contentSize.width) || !std::isfinite(contentSize.height) || contentSize.width < 0 ||
        contentSize.height < 0) {
        CCLog("[CCTexture2D] refused content size %g x %g", contentSize.width, contentSize.height);
        return false;
    }
    const size_t count = size_t(pixelsWide) * pixelsHigh;
    std::unique_ptr<unsigned char[]> copy(new (std::nothrow) unsigned char[count * 4]);
    if (!copy) {
        CCLog("[CCTexture2D] out of memory for %ux%u pixels", pixelsWide, pixelsHigh);
        return false;
    }
    std::memcpy(copy.get(), data, count * 4);
    CCImage::premultiply(copy.get(), count);
    const unsigned char* raw = copy.get();
    return finishInit(raw, std::move(copy), pixelsWide, pixelsHigh, contentSize, true);
}

bool CCTexture2D::initWithImage(CCImage* image) {
    if (!image || !image->getData()) {
        CCLog("[CCTexture2D] cannot create a texture from an empty image");
        return false;
    }
    const unsigned w = image->getWidth(), h = image->getHeight();
    return finishInit(image->getData(), nullptr, w, h, CCSize(float(w), float(h)), image->isPremultipliedAlpha());
}

}  // namespace cocos2d
