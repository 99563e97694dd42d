// A parsed bitmap font with its page textures. Configurations are cached by
// the font's full path, so every label of one font shares one parse and the
// start-up loader can bring all fonts in ahead of time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/CCObject.h"
#include "label/BMFontParser.h"

namespace cocos2d {

class CCTexture2D;

class CCBMFontConfiguration : public CCObject {
public:
    // Loads the file and its pages (through the texture cache). Null, with
    // one log line naming the file and the reason, when the font cannot be
    // used. Autoreleased.
    static CCBMFontConfiguration* create(const char* fntFile);
    ~CCBMFontConfiguration() override;

    const bmfont::Font& font() const { return m_font; }
    // Where a glyph's quad goes relative to the pen and the line top, and
    // what it samples. Null when the font lacks the code point. ASCII comes
    // from a table made at load; other code points are worked out into
    // *scratch.
    struct Placement {
        unsigned int page;
        float xoffset, top, width, height, advance;
        float u0, v0, u1, v1;
    };
    const Placement* placement(uint32_t id, Placement* scratch) const {
        if (id < kDirectGlyphs) return m_direct[id].page == kNoPage ? nullptr : &m_direct[id];
        const bmfont::Glyph* g = m_font.glyph(id);
        if (!g) return nullptr;
        *scratch = place(*g);
        return scratch;
    }
    const std::string& fullPath() const { return m_fullPath; }
    unsigned int pageCount() const { return static_cast<unsigned int>(m_pages.size()); }
    CCTexture2D* pageTexture(unsigned int page) const { return page < m_pages.size() ? m_pages[page] : nullptr; }

private:
    CCBMFontConfiguration() = default;
    bool initWithFNTfile(const char* fntFile);

    Placement place(const bmfont::Glyph& g) const;

    static constexpr uint32_t kDirectGlyphs = 128;
    static constexpr unsigned int kNoPage = ~0u;

    bmfont::Font m_font;
    Placement m_direct[kDirectGlyphs];
    std::string m_fullPath;
    std::vector<CCTexture2D*> m_pages;  // retained
};

// The cached configuration of a font file, loaded on first use; null when the
// font cannot be loaded (failures are not cached, so a fixed file loads later).
CCBMFontConfiguration* FNTConfigLoadFile(const char* fntFile);
// Drops every cached configuration (labels keep theirs alive).
void FNTConfigRemoveCache();
// (ours) Number of cached configurations.
unsigned int FNTConfigCacheCount();

}  // namespace cocos2d
