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
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>frames</key><dict>" + frames + "</dict>" +
           (metadata.empty() ? std::string() : "<key>metadata</key><dict>" + metadata + "</dict>") +
           "</dict></plist>\n";
}
std::string str(const char* key, const std::string& value) {
    return std::string("<key>") + key + "</key><string>" + value + "</string>";
}
std::string num(const char* key, const char* value) {
    return std::string("<key>") + key + "</key><real>" + value + "</real>";
}
std::string frame(const std::string& name, const std::string& body) {
    return "<key>" + name + "</key><dict>" + body + "</dict>";
}
std::string format(int f) { return "<key>format</key><integer>" + std::to_string(f) + "</integer>"; }

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class SpriteFrames : public ::testing::Test {
protected:
    SpriteFrames() : root(std::string("engine_frames_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void TearDown() override {
        CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        CCTextureCache::purgeSharedTextureCache();
        CCPoolManager::sharedPoolManager()->finalize();
    }
    void png(const std::string& rel, int w = 64, int h = 32) {
        pngtest::writeFile(root.path(rel), pngtest::solid(w, h, 10, 20, 30, 255));
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

TEST_F(SpriteFrames, FormatZeroReadsNumbersAndTakesAbsoluteOriginalSizes) {
    png("sheet.png");
    file("sheet.plist",
         atlas(frame("plain", num("x", "2") + num("y", "3") + num("width", "10") + num("height", "12") +
                                  num("offsetX", "0") + num("offsetY", "0") + num("originalWidth", "10") +
                                  num("originalHeight", "12")) +
                   frame("trimmed", num("x", "20") + num("y", "0") + num("width", "6") + num("height", "5") +
                                    num("offsetX", "1.5") + num("offsetY", "-2") +
                                    num("originalWidth", "-14") + num("originalHeight", "16")),
               ""));
    cache()->addSpriteFramesWithFile("sheet.plist");
    EXPECT_EQ(cache()->count(), 2u);
    expectFrame(get("plain"), CCRectMake(2, 3, 10, 12), CCPointZero, CCSizeMake(10, 12), false);
    expectFrame(get("trimmed"), CCRectMake(20, 0, 6, 5), ccp(1.5f, -2), CCSizeMake(14, 16), false);
}

TEST_F(SpriteFrames, FormatsOneAndTwoReadRectStringsAndTheRotatedFlag) {
    png("one.png");
    png("two.png");
    file("one.plist", atlas(frame("one-trim", str("frame", "{{4,5},{20,10}}") + str("offset", "{1,-1}") +
                                                  str("sourceSize", "{24,14}") + "<key>rotated</key><true/>"),
                            format(1)));
    file("two.plist",
         atlas(frame("two-rot", str("frame", "{ {30, 2}, {8, 16} }") + str("offset", "{0,0}") +
                                    str("sourceSize", "{8,16}") + "<key>rotated</key><true/>") +
                   frame("two-flat", str("frame", "{{0,0},{3.5,4}}") + str("offset", "{-0.5,0.25}") +
                                     str("sourceSize", "{5,6}") + "<key>rotated</key><false/>"),
               format(2)));
    cache()->addSpriteFramesWithFile("one.plist");
    cache()->addSpriteFramesWithFile("two.plist");
    // Format 1 has no rotation: a stray flag is not read.
    expectFrame(get("one-trim"), CCRectMake(4, 5, 20, 10), ccp(1, -1), CCSizeMake(24, 14), false);
    expectFrame(get("two-rot"), CCRectMake(30, 2, 8, 16), CCPointZero, CCSizeMake(8, 16), true);
    expectFrame(get("two-flat"), CCRectMake(0, 0, 3.5f, 4), ccp(-0.5f, 0.25f), CCSizeMake(5, 6), false);
    EXPECT_EQ(get("one-trim")->getTexture(), CCTextureCache::sharedTextureCache()->textureForKey("one.png"));
    EXPECT_EQ(get("two-rot")->getTexture(), CCTextureCache::sharedTextureCache()->textureForKey("two.png"));
}

TEST_F(SpriteFrames, FormatThreeTakesOriginFromTextureRectAndResolvesAliases) {
    png("three.png");
    file("three.plist",
         atlas(frame("hero", str("spriteOffset", "{2,3}") + str("spriteSize", "{8,9}") +
                                 str("spriteSourceSize", "{12,13}") + str("textureRect", "{{30,31},{9,8}}") +
                                 "<key>textureRotated</key><true/>" +
                                 "<key>aliases</key><array><string>hero-alias</string><string>hero</string>"
                                 "<dict/><string>other</string></array>") +
                   frame("other", str("spriteOffset", "{0,0}") + str("spriteSize", "{4,4}") +
                                  str("spriteSourceSize", "{4,4}") + str("textureRect", "{{0,0},{4,4}}") +
                                  "<key>textureRotated</key><false/>"),
               format(3)));
    cache()->addSpriteFramesWithFile("three.plist");
    expectFrame(get("hero"), CCRectMake(30, 31, 8, 9), ccp(2, 3), CCSizeMake(12, 13), true);
    EXPECT_EQ(get("hero-alias"), get("hero"));
    // "other" was an alias of hero before it was a frame: the first wins.
    EXPECT_EQ(get("other"), get("hero"));
    EXPECT_EQ(cache()->count(), 1u);
}

TEST_F(SpriteFrames, AllFramesOfOnePlistShareTheCachedTexture) {
    png("shared.png", 16, 8);
    file("shared.plist", atlas(frame("a", str("frame", "{{0,0},{4,4}}") + str("offset", "{0,0}") +
                                              str("sourceSize", "{4,4}")) +
                                   frame("b", str("frame", "{{4,0},{4,4}}") + str("offset", "{0,0}") +
                                                  str("sourceSize", "{4,4}")),
                               format(2)));
    cache()->addSpriteFramesWithFile("shared.plist");
    CCTexture2D* texture = CCTextureCache::sharedTextureCache()->textureForKey("shared.png");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getPixelsWide(), 16u);
    EXPECT_EQ(get("a")->getTexture(), texture);
    EXPECT_EQ(get("b")->getTexture(), texture);
    EXPECT_EQ(CCTextureCache::sharedTextureCache()->count(), 1u);
}

// --- which texture an atlas uses ----------------------------------------------

TEST_F(SpriteFrames, MetadataTextureNameWinsOverThePngBesideThePlist) {
    const std::string frames = frame("f", str("frame", "{{0,0},{1,1}}") + str("offset", "{0,0}") +
                                              str("sourceSize", "{1,1}"));
    CCTextureCache* textures = CCTextureCache::sharedTextureCache();
    png("sub/a.png", 2, 2);
    png("sub/other.png", 3, 3);
    png("sub/real.png", 4, 4);
    png("other.png", 5, 5);  // same name at the root: must not be used

    file("sub/a.plist", atlas(frames, format(2) + str("textureFileName", "other.png")));
    cache()->addSpriteFramesWithFile("sub/a.plist");
    ASSERT_NE(get("f"), nullptr);
    EXPECT_EQ(get("f")->getTexture(), textures->textureForKey("sub/other.png"));
    EXPECT_EQ(get("f")->getTexture()->getPixelsWide(), 3u);
    EXPECT_EQ(textures->textureForKey("sub/a.png"), nullptr);

    cache()->removeSpriteFrames();
    file("sub/a.plist", atlas(frames, format(2) + str("textureFileName", "other.png") +
                                          str("realTextureFileName", "real.png")));
    cache()->addSpriteFramesWithFile("sub/a.plist");
    EXPECT_EQ(get("f")->getTexture()->getPixelsWide(), 4u);

    cache()->removeSpriteFrames();
    file("sub/a.plist", atlas(frames, format(2) + str("textureFileName", "gone.png")));
    cache()->addSpriteFramesWithFile("sub/a.plist");
    EXPECT_EQ(get("f")->getTexture(), textures->textureForKey("sub/a.png"));
}

TEST_F(SpriteFrames, AtlasWithoutATextureLoadsNothingUntilTheTextureExists) {
    file("lonely.plist", atlas(frame("lonely-f", str("frame", "{{0,0},{1,1}}") + str("offset", "{0,0}") +
                                                     str("sourceSize", "{1,1}")),
                               format(2)));
    cache()->addSpriteFramesWithFile("lonely.plist");
    EXPECT_EQ(cache()->count(), 0u);
    png("lonely.png");
    cache()->addSpriteFramesWithFile("lonely.plist");
    EXPECT_NE(get("lonely-f"), nullptr);
}

// --- hostile atlases ----------------------------------------------------------

TEST_F(SpriteFrames, MalformedFramesAreSkippedAndTheGoodOnesLoad) {
    png("bad.png");
    const std::string good = str("frame", "{{1,2},{3,4}}") + str("offset", "{0,0}") + str("sourceSize", "{3,4}");
    const std::string rest = str("offset", "{0,0}") + str("sourceSize", "{3,4}");
    file("bad.plist",
         atlas(frame("good1", good) +
                   frame("no-frame", rest) +
                   frame("frame-is-dict", "<key>frame</key><dict/>" + rest) +
                   "<key>entry-is-string</key><string>{{0,0},{1,1}}</string>" +
                   frame("negative", str("frame", "{{0,0},{-5,5}}") + rest) +
                   frame("negative-source", str("frame", "{{0,0},{5,5}}") + str("offset", "{0,0}") +
                                            str("sourceSize", "{5,-1}")) +
                   frame("nan", str("frame", "{{0,0},{1,1}}") + str("offset", "{nan,0}") +
                                str("sourceSize", "{1,1}")) +
                   frame("inf", str("frame", "{{0,0},{inf,1}}") + rest) +
                   frame("huge", str("frame", "{{0,0},{1e300,1}}") + rest) +
                   frame("unclosed", str("frame", "{{1,2},{3,4}") + rest) +
                   frame("trailing", str("frame", "{{1,2},{3,4}}x") + rest) +
                   frame("rotated-dict", good + "<key>rotated</key><dict/>") +
                   frame("good2", good + "<key>rotated</key><true/>"),
               format(2)));
    testing::internal::CaptureStderr();
    cache()->addSpriteFramesWithFile("bad.plist");
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cache()->count(), 2u) << log;
    expectFrame(get("good1"), CCRectMake(1, 2, 3, 4), CCPointZero, CCSizeMake(3, 4), false);
    expectFrame(get("good2"), CCRectMake(1, 2, 3, 4), CCPointZero, CCSizeMake(3, 4), true);
    EXPECT_EQ(occurrences(log, "skipped"), 11u) << log;

    png("bad0.png");
    file("bad0.plist", atlas(frame("zero-ok", num("x", "0") + num("y", "0") + num("width", "1") +
                                                  num("height", "1") + num("offsetX", "0") + num("offsetY", "0") +
                                                  num("originalWidth", "1") + num("originalHeight", "1")) +
                                 frame("zero-text", num("x", "abc") + num("y", "0") + num("width", "1") +
                                                    num("height", "1") + num("offsetX", "0") +
                                                    num("offsetY", "0") + num("originalWidth", "1") +
                                                    num("originalHeight", "1")) +
                                 frame("zero-missing", num("x", "0")),
                             ""));
    cache()->addSpriteFramesWithFile("bad0.plist");
    EXPECT_NE(get("zero-ok"), nullptr);
    EXPECT_EQ(cache()->count(), 3u);
}

TEST_F(SpriteFrames, BrokenAtlasFilesLoadNothingAndDoNotCrash) {
    png("deep.png");
    png("binary.png");
    png("fmt.png");
    png("noframes.png");
    std::string deep = "<key>frames</key><dict>";
    for (int i = 0; i < 100; ++i) deep += "<key>d</key><dict>";
    for (int i = 0; i < 100; ++i) deep += "</dict>";
    file("deep.plist", "<plist><dict>" + deep + "</dict></dict></plist>");
    file("binary.plist", std::string("bplist00\xd1\x01\x02\x51\x61\x51\x62\x08\x0b\x0d", 17));
    const std::string f = frame("fmt-f", str("frame", "{{0,0},{1,1}}") + str("offset", "{0,0}") +
                                             str("sourceSize", "{1,1}"));
    file("fmt.plist", atlas(f, format(4)));
    file("noframes.plist", "<plist><dict><key>frames</key><array/></dict></plist>");
    for (const char* name : {"deep.plist", "binary.plist", "fmt.plist", "noframes.plist", "absent.plist"})
        cache()->addSpriteFramesWithFile(name);
    cache()->addSpriteFramesWithFile(nullptr);
    cache()->addSpriteFramesWithDictionary(nullptr, nullptr);
    EXPECT_EQ(cache()->count(), 0u);
}

// --- repeats and lookups --------------------------------------------------------

TEST_F(SpriteFrames, SamePlistTwiceIsANoOpAndRepeatedNamesKeepTheFirstFrame) {
    png("first.png");
    png("second.png");
    auto body = [](const char* rect) {
        return str("frame", rect) + str("offset", "{0,0}") + str("sourceSize", "{1,1}");
    };
    file("first.plist", atlas(frame("shared", body("{{1,1},{1,1}}")), format(2)));
    file("second.plist", atlas(frame("shared", body("{{2,2},{1,1}}")) + frame("own", body("{{3,3},{1,1}}")),
                               format(2)));
    cache()->addSpriteFramesWithFile("first.plist");
    CCSpriteFrame* first = get("shared");
    ASSERT_NE(first, nullptr);

    // Same resolved path, even when the file changed on disk: nothing happens.
    file("first.plist", atlas(frame("shared", body("{{9,9},{1,1}}")) + frame("late", body("{{0,0},{1,1}}")),
                              format(2)));
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
    EXPECT_EQ(extra->getOriginalSize(), CCSizeMake(1, 1));
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
    file("r.plist", atlas(frame("r1", str("frame", "{{0,0},{1,1}}") + str("offset", "{0,0}") +
                                          str("sourceSize", "{1,1}")),
                          format(2)));
    cache()->addSpriteFramesWithFile("r.plist");
    CCPoolManager::sharedPoolManager()->finalize();
    CCSpriteFrame* kept = get("r1");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->retainCount(), 1u);  // the cache's reference only
    kept->retain();
    cache()->removeSpriteFrames();
    EXPECT_EQ(cache()->count(), 0u);
    EXPECT_EQ(kept->retainCount(), 1u);
    EXPECT_NE(kept->getTexture(), nullptr);  // the frame keeps its texture alive

    cache()->addSpriteFramesWithFile("r.plist");  // loads again after removal
    EXPECT_NE(get("r1"), nullptr);
    EXPECT_NE(get("r1"), kept);
    CCSpriteFrameCache::purgeSharedSpriteFrameCache();
    EXPECT_EQ(cache()->count(), 0u);
    kept->release();
}
