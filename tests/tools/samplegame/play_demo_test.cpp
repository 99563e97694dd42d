// The demo input that tools/play.sh plays: the player refuses to run on a
// script it cannot parse, and presses that never end are never seen again.
#include <gtest/gtest.h>

#include <string>

#include "input/InputScript.h"

TEST(PlayDemo, InputParsesStartsWithSpaceAndReleasesEveryPress) {
    cocos2d::InputScript script;
    std::string error;
    ASSERT_TRUE(script.loadFile(std::string(QV_SOURCE_DIR) + "/tools/play-demo.input", &error)) << error;
    const auto& events = script.events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().frame, 240u);
    EXPECT_EQ(events.front().kind, cocos2d::InputScriptEvent::KeyDown);
    EXPECT_EQ(events.front().keyName, "SPACE");
    bool down = false;
    size_t presses = 0;
    for (const auto& event : events) {
        SCOPED_TRACE("line " + std::to_string(event.line));
        EXPECT_LE(event.frame, 900u) << "after the demo's last frame";
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
