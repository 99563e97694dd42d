#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "PngTestUtil.h"
#include "base/CCAutoreleasePool.h"
#include "textures/CCImage.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace {

// GL name, pixel size, content size, max s/t and premultiplication in one line.
std::string describe(CCTexture2D& t) {
    std::ostringstream out;
    out << "name " << t.getName() << " pixels " << t.getPixelsWide() << "x" << t.getPixelsHigh() << " content "
        << t.getContentSize().width << "x" << t.getContentSize().height << " max " << t.getMaxS() << ","
        << t.getMaxT() << (t.hasPremultipliedAlpha() ? " premultiplied" : " straight");
    return out.str();
}

std::vector<unsigned char> pixels(CCTexture2D& t, size_t n) {
    return t.getPixelData() ? std::vector<unsigned char>(t.getPixelData(), t.getPixelData() + n)
                            : std::vector<unsigned char>();
}

class KeepPixels : public ::testing::Test {
protected:
    void SetUp() override { CCTexture2D::setKeepsPixelsWithoutContext(true); }
    void TearDown() override { CCTexture2D::setKeepsPixelsWithoutContext(false); }
};

class TextureCacheTest : public ::testing::Test {
protected:
    void TearDown() override {
        CCTextureCache::purgeSharedTextureCache();
        CCPoolManager::sharedPoolManager()->finalize();
    }
    CCTextureCache* cache = CCTextureCache::sharedTextureCache();
};

}  // namespace

// --- textures from raw pixels ----------------------------------------------

TEST_F(KeepPixels, FormatSevenIsRgba8888AndKeepsTheRequestedColour) {
    const unsigned char black[4] = {0, 0, 0, 255};
    CCTexture2D tex;
    ASSERT_TRUE(tex.initWithData(black, CCTexture2DPixelFormat(7), 1, 1, CCSizeMake(40, 30)));
    EXPECT_EQ(tex.getPixelFormat(), kCCTexture2DPixelFormat_RGBA8888);
    EXPECT_EQ(describe(tex), "name 0 pixels 1x1 content 40x30 max 40,30 premultiplied");
    EXPECT_EQ(pixels(tex, 4), std::vector<unsigned char>({0, 0, 0, 255}));

    // A translucent colour is premultiplied in a copy; the caller's bytes stay.
    unsigned char colour[8] = {200, 100, 50, 128, 10, 20, 30, 255};
    CCTexture2D two;
    ASSERT_TRUE(two.initWithData(colour, kCCTexture2DPixelFormat_RGBA8888, 2, 1, CCSizeMake(2, 1)));
    EXPECT_EQ(pixels(two, 8), std::vector<unsigned char>({100, 50, 25, 128, 10, 20, 30, 255}));
    EXPECT_EQ(colour[0], 200);
}

TEST_F(KeepPixels, OtherFormatsAndImpossibleSizesAreRefused) {
    const unsigned char px[4] = {1, 2, 3, 4};
    CCTexture2D tex;
    for (int format : {0, 1, 2, 3, 4, 5, 6, 8, -1})
        EXPECT_FALSE(tex.initWithData(px, CCTexture2DPixelFormat(format), 1, 1, CCSizeMake(1, 1))) << format;
    const auto rgba = kCCTexture2DPixelFormat_RGBA8888;
    EXPECT_FALSE(tex.initWithData(nullptr, rgba, 1, 1, CCSizeMake(1, 1)));
    EXPECT_FALSE(tex.initWithData(px, rgba, 0, 1, CCSizeMake(1, 1)));
    EXPECT_FALSE(tex.initWithData(px, rgba, 1, 8193, CCSizeMake(1, 1)));
    EXPECT_FALSE(tex.initWithData(px, rgba, 1, 1, CCSizeMake(NAN, 1)));
    EXPECT_FALSE(tex.initWithData(px, rgba, 1, 1, CCSizeMake(1, -INFINITY)));
}

TEST(Texture2DImage, HeadlessKeepsSizesAndFlagsAndDropsPixels) {
    pngtest::Bytes png = pngtest::solid(3, 2, 200, 100, 50, 128);
    CCImage premultiplied, straight, empty;
    ASSERT_TRUE(premultiplied.initWithImageData(png.data(), int(png.size())));
    ASSERT_TRUE(straight.initWithPngDataStraightAlpha(png.data(), png.size()));
    CCTexture2D tex;
    ASSERT_TRUE(tex.initWithImage(&premultiplied));
    EXPECT_EQ(describe(tex), "name 0 pixels 3x2 content 3x2 max 1,1 premultiplied");
    EXPECT_EQ(tex.getPixelData(), nullptr);

    CCTexture2D::setKeepsPixelsWithoutContext(true);
    CCTexture2D kept;
    ASSERT_TRUE(kept.initWithImage(&straight));
    CCTexture2D::setKeepsPixelsWithoutContext(false);
    EXPECT_FALSE(kept.hasPremultipliedAlpha());
    EXPECT_EQ(pixels(kept, 3 * 2 * 4), std::vector<unsigned char>(straight.getData(), straight.getData() + 24));
    EXPECT_FALSE(tex.initWithImage(&empty));
    EXPECT_FALSE(tex.initWithImage(nullptr));
}

// --- the texture cache ------------------------------------------------------

TEST_F(TextureCacheTest, RelativeAndAbsoluteNamesShareOneEntry) {
    pngtest::ScratchRoot root("engine_textures_cache_names");
    pngtest::writeFile(root.path("art/sheet.png"), pngtest::solid(8, 4, 1, 2, 3, 255));
    EXPECT_EQ(cache->textureForKey("art/sheet.png"), nullptr) << "textureForKey must not load";
    EXPECT_EQ(cache->count(), 0u);
    CCTexture2D* relative = cache->addImage("art/sheet.png");
    ASSERT_NE(relative, nullptr);
    EXPECT_EQ(relative->getPixelsWide(), 8u);
    EXPECT_EQ(cache->addImage(root.path("art/sheet.png").c_str()), relative);
    EXPECT_EQ(cache->addImage("/art/sheet.png"), relative);  // root-relative game name
    EXPECT_EQ(cache->textureForKey(root.path("art/sheet.png").c_str()), relative);
    EXPECT_EQ(cache->textureForKey("art/sheet.png"), relative);
    EXPECT_EQ(cache->count(), 1u);
}

TEST_F(TextureCacheTest, FailingFilesGiveNullCacheNothingAndLogOnce) {
    pngtest::ScratchRoot root("engine_textures_cache_failures");
    pngtest::Bytes good = pngtest::solid(2, 2, 5, 5, 5, 255);
    pngtest::writeFile(root.path("garbage.png"), std::string("this is not an image"));
    pngtest::writeFile(root.path("cut.png"), pngtest::Bytes(good.begin(), good.begin() + good.size() / 2));
    testing::internal::CaptureStderr();
    for (int round = 0; round < 2; ++round)
        for (const char* name : {"tc-missing-file.png", "garbage.png", "cut.png", "", static_cast<const char*>(nullptr)})
            EXPECT_EQ(cache->addImage(name), nullptr) << (name ? name : "null");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cache->count(), 0u);
    for (const char* name : {"tc-missing-file.png", "garbage.png", "cut.png"})
        EXPECT_EQ(pngtest::occurrences(log, name), 1u) << log;

    // Nothing was remembered: once the file is fixed it loads.
    pngtest::writeFile(root.path("cut.png"), good);
    EXPECT_NE(cache->addImage("cut.png"), nullptr);
}

TEST_F(TextureCacheTest, RemovalReleasesOnlyTheCachesReference) {
    pngtest::ScratchRoot root("engine_textures_cache_removal");
    pngtest::writeFile(root.path("a.png"), pngtest::solid(1, 1, 1, 1, 1, 255));
    pngtest::writeFile(root.path("b.png"), pngtest::solid(1, 1, 2, 2, 2, 255));
    CCTexture2D* a = cache->addImage("a.png");
    ASSERT_NE(a, nullptr);
    a->retain();
    EXPECT_EQ(a->retainCount(), 2u);
    cache->removeTextureForKey(root.path("a.png").c_str());  // any name of the file
    EXPECT_EQ(a->retainCount(), 1u);
    EXPECT_EQ(cache->textureForKey("a.png"), nullptr);
    CCTexture2D* again = cache->addImage("a.png");
    EXPECT_NE(again, nullptr);
    EXPECT_NE(again, a);

    CCTexture2D* b = cache->addImage("b.png");
    b->retain();
    cache->removeAllTextures();
    EXPECT_EQ(cache->count(), 0u);
    EXPECT_EQ(b->retainCount(), 1u);
    cache->addImage("b.png");
    CCTextureCache::purgeSharedTextureCache();
    EXPECT_EQ(CCTextureCache::sharedTextureCache()->count(), 0u);
    a->release();
    b->release();
}
