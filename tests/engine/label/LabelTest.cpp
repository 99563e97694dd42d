// CCLabelBMFont against a small font written for each test: layout (tracking,
// kerning, offsets, lines, alignment, content size), re-layout economy, the
// colour interface, the configuration cache and the fonts it must refuse.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "../platform/platform_test_support.h"
#include "../textures/PngTestUtil.h"
#include "actions/CCActionInterval.h"
#include "base/CCAutoreleasePool.h"
#include "gl/QuadBatcher.h"
#include "label/CCBMFontConfiguration.h"
#include "label/CCLabelBMFont.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace {

// Page 100x20: A red, B green, C blue, D white (20x20 each at x 0, 20, 40,
// 60) and a small E (10x8 at x 80) with offsets; U+00C9 shares E's glyph.
const char* kFont =
    "info face=\"Test\" size=20\n"
    "common lineHeight=24 base=20 scaleW=100 scaleH=20 pages=1\n"
    "page id=0 file=\"page.png\"\n"
    "chars count=5\n"
    "char id=65 x=0  y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0\n"
    "char id=66 x=20 y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0\n"
    "char id=67 x=40 y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0\n"
    "char id=68 x=60 y=0 width=20 height=20 xoffset=0 yoffset=0 xadvance=20 page=0\n"
    "char id=69 x=80 y=0 width=10 height=8  xoffset=2 yoffset=3 xadvance=12 page=0\n"
    "char id=201 x=80 y=0 width=10 height=8  xoffset=2 yoffset=3 xadvance=12 page=0\n"
    "kernings count=1\n"
    "kerning first=65 second=68 amount=-10\n";

// Bottom-left and top-right corners of a glyph.
using Box = std::array<float, 4>;

std::vector<Box> boxes(CCLabelBMFont* label) {
    std::vector<Box> out;
    for (const ccV3F_C4B_T2F_Quad& q : label->getGlyphQuads())
        out.push_back(Box{q.bl.vertices.x, q.bl.vertices.y, q.tr.vertices.x, q.tr.vertices.y});
    return out;
}

class Labels : public ::testing::Test {
protected:
    Labels() : root(std::string("engine_label_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {
        writeFont("font.fnt", kFont);
        writePage("page.png");
    }
    ~Labels() override {
        for (CCLabelBMFont* l : owned) l->release();
        FNTConfigRemoveCache();
        CCTextureCache::purgeSharedTextureCache();
        CCPoolManager::sharedPoolManager()->finalize();
    }
    void writeFont(const std::string& rel, const std::string& text) { pngtest::writeFile(root.path(rel), text); }
    void writePage(const std::string& rel, int w = 100, int h = 20) {
        pngtest::writeFile(root.path(rel), pngtest::solid(w, h, 255, 255, 255, 255));
    }
    CCLabelBMFont* label(const char* text, const char* font = "font.fnt",
                         CCTextAlignment alignment = kCCTextAlignmentLeft) {
        auto* l = new CCLabelBMFont();
        if (!l->initWithString(text, font, -1, alignment, CCPointZero)) {
            delete l;  // legal after a failed init, as the font model does
            return nullptr;
        }
        owned.push_back(l);
        return l;
    }

    pngtest::ScratchRoot root;
    std::vector<CCLabelBMFont*> owned;
};

}  // namespace

// --- layout -------------------------------------------------------------------

TEST_F(Labels, TrackingGoesBetweenGlyphsAndNeverAfterTheLast) {
    CCLabelBMFont* l = label("ABC");
    ASSERT_NE(l, nullptr);
    l->setTracking(5);
    EXPECT_EQ(boxes(l), (std::vector<Box>{{0, 4, 20, 24}, {25, 4, 45, 24}, {50, 4, 70, 24}}));
    EXPECT_EQ(l->getContentSize(), CCSize(70, 24));  // no trailing 5

    l->setTracking(-2);  // the value some labels use to tighten digits
    EXPECT_EQ(boxes(l), (std::vector<Box>{{0, 4, 20, 24}, {18, 4, 38, 24}, {36, 4, 56, 24}}));
    EXPECT_EQ(l->getContentSize(), CCSize(56, 24));

    // A right-aligned score keeps its right edge when the tracking is on.
    CCLabelBMFont* score = label("AB\nC", "font.fnt", kCCTextAlignmentRight);
    score->setTracking(5);
    EXPECT_EQ(score->getContentSize(), CCSize(45, 48));
    EXPECT_EQ(boxes(score).back(), (Box{25, 4, 45, 24}));
}

TEST_F(Labels, KerningMovesThePenBeforeTheSecondGlyphOnly) {
    CCLabelBMFont* ad = label("AD");
    EXPECT_EQ(boxes(ad), (std::vector<Box>{{0, 4, 20, 24}, {10, 4, 30, 24}}));
    EXPECT_EQ(ad->getContentSize(), CCSize(30, 24));
    CCLabelBMFont* da = label("DA");  // the pair is ordered
    EXPECT_EQ(boxes(da), (std::vector<Box>{{0, 4, 20, 24}, {20, 4, 40, 24}}));
    // Kerning and tracking add up.
    ad->setTracking(3);
    EXPECT_EQ(boxes(ad)[1], (Box{13, 4, 33, 24}));
}

TEST_F(Labels, OffsetsPlaceTheGlyphBelowTheLineTop) {
    CCLabelBMFont* l = label("EA");
    // E: x = pen + 2, top = 24 - 3, height 8; A follows at its advance of 12.
    EXPECT_EQ(boxes(l), (std::vector<Box>{{2, 13, 12, 21}, {12, 4, 32, 24}}));
    EXPECT_EQ(l->getContentSize(), CCSize(32, 24));
    // Its texture coordinates: the top edge of the glyph is its first texel row.
    const ccV3F_C4B_T2F_Quad& q = l->getGlyphQuads().at(0);
    EXPECT_EQ((std::vector<float>{q.tl.texCoords.u, q.tl.texCoords.v, q.br.texCoords.u, q.br.texCoords.v}),
              (std::vector<float>{0.8f, 0.0f, 0.9f, 0.4f}));
}

TEST_F(Labels, LinesStackDownwardAndAlignWithinTheWidest) {
    CCLabelBMFont* centre = label("A\nBB", "font.fnt", kCCTextAlignmentCenter);
    EXPECT_EQ(centre->getContentSize(), CCSize(40, 48));
    EXPECT_EQ(boxes(centre), (std::vector<Box>{{10, 28, 30, 48}, {0, 4, 20, 24}, {20, 4, 40, 24}}));

    centre->setAlignment(kCCTextAlignmentRight);
    EXPECT_EQ(boxes(centre)[0], (Box{20, 28, 40, 48}));
    centre->setAlignment(kCCTextAlignmentLeft);
    EXPECT_EQ(boxes(centre)[0], (Box{0, 28, 20, 48}));

    // Empty lines count for the height; a glyph never carries kerning or
    // tracking over a line break.
    CCLabelBMFont* gaps = label("A\n\nD");
    gaps->setTracking(7);
    EXPECT_EQ(gaps->getContentSize(), CCSize(20, 72));
    EXPECT_EQ(boxes(gaps), (std::vector<Box>{{0, 52, 20, 72}, {0, 4, 20, 24}}));
}

TEST_F(Labels, UnknownCodePointsAreSkippedWithoutAdvanceAndLoggedOnce) {
    qvtest::StderrCapture log;
    CCLabelBMFont* l = label(
        "A\xE2\x82\xAC"
        "B");
    EXPECT_EQ(boxes(l), (std::vector<Box>{{0, 4, 20, 24}, {20, 4, 40, 24}}));
    l->setString("B\xE2\x82\xAC");
    const std::string logged = log.text();
    size_t first = logged.find("U+20AC");
    ASSERT_NE(first, std::string::npos) << logged;
    EXPECT_EQ(logged.find("U+20AC", first + 1), std::string::npos) << logged;
}

TEST_F(Labels, GlyphsBeyondAsciiArePlacedLikeAsciiOnesAndAShorterTextDropsTheRest) {
    CCLabelBMFont* l = label(
        "E\xC3\x89"
        "E");
    ASSERT_EQ(boxes(l), (std::vector<Box>{{2, 13, 12, 21}, {14, 13, 24, 21}, {26, 13, 36, 21}}));
    const std::vector<ccV3F_C4B_T2F_Quad>& quads = l->getGlyphQuads();
    EXPECT_EQ(std::memcmp(&quads[0].tl.colors, &quads[1].tl.colors, sizeof(ccColor4B)), 0);
    EXPECT_EQ(quads[1].tl.texCoords.u, quads[0].tl.texCoords.u);
    EXPECT_EQ(quads[1].br.texCoords.v, quads[0].br.texCoords.v);
    l->setString("\xC3\x89");
    EXPECT_EQ(boxes(l), (std::vector<Box>{{2, 13, 12, 21}}));
    EXPECT_EQ(l->getGlyphPages().size(), 1u);
}

// --- text, colour and drawing -------------------------------------------------------

TEST_F(Labels, UnchangedTextDoesNotLayOutAgain) {
    CCLabelBMFont* l = label("0");
    const unsigned int start = l->getLayoutCount();
    for (int frame = 0; frame < 10; ++frame) l->setString("AB");  // a score written every frame
    EXPECT_EQ(l->getLayoutCount(), start + 1);
    l->setString(std::string("AB"));
    l->setTracking(0);
    l->setAlignment(kCCTextAlignmentLeft);
    EXPECT_EQ(l->getLayoutCount(), start + 1);
    l->setString("ABC");
    EXPECT_EQ(l->getLayoutCount(), start + 2);
    EXPECT_STREQ(l->getString(), "ABC");
    l->setString(static_cast<const char*>(nullptr));
    EXPECT_STREQ(l->getString(), "");
    EXPECT_TRUE(l->getGlyphQuads().empty());
}

TEST_F(Labels, IsAPlainNodeThatFadesReach) {
    CCLabelBMFont* l = label("AB");
    CCNode* node = l;
    EXPECT_EQ(dynamic_cast<CCSprite*>(node), nullptr);
    EXPECT_EQ(l->getChildrenCount(), 0u);
    EXPECT_EQ(l->getAnchorPoint(), CCPoint(0.5f, 0.5f));

    l->setColor(ccc3(255, 128, 0));
    CCFadeTo* fade = CCFadeTo::create(1.0f, 0);
    fade->retain();
    fade->startWithTarget(l);
    fade->update(0.5f);
    fade->release();
    const GLubyte o = l->getOpacity();
    EXPECT_NEAR(o, 128, 1);
    // Premultiplied: every corner carries (r*o, g*o, b*o, o).
    const ccColor4B c = l->getGlyphQuads().at(1).br.colors;
    EXPECT_EQ((std::vector<int>{c.r, c.g, c.b, c.a}), (std::vector<int>{255 * o / 255, 128 * o / 255, 0, o}));
    // A relayout keeps the colour.
    l->setString("ABC");
    EXPECT_EQ(l->getGlyphQuads().at(2).tl.colors.g, 128 * o / 255);
}

TEST_F(Labels, DrawHandsOneQuadPerGlyphToTheBatcher) {
    CCLabelBMFont* a = label("ABC");
    CCLabelBMFont* b = label("D\nE");
    QuadBatcher* batcher = QuadBatcher::sharedBatcher();
    batcher->flush();
    const unsigned long long before = batcher->flushCount();
    a->draw();
    b->draw();
    EXPECT_EQ(batcher->pendingQuads(), 5u);
    EXPECT_EQ(batcher->pendingTexture(), a->getConfiguration()->pageTexture(0));
    batcher->flush();
    EXPECT_EQ(batcher->flushCount(), before + 1);  // two labels of one font: one draw
}

// --- fonts and the cache ------------------------------------------------------------

TEST_F(Labels, FontsAreParsedOncePerFullPath) {
    CCLabelBMFont* a = label("A");
    CCLabelBMFont* b = label("B", root.path("font.fnt").c_str());
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->getConfiguration(), b->getConfiguration());
    EXPECT_EQ(FNTConfigCacheCount(), 1u);

    // A preloaded font survives its label, and a label its dropped cache.
    FNTConfigRemoveCache();
    EXPECT_EQ(FNTConfigCacheCount(), 0u);
    a->setString("AB");
    EXPECT_EQ(a->getGlyphQuads().size(), 2u);

    // A failure is not cached: once the file is fixed the font loads.
    EXPECT_EQ(label("A", "later.fnt"), nullptr);
    writeFont("later.fnt", kFont);
    EXPECT_NE(label("A", "later.fnt"), nullptr);
}

TEST_F(Labels, RefusesFontsWithMissingOrEscapingPages) {
    writeFont("nopage.fnt", "common lineHeight=10\npage id=0 file=\"absent.png\"\n");
    writeFont("escape.fnt", "common lineHeight=10\npage id=0 file=\"../page.png\"\n");
    writeFont("bad.fnt", std::string("garbage\x01\x02\n"));
    writeFont("big.fnt", std::string(kFont) + std::string(bmfont::kMaxFileSize, '#'));
    pngtest::writeFile(root.path("notapng.png"), std::string("not a png"));
    writeFont("badpage.fnt", "common lineHeight=10\npage id=0 file=\"notapng.png\"\n");
    qvtest::StderrCapture log;
    for (const char* font : {"missing.fnt", "nopage.fnt", "escape.fnt", "bad.fnt", "big.fnt", "badpage.fnt", ""}) {
        EXPECT_EQ(label("A", font), nullptr) << font;
    }
    EXPECT_EQ(CCLabelBMFont::create("A", "missing.fnt"), nullptr);
    EXPECT_EQ(FNTConfigCacheCount(), 0u);
    const std::string logged = log.text();
    EXPECT_NE(logged.find("absent.png"), std::string::npos) << logged;
    EXPECT_NE(logged.find("relative"), std::string::npos) << logged;
    EXPECT_NE(logged.find("larger than 1 MiB"), std::string::npos) << logged;
}

TEST_F(Labels, GlyphsOutsideTheirPageAreDropped) {
    writeFont("spill.fnt",
              "common lineHeight=24\npage id=0 file=\"small.png\"\n"
              "char id=65 x=0 y=0 width=20 height=20 xadvance=20\n"
              "char id=66 x=10 y=0 width=20 height=20 xadvance=20\n"    // 10 texels past the right edge
              "char id=67 x=0 y=15 width=20 height=20 xadvance=20\n");  // past the bottom
    writePage("small.png", 20, 20);
    qvtest::StderrCapture log;
    CCLabelBMFont* l = label("ABC", "spill.fnt");
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->getGlyphQuads().size(), 1u);
    const std::string logged = log.text();
    EXPECT_NE(logged.find("glyph 66"), std::string::npos) << logged;
    EXPECT_NE(logged.find("glyph 67"), std::string::npos) << logged;
}
