// Screenshot requests, the PNG writer's orientation, and pngprobe's checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "ViewTestSupport.h"
#include "pngprobe.h"
#include "view/Screenshot.h"

using namespace cocos2d;
using namespace viewtest;

namespace {

TEST(Screenshot, RequestsParseOrFailAsAWhole) {
    std::vector<ScreenshotRequest> out;
    std::string error;
    ASSERT_TRUE(parseScreenshotSpec("8:/tmp/f.png;16:g:h.png", &out, &error)) << error;
    std::string parsed;
    for (const ScreenshotRequest& r : out) parsed += std::to_string(r.frame) + " " + r.path + ";";
    EXPECT_EQ(parsed, "8 /tmp/f.png;16 g:h.png;") << "only the first colon separates";
    EXPECT_TRUE(parseScreenshotSpec("", &out, &error));
    EXPECT_TRUE(out.empty());
    for (const char* bad :
         {"8", ":f.png", "8:", "0:f.png", "-1:f.png", "8x:f.png", "1:a;1:b", "1:a;;2:b", "99999999999:f.png"}) {
        EXPECT_FALSE(parseScreenshotSpec(bad, &out, &error)) << bad;
        EXPECT_TRUE(out.empty()) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(Screenshot, FileIsTopRowFirst) {
    // As GL returns them: bottom row first. Bottom red, middle grey, top green.
    const int w = 2, h = 3;
    std::vector<unsigned char> rgb = {255, 0, 0, 255, 0, 0, 9, 9, 9, 9, 9, 9, 0, 255, 0, 0, 255, 0};
    flipRows(rgb.data(), w * 3, h);
    const std::string path = std::string(QV_BINARY_DIR) + "/tests/view_orientation.png";
    std::string error;
    ASSERT_TRUE(writeRGBPng(path, rgb.data(), w, h, &error)) << error;
    pngprobe::Image image;
    ASSERT_TRUE(pngprobe::readPng(path, &image, &error)) << error;
    // Top row green (GL's last), bottom row red (GL's first), all opaque.
    EXPECT_EQ(std::to_string(image.width) + "x" + std::to_string(image.height), "2x3");
    EXPECT_EQ(image.rgba, (std::vector<unsigned char>{0, 255, 0, 255, 0,   255, 0, 255, 9,   9, 9, 255,
                                                      9, 9,   9, 255, 255, 0,   0, 255, 255, 0, 0, 255}));
    EXPECT_FALSE(writeRGBPng("/nonexistent-dir/x.png", rgb.data(), w, h, &error));
}

TEST(Screenshot, HeadlessFramesAreSkippedAndNothingIsWritten) {
    CCDirector::resetForTest();
    const std::string path = std::string(QV_BINARY_DIR) + "/tests/view_headless_shot.png";
    std::remove(path.c_str());
    const ScopedEnv shots("ENGINE_SCREENSHOT", "2:" + path);
    CCDirector::sharedDirector()->setFrameLimit(3);
    TestApp app;
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(std::fopen(path.c_str(), "rb"), nullptr);
    CCDirector::resetForTest();
}

// ---- pngprobe: the GL checks pass only if it fails on a wrong pixel

TEST(PngProbe, ChecksFailOnTheWrongPixelAndOnMalformedArguments) {
    // 4x2: top row red, bottom row half-transparent blue.
    pngprobe::Image image;
    image.width = 4;
    image.height = 2;
    for (int i = 0; i < 4; ++i) image.rgba.insert(image.rgba.end(), {255, 0, 0, 255});
    for (int i = 0; i < 4; ++i) image.rgba.insert(image.rgba.end(), {0, 0, 250, 128});
    const struct {
        std::vector<std::string> args;
        size_t failures;  // 9: refused as malformed
    } cases[] = {
        {{"--size", "4x2", "--expect", "0,0=255,0,0", "--expect", "3,1=0,0,255~5"}, 0},
        {{"--expect", "3,1=0,0,255"}, 1},      // tolerance defaults to 0
        {{"--expect", "3,1=0,0,250,255"}, 1},  // alpha is checked when given
        {{"--expect", "0,1=255,0,0"}, 1},      // origin is the top-left
        {{"--size", "2x4"}, 1},
        {{"--expect", "4,0=255,0,0"}, 1},  // outside
        {{"--count", "0,0,3,1=255,0,0~0>=4"}, 0},
        {{"--count", "3,1,0,0=255,0,0>=5"}, 1},        // corners in any order
        {{"--count", "0,0,100,100=0,0,255~5>=4"}, 0},  // boxes are clipped to the image
        {{"--count", "0,0,3,1=0,255,0"}, 1},           // without ">=N" one matching pixel is needed
        {{"--expect", "1,2"}, 9},
        {{"--expect", "1,2=3,4"}, 9},
        {{"--expect", "1,2=3,4,5~"}, 9},
        {{"--expect", "1,2=256,0,0"}, 9},
        {{"--expect", "-1,2=0,0,0"}, 9},
        {{"--count", "0,0,1,1=0,0,0>"}, 9},
        {{"--count", "0,0,1=0,0,0>=1"}, 9},
        {{"--size", "4"}, 9},
        {{"--expect"}, 9},
        {{"--bogus"}, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        pngprobe::Checks checks;
        std::string error;
        std::vector<std::string> all = {"f.png"};
        all.insert(all.end(), c.args.begin(), c.args.end());
        const bool parsed = pngprobe::parseArgs(all, &checks, &error);
        EXPECT_EQ(!parsed, c.failures == 9);
        if (parsed) {
            EXPECT_EQ(pngprobe::runChecks(image, checks).size(), c.failures);
        }
    }
    pngprobe::Checks checks;
    std::string error;
    ASSERT_TRUE(pngprobe::parseArgs({"f.png", "--expect", "1,0=0,255,0"}, &checks, &error));
    EXPECT_EQ(pngprobe::runChecks(image, checks),
              std::vector<std::string>{"pixel 1,0 is 255,0,0,255, expected 0,255,0"});
}

TEST(PngProbe, ExitStatusNamesTheKindOfFailure) {
    const std::string dir = std::string(QV_BINARY_DIR) + "/tests/";
    std::vector<unsigned char> rgb = {10, 20, 30};
    std::string error;
    ASSERT_TRUE(writeRGBPng(dir + "probe_one.png", rgb.data(), 1, 1, &error));
    EXPECT_EQ(pngprobe::run({dir + "probe_one.png", "--expect", "0,0=10,20,30,255"}), 0);
    EXPECT_EQ(pngprobe::run({dir + "probe_one.png", "--expect", "0,0=10,20,31"}), 1);
    EXPECT_EQ(pngprobe::run({dir + "probe_missing.png"}), 2);
    writeTemp("probe_text.png", "not a png at all");
    EXPECT_EQ(pngprobe::run({dir + "probe_text.png"}), 2);
    // A real header whose data is cut off.
    std::ifstream in(dir + "probe_one.png", std::ios::binary);
    char head[40] = {0};
    in.read(head, sizeof head);
    writeTemp("probe_cut.png", std::string(head, static_cast<size_t>(in.gcount())));
    EXPECT_EQ(pngprobe::run({dir + "probe_cut.png"}), 2);
}

}  // namespace
