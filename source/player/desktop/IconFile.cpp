#include "IconFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/QVLog.h"
#include "view/CCEGLView.h"
#include "platform/CCFileUtils.h"
#include "textures/CCImage.h"

namespace {

uint16_t le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t be32(const unsigned char* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct DirEntry {
    int width;   // 0 in the file means 256
    int height;
    uint32_t length;
    uint32_t offset;
};

// PNG entries: the header is checked against our own limit before libpng
// allocates anything, since the engine decoder allows far larger images.
bool decodePngEntry(const unsigned char* data, size_t size, const DirEntry& dir, IconImage& out,
                    std::string& why) {
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) {
        why = "PNG without an image header";
        return false;
    }
    uint32_t w = be32(data + 16), h = be32(data + 20);
    if (w == 0 || h == 0 || w > static_cast<uint32_t>(kIcoMaxDimension) ||
        h > static_cast<uint32_t>(kIcoMaxDimension)) {
        why = "PNG of " + std::to_string(w) + "x" + std::to_string(h) + " pixels (at most 256x256)";
        return false;
    }
    if (static_cast<int>(w) != dir.width || static_cast<int>(h) != dir.height) {
        why = "directory says " + std::to_string(dir.width) + "x" + std::to_string(dir.height) +
              ", PNG says " + std::to_string(w) + "x" + std::to_string(h);
        return false;
    }
    cocos2d::CCImage image;
    if (!image.decodePng(data, size, false)) {
        why = "PNG: " + image.lastError();
        return false;
    }
    if (image.getWidth() != w || image.getHeight() != h) {
        why = "PNG size changed while decoding";
        return false;
    }
    out.width = static_cast<int>(w);
    out.height = static_cast<int>(h);
    out.rgba.assign(image.getData(), image.getData() + image.getDataLen());
    return true;
}

bool decodeBmpEntry(const unsigned char* data, size_t size, const DirEntry& dir, IconImage& out,
                    std::string& why) {
    if (size < 40) {
        why = "bitmap header cut short";
        return false;
    }
    uint32_t headerSize = le32(data);
    if (headerSize < 40 || headerSize > size) {
        why = "bitmap header size " + std::to_string(headerSize);
        return false;
    }
    int32_t width = static_cast<int32_t>(le32(data + 4));
    int32_t dibHeight = static_cast<int32_t>(le32(data + 8));
    uint16_t bpp = le16(data + 14);
    uint32_t compression = le32(data + 16);
    uint32_t colorsUsed = le32(data + 32);
    if (compression != 0) {
        why = "compressed bitmap (type " + std::to_string(compression) + ")";
        return false;
    }
    if (bpp != 32 && bpp != 24 && bpp != 8 && bpp != 4 && bpp != 1) {
        why = std::to_string(bpp) + " bits per pixel";
        return false;
    }
    // The bitmap holds the colour image and the mask, so its height is doubled.
    int32_t height = dibHeight / 2;
    if (width <= 0 || width > kIcoMaxDimension || dibHeight <= 0 || height <= 0 ||
        height > kIcoMaxDimension) {
        why = "bitmap of " + std::to_string(width) + "x" + std::to_string(dibHeight) + " (double height)";
        return false;
    }
    if (width != dir.width || height != dir.height) {
        why = "directory says " + std::to_string(dir.width) + "x" + std::to_string(dir.height) +
              ", bitmap says " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }

    size_t pos = headerSize;
    size_t paletteCount = 0;
    if (bpp <= 8) {
        size_t full = size_t(1) << bpp;
        paletteCount = colorsUsed == 0 ? full : colorsUsed;
        if (paletteCount > full) {
            why = std::to_string(colorsUsed) + " palette colours for " + std::to_string(bpp) + " bits";
            return false;
        }
    }
    const unsigned char* palette = data + pos;
    if (paletteCount * 4 > size - pos) {
        why = "palette cut short";
        return false;
    }
    pos += paletteCount * 4;

    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    const size_t colorStride = (w * bpp + 31) / 32 * 4;
    const size_t maskStride = (w + 31) / 32 * 4;
    if (colorStride * h > size - pos) {
        why = "pixel data cut short";
        return false;
    }
    const unsigned char* pixels = data + pos;
    pos += colorStride * h;
    // A 32-bit image with real alpha may leave out its mask; everything else needs it.
    const bool haveMask = maskStride * h <= size - pos;
    const unsigned char* mask = haveMask ? data + pos : nullptr;

    bool ownAlpha = false;
    if (bpp == 32) {
        for (size_t y = 0; y < h && !ownAlpha; ++y)
            for (size_t x = 0; x < w; ++x)
                if (pixels[y * colorStride + x * 4 + 3] != 0) { ownAlpha = true; break; }
    }
    if (!ownAlpha && !haveMask) {
        why = "mask cut short";
        return false;
    }

    out.width = width;
    out.height = height;
    out.rgba.assign(w * h * 4, 0);
    for (size_t row = 0; row < h; ++row) {
        const size_t srcRow = h - 1 - row;  // bitmaps are stored bottom-up
        const unsigned char* src = pixels + srcRow * colorStride;
        unsigned char* dst = out.rgba.data() + row * w * 4;
        for (size_t x = 0; x < w; ++x, dst += 4) {
            unsigned char b = 0, g = 0, r = 0, a = 255;
            if (bpp == 32 || bpp == 24) {
                const unsigned char* p = src + x * (bpp / 8);
                b = p[0];
                g = p[1];
                r = p[2];
                if (bpp == 32 && ownAlpha) a = p[3];
            } else {
                const size_t bit = x * bpp;
                const unsigned byte = src[bit / 8];
                const unsigned shift = 8 - bpp - static_cast<unsigned>(bit % 8);
                const size_t index = (byte >> shift) & ((1u << bpp) - 1);
                if (index < paletteCount) {
                    b = palette[index * 4];
                    g = palette[index * 4 + 1];
                    r = palette[index * 4 + 2];
                }  // an index past a short palette stays black
            }
            if (!ownAlpha) {
                const unsigned char m = mask[srcRow * maskStride + x / 8];
                if (m & (0x80 >> (x % 8))) a = 0;
            }
            dst[0] = r;
            dst[1] = g;
            dst[2] = b;
            dst[3] = a;
        }
    }
    return true;
}

void applyIcons(const std::vector<IconImage>& images) {
    std::vector<cocos2d::ViewIcon> icons;
    for (const IconImage& image : images) {
        cocos2d::ViewIcon icon;
        icon.rgba = image.rgba.data();
        icon.width = image.width;
        icon.height = image.height;
        icons.push_back(icon);
    }
    cocos2d::CCEGLView::sharedOpenGLView()->setIcons(icons);
}

void note(std::vector<std::string>* problems, std::string text) {
    if (problems) problems->push_back(std::move(text));
}

}  // namespace

std::vector<IconImage> decodeIco(const void* bytes, std::size_t size, std::vector<std::string>* problems) {
    std::vector<IconImage> images;
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    if (!data || size == 0) {
        note(problems, "empty file");
        return images;
    }
    if (size > kIcoMaxFileSize) {
        note(problems, "file of " + std::to_string(size) + " bytes (at most 4 MiB)");
        return images;
    }
    if (size < 6 || le16(data) != 0 || le16(data + 2) != 1) {
        note(problems, "not an icon file");
        return images;
    }
    const int count = le16(data + 4);
    if (count == 0) {
        note(problems, "icon directory has no entries");
        return images;
    }
    if (count > kIcoMaxEntries) {
        note(problems, "icon directory has " + std::to_string(count) + " entries (at most 64)");
        return images;
    }
    if (6 + size_t(count) * 16 > size) {
        note(problems, "icon directory cut short");
        return images;
    }
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = data + 6 + size_t(i) * 16;
        DirEntry dir{e[0] == 0 ? 256 : e[0], e[1] == 0 ? 256 : e[1], le32(e + 8), le32(e + 12)};
        std::string why;
        IconImage image;
        if (dir.offset >= size || dir.length > size - dir.offset) {
            why = "data at " + std::to_string(dir.offset) + "+" + std::to_string(dir.length) +
                  " lies outside the file";
        } else if (dir.length >= 8 && std::memcmp(data + dir.offset, kPngSignature, 8) == 0) {
            decodePngEntry(data + dir.offset, dir.length, dir, image, why);
        } else {
            decodeBmpEntry(data + dir.offset, dir.length, dir, image, why);
        }
        if (!why.empty()) {
            note(problems, "entry " + std::to_string(i) + ": " + why);
            continue;
        }
        images.push_back(std::move(image));
    }
    return images;
}

bool setWindowIcon(const char* file) {
    if (!file || !*file) {
        logMessage("[Host] window icon: no file named; keeping the default icon");
        return false;
    }
    unsigned long size = 0;
    unsigned char* bytes =
        cocos2d::CCFileUtils::sharedFileUtils()->getFileData(file, "rb", &size);
    if (!bytes || size == 0) {
        std::free(bytes);
        logMessage("[Host] window icon: cannot read %s; keeping the default icon", file);
        return false;
    }
    std::vector<std::string> problems;
    std::vector<IconImage> images = decodeIco(bytes, size, &problems);
    std::free(bytes);
    for (const std::string& p : problems) logMessage("[Host] window icon %s: %s", file, p.c_str());
    if (images.empty()) {
        logMessage("[Host] window icon %s: no usable image; keeping the default icon", file);
        return false;
    }
    applyIcons(images);
    return true;
}
