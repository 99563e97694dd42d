// Reader of the BMFont text format (.fnt): the `info`, `common`, `page`,
// `chars`, `char`, `kernings` and `kerning` lines. A pure function over bytes,
// so it can be tested and fuzzed without files or textures.
//
// Font files come from game data and are treated as hostile: the size, the
// page count, code points, glyph and kerning counts and every number are
// bounded, and nothing is allocated from a count the file declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace cocos2d {
namespace bmfont {

constexpr size_t kMaxFileSize = 1024 * 1024;
constexpr unsigned int kMaxPages = 16;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
constexpr size_t kMaxGlyphs = 65536;
constexpr size_t kMaxKernings = 65536;
// Glyph rectangles beyond this cannot lie on any texture the engine loads.
constexpr int kMaxCoordinate = 16384;
// Offsets, advances, line heights and kerning amounts.
constexpr int kMaxMetric = 32767;

struct Glyph {
    uint32_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;  // texels on the page, y down
    int xoffset = 0, yoffset = 0, xadvance = 0;
    unsigned int page = 0;
};

struct Font {
    int lineHeight = 0;
    int base = 0;
    int scaleW = 0;
    int scaleH = 0;
    // Page file names as written, indexed by page id; every id below the
    // size is present after a successful parse.
    std::vector<std::string> pages;
    std::unordered_map<uint32_t, Glyph> glyphs;
    // Key: first << 32 | second.
    std::unordered_map<uint64_t, int> kernings;

    const Glyph* glyph(uint32_t id) const {
        auto it = glyphs.find(id);
        return it == glyphs.end() ? nullptr : &it->second;
    }
    int kerning(uint32_t first, uint32_t second) const {
        auto it = kernings.find(kerningKey(first, second));
        return it == kernings.end() ? 0 : it->second;
    }
    static uint64_t kerningKey(uint32_t first, uint32_t second) {
        return (static_cast<uint64_t>(first) << 32) | second;
    }
};

// Parses `size` bytes. On failure returns false and sets *error to one line
// saying why (the caller prefixes the file name). Recoverable problems (a
// malformed or out-of-range char or kerning line, a glyph on an undeclared
// page, more glyphs than the limit) drop that entry and are logged with
// `sourceName`. The load fails when `common` is missing, a page name is
// absolute or climbs with "..", a page is declared twice or not at all, or
// the data exceeds kMaxFileSize.
bool parse(const char* data, size_t size, const std::string& sourceName, Font* out, std::string* error);

// True for page names the loader may join to the font's folder.
bool isSafePageName(const std::string& name);

// Decodes one UTF-8 code point at s[*pos], advancing *pos. Malformed bytes,
// overlong forms and surrogates give U+FFFD and advance by one byte.
uint32_t decodeUtf8(const std::string& s, size_t* pos);

}  // namespace bmfont
}  // namespace cocos2d
