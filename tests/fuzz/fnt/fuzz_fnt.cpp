// .fnt bytes through the reader, then, when they parse, through the font
// loader and a label layout against a real page texture.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "gl/QuadBatcher.h"
#include "label/CCBMFontConfiguration.h"
#include "label/BMFontParser.h"
#include "label/CCLabelBMFont.h"
#include "platform/CCFileUtils.h"
#include "view/Screenshot.h"

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A scratch folder holding the page every seed names ("page.png", 64x64),
// removed at exit. A plain buffer, so it outlives every static destructor.
char g_scratch[64] = "/tmp/qv-fuzz-fnt-XXXXXX";

void removeScratch() {
    std::remove((std::string(g_scratch) + "/page.png").c_str());
    std::remove((std::string(g_scratch) + "/fuzz.fnt").c_str());
    ::rmdir(g_scratch);
}

const char* scratch() {
    static const bool made = [] {
        if (!::mkdtemp(g_scratch)) std::strcpy(g_scratch, "/tmp");
        const std::vector<unsigned char> white(64 * 64 * 3, 255);
        std::string error;
        cocos2d::writeRGBPng(std::string(g_scratch) + "/page.png", white.data(), 64, 64, &error);
        if (std::strcmp(g_scratch, "/tmp") != 0) std::atexit(removeScratch);
        return true;
    }();
    (void)made;
    return g_scratch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace cocos2d;
    bmfont::Font font;
    std::string error;
    const bool parsed = bmfont::parse(reinterpret_cast<const char*>(data), size, "fuzz.fnt", &font, &error);
    if (!parsed) {
        check(!error.empty(), "a refusal names its reason");
        return 0;
    }
    check(!font.pages.empty() && font.pages.size() <= bmfont::kMaxPages, "page count within bounds");
    for (const std::string& page : font.pages) check(bmfont::isSafePageName(page), "page names stay in the folder");
    check(font.glyphs.size() <= bmfont::kMaxGlyphs, "glyph count within bounds");
    check(font.kernings.size() <= bmfont::kMaxKernings, "kerning count within bounds");
    for (const auto& entry : font.glyphs) {
        check(entry.second.page < font.pages.size(), "every glyph is on a declared page");
        check(entry.first <= bmfont::kMaxCodePoint, "code points within Unicode");
    }

    // The same bytes as a font file, laid out by a label.
    const std::string path = std::string(scratch()) + "/fuzz.fnt";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    FNTConfigRemoveCache();
    auto* label = new CCLabelBMFont();
    if (label->initWithString("AB\n C\xE2\x82\xAC\xF0\x9F\x98\x80", path.c_str(), -1, kCCTextAlignmentCenter,
                              CCPointZero)) {
        label->setTracking(-3);
        label->setAlignment(kCCTextAlignmentRight);
        const CCSize s = label->getContentSize();
        check(std::isfinite(s.width) && std::isfinite(s.height) && s.height >= 0, "finite content size");
        check(label->getGlyphQuads().size() <= 6, "at most one quad per code point");
        label->draw();
        QuadBatcher::sharedBatcher()->flush();
    }
    label->release();
    FNTConfigRemoveCache();
    CCPoolManager::sharedPoolManager()->finalize();
    return 0;
}
