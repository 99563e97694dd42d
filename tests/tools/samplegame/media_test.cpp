#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "../../engine/textures/PngTestUtil.h"
#include "Art.h"
#include "Atlas.h"
#include "FixedFiles.h"
#include "FontBaker.h"
#include "IconFile.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "label/BMFontParser.h"
#include "platform/RandomAndClock.h"
#include "textures/CCImage.h"
#include "textures/CCTextureCache.h"
#include "view/Screenshot.h"

using namespace samplegame;

namespace {

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void decode(const std::string& path, cocos2d::CCImage* image) {
    const std::vector<unsigned char> bytes = readBytes(path);
    EXPECT_TRUE(image->decodePng(bytes.data(), bytes.size(), false)) << path << ": " << image->lastError();
}

// Rectangles grown by `padding` on one side each do not meet.
bool overlap(const Placement& a, const Placement& b, int padding) {
    return a.x < b.x + b.width + padding && b.x < a.x + a.width + padding && a.y < b.y + b.height + padding &&
           b.y < a.y + a.height + padding;
}

Image pattern(int w, int h, int seed) {
    Image out(w, h);
    for (size_t i = 0; i < out.rgba.size(); ++i) out.rgba[i] = static_cast<uint8_t>((i * 37 + seed * 11) % 256);
    return out;
}

// The splash, the effect textures, the icon and the shader below `dir`, as
// the player decodes them.
void expectFixedFiles(const std::string& dir) {
    struct Png {
        const char* rel;
        int width, height;
    };
    for (const Png& png : {Png{"Default.png", 1136, 640}, Png{"fx/lightMap.png", 256, 256},
                           Png{"fx/trailMap.png", 128, 32}, Png{"fx/flagMap.png", 128, 64}}) {
        SCOPED_TRACE(png.rel);
        cocos2d::CCImage image;
        decode(dir + "/" + png.rel, &image);
        EXPECT_EQ(image.getWidth(), png.width);
        EXPECT_EQ(image.getHeight(), png.height);
    }
    cocos2d::CCImage light;
    decode(dir + "/fx/lightMap.png", &light);
    ASSERT_EQ(light.getWidth(), 256);
    EXPECT_EQ(light.getData()[3], 0) << "corner outside the disc";
    EXPECT_GT(light.getData()[(128 * 256 + 128) * 4 + 3], 250) << "centre";

    const std::vector<unsigned char> ico = readBytes(dir + "/icon.ico");
    std::vector<std::string> problems;
    const std::vector<IconImage> icons = decodeIco(ico.data(), ico.size(), &problems);
    ASSERT_EQ(icons.size(), 3u) << (problems.empty() ? "" : problems.front());
    const Image faces[] = {drawRunnerFace(16), drawRunnerFace(32), drawRunnerFace(48)};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(faces[i].width);
        EXPECT_EQ(icons[i].width, faces[i].width);
        EXPECT_EQ(icons[i].rgba, faces[i].rgba);
    }
    EXPECT_GT(readBytes(dir + "/data/shaders/WaterReflection.fsh").size(), 0u);
}

class Scratch : public ::testing::Test {
protected:
    Scratch() : root(std::string("samplegame_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void TearDown() override {
        cocos2d::CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        cocos2d::CCTextureCache::purgeSharedTextureCache();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    pngtest::ScratchRoot root;
};

}  // namespace

TEST(PngEncoder, RowsRoundTripThroughTheEnginesDecoderAtEveryLevel) {
    struct Row {
        int width, height, channels, level;
    };
    for (const Row& row : {Row{1, 1, 3, 1}, Row{3, 5, 3, 9}, Row{7, 2, 4, 0}, Row{64, 33, 4, 9}}) {
        SCOPED_TRACE(std::to_string(row.width) + "x" + std::to_string(row.height) + " c" +
                     std::to_string(row.channels) + " level " + std::to_string(row.level));
        std::vector<unsigned char> pixels(static_cast<size_t>(row.width * row.height * row.channels));
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 53 + 7);
        std::vector<unsigned char> png;
        std::string error;
        ASSERT_TRUE(cocos2d::encodePng(pixels.data(), row.width, row.height, row.channels, row.level, &png, &error))
            << error;
        cocos2d::CCImage image;
        ASSERT_TRUE(image.decodePng(png.data(), png.size(), false)) << image.lastError();
        ASSERT_EQ(image.getWidth(), row.width);
        ASSERT_EQ(image.getHeight(), row.height);
        for (int p = 0; p < row.width * row.height; ++p)
            for (int c = 0; c < 4; ++c) {
                const unsigned char want = c < row.channels ? pixels[static_cast<size_t>(p * row.channels + c)] : 255;
                ASSERT_EQ(image.getData()[p * 4 + c], want) << "pixel " << p << " channel " << c;
            }
    }
}

TEST(PngEncoder, ScreenshotFileIsTheLevelOneRgbEncodingAndBadRequestsAreRefused) {
    const std::vector<unsigned char> rgb(12 * 4 * 3, 90);
    std::vector<unsigned char> png;
    std::string error;
    ASSERT_TRUE(cocos2d::encodePng(rgb.data(), 12, 4, 3, 1, &png, &error));
    const std::string path = std::string(QV_BINARY_DIR) + "/tests/tmp/samplegame_screenshot.png";
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(cocos2d::writeRGBPng(path, rgb.data(), 12, 4, &error)) << error;
    EXPECT_EQ(readBytes(path), png);
    std::filesystem::remove(path);

    struct Bad {
        const char* why;
        int width, height, channels, level;
    };
    for (const Bad& bad : {Bad{"two channels", 2, 2, 2, 1}, Bad{"level 10", 2, 2, 4, 10}, Bad{"level -1", 2, 2, 3, -1},
                           Bad{"no rows", 2, 0, 3, 1}}) {
        SCOPED_TRACE(bad.why);
        EXPECT_FALSE(cocos2d::encodePng(rgb.data(), bad.width, bad.height, bad.channels, bad.level, &png, &error));
        EXPECT_TRUE(png.empty());
    }
}

TEST(AtlasPacker, SeededRandomSizesStayInBoundsWithoutOverlapAndOversizeIsAnError) {
    compat::srand(1515);
    std::vector<Placement> sizes;
    for (uint32_t id = 0; id < 200; ++id)
        sizes.push_back(Placement{2000 - id, 0, 0, 1 + compat::rand() % 60, 1 + compat::rand() % 60});
    std::vector<Placement> placed;
    std::string error;
    ASSERT_TRUE(packShelves(sizes, 1024, 1024, 2, &placed, &error)) << error;
    ASSERT_EQ(placed.size(), sizes.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        const Placement& a = placed[i];
        if (i) {
            ASSERT_LT(placed[i - 1].id, a.id);
        }
        ASSERT_GE(a.x, 2);
        ASSERT_GE(a.y, 2);
        ASSERT_LE(a.x + a.width + 2, 1024);
        ASSERT_LE(a.y + a.height + 2, 1024);
        for (size_t j = i + 1; j < placed.size(); ++j)
            ASSERT_FALSE(overlap(a, placed[j], 2)) << a.id << " " << placed[j].id;
    }
    for (const Placement& big : {Placement{1, 0, 0, 1021, 10}, Placement{2, 0, 0, 10, 1021}}) {
        SCOPED_TRACE(big.id);
        EXPECT_FALSE(packShelves({big}, 1024, 1024, 2, &placed, &error));
        EXPECT_NE(error.find("sprite " + std::to_string(big.id)), std::string::npos) << error;
    }
}

TEST_F(Scratch, AtlasFramesReadBackThroughTheSpriteFrameCache) {
    std::vector<AtlasSprite> sprites;
    for (uint32_t id : {1104u, 1101u, 1103u, 1102u})
        sprites.push_back(AtlasSprite{id, pattern(20 + id % 7 * 9, 10 + id % 5 * 13, int(id))});
    std::vector<Placement> placed;
    std::string error;
    ASSERT_TRUE(writeAtlas(root.path("data"), 1010, 256, 128, 2, sprites, &placed, &error)) << error;
    cocos2d::CCImage sheet;
    decode(root.path("data/atlases/atlas_ID1010.png"), &sheet);
    ASSERT_EQ(sheet.getWidth(), 256);
    ASSERT_EQ(sheet.getHeight(), 128);
    auto* cache = cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache();
    cache->addSpriteFramesWithFile("data/atlases/atlas_ID1010.plist");
    for (const AtlasSprite& s : sprites) {
        SCOPED_TRACE(s.id);
        const auto at = std::find_if(placed.begin(), placed.end(), [&](const Placement& p) { return p.id == s.id; });
        ASSERT_NE(at, placed.end());
        cocos2d::CCSpriteFrame* frame = cache->spriteFrameByName(("QVModelSprite_ID" + std::to_string(s.id)).c_str());
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->getRect(), cocos2d::CCRectMake(at->x, at->y, at->width, at->height));
        EXPECT_EQ(frame->getOriginalSize(), cocos2d::CCSizeMake(at->width, at->height));
        EXPECT_EQ(frame->getOffset(), cocos2d::CCPointZero);
        EXPECT_FALSE(frame->isRotated());
        // The sheet and the sprite's own file hold the same pixels.
        cocos2d::CCImage own;
        decode(root.path("data/images/QVModelSprite_ID" + std::to_string(s.id) + ".png"), &own);
        ASSERT_EQ(own.getWidth(), s.image.width);
        for (int y = 0; y < s.image.height; ++y)
            ASSERT_EQ(
                0, std::memcmp(own.getData() + y * s.image.width * 4, sheet.getData() + ((at->y + y) * 256 + at->x) * 4,
                               static_cast<size_t>(s.image.width) * 4))
                << "row " << y;
    }
}

TEST(Font, EveryPrintableGlyphIsInsideItsPageApartFromTheOthersAndParses) {
    BakedFont font;
    std::string error;
    for (const std::string& notAFont : {std::string(QV_SOURCE_DIR) + "/README.md", std::string("/nonexistent.ttf")}) {
        SCOPED_TRACE(notAFont);
        EXPECT_FALSE(bakeFont(notAFont, 36, &font, &error));
        EXPECT_NE(error.find("cannot open the font"), std::string::npos) << error;
    }
    ASSERT_TRUE(bakeFont(defaultFontFile(), 36, &font, &error)) << error;
    const std::string text = fntText(font, 1020);
    cocos2d::bmfont::Font parsed;
    ASSERT_TRUE(cocos2d::bmfont::parse(text.data(), text.size(), "QVModelFont_ID1020.fnt", &parsed, &error)) << error;
    ASSERT_EQ(parsed.pages, std::vector<std::string>{"QVModelFont_ID1020.png"});
    EXPECT_EQ(parsed.scaleW, parsed.scaleH);
    EXPECT_EQ(parsed.scaleW & (parsed.scaleW - 1), 0) << "power of two";
    EXPECT_GT(parsed.lineHeight, 36 - 1);
    EXPECT_NE(text.find(" bold=1 "), std::string::npos);
    EXPECT_NE(text.find(" outline=3"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    std::vector<Placement> boxes;
    for (uint32_t id = 32; id <= 126; ++id) {
        SCOPED_TRACE(id);
        const cocos2d::bmfont::Glyph* g = parsed.glyph(id);
        ASSERT_NE(g, nullptr);
        EXPECT_GT(g->xadvance, 0);
        if (id == ' ') continue;
        ASSERT_GT(g->width, 2 * kFontOutline);
        EXPECT_GE(g->x, 0);
        EXPECT_GE(g->y, 0);
        EXPECT_LE(g->x + g->width, parsed.scaleW);
        EXPECT_LE(g->y + g->height, parsed.scaleH);
        // The box includes the outline, and the offsets account for it: capitals
        // (their ink, outline removed) stand on the base line.
        if (id >= 'A' && id <= 'Z' && id != 'J' && id != 'O' && id != 'Q' && id != 'S' && id != 'G' && id != 'C' &&
            id != 'U') {
            EXPECT_EQ(g->yoffset + g->height - kFontOutline, parsed.base);
        }
        boxes.push_back(Placement{id, g->x, g->y, g->width, g->height});
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) ASSERT_FALSE(overlap(boxes[i], boxes[j], 0));

    // A caption's glyphs land on the button: white ink inside the fill's colour.
    const Look button{LookShape::RoundedBox, 200, 60, Colour{40, 90, 200, 255}, Colour{40, 90, 200, 255}};
    const Image plain = drawLook(button);
    const Image captioned = drawCaptioned(button, font, "BACK");
    int white = 0;
    for (int y = 0; y < captioned.height; ++y)
        for (int x = 0; x < captioned.width; ++x) {
            const uint8_t* p = captioned.pixel(x, y);
            if (p[0] == 255 && p[1] == 255 && p[2] == 255) ++white;
            ASSERT_EQ(p[3], plain.pixel(x, y)[3]) << "the caption stays inside the button's outline";
        }
    EXPECT_GT(white, 200);
}

TEST_F(Scratch, FixedFilesDecodeAndTwoRunsWriteTheSameBytes) {
    std::string error;
    ASSERT_TRUE(writeFixedFiles(root.path("a"), defaultFontFile(), &error)) << error;
    ASSERT_TRUE(writeFixedFiles(root.path("b"), defaultFontFile(), &error)) << error;
    BakedFont font;
    ASSERT_TRUE(bakeFont(defaultFontFile(), 36, &font, &error)) << error;
    ASSERT_TRUE(writeFont(root.path("a/data"), 1020, font, &error)) << error;
    ASSERT_TRUE(bakeFont(defaultFontFile(), 36, &font, &error)) << error;
    ASSERT_TRUE(writeFont(root.path("b/data"), 1020, font, &error)) << error;

    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path("a"))) {
        if (!entry.is_regular_file()) continue;
        const std::string rel = std::filesystem::relative(entry.path(), root.path("a")).string();
        names.insert(rel);
        EXPECT_EQ(readBytes(entry.path().string()), readBytes(root.path("b/" + rel))) << rel;
    }
    EXPECT_EQ(names, (std::set<std::string>{"Default.png", "icon.ico", "fx/lightMap.png", "fx/trailMap.png",
                                            "fx/flagMap.png", "data/shaders/WaterReflection.fsh",
                                            "data/fonts/QVModelFont_ID1020.fnt", "data/fonts/QVModelFont_ID1020.png"}));

    expectFixedFiles(root.path("a"));
}

// The game the build wrote holds the same files under the names the player
// opens.
TEST(FixedFiles, TheBuiltGameHasThemUnderThePlayersNames) {
    expectFixedFiles(std::string(QV_BINARY_DIR) + "/samplegame");
}

// A caption wider than its button is shrunk to fit: its ink stays inside the
// button's picture (on a disc, inside the disc), with the middle of the word
// still there, for the Lab's round controls and its small exit door.
TEST(Font, CaptionsShrinkToFitTheirButtons) {
    BakedFont font;
    std::string error;
    ASSERT_TRUE(bakeFont(defaultFontFile(), 36, &font, &error)) << error;
    const struct {
        LookShape shape;
        int width, height;
        const char* caption;
    } rows[] = {
        {LookShape::Circle, 96, 96, "PUSH"},
        {LookShape::Circle, 96, 96, "HOP"},
        {LookShape::Circle, 96, 96, "MAGNET"},
        {LookShape::RoundedBox, 60, 80, "EXIT"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caption);
        const Look look{row.shape, row.width, row.height, Colour{40, 90, 200, 255}, Colour{40, 90, 200, 255}};
        const Image plain = drawLook(look);
        const Image captioned = drawCaptioned(look, font, row.caption);
        int white = 0, left = captioned.width, right = -1;
        for (int y = 0; y < captioned.height; ++y)
            for (int x = 0; x < captioned.width; ++x) {
                const uint8_t* p = captioned.pixel(x, y);
                ASSERT_EQ(p[3], plain.pixel(x, y)[3]) << "ink outside the button at " << x << "," << y;
                if (p[0] < 200 || p[1] < 200 || p[2] < 200) continue;
                ++white;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        EXPECT_GT(white, 60);
        // Not cut at the sides: the ink's ends keep clear of the outline.
        EXPECT_GT(left, 4);
        EXPECT_LT(right, captioned.width - 5);
        if (row.shape == LookShape::Circle) {
            const float r = row.width / 2.0f;
            for (int y = 0; y < captioned.height; ++y)
                for (int x = 0; x < captioned.width; ++x) {
                    const uint8_t* p = captioned.pixel(x, y);
                    if (p[0] < 200 || p[1] < 200 || p[2] < 200) continue;
                    const float dx = x + 0.5f - r, dy = y + 0.5f - r;
                    ASSERT_LE(dx * dx + dy * dy, (r - 2) * (r - 2)) << "ink on the outline at " << x << "," << y;
                }
        }
    }
}
