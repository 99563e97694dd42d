// The ICO reader against icons that icotool wrote (build/fixtures/icons, see
// CMakeLists.txt): every entry kind gives its source PNG's exact pixels, with
// straight alpha and the top row first, and damaged copies are refused cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "IconFile.h"
#include "HostTestSupport.h"
#include "textures/CCImage.h"

namespace {

typedef std::vector<uint8_t> Bytes;
const std::string kIcons = QV_ICON_FIXTURES "/";

Bytes readIcon(const std::string& name) {
    std::ifstream in(kIcons + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<IconImage> decode(const Bytes& b, std::vector<std::string>* problems = nullptr) {
    return decodeIco(b.data(), b.size(), problems);
}

// What an entry made from this PNG must give: its pixels through the engine's
// PNG decoder, straight alpha.
IconImage source(const std::string& name) {
    const Bytes png = readIcon(name + ".png");
    cocos2d::CCImage image;
    EXPECT_TRUE(image.decodePng(png.data(), png.size(), false)) << name;
    return {image.getWidth(), image.getHeight(), Bytes(image.getData(), image.getData() + image.getDataLen())};
}

void expectPixels(const IconImage& got, const IconImage& want) {
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    ASSERT_EQ(got.rgba.size(), want.rgba.size());
    const size_t at = std::mismatch(want.rgba.begin(), want.rgba.end(), got.rgba.begin()).first - want.rgba.begin();
    EXPECT_EQ(at, want.rgba.size()) << "pixel (" << at / 4 % want.width << ", " << at / 4 / want.width << ") differs";
}

uint32_t le32(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }
// Where directory entry `i` of kinds.ico lies, and where its data begins.
size_t dir(size_t i) { return 6 + 16 * i; }
size_t data(const Bytes& file, size_t i) { return le32(file, dir(i) + 12); }

// A copy of `b` with `value` written little-endian over `bytes` bytes at `at`.
Bytes patched(Bytes b, size_t at, uint32_t value, int bytes = 1) {
    for (int k = 0; k < bytes; ++k) b[at + k] = static_cast<uint8_t>(value >> (8 * k));
    return b;
}

// kinds.ico's entries, in the order icotool was given them.
enum { kPng, kBgra, kRgb, kMasked32, kIndexed8, kIndexed4, kIndexed1, kEntries };

}  // namespace

TEST(IcoDecode, EveryEntryKindGivesItsSourcePixelsAndVariantsStillDecode) {
    const Bytes file = readIcon("kinds.ico");
    // A 32-bit image whose alpha bytes are all 0: transparency comes from the mask alone.
    Bytes zeroAlpha = file;
    for (size_t i = 0; i < 17 * 9; ++i) zeroAlpha[data(file, kMasked32) + 40 + i * 4 + 3] = 0;
    const struct {
        const char* name;
        Bytes file;
        size_t entry;
        const char* source;
    } cases[] = {
        {"PNG (half alpha keeps its colour)", file, kPng, "alpha"},
        {"32 bpp (the mask is not applied over alpha)", file, kBgra, "alpha"},
        {"24 bpp with mask", file, kRgb, "masked"},
        {"32 bpp with mask", file, kMasked32, "masked"},
        {"8 bpp palette", file, kIndexed8, "p8"},
        {"4 bpp palette", file, kIndexed4, "p4"},
        {"1 bpp palette", file, kIndexed1, "p1"},
        {"32 bpp, alpha 0, mask", zeroAlpha, kMasked32, "masked"},
        // Real alpha needs no mask: 13 rows of 4 mask bytes left out.
        {"32 bpp without mask", patched(file, dir(kBgra) + 8, le32(file, dir(kBgra) + 8) - 13 * 4, 4), kBgra, "alpha"},
        {"palette size 0 means all 256", patched(file, data(file, kIndexed8) + 32, 0, 4), kIndexed8, "p8"},
        {"directory size 0 means 256", readIcon("big.ico"), 0, "big"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> problems;
        const auto images = decode(c.file, &problems);
        EXPECT_TRUE(problems.empty()) << problems.front();
        ASSERT_GT(images.size(), c.entry);
        expectPixels(images[c.entry], source(c.source));
    }

    // 8 bpp with 2 palette colours, 2x1 pixels of index 1 and 200: the second
    // lies past the palette and reads black, never the bytes after it.
    const Bytes shortPalette = {0, 0, 1, 0, 1, 0, 2, 1, 0, 0, 1, 0, 8, 0, 56, 0, 0, 0, 22, 0, 0, 0,
                                40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
                                30, 20, 10, 0, 60, 50, 40, 0, 1, 200, 0, 0, 0, 0, 0, 0};
    const auto images = decode(shortPalette);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].rgba, Bytes({40, 50, 60, 255, 0, 0, 0, 255}));
}

TEST(IcoDecode, HostileFilesAreRefusedWithAReason) {
    const Bytes file = readIcon("kinds.ico");
    const size_t png = data(file, kPng), rgb = data(file, kRgb), rgbLength = le32(file, dir(kRgb) + 8);
    const struct {
        const char* name;
        Bytes file;
        const char* reason;
        size_t usable;
    } cases[] = {
        {"empty", {}, "empty", 0},
        {"not an icon", patched(file, 0, 'B'), "not an icon", 0},
        {"cursor type", patched(file, 2, 2), "not an icon", 0},
        {"count 0", patched(file, 4, 0, 2), "no entries", 0},
        {"directory cut short", Bytes(file.begin(), file.begin() + dir(2)), "cut short", 0},
        {"65 entries", patched(file, 4, 65, 2), "at most 64", 0},
        {"over 4 MiB", Bytes(kIcoMaxFileSize + 1, 0), "at most 4 MiB", 0},
        {"offset past the end", patched(file, dir(kBgra) + 15, 0x7F), "outside the file", kEntries - 1},
        {"length past the end", patched(file, dir(kRgb) + 10, 0xFF), "outside the file", kEntries - 1},
        {"PNG over 256", patched(file, png + 17, 1), "at most 256x256", kEntries - 1},
        {"truncated PNG", patched(file, dir(kPng) + 8, 100, 4), "PNG", kEntries - 1},
        {"directory disagrees", patched(file, dir(kRgb), 0), "directory says 256x9", kEntries - 1},
        {"huge bitmap width", patched(file, rgb + 6, 0x40), "bitmap of", kEntries - 1},
        {"compressed bitmap", patched(file, rgb + 16, 1), "compressed", kEntries - 1},
        {"16 bpp", patched(file, rgb + 14, 16), "16 bits", kEntries - 1},
        {"pixels cut short", patched(file, dir(kRgb) + 8, 50, 4), "cut short", kEntries - 1},
        // Without its mask a 24-bit image has no transparency: 9 rows of 4 bytes.
        {"24 bpp without mask", patched(file, dir(kRgb) + 8, rgbLength - 9 * 4, 4), "mask", kEntries - 1},
        {"oversized palette", patched(file, data(file, kIndexed4) + 32, 200, 4), "palette", kEntries - 1},
        {"header size past the entry", patched(file, rgb + 1, 0xFF), "header size", kEntries - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> problems;
        EXPECT_EQ(decode(c.file, &problems).size(), c.usable);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.reason), std::string::npos) << problems[0];
    }
    EXPECT_TRUE(decodeIco(nullptr, 100).empty());
}

TEST(IcoWindowIcon, ReportsUnusableFilesInOneLineAndKeepsTheDefault) {
    const std::string good = kIcons + "window.ico", bad = kIcons + "p1.png", missing = kIcons + "missing.ico";
    LogCapture log;
    EXPECT_TRUE(setWindowIcon(good.c_str()));
    EXPECT_FALSE(setWindowIcon(bad.c_str()));
    EXPECT_FALSE(setWindowIcon(missing.c_str()));
    EXPECT_EQ(log.all(), (std::vector<std::string>{
                             "[Host] window icon " + bad + ": not an icon file",
                             "[Host] window icon " + bad + ": no usable image; keeping the default icon",
                             "[Host] window icon: cannot read " + missing + "; keeping the default icon"}));
}
