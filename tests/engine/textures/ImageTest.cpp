#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "AllocationProbe.h"
#include "PngTestUtil.h"
#include "textures/CCImage.h"

using cocos2d::CCImage;
using pngtest::Bytes;

namespace {

struct Px {
    int r, g, b, a;
};

Px pixelAt(CCImage& img, int x, int y) {
    const unsigned char* p = img.getData() + (size_t(y) * img.getWidth() + x) * 4;
    return Px{p[0], p[1], p[2], p[3]};
}

void expectPixel(CCImage& img, int x, int y, Px want, int tolerance = 0) {
    Px got = pixelAt(img, x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.a, want.a, tolerance) << "at " << x << "," << y;
}

bool decode(CCImage& img, Bytes bytes) {
    return img.initWithImageData(bytes.empty() ? nullptr : bytes.data(), int(bytes.size()));
}

}  // namespace

// --- decoding of every colour type the game's art uses ---------------------

TEST(ImageDecode, RgbaPixelsArePremultipliedAndSized) {
    std::vector<uint8_t> px = {200, 100, 50, 128, 255, 255, 255, 255, 10, 20, 30, 0,
                               1,   2,   3,  255, 255, 0,   0,   1,   90, 90, 90, 254};
    CCImage img;
    ASSERT_TRUE(decode(img, pngtest::rgba(3, 2, px)));
    EXPECT_EQ(img.getWidth(), 3);
    EXPECT_EQ(img.getHeight(), 2);
    EXPECT_EQ(img.getDataLen(), 3 * 2 * 4);
    EXPECT_TRUE(img.isPremultipliedAlpha());
    expectPixel(img, 0, 0, {100, 50, 25, 128});
    expectPixel(img, 1, 0, {255, 255, 255, 255});
    expectPixel(img, 2, 0, {0, 0, 0, 0});
    expectPixel(img, 0, 1, {1, 2, 3, 255});
    expectPixel(img, 1, 1, {1, 0, 0, 1});  // (255*1 + 127) / 255 rounds to 1
    expectPixel(img, 2, 1, {90, 90, 90, 254});
}

TEST(ImageDecode, PaletteWithTransparencyIsPremultiplied) {
    const uint8_t colormap[] = {200, 100, 50, 128, 0, 0, 255, 255, 0, 0, 0, 0};
    const uint8_t indices[] = {0, 1, 2, 1};
    Bytes png = pngtest::encode(2, 2, PNG_FORMAT_RGBA_COLORMAP, indices, colormap, 3);
    ASSERT_FALSE(png.empty());
    CCImage img;
    ASSERT_TRUE(decode(img, png));
    EXPECT_EQ(img.getWidth(), 2);
    EXPECT_EQ(img.getHeight(), 2);
    expectPixel(img, 0, 0, {100, 50, 25, 128});
    expectPixel(img, 1, 0, {0, 0, 255, 255});
    expectPixel(img, 0, 1, {0, 0, 0, 0});
}

TEST(ImageDecode, GreyBecomesRgba) {
    const uint8_t grey[] = {0, 77, 255};
    CCImage img;
    ASSERT_TRUE(decode(img, pngtest::encode(3, 1, PNG_FORMAT_GRAY, grey)));
    expectPixel(img, 0, 0, {0, 0, 0, 255});
    expectPixel(img, 1, 0, {77, 77, 77, 255});
    expectPixel(img, 2, 0, {255, 255, 255, 255});

    const uint8_t greyAlpha[] = {200, 128, 40, 255};
    CCImage withAlpha;
    ASSERT_TRUE(decode(withAlpha, pngtest::encode(2, 1, PNG_FORMAT_GA, greyAlpha)));
    expectPixel(withAlpha, 0, 0, {100, 100, 100, 128});
    expectPixel(withAlpha, 1, 0, {40, 40, 40, 255});
}

TEST(ImageDecode, SixteenBitIsReducedToEightBits) {
    // The simplified writer stores 16-bit data as linear light with
    // associated alpha, tagged as such; the reader converts back to sRGB.
    const uint16_t px[] = {65535, 0, 0, 65535,   0, 0, 0, 0,
                           32768, 32768, 32768, 32768,   65535, 65535, 65535, 65535};
    Bytes png = pngtest::encode(2, 2, PNG_FORMAT_LINEAR_RGB_ALPHA, px);
    ASSERT_FALSE(png.empty());
    ASSERT_EQ(png[24], 16) << "the file must really be 16-bit";
    CCImage img;
    ASSERT_TRUE(decode(img, png));
    EXPECT_EQ(img.getWidth(), 2);
    EXPECT_EQ(img.getHeight(), 2);
    expectPixel(img, 0, 0, {255, 0, 0, 255});
    expectPixel(img, 1, 0, {0, 0, 0, 0});
    expectPixel(img, 0, 1, {128, 128, 128, 128}, 1);
    expectPixel(img, 1, 1, {255, 255, 255, 255});
}

TEST(ImageDecode, StraightAlphaEntryKeepsColours) {
    Bytes png = pngtest::solid(2, 1, 200, 100, 50, 128);
    CCImage img;
    ASSERT_TRUE(img.initWithPngDataStraightAlpha(png.data(), png.size()));
    EXPECT_FALSE(img.isPremultipliedAlpha());
    expectPixel(img, 1, 0, {200, 100, 50, 128});
}

TEST(ImageDecode, FileIsFoundThroughTheResourceRoot) {
    pngtest::ScratchRoot root("engine_textures_image_file");
    pngtest::writeFile(root.path("img/a.png"), pngtest::solid(4, 5, 1, 2, 3, 255));
    CCImage img;
    ASSERT_TRUE(img.initWithImageFile("img/a.png"));
    EXPECT_EQ(img.getWidth(), 4);
    EXPECT_EQ(img.getHeight(), 5);

    CCImage missing, directory;
    EXPECT_FALSE(missing.initWithImageFile("img/none.png"));
    EXPECT_EQ(missing.getData(), nullptr);
    EXPECT_FALSE(directory.initWithImageFile("img"));
}

// --- hostile bytes ---------------------------------------------------------

TEST(ImageHostile, OversizedHeadersAreRefusedBeforeAllocating) {
    const Bytes base = pngtest::solid(2, 2, 9, 9, 9, 255);
    struct Case {
        uint32_t w, h;
    } cases[] = {{100000, 100000}, {8193, 1}, {1, 8193}, {8192, 8192}, {0x7fffffff, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        CCImage img;
        allocprobe::reset();
        EXPECT_FALSE(decode(img, pngtest::withClaimedSize(base, c.w, c.h)));
        EXPECT_LT(allocprobe::largest(), size_t(1) << 20);
        EXPECT_EQ(img.getData(), nullptr);
        EXPECT_FALSE(img.lastError().empty());
    }
}

TEST(ImageHostile, GenuineImagesAreLimitedTo8192PixelsEachWay) {
    std::vector<uint8_t> px(8193 * 4, 0);
    px[8191 * 4] = 255;
    px[8191 * 4 + 3] = 255;
    CCImage img;
    EXPECT_FALSE(decode(img, pngtest::rgba(8193, 1, px)));
    EXPECT_FALSE(decode(img, pngtest::rgba(1, 8193, px)));
    px.resize(8192 * 4);
    ASSERT_TRUE(decode(img, pngtest::rgba(8192, 1, px)));
    EXPECT_EQ(img.getWidth(), 8192);
    expectPixel(img, 8191, 0, {255, 0, 0, 255});
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

    const char bplist[] = "bplist00\xd1\x01\x02";
    EXPECT_FALSE(img.initWithImageData(const_cast<char*>(bplist), int(sizeof(bplist))));
    EXPECT_FALSE(img.initWithImageData(nullptr, 100));
    EXPECT_FALSE(img.initWithImageData(const_cast<uint8_t*>(good.data()), -5));
    EXPECT_FALSE(img.initWithImageData(const_cast<uint8_t*>(good.data()), int(good.size()), CCImage::kFmtJpg));
    EXPECT_FALSE(img.initWithPngDataStraightAlpha(good.data(), 7));
}
