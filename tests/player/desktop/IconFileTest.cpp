// The ICO reader: every entry kind through one decoder, exact pixels with
// straight alpha and the top row first, and hostile files refused cleanly.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "IcoWriter.h"
#include "IconFile.h"
#include "LogCapture.h"

using icowriter::Bytes;
using icowriter::Image;

namespace {

std::vector<IconImage> decode(const Bytes& b, std::vector<std::string>* problems = nullptr) {
    return decodeIco(b.data(), b.size(), problems);
}

// Colour kept, alpha reduced to what a 1-bit mask can say.
Image maskedOnly(Image image) {
    for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = image.rgba[i] == 0 ? 0 : 255;
    return image;
}

void expectPixels(const IconImage& got, const Image& want, const char* what) {
    ASSERT_EQ(got.width, want.width) << what;
    ASSERT_EQ(got.height, want.height) << what;
    ASSERT_EQ(got.rgba.size(), want.rgba.size()) << what;
    for (size_t i = 0; i < want.rgba.size(); ++i) {
        if (got.rgba[i] != want.rgba[i]) {
            const size_t px = i / 4;
            FAIL() << what << ": pixel (" << px % want.width << ", " << px / want.width << ") channel " << i % 4
                   << " is " << int(got.rgba[i]) << ", expected " << int(want.rgba[i]);
        }
    }
}

// A paletted image: indices cycle through the palette; every third pixel masked.
struct Indexed {
    Bytes entry;
    Image expected;
};
Indexed indexed(int w, int h, int bpp) {
    const int colours = 1 << bpp;
    std::vector<uint8_t> palette, indices;
    std::vector<bool> mask;
    for (int c = 0; c < colours; ++c) {
        palette.push_back(static_cast<uint8_t>(c * 37 + 1));
        palette.push_back(static_cast<uint8_t>(255 - c * 13));
        palette.push_back(static_cast<uint8_t>(c * 91 + 7));
    }
    Image want;
    want.width = w;
    want.height = h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int index = (x * 3 + y * 5) % colours;
            const bool hidden = (x + y) % 3 == 0;
            indices.push_back(static_cast<uint8_t>(index));
            mask.push_back(hidden);
            want.rgba.insert(want.rgba.end(), {palette[index * 3], palette[index * 3 + 1], palette[index * 3 + 2],
                                               static_cast<uint8_t>(hidden ? 0 : 255)});
        }
    }
    return {icowriter::bmpIndexed(w, h, bpp, indices, palette, mask), want};
}

}  // namespace

TEST(IcoDecode, EveryEntryKindDecodesToExactStraightTopDownPixels) {
    // Odd sizes so that row padding and mask padding are exercised.
    const Image png = icowriter::pattern(48, 40, true);
    const Image direct32 = icowriter::pattern(16, 16, true);
    const Image zeroAlpha = icowriter::pattern(19, 13, true);
    const Image direct24 = icowriter::pattern(17, 9, true);
    const Indexed p8 = indexed(10, 6, 8), p4 = indexed(7, 5, 4), p1 = indexed(33, 3, 1);
    const Bytes file = icowriter::ico({{48, 40, icowriter::png(png)},
                                       {16, 16, icowriter::bmp32(direct32)},
                                       {19, 13, icowriter::bmp32ZeroAlpha(zeroAlpha)},
                                       {17, 9, icowriter::bmp24(direct24)},
                                       {10, 6, p8.entry},
                                       {7, 5, p4.entry},
                                       {33, 3, p1.entry}});
    std::vector<std::string> problems;
    const auto images = decode(file, &problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(images.size(), 7u);
    expectPixels(images[0], png, "PNG");                        // half alpha keeps its colour
    expectPixels(images[1], direct32, "32 bpp with alpha");      // the mask is not applied over alpha
    expectPixels(images[2], maskedOnly(zeroAlpha), "32 bpp, alpha 0, mask");
    expectPixels(images[3], maskedOnly(direct24), "24 bpp with mask");
    expectPixels(images[4], p8.expected, "8 bpp palette");
    expectPixels(images[5], p4.expected, "4 bpp palette");
    expectPixels(images[6], p1.expected, "1 bpp palette");
}

TEST(IcoDecode, ThirtyTwoBitAlphaNeedsNoMaskAndAShortPaletteStillDecodes) {
    const Image image = icowriter::pattern(8, 8, true);
    Bytes entry = icowriter::bmp32(image);
    entry.resize(entry.size() - 8 * 4);  // mask left out
    auto images = decode(icowriter::ico({{8, 8, entry}}));
    ASSERT_EQ(images.size(), 1u);
    expectPixels(images[0], image, "32 bpp without mask");

    // The same cut on a 24-bit image removes its only transparency: refused.
    Bytes e24 = icowriter::bmp24(image);
    e24.resize(e24.size() - 8 * 4);
    std::vector<std::string> problems;
    EXPECT_TRUE(decode(icowriter::ico({{8, 8, e24}}), &problems).empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("mask"), std::string::npos) << problems[0];

    // Two palette colours declared for 8 bits: out-of-range indices read black.
    const Bytes small = icowriter::bmpIndexed(2, 1, 8, {1, 0}, {10, 20, 30, 40, 50, 60}, {});
    images = decode(icowriter::ico({{2, 1, small}}));
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].rgba, Bytes({40, 50, 60, 255, 10, 20, 30, 255}));
}

TEST(IcoDecode, DirectorySizeZeroMeans256AndMustMatchTheImage) {
    const Image big = icowriter::pattern(256, 256, false);
    auto images = decode(icowriter::ico({{256, 256, icowriter::bmp24(big)}}));  // written as 0 x 0
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 256);
    EXPECT_EQ(images[0].height, 256);

    // A directory that disagrees with the bitmap is a damaged entry.
    std::vector<std::string> problems;
    EXPECT_TRUE(decode(icowriter::ico({{256, 256, icowriter::bmp24(icowriter::pattern(16, 16, false))}}), &problems)
                    .empty());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("directory says 256x256"), std::string::npos) << problems[0];
}

TEST(IcoDecode, HostileFilesAreRefusedWithAReason) {
    const Bytes good = icowriter::bmp24(icowriter::pattern(4, 4, false));
    const Bytes goodFile = icowriter::ico({{4, 4, good}, {4, 4, good}, {4, 4, good}});
    // A copy of `b` with bytes set at the given offsets.
    auto patched = [](Bytes b, std::initializer_list<std::pair<size_t, uint8_t>> changes) {
        for (const auto& [at, value] : changes) b[at] = value;
        return b;
    };
    auto one = [](const Bytes& entry) { return icowriter::ico({{4, 4, entry}}); };
    Bytes hugePng = icowriter::png(icowriter::pattern(300, 2, false));
    Bytes cutPng = icowriter::png(icowriter::pattern(8, 8, false));
    cutPng.resize(cutPng.size() / 2);
    const Bytes palette = icowriter::bmpIndexed(2, 2, 1, {0, 1, 1, 0}, {0, 0, 0, 255, 255, 255}, {});
    const struct {
        const char* name;
        Bytes file;
        const char* reason;
        size_t usable;
    } cases[] = {
        {"empty", {}, "empty", 0},
        {"not an icon", Bytes{'B', 'M', 0, 0, 0, 0}, "not an icon", 0},
        {"cursor type", patched(goodFile, {{2, 2}}), "not an icon", 0},
        {"count 0", icowriter::ico({}), "no entries", 0},
        {"directory cut short", Bytes(goodFile.begin(), goodFile.begin() + 6 + 16 * 2), "cut short", 0},
        {"65 entries", icowriter::ico(std::vector<icowriter::Entry>(65, {4, 4, good})), "at most 64", 0},
        {"over 4 MiB", Bytes(kIcoMaxFileSize + 1, 0), "at most 4 MiB", 0},
        // The second entry's offset, the third entry's length, far past the end.
        {"offset past the end", patched(goodFile, {{6 + 16 + 12, 0xF0}, {6 + 16 + 15, 0x7F}}), "outside the file", 2},
        {"length past the end", patched(goodFile, {{6 + 32 + 8, 0xFF}, {6 + 32 + 9, 0xFF}}), "outside the file", 2},
        {"PNG over 256", icowriter::ico({{300 % 256, 2, hugePng}, {4, 4, good}}), "at most 256x256", 1},
        {"truncated PNG", icowriter::ico({{8, 8, cutPng}}), "PNG", 0},
        {"huge bitmap width", one(patched(good, {{4, 0x40}, {7, 0x40}})), "bitmap of", 0},
        {"compressed bitmap", one(patched(good, {{16, 1}})), "compressed", 0},
        {"16 bpp", one(patched(good, {{14, 16}})), "16 bits", 0},
        {"pixels cut short", one(Bytes(good.begin(), good.begin() + 50)), "cut short", 0},
        {"oversized palette", icowriter::ico({{2, 2, patched(palette, {{32, 200}})}}), "palette", 0},
        {"header size past the entry", one(patched(good, {{0, 0xFF}, {1, 0xFF}})), "header size", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> problems;
        EXPECT_EQ(decode(c.file, &problems).size(), c.usable);
        ASSERT_FALSE(problems.empty());
        bool named = false;
        for (const auto& p : problems) named = named || p.find(c.reason) != std::string::npos;
        EXPECT_TRUE(named) << problems.front();
    }
    EXPECT_TRUE(decodeIco(nullptr, 100).empty());
}

TEST(IcoWindowIcon, ReportsUnusableFilesInOneLineAndKeepsTheDefault) {
    char dir[] = "/tmp/qv_icon_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string good = std::string(dir) + "/good.ico";
    const std::string bad = std::string(dir) + "/bad.ico";
    ASSERT_TRUE(icowriter::writeFile(good, icowriter::testIcon()));
    ASSERT_TRUE(icowriter::writeFile(bad, icowriter::ico({})));

    LogCapture log;
    EXPECT_TRUE(setWindowIcon(good.c_str()));
    EXPECT_TRUE(log.all().empty()) << log.joined();

    EXPECT_FALSE(setWindowIcon(bad.c_str()));
    EXPECT_EQ(log.count("keeping the default icon"), 1u) << log.joined();
    EXPECT_FALSE(setWindowIcon((std::string(dir) + "/missing.ico").c_str()));
    EXPECT_EQ(log.count("cannot read"), 1u) << log.joined();
    unlink(good.c_str());
    unlink(bad.c_str());
    rmdir(dir);
}
