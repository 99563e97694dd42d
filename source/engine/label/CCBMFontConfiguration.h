// A parsed bitmap font with its page textures. Configurations are cached by
// the font's full path, so every label of one font shares one parse and the
// start-up loader can bring all fonts in ahead of time.
#pragma once

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
    const std::string& fullPath() const { return m_fullPath; }
    unsigned int pageCount() const { return static_cast<unsigned int>(m_pages.size()); }
    CCTexture2D* pageTexture(unsigned int page) const { return page < m_pages.size() ? m_pages[page] : nullptr; }

private:
    CCBMFontConfiguration() = default;
    bool initWithFNTfile(const char* fntFile);

    bmfont::Font m_font;
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
