// A decoded image in memory: PNG only, always RGBA8, rows top to bottom.
// Pixels are premultiplied (c' = (c*a + 127) / 255) unless the straight-alpha
// entry point was used. Every reader treats the bytes as hostile: images above
// kMaxDimension in either direction are refused from their header, before any
// pixel memory is allocated, and corrupt or truncated data fails with a log.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "base/CCObject.h"

namespace cocos2d {

class CCImage : public CCObject {
public:
    enum EImageFormat { kFmtJpg = 0, kFmtPng, kFmtTiff, kFmtWebp, kFmtRawData, kFmtUnKnown };

    static const int kMaxDimension = 8192;

    CCImage() = default;
    ~CCImage() override = default;

    // Path as given to the file utilities (resolved through the search paths).
    bool initWithImageFile(const char* path, EImageFormat format = kFmtPng);
    // Encoded PNG bytes. Any format other than PNG or unknown is refused.
    bool initWithImageData(void* data, int dataLen, EImageFormat format = kFmtUnKnown, int width = 0,
                           int height = 0, int bitsPerComponent = 8);
    // (ours) Decodes PNG bytes without premultiplying, for consumers that want
    // straight alpha (the window icon).
    bool initWithPngDataStraightAlpha(const void* data, size_t size);

    unsigned short getWidth() const { return static_cast<unsigned short>(m_width); }
    unsigned short getHeight() const { return static_cast<unsigned short>(m_height); }
    // Null until a successful init; width * height * 4 bytes otherwise.
    unsigned char* getData() { return m_pixels.get(); }
    const unsigned char* getData() const { return m_pixels.get(); }
    int getDataLen() const { return m_width * m_height * 4; }
    bool hasAlpha() const { return true; }
    bool isPremultipliedAlpha() const { return m_premultiplied; }
    int getBitsPerComponent() const { return 8; }

    // (ours) Decodes PNG bytes without logging; lastError() says why it failed.
    bool decodePng(const void* data, size_t size, bool premultiplied);
    // (ours) Why the last init failed (empty after success).
    const std::string& lastError() const { return m_error; }

    // (ours) In-place premultiplication of RGBA8 pixels, shared with textures.
    static void premultiply(unsigned char* rgba, size_t pixelCount);

private:
    void clear();

    std::unique_ptr<unsigned char[]> m_pixels;
    int m_width = 0;
    int m_height = 0;
    bool m_premultiplied = false;
    std::string m_error;
};

}  // namespace cocos2d
