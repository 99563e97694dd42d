// PNG and scratch-directory helpers shared by the texture and frame tests.
// Images are generated with libpng's simplified write API, so the decoder is
// checked against an independent encoder rather than against itself.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CCFileUtils.h"

namespace pngtest {

using Bytes = std::vector<unsigned char>;

inline Bytes encode(png_uint_32 w, png_uint_32 h, png_uint_32 format, const void* pixels,
                    const void* colormap = nullptr, png_uint_32 colormapEntries = 0) {
    png_image image;
    std::memset(&image, 0, sizeof(image));
    image.version = PNG_IMAGE_VERSION;
    image.width = w;
    image.height = h;
    image.format = format;
    image.colormap_entries = colormapEntries;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, colormap)) return {};
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, colormap)) return {};
    out.resize(size);
    return out;
}

inline Bytes rgba(png_uint_32 w, png_uint_32 h, const std::vector<uint8_t>& px) {
    return encode(w, h, PNG_FORMAT_RGBA, px.data());
}

// A uniform w x h image of one straight-alpha colour.
inline Bytes solid(png_uint_32 w, png_uint_32 h, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    std::vector<uint8_t> px;
    for (png_uint_32 i = 0; i < w * h; ++i) px.insert(px.end(), {r, g, b, a});
    return rgba(w, h, px);
}

// Rewrites the IHDR size (and its CRC) of a valid PNG, as a hostile file would.
inline Bytes withClaimedSize(Bytes png, uint32_t w, uint32_t h) {
    auto put = [&](size_t at, uint32_t v) {
        png[at] = uint8_t(v >> 24);
        png[at + 1] = uint8_t(v >> 16);
        png[at + 2] = uint8_t(v >> 8);
        png[at + 3] = uint8_t(v);
    };
    put(16, w);
    put(20, h);
    uLong crc = crc32(0, png.data() + 12, 17);  // chunk type + 13 data bytes
    put(29, uint32_t(crc));
    return png;
}

inline void writeFile(const std::string& path, const void* data, size_t size) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
}
inline void writeFile(const std::string& path, const Bytes& b) { writeFile(path, b.data(), b.size()); }
inline void writeFile(const std::string& path, const std::string& s) { writeFile(path, s.data(), s.size()); }

// A fresh directory under the build tree, made the resource root, removed at
// the end so every test starts from nothing.
class ScratchRoot {
public:
    explicit ScratchRoot(const std::string& name)
        : m_dir(std::string(QV_BINARY_DIR) + "/tests/tmp/" + name) {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(m_dir);
    }
    ~ScratchRoot() {
        cocos2d::CCFileUtils::purgeFileUtils();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string path(const std::string& rel) const { return m_dir + "/" + rel; }
    const std::string& dir() const { return m_dir; }

private:
    std::string m_dir;
};

}  // namespace pngtest
