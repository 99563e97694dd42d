#include "textures/CCImage.h"

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/CCCommon.h"
#include "textures/ResourceFiles.h"

namespace cocos2d {

namespace {

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Deflate cannot expand input by more than about 1032:1, so an image whose
// filtered rows could not come out of the bytes given is corrupt or truncated.
// Checking this before allocating stops a small file from claiming a huge one.
bool pixelsCouldFit(const unsigned char* bytes, size_t size, uint32_t width, uint32_t height) {
    if (size < 33) return false;
    // IHDR always follows the signature: length, type, width, height, depth, colour type.
    unsigned depth = bytes[24];
    unsigned channels = 1;
    switch (bytes[25]) {
        case 2: channels = 3; break;
        case 4: channels = 2; break;
        case 6: channels = 4; break;
        default: channels = 1; break;
    }
    uint64_t rowBits = uint64_t(width) * channels * (depth ? depth : 1);
    uint64_t raw = uint64_t(height) * (1 + (rowBits + 7) / 8);
    return raw <= uint64_t(size) * 1032 + 1024;
}

}  // namespace

void CCImage::premultiply(unsigned char* rgba, size_t pixelCount) {
    for (size_t i = 0; i < pixelCount; ++i, rgba += 4) {
        unsigned a = rgba[3];
        if (a == 255) continue;
        rgba[0] = static_cast<unsigned char>((rgba[0] * a + 127) / 255);
        rgba[1] = static_cast<unsigned char>((rgba[1] * a + 127) / 255);
        rgba[2] = static_cast<unsigned char>((rgba[2] * a + 127) / 255);
    }
}

void CCImage::clear() {
    m_pixels.reset();
    m_width = m_height = 0;
    m_premultiplied = false;
}

bool CCImage::decodePng(const void* data, size_t size, bool premultiplied) {
    clear();
    m_error.clear();
    auto fail = [this](const char* why) {
        m_error = why;
        clear();
        return false;
    };
    if (!data || size < sizeof(kPngSignature)) return fail("too short for a PNG");
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (std::memcmp(bytes, kPngSignature, sizeof(kPngSignature)) != 0) return fail("not a PNG");

    // The simplified API reports errors through its return value, so no
    // longjmp ever crosses our frames.
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        m_error = std::string("bad header: ") + image.message;
        png_image_free(&image);
        clear();
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > uint32_t(kMaxDimension) ||
        image.height > uint32_t(kMaxDimension)) {
        png_image_free(&image);
        m_error = "dimensions " + std::to_string(image.width) + "x" + std::to_string(image.height) +
                  " exceed " + std::to_string(kMaxDimension);
        clear();
        return false;
    }
    if (!pixelsCouldFit(bytes, size, image.width, image.height)) {
        png_image_free(&image);
        return fail("data too short for the size in its header");
    }
    // Game art saved at 16 bits carries no gamma chunk and is sRGB in practice.
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    image.format = PNG_FORMAT_RGBA;

    const size_t bytesLen = size_t(image.width) * image.height * 4;
    std::unique_ptr<unsigned char[]> pixels(new (std::nothrow) unsigned char[bytesLen]);
    if (!pixels) {
        png_image_free(&image);
        return fail("out of memory");
    }
    if (!png_image_finish_read(&image, nullptr, pixels.get(), 0, nullptr)) {
        m_error = std::string("corrupt data: ") + image.message;
        png_image_free(&image);
        clear();
        return false;
    }
    if (premultiplied) premultiply(pixels.get(), size_t(image.width) * image.height);
    m_pixels = std::move(pixels);
    m_width = static_cast<int>(image.width);
    m_height = static_cast<int>(image.height);
    m_premultiplied = premultiplied;
    return true;
}

bool CCImage::initWithImageData(void* data, int dataLen, EImageFormat format, int width, int height,
                                int bitsPerComponent) {
    (void)width;
    (void)height;
    (void)bitsPerComponent;
    if (format != kFmtPng && format != kFmtUnKnown) {
        clear();
        m_error = "only PNG is supported";
        CCLog("[CCImage] cannot decode image data: %s", m_error.c_str());
        return false;
    }
    if (dataLen < 0) dataLen = 0;
    if (!decodePng(data, static_cast<size_t>(dataLen), true)) {
        CCLog("[CCImage] cannot decode image data: %s", m_error.c_str());
        return false;
    }
    return true;
}

bool CCImage::initWithPngDataStraightAlpha(const void* data, size_t size) {
    if (!decodePng(data, size, false)) {
        CCLog("[CCImage] cannot decode image data: %s", m_error.c_str());
        return false;
    }
    return true;
}

bool CCImage::initWithImageFile(const char* path, EImageFormat format) {
    clear();
    if (!path || !*path) {
        m_error = "empty path";
        CCLog("[CCImage] cannot load image: empty path");
        return false;
    }
    if (format != kFmtPng && format != kFmtUnKnown) {
        m_error = "only PNG is supported";
        CCLog("[CCImage] cannot decode %s: %s", path, m_error.c_str());
        return false;
    }
    std::string full = resource::fullPath(path);
    size_t size = 0;
    unsigned char* bytes = resource::readAll(full, &size);
    if (!bytes) {
        m_error = "cannot read file";
        CCLogOnce("[CCImage] cannot read %s", path);
        return false;
    }
    bool ok = decodePng(bytes, size, true);
    std::free(bytes);
    if (!ok) CCLog("[CCImage] cannot decode %s: %s", path, m_error.c_str());
    return ok;
}

}  // namespace cocos2d
