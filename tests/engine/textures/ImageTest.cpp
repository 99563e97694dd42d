#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "AllocationProbe.h"
#include "PngTestUtil.h"
#include "textures/CCImage.h"

using cocos2d::CCImage;
using pngtest::Bytes;

namespace {

// {x, y, r, g, b, a, tolerance}
using Pixel = std::array<int, 7>;

void expectPixels(CCImage& img, const std::vector<Pixel>& want) {
    for (const Pixel& w : want) {
        const unsigned char* p = img.getData() + (size_t(w[1]) * img.getWidth() + w[0]) * 4;
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(p[c], w[2 + c], w[6]) << "at " << w[0] << "," << w[1] << " channel " << c;
    }
}

bool decode(CCImage& img, const Bytes& bytes) {
    return img.initWithImageData(bytes.empty() ? nullptr : const_cast<unsigned char*>(bytes.data()), int(bytes.size()));
}

}  // namespace

// Every colour type the game's art uses becomes premultiplied RGBA.
TEST(ImageDecode, EveryColourTypeBecomesPremultipliedRgba) {
    const std::vector<uint8_t> rgba = {200, 100, 50, 128, 255, 255, 255, 255, 10, 20, 30, 0,
                                       1,   2,   3,  255, 255, 0,   0,   1,   90, 90, 90, 254};
    const uint8_t colormap[] = {200, 100, 50, 128, 0, 0, 255, 255, 0, 0, 0, 0}, indices[] = {0, 1, 2, 1};
    const uint8_t grey[] = {0, 77, 255}, greyAlpha[] = {200, 128, 40, 255};
    // The simplified writer stores 16-bit data as linear light with
    // associated alpha, tagged as such; the reader converts back to sRGB.
    const uint16_t wide[] = {65535, 0, 0, 65535, 0, 0, 0, 0, 32768, 32768, 32768, 32768, 65535, 65535, 65535, 65535};
    // Untagged 16-bit art is sRGB already: a mid value stays mid, not brightened.
    const std::vector<uint16_t> untagged = {0x8080, 0x8080, 0x8080, 0xFFFF, 0x4040, 0x4040, 0x4040, 0xFFFF,
                                            0xFFFF, 0,      0,      0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0x8080};
    const struct {
        const char* name;
        Bytes png;
        int w, h;
        std::vector<Pixel> pixels;
    } cases[] = {
        {"rgba",
         pngtest::rgba(3, 2, rgba),
         3,
         2,
         {{0, 0, 100, 50, 25, 128},
          {1, 0, 255, 255, 255, 255},
          {2, 0, 0, 0, 0, 0},
          {0, 1, 1, 2, 3, 255},
          {1, 1, 1, 0, 0, 1},  // (255*1 + 127) / 255 rounds to 1
          {2, 1, 90, 90, 90, 254}}},
        {"palette with transparency",
         pngtest::encode(2, 2, PNG_FORMAT_RGBA_COLORMAP, indices, colormap, 3),
         2,
         2,
         {{0, 0, 100, 50, 25, 128}, {1, 0, 0, 0, 255, 255}, {0, 1, 0, 0, 0, 0}}},
        {"grey",
         pngtest::encode(3, 1, PNG_FORMAT_GRAY, grey),
         3,
         1,
         {{0, 0, 0, 0, 0, 255}, {1, 0, 77, 77, 77, 255}, {2, 0, 255, 255, 255, 255}}},
        {"grey and alpha",
         pngtest::encode(2, 1, PNG_FORMAT_GA, greyAlpha),
         2,
         1,
         {{0, 0, 100, 100, 100, 128}, {1, 0, 40, 40, 40, 255}}},
        {"16 bits reduced to 8",
         pngtest::encode(2, 2, PNG_FORMAT_LINEAR_RGB_ALPHA, wide),
         2,
         2,
         {{0, 0, 255, 0, 0, 255}, {1, 0, 0, 0, 0, 0}, {0, 1, 128, 128, 128, 128, 1}, {1, 1, 255, 255, 255, 255}}},
        {"16 bits untagged",
         pngtest::rgba16Untagged(2, 2, untagged),
         2,
         2,
         {{0, 0, 128, 128, 128, 255}, {1, 0, 64, 64, 64, 255}, {0, 1, 255, 0, 0, 255}, {1, 1, 128, 128, 128, 128, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCImage img;
        ASSERT_TRUE(decode(img, c.png));
        EXPECT_EQ(img.getWidth(), c.w);
        EXPECT_EQ(img.getHeight(), c.h);
        EXPECT_EQ(img.getDataLen(), c.w * c.h * 4);
        EXPECT_TRUE(img.isPremultipliedAlpha());
        expectPixels(img, c.pixels);
    }
    EXPECT_EQ(cases[4].png.at(24), 16) << "the file must really be 16-bit";
    for (const char* tag : {"gAMA", "sRGB", "iCCP", "cHRM"})
        EXPECT_EQ(std::search(cases[5].png.begin(), cases[5].png.end(), tag, tag + 4), cases[5].png.end()) << tag;

    // The straight-alpha entry keeps the colours.
    Bytes png = pngtest::solid(2, 1, 200, 100, 50, 128);
    CCImage img;
    ASSERT_TRUE(img.initWithPngDataStraightAlpha(png.data(), png.size()));
    EXPECT_FALSE(img.isPremultipliedAlpha());
    expectPixels(img, {{1, 0, 200, 100, 50, 128}});
}

TEST(ImageDecode, FileIsFoundThroughTheResourceRoot) {
    pngtest::ScratchRoot root("engine_textures_image_file");
    pngtest::writeFile(root.path("img/a.png"), pngtest::solid(4, 5, 1, 2, 3, 255));
    CCImage img, missing, directory;
    ASSERT_TRUE(img.initWithImageFile("img/a.png"));
    EXPECT_EQ(img.getWidth(), 4);
    EXPECT_EQ(img.getHeight(), 5);
    EXPECT_FALSE(missing.initWithImageFile("img/none.png"));
    EXPECT_EQ(missing.getData(), nullptr);
    EXPECT_FALSE(directory.initWithImageFile("img"));
}

// --- hostile bytes ---------------------------------------------------------

TEST(ImageHostile, OversizedHeadersAreRefusedBeforeAllocating) {
    const Bytes base = pngtest::solid(2, 2, 9, 9, 9, 255);
    const std::pair<uint32_t, uint32_t> sizes[] = {
        {100000, 100000}, {8193, 1}, {1, 8193}, {8192, 8192}, {0x7fffffff, 1}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        CCImage img;
        allocprobe::reset();
        EXPECT_FALSE(decode(img, pngtest::withClaimedSize(base, w, h)));
        EXPECT_LT(allocprobe::largest(), size_t(1) << 20);
        EXPECT_EQ(img.getData(), nullptr);
        EXPECT_FALSE(img.lastError().empty());
    }
}

TEST(ImageHostile, GenuineImagesAreLimitedTo8192PixelsEachWay) {
    std::vector<uint8_t> px(8193 * 4, 0);
    px[8191 * 4] = px[8191 * 4 + 3] = 255;
    CCImage img;
    EXPECT_FALSE(decode(img, pngtest::rgba(8193, 1, px)));
    EXPECT_FALSE(decode(img, pngtest::rgba(1, 8193, px)));
    px.resize(8192 * 4);
    ASSERT_TRUE(decode(img, pngtest::rgba(8192, 1, px)));
    EXPECT_EQ(img.getWidth(), 8192);
    expectPixels(img, {{8191, 0, 255, 0, 0, 255}});
}

TEST(ImageHostile, TruncatedCorruptAndForeignDataFail) {
    std::vector<uint8_t> px;
    for (int i = 0; i < 16 * 16; ++i) px.insert(px.end(), {uint8_t(i), uint8_t(i * 7), uint8_t(i * 13), 255});
    const Bytes good = pngtest::rgba(16, 16, px);
    ASSERT_GT(good.size(), 60u);
    CCImage img;
    ASSERT_TRUE(decode(img, good));
    // Every cut before the end of the image data fails and leaves no pixels,
    // also after an earlier success.
    const size_t iend = good.size() - 12;
    for (size_t cut = 0; cut < iend; ++cut) {
        ASSERT_FALSE(decode(img, Bytes(good.begin(), good.begin() + cut))) << "cut at " << cut;
        ASSERT_EQ(img.getData(), nullptr);
    }
    Bytes corrupt = good;
    corrupt[iend - 6] ^= 0x5a;  // inside the last IDAT: its CRC no longer matches
    EXPECT_FALSE(decode(img, corrupt));

    char bplist[] = "bplist00\xd1\x01\x02";
    auto* data = const_cast<uint8_t*>(good.data());
    EXPECT_FALSE(img.initWithImageData(bplist, int(sizeof(bplist))));
    EXPECT_FALSE(img.initWithImageData(nullptr, 100));
    EXPECT_FALSE(img.initWithImageData(data, -5));
    EXPECT_FALSE(img.initWithImageData(data, int(good.size()), CCImage::kFmtJpg));
    EXPECT_FALSE(img.initWithPngDataStraightAlpha(good.data(), 7));
}
