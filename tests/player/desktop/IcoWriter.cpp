#include "IcoWriter.h"

#include <png.h>

#include <cstdio>

namespace icowriter {

namespace {

void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

Bytes dibHeader(int width, int height, int bpp, uint32_t colours) {
    Bytes b;
    put32(b, 40);
    put32(b, static_cast<uint32_t>(width));
    put32(b, static_cast<uint32_t>(height * 2));
    put16(b, 1);
    put16(b, static_cast<unsigned>(bpp));
    put32(b, 0);  // uncompressed
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, colours);
    put32(b, 0);
    return b;
}

// Rows bottom-up, each padded to 4 bytes; bit set = transparent.
void appendMask(Bytes& b, int width, int height, const std::vector<bool>& transparent) {
    const size_t stride = (static_cast<size_t>(width) + 31) / 32 * 4;
    for (int row = height - 1; row >= 0; --row) {
        Bytes line(stride, 0);
        for (int x = 0; x < width; ++x)
            if (!transparent.empty() && transparent[static_cast<size_t>(row) * width + x])
                line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), line.begin(), line.end());
    }
}

std::vector<bool> alphaZeroMask(const Image& image) {
    std::vector<bool> mask(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = image.rgba[i * 4 + 3] == 0;
    return mask;
}

Bytes directColour(const Image& image, int bpp, bool zeroAlpha) {
    Bytes b = dibHeader(image.width, image.height, bpp, 0);
    const size_t stride = (static_cast<size_t>(image.width) * bpp + 31) / 32 * 4;
    for (int row = image.height - 1; row >= 0; --row) {
        Bytes line(stride, 0);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(static_cast<size_t>(row) * image.width + x) * 4];
            uint8_t* q = &line[static_cast<size_t>(x) * (bpp / 8)];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
            if (bpp == 32) q[3] = zeroAlpha ? 0 : p[3];
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    appendMask(b, image.width, image.height, alphaZeroMask(image));
    return b;
}

}  // namespace

Image pattern(int width, int height, bool alpha) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &image.rgba[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(x * 7 + 3);
            p[1] = static_cast<uint8_t>(y * 11 + 5);
            p[2] = static_cast<uint8_t>((x * 5 + y * 3) ^ 0x5A);
            p[3] = 255;
            if (alpha) {
                // Transparent and half-transparent pixels spread over the picture.
                const int k = (x + 2 * y) % 5;
                p[3] = k == 0 ? 0 : k == 1 ? 128 : k == 2 ? 37 : 255;
            }
        }
    }
    return image;
}

Bytes png(const Image& image) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return Bytes();
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t length) {
            auto* dst = static_cast<Bytes*>(png_get_io_ptr(p));
            dst->insert(dst->end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, const_cast<png_bytep>(&image.rgba[static_cast<size_t>(y) * image.width * 4]));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes bmp32(const Image& image) { return directColour(image, 32, false); }
Bytes bmp32ZeroAlpha(const Image& image) { return directColour(image, 32, true); }
Bytes bmp24(const Image& image) { return directColour(image, 24, false); }

Bytes bmpIndexed(int width, int height, int bpp, const std::vector<uint8_t>& indices,
                 const std::vector<uint8_t>& paletteRgb, const std::vector<bool>& transparent) {
    const uint32_t colours = static_cast<uint32_t>(paletteRgb.size() / 3);
    Bytes b = dibHeader(width, height, bpp, colours == (1u << bpp) ? 0 : colours);
    for (uint32_t i = 0; i < colours; ++i) {
        b.push_back(paletteRgb[i * 3 + 2]);
        b.push_back(paletteRgb[i * 3 + 1]);
        b.push_back(paletteRgb[i * 3]);
        b.push_back(0);
    }
    const size_t stride = (static_cast<size_t>(width) * bpp + 31) / 32 * 4;
    for (int row = height - 1; row >= 0; --row) {
        Bytes line(stride, 0);
        for (int x = 0; x < width; ++x) {
            const unsigned index = indices[static_cast<size_t>(row) * width + x];
            const size_t bit = static_cast<size_t>(x) * bpp;
            line[bit / 8] |= static_cast<uint8_t>(index << (8 - bpp - bit % 8));
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    appendMask(b, width, height, transparent);
    return b;
}

Bytes ico(const std::vector<Entry>& entries) {
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, static_cast<unsigned>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        b.push_back(static_cast<uint8_t>(e.dirWidth >= 256 ? 0 : e.dirWidth));
        b.push_back(static_cast<uint8_t>(e.dirHeight >= 256 ? 0 : e.dirHeight));
        b.push_back(0);
        b.push_back(0);
        put16(b, 1);
        put16(b, 32);
        put32(b, static_cast<uint32_t>(e.data.size()));
        put32(b, offset);
        offset += static_cast<uint32_t>(e.data.size());
    }
    for (const Entry& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
    return b;
}

Bytes testIcon() {
    return ico({{16, 16, bmp32(pattern(16, 16, true))},
                {32, 32, bmp24(pattern(32, 32, true))},
                {48, 48, png(pattern(48, 48, true))}});
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace icowriter
