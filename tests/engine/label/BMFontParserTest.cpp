// The .fnt reader on well-formed fonts and on the hostile shapes game data can
// take: truncated lines, absurd counts, out-of-range numbers and page names
// that would escape the font's folder.
#include <gtest/gtest.h>

#include <string>

#include "../platform/platform_test_support.h"
#include "label/BMFontParser.h"

using namespace cocos2d;

namespace {

const char* kHeader =
    "info face=\"Demo Sans\" size=20 bold=0 italic=0 charset=\"\" unicode=1 padding=0,0,0,0 spacing=1,1\n"
    "common lineHeight=24 base=18 scaleW=64 scaleH=32 pages=1 packed=0\n"
    "page id=0 file=\"demo page.png\"\n";

bool parseText(const std::string& text, bmfont::Font* font, std::string* error) {
    return bmfont::parse(text.data(), text.size(), "test.fnt", font, error);
}

std::string withGlyphs(const std::string& lines) { return std::string(kHeader) + lines; }

// x y width height xoffset yoffset xadvance page, or nothing for no glyph.
std::vector<int> fields(const bmfont::Glyph* g) {
    if (!g) return {};
    return {g->x, g->y, g->width, g->height, g->xoffset, g->yoffset, g->xadvance, int(g->page)};
}

}  // namespace

TEST(BMFontParser, ReadsMetricsPagesGlyphsAndKerning) {
    const std::string text = withGlyphs(
        "chars count=2\r\n"
        "char id=65   x=0  y=0  width=20 height=20 xoffset=1 yoffset=-2 xadvance=21 page=0 chnl=15\r\n"
        "char id=8364 x=20 y=0  width=10 height=12 xoffset=0 yoffset=3  xadvance=11 page=0 chnl=15\n"
        "kernings count=1\n"
        "kerning first=65 second=8364 amount=-4\n");
    bmfont::Font font;
    std::string error;
    ASSERT_TRUE(parseText(text, &font, &error)) << error;
    EXPECT_EQ(font.lineHeight, 24);
    EXPECT_EQ(font.base, 18);
    EXPECT_EQ(font.pages, (std::vector<std::string>{"demo page.png"}));  // quoted names keep their spaces
    ASSERT_EQ(font.glyphs.size(), 2u);
    EXPECT_EQ(fields(font.glyph(65)), (std::vector<int>{0, 0, 20, 20, 1, -2, 21, 0}));
    EXPECT_EQ(fields(font.glyph(8364)), (std::vector<int>{20, 0, 10, 12, 0, 3, 11, 0}));
    EXPECT_EQ(font.kerning(65, 8364), -4);
    EXPECT_EQ(font.kerning(8364, 65), 0);  // pairs are ordered

    // Pages in any order, glyphs on the second.
    bmfont::Font two;
    ASSERT_TRUE(
        parseText("common lineHeight=10 pages=2\npage id=1 file=b.png\npage id=0 file=\"sub/a.png\"\n"
                  "char id=66 x=0 y=0 width=4 height=4 page=1\n",
                  &two, &error))
        << error;
    EXPECT_EQ(two.pages, (std::vector<std::string>{"sub/a.png", "b.png"}));
    EXPECT_EQ(two.glyph(66)->page, 1u);
}

TEST(BMFontParser, RefusesFontsThatCannotBeUsed) {
    struct Case {
        const char* name;
        std::string text;
        const char* reason;
    };
    const Case cases[] = {
        {"no common", "page id=0 file=a.png\nchar id=65 x=0 y=0 width=1 height=1\n", "common"},
        {"no page", "common lineHeight=10\n", "no page"},
        {"declared page missing", "common lineHeight=10 pages=2\npage id=0 file=a.png\n", "page 1 missing"},
        {"gap in page ids", "common lineHeight=10\npage id=0 file=a.png\npage id=2 file=c.png\n", "page 1 missing"},
        {"parent folder", "common lineHeight=10\npage id=0 file=\"../secret.png\"\n", "relative"},
        {"parent folder inside", "common lineHeight=10\npage id=0 file=\"a/../../b.png\"\n", "relative"},
        {"absolute page", "common lineHeight=10\npage id=0 file=\"/etc/passwd\"\n", "relative"},
        {"drive letter", "common lineHeight=10\npage id=0 file=\"C:\\\\x.png\"\n", "relative"},
        {"page twice", "common lineHeight=10\npage id=0 file=a.png\npage id=0 file=b.png\n", "twice"},
        {"too many pages", "common lineHeight=10 pages=17\npage id=0 file=a.png\n", "pages"},
        {"page id too big", "common lineHeight=10\npage id=16 file=a.png\n", "page id"},
        {"page name cut off", "common lineHeight=10\npage id=0 file=\"a.pn", "file name"},
        {"huge line height", "common lineHeight=99999999999\npage id=0 file=a.png\n", "lineHeight"},
        {"lineHeight not a number", "common lineHeight=1e3\npage id=0 file=a.png\n", "lineHeight"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bmfont::Font font;
        std::string error;
        EXPECT_FALSE(parseText(c.text, &font, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(BMFontParser, DropsBadEntriesButKeepsTheFont) {
    const std::string text = withGlyphs(
        "chars count=4294967295\n"                              // a count is never trusted
        "char id=65 x=0 y=0 width=20 height=20 xadvance=20\n"   // good
        "char id=66 x=0 y=0 width=20 hei\n"                     // truncated line
        "char id=1114112 x=0 y=0 width=1 height=1\n"            // beyond U+10FFFF
        "char id=67 x=-1 y=0 width=1 height=1\n"                // negative texel
        "char id=68 x=0 y=0 width=1 height=1 xadvance=40000\n"  // advance out of range
        "char id=69 x=0 y=0 width=1 height=1 page=3\n"          // undeclared page
        "char id=70 x=0 y=0 width=1x height=1\n"                // junk after digits
        "kernings count=99999999\n"
        "kerning first=65 second=65\n"              // no amount
        "kerning first=65 second=66 amount=-2\n");  // good
    bmfont::Font font;
    std::string error;
    qvtest::StderrCapture log;
    ASSERT_TRUE(parseText(text, &font, &error)) << error;
    EXPECT_EQ(font.glyphs.size(), 1u);
    EXPECT_NE(font.glyph(65), nullptr);
    EXPECT_EQ(font.kernings.size(), 1u);
    EXPECT_EQ(font.kerning(65, 66), -2);
    const std::string logged = log.text();
    EXPECT_NE(logged.find("test.fnt:6"), std::string::npos) << logged;  // the truncated line, by number
    EXPECT_NE(logged.find("glyph 69"), std::string::npos) << logged;    // the glyph on page 3
}

TEST(BMFontParser, BoundsSizeAndLogVolume) {
    // Over 1 MiB is refused before anything is read.
    std::string big = withGlyphs(std::string(bmfont::kMaxFileSize, ' '));
    bmfont::Font font;
    std::string error;
    EXPECT_FALSE(parseText(big, &font, &error));
    EXPECT_NE(error.find("1 MiB"), std::string::npos);

    // Thousands of bad lines give a handful of log lines, not thousands.
    std::string bad = kHeader;
    for (int i = 0; i < 5000; ++i) bad += "char id=x\n";
    qvtest::StderrCapture log;
    ASSERT_TRUE(parseText(bad, &font, &error));
    const std::string logged = log.text();
    size_t lines = 0;
    for (char c : logged) lines += c == '\n';
    EXPECT_LE(lines, 10u) << logged;
    EXPECT_NE(logged.find("4992 more entries dropped"), std::string::npos) << logged;
}

TEST(BMFontParser, SurvivesBinaryNoise) {
    std::string noise = "common lineHeight=5\npage id=0 file=a.png\n";
    for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    noise += "\nchar id=65 x=0 y=0 width=1 height=1\n";
    bmfont::Font font;
    std::string error;
    ASSERT_TRUE(parseText(noise, &font, &error)) << error;
    EXPECT_NE(font.glyph(65), nullptr);
    EXPECT_FALSE(parseText(std::string(), &font, &error));
}

TEST(BMFontParser, DecodesUtf8AndReplacesMalformedBytes) {
    const std::string text =
        "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"  // A, e-acute, euro, emoji
        "\xC0\xAF"                               // overlong '/'
        "\xED\xA0\x80"                           // a surrogate
        "\xE2\x82";                              // cut off
    std::vector<uint32_t> cps;
    size_t pos = 0;
    while (pos < text.size()) cps.push_back(bmfont::decodeUtf8(text, &pos));
    // Each byte that cannot start a valid sequence is replaced on its own.
    const std::vector<uint32_t> expected = {'A',    0xE9,   0x20AC, 0x1F600, 0xFFFD, 0xFFFD,
                                            0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD,  0xFFFD};
    EXPECT_EQ(cps, expected);
}
