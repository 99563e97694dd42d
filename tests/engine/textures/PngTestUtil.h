// PNG and scratch-directory helpers shared by the texture, frame, label and
// sprite tests. Images are generated with libpng's simplified write API, so
// the decoder is checked against an independent encoder, not against itself.
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
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, colormap);
    Bytes out(size);
    if (!size || !png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, colormap)) return {};
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
        for (int i = 0; i < 4; ++i) png[at + i] = uint8_t(v >> (24 - 8 * i));
    };
    put(16, w);
    put(20, h);
    put(29, uint32_t(crc32(0, png.data() + 12, 17)));  // chunk type + 13 data bytes
    return png;
}

// A 16-bit RGBA PNG with no colour-space chunk (no gAMA, sRGB, cHRM or
// iCCP), as art tools save it: libpng's simplified writer always tags 16-bit
// data as linear, so this one is put together chunk by chunk.
inline Bytes rgba16Untagged(png_uint_32 w, png_uint_32 h, const std::vector<uint16_t>& px) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto be32 = [](Bytes& b, uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (24 - 8 * i)));
    };
    auto chunk = [&](const char* type, const Bytes& data) {
        be32(out, uint32_t(data.size()));
        const size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        be32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
    };
    Bytes header;
    be32(header, w);
    be32(header, h);
    header.insert(header.end(), {16, 6, 0, 0, 0});  // 16 bits, RGBA, deflate, no filter, no interlace
    Bytes raw;
    for (png_uint_32 y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        for (png_uint_32 i = 0; i < w * 4; ++i) {
            const uint16_t v = px.at(size_t(y) * w * 4 + i);
            raw.insert(raw.end(), {uint8_t(v >> 8), uint8_t(v)});
        }
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    Bytes packed(packedSize);
    if (compress(packed.data(), &packedSize, raw.data(), uLong(raw.size())) != Z_OK) return {};
    packed.resize(packedSize);
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return out;
}

template <class Data>
void writeFile(const std::string& path, const Data& data) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

inline size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// A fresh directory under the build tree, made the resource root, removed at
// the end so every test starts from nothing.
class ScratchRoot {
public:
    explicit ScratchRoot(const std::string& name) : m_dir(std::string(QV_BINARY_DIR) + "/tests/tmp/" + name) {
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

private:
    std::string m_dir;
};

}  // namespace pngtest
