// Design-resolution maths of the view: the policy table, bad sizes and the
// requested design size surviving frame changes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "../log/log_capture.h"
#include "director/EngineHooks.h"
#include "input/InputScript.h"
#include "platform/QVLog.h"
#include "view/CCEGLView.h"
#include "view/Screenshot.h"

using namespace cocos2d;

namespace {

// The view protocol on its own, without a back-end.
class TestView : public CCEGLViewProtocol {};

// Scale, design size, viewport (origin, size), visible size and origin.
std::string layout(const TestView& v) {
    const CCRect& vp = v.getViewPortRect();
    char text[200];
    std::snprintf(text, sizeof text, "scale %g,%g design %gx%g viewport %g,%g %gx%g visible %gx%g at %g,%g",
                  v.getScaleX(), v.getScaleY(), v.getDesignResolutionSize().width, v.getDesignResolutionSize().height,
                  vp.origin.x, vp.origin.y, vp.size.width, vp.size.height, v.getVisibleSize().width,
                  v.getVisibleSize().height, v.getVisibleOrigin().x, v.getVisibleOrigin().y);
    return text;
}

}  // namespace

// Frame 1280 x 600, design 1136 x 640. Either order of frame and design size
// gives the same layout, and the requested design size survives the frame
// change.
TEST(ViewPolicy, TableForWideFrameAndDesign1136x640) {
    const std::pair<int, const char*> rows[] = {
        {0, "scale 1.12676,0.9375 design 1136x640 viewport 0,0 1280x600 visible 1136x640 at 0,0"},
        {1, "scale 1.12676,1.12676 design 1136x640 viewport 0,-60.5634 1280x721.127 visible 1136x532.5 at 0,53.75"},
        {2, "scale 0.9375,0.9375 design 1136x640 viewport 107.5,0 1065x600 visible 1136x640 at 0,0"},
        {3, "scale 0.9375,0.9375 design 1365.33x640 viewport 0,0 1280x600 visible 1365.33x640 at 0,0"},
        {4, "scale 1.12676,1.12676 design 1136x532.5 viewport 0,0 1280x600 visible 1136x532.5 at 0,0"},
        // Unknown and out-of-range values behave like exact fit.
        {5, "scale 1.12676,0.9375 design 1136x640 viewport 0,0 1280x600 visible 1136x640 at 0,0"},
        {42, "scale 1.12676,0.9375 design 1136x640 viewport 0,0 1280x600 visible 1136x640 at 0,0"},
    };
    for (const auto& [policy, expected] : rows) {
        for (bool frameFirst : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "policy " << policy << (frameFirst ? ", frame first" : ", design first"));
            TestView view;
            view.setFrameSize(frameFirst ? 1280 : 640, frameFirst ? 600 : 480);
            view.setDesignResolutionSize(1136, 640, policy);
            view.setFrameSize(1280, 600);
            EXPECT_EQ(view.getResolutionPolicy(), policy);
            EXPECT_EQ(view.getRequestedDesignResolutionSize(), CCSize(1136, 640));
            EXPECT_EQ(layout(view), expected);
        }
    }
}

TEST(ViewPolicy, DesignFollowsFrameUntilFirstSet) {
    TestView view;
    EXPECT_EQ(view.getResolutionPolicy(), kResolutionUnKnown);
    view.setFrameSize(800, 450);
    view.setFrameSize(1024, 768);
    EXPECT_EQ(layout(view), "scale 1,1 design 1024x768 viewport 0,0 1024x768 visible 1024x768 at 0,0");
    EXPECT_FALSE(view.isDesignResolutionSet());
    view.setDesignResolutionSize(512, 384, kResolutionShowAll);
    view.setFrameSize(2048, 1536);
    EXPECT_EQ(layout(view), "scale 4,4 design 512x384 viewport 0,0 2048x1536 visible 512x384 at 0,0");
}

TEST(ViewPolicy, ZeroNegativeAndNonFiniteSizesAreIgnored) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    TestView view;
    view.setFrameSize(1280, 600);
    view.setDesignResolutionSize(1136, 640, kResolutionNoBorder);
    const std::string before = layout(view);
    const float bad[][2] = {{0, 0}, {0, 600}, {1280, 0}, {-1, 600}, {nan, 600}, {1280, inf}};
    for (const auto& size : bad) {
        view.setFrameSize(size[0], size[1]);
        view.setDesignResolutionSize(size[0], size[1], kResolutionExactFit);
    }
    EXPECT_EQ(view.getFrameSize(), CCSize(1280, 600));
    EXPECT_EQ(view.getResolutionPolicy(), kResolutionNoBorder);
    EXPECT_EQ(layout(view), before);
    view.setFrameZoomFactor(0);
    view.setFrameZoomFactor(nan);
    EXPECT_EQ(view.getFrameZoomFactor(), 1.0f);
}

TEST(EngineHooks, FlagsAndFrameLimitParsing) {
    // A flag is on for any value but "0"; unset or empty is off.
    for (const char* off : {static_cast<const char*>(nullptr), "", "0"}) EXPECT_FALSE(parseFlagHook("X", off));
    for (const char* on : {"1", "yes"}) EXPECT_TRUE(parseFlagHook("X", on));
    EXPECT_EQ(parseFrameLimitHook("X", "120"), 120u);
    EXPECT_EQ(parseFrameLimitHook("X", "4294967295"), 4294967295u);
    // Unset, and unparsable values, are no limit rather than a misread one.
    for (const char* bad :
         {static_cast<const char*>(nullptr), "", "0", "-5", "12abc", " 12", "abc", "4294967296", "1e3", "+7"})
        EXPECT_EQ(parseFrameLimitHook("X", bad), 0u) << (bad ? bad : "null");
}

// The seed is the whole text as an unsigned 32-bit number: one read from a
// prefix, or wrapped, would repeat a run nobody asked for.
TEST(EngineHooks, RandomSeedHook) {
    const struct {
        const char* value;
        bool taken, logged;
    } rows[] = {{"0", true, false},          {"12345", true, false}, {"4294967295", true, false}, {"-1", false, true},
                {"4294967296", false, true}, {"12x", false, true},   {" 5", false, true},         {"+5", false, true},
                {nullptr, false, false},     {"", false, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value ? row.value : "unset");
        unsigned int seed = 777;
        std::string why;
        EXPECT_EQ(parseSeedHook("ENGINE_RANDOM_SEED", row.value, &seed, &why), row.taken);
        EXPECT_EQ(seed, row.taken ? std::stoul(row.value) : 777u);
        EXPECT_EQ(why, row.logged ? "not a whole number from 0 to 4294967295" : "");
    }
    setenv("ENGINE_RANDOM_SEED", "99", 1);
    EXPECT_TRUE(readEngineHooks().hasRandomSeed && readEngineHooks().randomSeed == 99u);
    unsetenv("ENGINE_RANDOM_SEED");
}

// A quoted value is cut by characters, never inside one, and only past 80.
TEST(EngineHooks, QuotedValuesAreCutAfter80Characters) {
    const std::string a79(79, 'a');
    const struct {
        std::string value, quoted;
    } rows[] = {
        {"", "\"\""},
        {a79 + "a", "\"" + a79 + "a\""},
        {a79 + "ab", "\"" + a79 + "a...\""},
        {a79 + "\xC3\xA9", "\"" + a79 + "\xC3\xA9\""},
        {a79 + "\xC3\xA9" + "b", "\"" + a79 + "\xC3\xA9...\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(quotedHookValue(row.value), row.quoted);
    }
}

namespace {
std::vector<std::string>& notices() {
    static std::vector<std::string> lines;
    return lines;
}
void captureNotice(const char* text, std::size_t length) { notices().emplace_back(text, length); }
}  // namespace

// A malformed hook must reach a person even with the log off: one notice
// that names the variable, its value (cut) and why.
TEST(EngineHooks, MalformedHooksGiveOneNotice) {
    std::string many;
    for (int i = 1; i <= 257; ++i) many += (i > 1 ? ";" : "") + std::to_string(i) + ":s.png";
    const struct {
        const char* variable;
        std::string value;
        std::string notice;  // "" for a value that is taken
    } rows[] = {
        {"ENGINE_SCREENSHOT", "8:a.png", ""},
        {"ENGINE_SCREENSHOT", "soon", "ENGINE_SCREENSHOT=\"soon\": \"soon\" is not FRAME:FILE"},
        {"ENGINE_SCREENSHOT", many, "ENGINE_SCREENSHOT=\"" + many.substr(0, 80) + "...\": more than 256 screenshots"},
        {"ENGINE_INPUT_SCRIPT", "/nonexistent/qv_script.txt",
         "ENGINE_INPUT_SCRIPT=\"/nonexistent/qv_script.txt\": line 0: cannot open the file: No such file or directory"},
        {"ENGINE_INPUT_SCRIPT", "/", "ENGINE_INPUT_SCRIPT=\"/\": line 0: read error: Is a directory"},
    };
    setNoticeSink(captureNotice);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        notices().clear();
        setenv(row.variable, row.value.c_str(), 1);
        ScreenshotPlan plan;
        const bool taken = std::string(row.variable) == "ENGINE_SCREENSHOT"
                               ? plan.loadFromEnvironment()
                               : InputScriptPlayer::sharedPlayer()->loadFromEnvironment();
        unsetenv(row.variable);
        EXPECT_EQ(taken, row.notice.empty());
        EXPECT_EQ(notices(), row.notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.notice});
    }
    setNoticeSink(nullptr);
    InputScriptPlayer::sharedPlayer()->unload();
}

// A malformed number stops the run rather than running for ever or
// unseeded: each is refused with its value and why; set ones are not.
TEST(EngineHooks, MalformedNumbersAreRefused) {
    const struct {
        const char* frames;
        const char* seed;
        std::vector<std::string> refused;
    } rows[] = {
        {"600", "7", {}},
        {"12x", nullptr, {"ENGINE_MAX_FRAMES=\"12x\": not a frame count from 1 to 4294967295"}},
        {"0", nullptr, {"ENGINE_MAX_FRAMES=\"0\": not a frame count from 1 to 4294967295"}},
        {nullptr, "-5", {"ENGINE_RANDOM_SEED=\"-5\": not a whole number from 0 to 4294967295"}},
        {"", "", {}},
        {"+1",
         "4294967296",
         {"ENGINE_MAX_FRAMES=\"+1\": not a frame count from 1 to 4294967295",
          "ENGINE_RANDOM_SEED=\"4294967296\": not a whole number from 0 to 4294967295"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.frames ? row.frames : "unset") + " " + (row.seed ? row.seed : "unset"));
        auto set = [](const char* name, const char* value) {
            if (value) {
                setenv(name, value, 1);
            } else {
                unsetenv(name);
            }
        };
        set("ENGINE_MAX_FRAMES", row.frames);
        set("ENGINE_RANDOM_SEED", row.seed);
        EXPECT_EQ(readEngineHooks().refused, row.refused);
    }
    unsetenv("ENGINE_MAX_FRAMES");
    unsetenv("ENGINE_RANDOM_SEED");
}
