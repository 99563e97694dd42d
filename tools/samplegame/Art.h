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

// The end-to-end runs find the Runner, the coins and the Pause button on
// screen by these exact fills, so nothing else the game shows may come
// within kProbeClearance of one of them on all three channels.
constexpr Colour kProbeRunnerBody{220, 30, 30, 255};
constexpr Colour kProbeCoinFace{255, 200, 0, 255};
constexpr Colour kProbePauseFace{0, 200, 90, 255};
constexpr int kProbeClearance = 32;
// True when (r, g, b) lies within kProbeClearance of a probe colour.
bool nearProbeColour(uint8_t r, uint8_t g, uint8_t b);

// The Extras screen's coin buttons (flat fills the end-to-end runs find)
// and the coin drawn after their prices.
constexpr Colour kExtrasSpend{60, 160, 80, 255};
constexpr Colour kExtrasOpen{150, 90, 220, 255};
constexpr Colour kExtrasLocked{120, 120, 130, 255};
constexpr Colour kExtrasPriceCoin{250, 170, 40, 255};

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

// Flat fills, opaque and unblended: every pixel whose centre lies inside
// takes exactly `c`, so the probes find the colour unchanged.
void flatRect(Image& image, int x, int y, int w, int h, Colour c);
void flatDisc(Image& image, float cx, float cy, float r, Colour c);
// The probe areas on their sprites' looks: the Runner's torso (at least
// 32 x 40 on an 80 x 96 picture), the coin's face (a disc at least 24 px
// across) and the Pause button's face around its two bars.
void paintRunnerTorso(Image& image);
void paintCoinFace(Image& image);
void paintPauseFace(Image& image);

// The runner's face (icon and splash): an orange disc with eyes and a grin.
Image drawRunnerFace(int size);

// World art by role: each role has its own colours, and hazards a warning
// orange, so a player tells sky, ground, hills, hazards and the Runner apart.
constexpr Colour kSkyTop{64, 132, 220, 255};
constexpr Colour kSkyBottom{160, 205, 240, 255};
constexpr Colour kHillsTop{112, 178, 140, 255};
constexpr Colour kHillsBottom{84, 146, 112, 255};
constexpr Colour kGrass{90, 176, 64, 255};
constexpr Colour kSoilTop{150, 100, 60, 255};
constexpr Colour kSoilBottom{108, 70, 42, 255};
constexpr Colour kHazardTop{255, 122, 24, 255};
constexpr Colour kHazardBottom{222, 84, 12, 255};
constexpr Colour kRunnerTop{56, 70, 150, 255};
constexpr Colour kRunnerBottom{32, 40, 100, 255};
// The coin's rim around its face, and the Lab's frog: each frame alike.
constexpr Colour kCoinRimTop{235, 150, 30, 255};
constexpr Colour kCoinRimBottom{190, 105, 20, 255};
constexpr Colour kFrogTop{60, 150, 60, 255};
constexpr Colour kFrogBottom{30, 100, 40, 255};
constexpr Colour kJumpTop{240, 110, 150, 255};
constexpr Colour kJumpBottom{190, 70, 120, 255};
// Full-bleed tiles that scroll edge to edge: opaque, no outline, and the
// left and right columns alike, so a row of them shows no seam.
Image drawSkyTile(int width, int height);
// Rolling hills over a transparent top, their outline repeating with the width.
Image drawHillsTile(int width, int height);
// Soil under a strip of grass, square, no outline: pieces laid side by side
// read as one ground, and a pit as a clear gap.
Image drawGroundTile(int width, int height);
// Dark spikes along the top of a hazard's look.
void paintSpikes(Image& image, int count, float height);

// The sound switch's two looks: a bright disc with a speaker sending two
// waves, and, muted, a grey one whose speaker is crossed out.
constexpr Colour kSoundOnTop{255, 214, 90, 255};
constexpr Colour kSoundOnBottom{236, 150, 40, 255};
constexpr Colour kSoundOffTop{150, 150, 160, 255};
constexpr Colour kSoundOffBottom{100, 100, 110, 255};
constexpr Colour kSpeaker{30, 24, 40, 255};
void paintSpeaker(Image& image, bool on);
// A particle: white, solid in its middle and fading to the rim, so the
// emitter's colours alone decide what it shows.
Image drawSpark(int size);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
bool writeFile(const std::string& path, const std::string& text, std::string* error);
// RGBA at zlib level 9 through the engine's encoder; makes parent folders.
bool writePng(const Image& image, const std::string& path, std::string* error);

}  // namespace samplegame
