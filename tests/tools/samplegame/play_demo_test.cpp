// The demo input that tools/play.sh plays: the player refuses to run on a
// script it cannot parse, and presses that never end are never seen again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "input/InputScript.h"

namespace {
// The frame limit play.sh gives the demo run: a press after it is never seen.
unsigned demoFrameLimit() {
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/tools/play.sh");
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    const std::string key = "ENGINE_MAX_FRAMES=";
    const size_t at = s.find(key);
    return at == std::string::npos ? 0u : unsigned(std::strtoul(s.c_str() + at + key.size(), nullptr, 10));
}
}  // namespace

TEST(PlayDemo, InputParsesStartsWithSpaceAndReleasesEveryPress) {
    const unsigned limit = demoFrameLimit();
    ASSERT_GT(limit, 0u) << "play.sh names no frame limit";
    cocos2d::InputScript script;
    std::string error;
    ASSERT_TRUE(script.loadFile(std::string(QV_SOURCE_DIR) + "/tools/play-demo.input", &error)) << error;
    const auto& events = script.events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().kind, cocos2d::InputScriptEvent::KeyDown);
    EXPECT_EQ(events.front().keyName, "SPACE");
    bool down = false;
    size_t presses = 0;
    for (const auto& event : events) {
        SCOPED_TRACE("line " + std::to_string(event.line));
        EXPECT_LE(event.frame, limit) << "after the demo's last frame";
        ASSERT_TRUE(event.kind == cocos2d::InputScriptEvent::KeyDown || event.kind == cocos2d::InputScriptEvent::KeyUp);
        EXPECT_EQ(event.keyName, "SPACE");
        const bool press = event.kind == cocos2d::InputScriptEvent::KeyDown;
        EXPECT_NE(press, down) << "presses and releases alternate";
        down = press;
        presses += press ? 1 : 0;
    }
    EXPECT_FALSE(down);
    EXPECT_GE(presses, 5u) << "the start and some jumps";
}
