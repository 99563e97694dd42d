#include <gtest/gtest.h>

#include <string>

#include "../textures/PngTestUtil.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "textures/CCTexture2D.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace {

std::string atlas(const std::string& frames, const std::string& metadata) {
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>frames</key><dict>" + frames + "</dict>" +
           (metadata.empty() ? "" : "<key>metadata</key><dict>" + metadata + "</dict>") + "</dict></plist>\n";
}
std::string str(const char* key, const std::string& value) {
    return std::string("<key>") + key + "</key><string>" + value + "</string>";
}
std::string frame(const std::string& name, const std::string& body) {
    return "<key>" + name + "</key><dict>" + body + "</dict>";
}
// A format 1/2 entry.
std::string rectFrame(const std::string& name, const char* rect, const char* offset = "{0,0}",
                      const char* source = "{1,1}", const std::string& extra = "") {
    return frame(name, str("frame", rect) + str("offset", offset) + str("sourceSize", source) + extra);
}
// A format 0 entry from its eight numbers in order.
std::string numberFrame(const std::string& name, const std::vector<std::string>& v) {
    static const char* keys[] = {"x", "y", "width", "height", "offsetX", "offsetY", "originalWidth", "originalHeight"};
    std::string body;
    for (size_t i = 0; i < v.size(); ++i) body += std::string("<key>") + keys[i] + "</key><real>" + v[i] + "</real>";
    return frame(name, body);
}
std::string format(int f) { return "<key>format</key><integer>" + std::to_string(f) + "</integer>"; }
const std::string kTrue = "<key>rotated</key><true/>";

using pngtest::occurrences;

class SpriteFrames : public ::testing::Test {
protected:
    SpriteFrames()
        : root(std::string("engine_frames_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void TearDown() override {
        CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        CCTextureCache::purgeSharedTextureCache();
        CCPoolManager::sharedPoolManager()->finalize();
    }
    void png(const std::string& rel, int w = 64) {
        pngtest::writeFile(root.path(rel), pngtest::solid(w, 8, 10, 20, 30, 255));
    }
    void file(const std::string& rel, const std::string& text) { pngtest::writeFile(root.path(rel), text); }
    CCSpriteFrame* get(const char* name) { return cache()->spriteFrameByName(name); }
    static CCSpriteFrameCache* cache() { return CCSpriteFrameCache::sharedSpriteFrameCache(); }
    static void expectFrame(CCSpriteFrame* f, CCRect rect, CCPoint offset, CCSize original, bool rotated) {
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->getRect(), rect);
        EXPECT_EQ(f->getOffset(), offset);
        EXPECT_EQ(f->getOriginalSize(), original);
        EXPECT_EQ(f->isRotated(), rotated);
    }

    pngtest::ScratchRoot root;
};

}  // namespace

// --- the four atlas formats -------------------------------------------------

TEST_F(SpriteFrames, EveryFormatGivesRectOffsetOriginalSizeAndRotation) {
    for (const char* name : {"f0", "f1", "f2", "f3"}) png(std::string(name) + ".png");
    file("f0.plist", atlas(numberFrame("zero", {"20", "0", "6", "5", "1.5", "-2", "-14", "16"}), ""));
    // Format 1 has no rotation: a stray flag is not read.
    file("f1.plist", atlas(rectFrame("one", "{{4,5},{20,10}}", "{1,-1}", "{24,14}", kTrue), format(1)));
    file("f2.plist", atlas(rectFrame("two-rot", "{ {30, 2}, {8, 16} }", "{0,0}", "{8,16}", kTrue) +
                               rectFrame("two-flat", "{{0,0},{3.5,4}}", "{-0.5,0.25}", "{5,6}"),
                           format(2)));
    file("f3.plist",
         atlas(frame("hero", str("spriteOffset", "{2,3}") + str("spriteSize", "{8,9}") +
                                 str("spriteSourceSize", "{12,13}") + str("textureRect", "{{30,31},{9,8}}") +
                                 "<key>textureRotated</key><true/><key>aliases</key><array>"
                                 "<string>hero-alias</string><string>hero</string><dict/><string>other</string>"
                                 "</array>") +
                   frame("other", str("spriteOffset", "{0,0}") + str("spriteSize", "{4,4}") +
                                  str("spriteSourceSize", "{4,4}") + str("textureRect", "{{0,0},{4,4}}")),
               format(3)));
    for (const char* name : {"f0.plist", "f1.plist", "f2.plist", "f3.plist"}) cache()->addSpriteFramesWithFile(name);

    expectFrame(get("zero"), CCRectMake(20, 0, 6, 5), ccp(1.5f, -2), CCSizeMake(14, 16), false);
    expectFrame(get("one"), CCRectMake(4, 5, 20, 10), ccp(1, -1), CCSizeMake(24, 14), false);
    expectFrame(get("two-rot"), CCRectMake(30, 2, 8, 16), CCPointZero, CCSizeMake(8, 16), true);
    expectFrame(get("two-flat"), CCRectMake(0, 0, 3.5f, 4), ccp(-0.5f, 0.25f), CCSizeMake(5, 6), false);
    // Format 3: origin from textureRect, size from spriteSize.
    expectFrame(get("hero"), CCRectMake(30, 31, 8, 9), ccp(2, 3), CCSizeMake(12, 13), true);
    EXPECT_EQ(get("hero-alias"), get("hero"));
    EXPECT_EQ(get("other"), get("hero")) << "an alias claimed the name first";

    // One texture object per atlas, the one the texture cache holds.
    CCTextureCache* textures = CCTextureCache::sharedTextureCache();
    EXPECT_EQ(get("two-rot")->getTexture(), textures->textureForKey("f2.png"));
    EXPECT_EQ(get("two-flat")->getTexture(), textures->textureForKey("f2.png"));
    EXPECT_EQ(get("hero")->getTexture(), textures->textureForKey("f3.png"));
    EXPECT_EQ(textures->count(), 4u);
}

// --- which texture an atlas uses ----------------------------------------------

TEST_F(SpriteFrames, MetadataTextureNameBesideThePlistWinsOverTheDefaultPng) {
    const std::string frames = rectFrame("f", "{{0,0},{1,1}}");
    png("sub/a.png", 2);
    png("sub/other.png", 3);
    png("sub/real.png", 4);
    png("other.png", 5);  // same name at the root: must not be used
    auto widthAfterLoading = [&](const std::string& metadata) -> unsigned {
        cache()->removeSpriteFrames();
        file("sub/a.plist", atlas(frames, format(2) + metadata));
        cache()->addSpriteFramesWithFile("sub/a.plist");
        return get("f") ? get("f")->getTexture()->getPixelsWide() : 0;
    };
    EXPECT_EQ(widthAfterLoading(str("textureFileName", "other.png")), 3u);
    EXPECT_EQ(CCTextureCache::sharedTextureCache()->textureForKey("sub/a.png"), nullptr);
    EXPECT_EQ(widthAfterLoading(str("textureFileName", "other.png") + str("realTextureFileName", "real.png")), 4u);
    EXPECT_EQ(widthAfterLoading(str("textureFileName", "gone.png")), 2u);
    EXPECT_EQ(widthAfterLoading(""), 2u);
}

TEST_F(SpriteFrames, AtlasWithoutATextureLoadsNothingUntilTheTextureExists) {
    file("lonely.plist", atlas(rectFrame("lonely-f", "{{0,0},{1,1}}"), format(2)));
    cache()->addSpriteFramesWithFile("lonely.plist");
    EXPECT_EQ(cache()->count(), 0u);
    png("lonely.png");
    cache()->addSpriteFramesWithFile("lonely.plist");
    EXPECT_NE(get("lonely-f"), nullptr);
}

// --- hostile atlases ----------------------------------------------------------

TEST_F(SpriteFrames, MalformedFramesAreSkippedAndTheGoodOnesLoad) {
    png("bad.png");
    const char* r = "{{1,2},{3,4}}";
    file("bad.plist",
         atlas(rectFrame("good1", r, "{0,0}", "{3,4}") + frame("no-frame", str("offset", "{0,0}")) +
                   frame("frame-is-dict", "<key>frame</key><dict/>" + str("offset", "{0,0}") + str("sourceSize", "{1,1}")) +
                   "<key>entry-is-string</key><string>{{0,0},{1,1}}</string>" +
                   rectFrame("negative", "{{0,0},{-5,5}}") + rectFrame("negative-source", r, "{0,0}", "{5,-1}") +
                   rectFrame("nan", r, "{nan,0}") + rectFrame("inf", "{{0,0},{inf,1}}") +
                   rectFrame("huge", "{{0,0},{1e300,1}}") + rectFrame("unclosed", "{{1,2},{3,4}") +
                   rectFrame("trailing", "{{1,2},{3,4}}x") + rectFrame("rotated-dict", r, "{0,0}", "{1,1}", "<key>rotated</key><dict/>") +
                   rectFrame("good2", r, "{0,0}", "{3,4}", kTrue),
               format(2)));
    png("bad0.png");
    file("bad0.plist", atlas(numberFrame("zero-ok", {"0", "0", "1", "1", "0", "0", "1", "1"}) +
                                 numberFrame("zero-text", {"abc", "0", "1", "1", "0", "0", "1", "1"}) +
                                 numberFrame("zero-negative", {"0", "0", "-1", "1", "0", "0", "1", "1"}) +
                                 numberFrame("zero-missing", {"0", "0", "1"}),
                             ""));
    testing::internal::CaptureStderr();
    cache()->addSpriteFramesWithFile("bad.plist");
    cache()->addSpriteFramesWithFile("bad0.plist");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cache()->count(), 3u) << log;
    EXPECT_EQ(occurrences(log, "skipped"), 14u) << log;
    expectFrame(get("good1"), CCRectMake(1, 2, 3, 4), CCPointZero, CCSizeMake(3, 4), false);
    expectFrame(get("good2"), CCRectMake(1, 2, 3, 4), CCPointZero, CCSizeMake(3, 4), true);
    EXPECT_NE(get("zero-ok"), nullptr);
}

TEST_F(SpriteFrames, BrokenAtlasFilesLoadNothingAndDoNotCrash) {
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "<key>d</key><dict>";
    for (int i = 0; i < 100; ++i) deep += "</dict>";
    const std::pair<const char*, std::string> files[] = {
        {"deep", "<plist><dict><key>frames</key><dict>" + deep + "</dict></dict></plist>"},
        {"binary", std::string("bplist00\xd1\x01\x02\x51\x61\x51\x62\x08\x0b\x0d", 17)},
        {"fmt", atlas(rectFrame("fmt-f", "{{0,0},{1,1}}"), format(4))},
        {"fmt-text", atlas(rectFrame("fmt-t", "{{0,0},{1,1}}"), str("format", "two"))},
        {"noframes", "<plist><dict><key>frames</key><array/></dict></plist>"},
    };
    for (const auto& [name, text] : files) {
        png(std::string(name) + ".png");
        file(std::string(name) + ".plist", text);
        cache()->addSpriteFramesWithFile((std::string(name) + ".plist").c_str());
    }
    cache()->addSpriteFramesWithFile("absent.plist");
    cache()->addSpriteFramesWithFile(nullptr);
    cache()->addSpriteFramesWithDictionary(nullptr, nullptr);
    EXPECT_EQ(cache()->count(), 0u);
}

// --- repeats, lookups and removal ----------------------------------------------

TEST_F(SpriteFrames, SamePlistTwiceIsANoOpAndRepeatedNamesKeepTheFirstFrame) {
    png("first.png");
    png("second.png");
    file("first.plist", atlas(rectFrame("shared", "{{1,1},{1,1}}"), format(2)));
    file("second.plist", atlas(rectFrame("shared", "{{2,2},{1,1}}") + rectFrame("own", "{{3,3},{1,1}}"), format(2)));
    cache()->addSpriteFramesWithFile("first.plist");
    CCSpriteFrame* first = get("shared");
    ASSERT_NE(first, nullptr);

    // Same resolved path, even though the file changed on disk: nothing happens.
    file("first.plist", atlas(rectFrame("shared", "{{9,9},{1,1}}") + rectFrame("late", "{{0,0},{1,1}}"), format(2)));
    testing::internal::CaptureStderr();
    cache()->addSpriteFramesWithFile(root.path("first.plist").c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(cache()->count(), 1u);

    testing::internal::CaptureStderr();
    cache()->addSpriteFramesWithFile("second.plist");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("\"shared\" already exists"), std::string::npos) << log;
    EXPECT_EQ(get("shared"), first);
    EXPECT_EQ(get("shared")->getRect().origin, ccp(1, 1));
    EXPECT_NE(get("own"), nullptr);

    CCSpriteFrame* extra = CCSpriteFrame::createWithTexture(first->getTexture(), CCRectMake(5, 5, 1, 1));
    cache()->addSpriteFrame(extra, "shared");
    EXPECT_EQ(get("shared"), first);
    cache()->addSpriteFrame(extra, "extra");
    EXPECT_EQ(get("extra"), extra);
}

TEST_F(SpriteFrames, UnknownNameGivesNullAndIsLoggedOnce) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(get("frame-that-never-was"), nullptr);
    EXPECT_EQ(get("frame-that-never-was"), nullptr);
    EXPECT_EQ(get(nullptr), nullptr);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(log, "frame-that-never-was"), 1u) << log;
}

TEST_F(SpriteFrames, RemovalReleasesFramesAndForgetsLoadedFiles) {
    png("r.png");
    file("r.plist", atlas(rectFrame("r1", "{{0,0},{1,1}}"), format(2)));
    cache()->addSpriteFramesWithFile("r.plist");
    CCPoolManager::sharedPoolManager()->finalize();
    CCSpriteFrame* kept = get("r1");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->retainCount(), 1u);  // the cache's reference only
    kept->retain();
    cache()->removeSpriteFrames();
    EXPECT_EQ(cache()->count(), 0u);
    EXPECT_EQ(kept->retainCount(), 1u);
    CCTextureCache::purgeSharedTextureCache();
    EXPECT_EQ(kept->getTexture()->getPixelsWide(), 64u);  // the frame keeps its texture alive

    cache()->addSpriteFramesWithFile("r.plist");  // loads again after removal
    EXPECT_NE(get("r1"), nullptr);
    EXPECT_NE(get("r1"), kept);
    kept->release();
}
