#include "IcoWriter.h"

#include <png.h>

#include <fstream>
#include <functional>

namespace icowriter {

namespace {

void put(Bytes& b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The info header (height doubled for the mask), the palette (RGB triples in,
// BGR0 out), rows bottom-up padded to 4 bytes and filled by `pixel`, then the
// 1-bit mask (set = transparent, top row first in `transparent`).
Bytes bitmap(int width, int height, int bpp, const std::vector<uint8_t>& paletteRgb,
             const std::function<void(int x, int y, uint8_t* row)>& pixel, const std::vector<bool>& transparent) {
    const uint32_t colours = static_cast<uint32_t>(paletteRgb.size() / 3);
    Bytes b;
    put(b, 40, 4);
    put(b, static_cast<uint32_t>(width), 4);
    put(b, static_cast<uint32_t>(height * 2), 4);
    put(b, 1, 2);
    put(b, static_cast<uint32_t>(bpp), 2);
    for (uint32_t v : {0u, 0u, 0u, 0u, bpp <= 8 && colours == (1u << bpp) ? 0u : colours, 0u}) put(b, v, 4);
    for (uint32_t i = 0; i < colours; ++i)
        b.insert(b.end(), {paletteRgb[i * 3 + 2], paletteRgb[i * 3 + 1], paletteRgb[i * 3], 0});
    for (int pass = 0; pass < 2; ++pass) {
        const int bits = pass == 0 ? bpp : 1;
        const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
        for (int row = height - 1; row >= 0; --row) {
            Bytes line(stride, 0);
            for (int x = 0; x < width; ++x) {
                if (pass == 0)
                    pixel(x, row, line.data());
                else if (!transparent.empty() && transparent[static_cast<size_t>(row) * width + x])
                    line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
            b.insert(b.end(), line.begin(), line.end());
        }
    }
    return b;
}

Bytes directColour(const Image& image, int bpp, bool zeroAlpha) {
    std::vector<bool> mask(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = image.rgba[i * 4 + 3] == 0;
    return bitmap(
        image.width, image.height, bpp, {},
        [&](int x, int y, uint8_t* row) {
            const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
            uint8_t* q = row + static_cast<size_t>(x) * (bpp / 8);
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
            if (bpp == 32) q[3] = zeroAlpha ? 0 : p[3];
        },
        mask);
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
    return bitmap(
        width, height, bpp, paletteRgb,
        [&](int x, int y, uint8_t* row) {
            const size_t bit = static_cast<size_t>(x) * bpp;
            row[bit / 8] |= static_cast<uint8_t>(indices[static_cast<size_t>(y) * width + x] << (8 - bpp - bit % 8));
        },
        transparent);
}

Bytes ico(const std::vector<Entry>& entries) {
    Bytes b = {0, 0, 1, 0};
    put(b, static_cast<uint32_t>(entries.size()), 2);
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        b.insert(b.end(), {static_cast<uint8_t>(e.dirWidth % 256), static_cast<uint8_t>(e.dirHeight % 256), 0, 0});
        put(b, 1, 2);
        put(b, 32, 2);
        put(b, static_cast<uint32_t>(e.data.size()), 4);
        put(b, offset, 4);
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
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace icowriter
