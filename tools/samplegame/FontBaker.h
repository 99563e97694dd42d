// FreeType to a BMFont text font: every code point 32-126 of one face, white
// with a dark outline, on one power-of-two page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"

namespace samplegame {

constexpr int kFontOutline = 3;
constexpr int kFontSpacing = 2;

struct BakedGlyph {
    uint32_t id = 0;
    Image image;  // outline included; empty for blank glyphs
    int x = 0, y = 0;
    int xoffset = 0, yoffset = 0, xadvance = 0;
};

struct Kerning {
    uint32_t first = 0, second = 0;
    int amount = 0;
};

struct BakedFont {
    std::string face;
    int size = 0;
    bool bold = false;
    int lineHeight = 0;
    int base = 0;
    int pageSize = 0;
    std::vector<BakedGlyph> glyphs;  // ascending id
    std::vector<Kerning> kernings;
    Image page;
};

// The font file found at configure time (DejaVu Sans Bold).
const char* defaultFontFile();

bool bakeFont(const std::string& fontFile, int pixelSize, BakedFont* out, std::string* error);

// The `.fnt` text, naming the page "QVModelFont_ID<id>.png"; LF line ends.
std::string fntText(const BakedFont& font, uint32_t fontId);

// Writes `dataDir`/fonts/QVModelFont_ID<id>.{fnt,png}.
bool writeFont(const std::string& dataDir, uint32_t fontId, const BakedFont& font, std::string* error);

int textWidth(const BakedFont& font, const std::string& text);
// Sets `text` with its line's top at `top`; characters the font lacks are skipped.
void drawText(Image& image, const BakedFont& font, const std::string& text, int x, int top);

// A button's picture: `look` with `caption` centred on it.
Image drawCaptioned(const Look& look, const BakedFont& font, const std::string& caption);

}  // namespace samplegame
