// Builds .ico files for the tests, the probe and the fuzz corpus: PNG entries
// through libpng, BMP entries at every depth the reader takes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace icowriter {

typedef std::vector<uint8_t> Bytes;

struct Image {
    int width = 0;
    int height = 0;
    Bytes rgba;  // straight alpha, top row first
};

// A picture whose every pixel differs from its neighbours and from its
// mirror image, so a flipped or shifted decode cannot pass. With `alpha`,
// alpha varies too (including 0 and 255); without, it is 255.
Image pattern(int width, int height, bool alpha);

Bytes png(const Image& image);
// 32 bpp with the image's own alpha, and a mask of its alpha-0 pixels.
Bytes bmp32(const Image& image);
// 32 bpp with every alpha byte 0: transparency comes from the mask alone.
Bytes bmp32ZeroAlpha(const Image& image);
// 24 bpp; alpha-0 pixels go to the mask.
Bytes bmp24(const Image& image);
// 8, 4 or 1 bpp: `indices` (top row first) into `palette` (RGB triples);
// `transparent` marks mask pixels (top row first), may be empty.
Bytes bmpIndexed(int width, int height, int bpp, const std::vector<uint8_t>& indices,
                 const std::vector<uint8_t>& paletteRgb, const std::vector<bool>& transparent);

struct Entry {
    int dirWidth;   // written as given; 256 is written as 0
    int dirHeight;
    Bytes data;
};
Bytes ico(const std::vector<Entry>& entries);

// The probe's icon: 16x16 32-bpp BMP, 32x32 24-bpp with mask, 48x48 PNG.
Bytes testIcon();

bool writeFile(const std::string& path, const Bytes& bytes);

}  // namespace icowriter
