// Code-drawn art for the sample game: straight-alpha RGBA images, shapes
// anti-aliased by 4x4 supersampled coverage, and the one way the tool
// writes a PNG (RGBA, zlib level 9).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace samplegame {

struct Colour {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // straight alpha, top row first

    Image() = default;
    Image(int w, int h);
    uint8_t* pixel(int x, int y) { return rgba.data() + (static_cast<size_t>(y) * width + x) * 4; }
    const uint8_t* pixel(int x, int y) const { return rgba.data() + (static_cast<size_t>(y) * width + x) * 4; }
    // Source-over of `c` with `coverage` 0..1 onto the pixel (straight alpha).
    void blend(int x, int y, Colour c, float coverage);
    // Copies `src` with its top-left at (x, y), pixels outside clipped.
    void paste(const Image& src, int x, int y);
};

// Coverage of a pixel by a shape, sampled at 4x4 points.
using Inside = bool (*)(float x, float y, const void* shape);
void fillShape(Image& image, Inside inside, const void* shape, Colour c);

void fillCircle(Image& image, float cx, float cy, float r, Colour c);
void fillRoundedRect(Image& image, float x, float y, float w, float h, float radius, Colour c);
// Top-to-bottom gradient over the whole image, opaque.
void verticalGradient(Image& image, Colour top, Colour bottom);

enum class LookShape { Box, RoundedBox, Circle };

// A sprite's picture: a shape filled with a top-to-bottom gradient inside a
// 2-px dark outline, transparent around it.
struct Look {
    LookShape shape = LookShape::RoundedBox;
    int width = 0;
    int height = 0;
    Colour top;
    Colour bottom;
};
Image drawLook(const Look& look);

// The runner's face (icon and splash): an orange disc with eyes and a grin.
Image drawRunnerFace(int size);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
bool writeFile(const std::string& path, const std::string& text, std::string* error);
// RGBA at zlib level 9 through the engine's encoder; makes parent folders.
bool writePng(const Image& image, const std::string& path, std::string* error);

}  // namespace samplegame
