// The input script: what parses, what is refused (with the line), and the
// order events come out in.
#include <iterator>

#include "InputTestSupport.h"

namespace inputtest {
namespace {

std::string parseError(const std::string& text) {
    InputScript script;
    std::string error;
    EXPECT_FALSE(script.parse(text, &error)) << text;
    EXPECT_TRUE(script.events().empty());
    return error;
}

TEST(InputScriptParse, AcceptsEveryKindWithCommentsAndBlankLines) {
    InputScript script;
    std::string error;
    ASSERT_TRUE(
        script.parse("# a comment line\n\n1 touch down 480 320   # trailing comment\n1 touch move 520.5 -3e1\r\n"
                     "2 touch up 520 320\n2 back\n3\taccel 0.5 -1 9.81\n4 key down a\n4 key up LEFT\n"
                     "5 key down f12\n6 iconify\n7 restore\n9 quit",
                     &error))
        << error;
    const auto& e = script.events();
    ASSERT_EQ(e.size(), 11u);
    using E = InputScriptEvent;
    const E::Kind kinds[] = {E::TouchDown, E::TouchMove, E::TouchUp, E::Back,    E::Accel, E::KeyDown,
                             E::KeyUp,     E::KeyDown,   E::Iconify, E::Restore, E::Quit};
    for (size_t i = 0; i < e.size(); ++i) EXPECT_EQ(e[i].kind, kinds[i]) << i;
    EXPECT_EQ(e[0].line, 3u);
    EXPECT_DOUBLE_EQ(e[1].x, 520.5);
    EXPECT_DOUBLE_EQ(e[1].y, -30);
    EXPECT_DOUBLE_EQ(e[4].z, 9.81);
    EXPECT_EQ(e[5].key, InputScript::keyCodeForName("A"));
    EXPECT_NE(e[7].key, -1);
    EXPECT_EQ(e[10].frame, 9u);
}

TEST(InputScriptParse, RefusesBadLinesNamingTheLine) {
    const struct {
        const char* text;
        const char* where;
    } cases[] = {
        {"5 tuch down 1 2\n", "line 1:"},
        {"1 back\n2 touch down 1\n", "line 2:"},
        {"1 back\n\n# x\n3 touch sideways 1 2\n", "line 4:"},
        {"1 touch down 1 2 3\n", "line 1:"},
        {"1 touch down x 2\n", "line 1:"},
        {"1 touch down nan 2\n", "line 1:"},
        {"1 touch down 1e300 2\n", "line 1:"},
        {"3 back\n2 back\n", "line 2:"},
        {"0 back\n", "line 1:"},
        {"-1 back\n", "line 1:"},
        {"99999999999 back\n", "line 1:"},
        {"1\n", "line 1:"},
        {"1 back now\n", "line 1:"},
        {"1 accel 1 2\n", "line 1:"},
        {"1 key press A\n", "line 1:"},
        {"1 key down NOPE\n", "line 1:"},
        {"1 key down F0\n", "line 1:"},
        {"1 back\n2 pad button press 0\n", "line 2:"},
        {"1 pad button down\n", "line 1:"},
        {"1 pad button down 0 1\n", "line 1:"},
        {"1 pad button down -1\n", "line 1:"},
        {"1 pad button down 256\n", "line 1:"},
        {"1 pad button down 1.5\n", "line 1:"},
        {"1 pad axis 1\n", "line 1:"},
        {"1 pad axis 1 32768\n", "line 1:"},
        {"1 pad axis 1 -32769\n", "line 1:"},
        {"1 pad axis 1 0.5\n", "line 1:"},
        {"1 pad axis x 0\n", "line 1:"},
        {"1 pad axis 1 99999999999999\n", "line 1:"},
        {"1 pad stick 1 0\n", "line 1:"},
        {"1 pad\n", "line 1:"},
    };
    for (const auto& c : cases) {
        const std::string error = parseError(c.text);
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << c.text << " -> " << error;
    }
    EXPECT_EQ(parseError(std::string(2000, 'x') + "\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(parseError(std::string("1 back\n1 back\0 x\n", 17)).rfind("line 2:", 0), 0u);
}

// The numbers pass as written: the host, not the engine, knows what they mean.
TEST(InputScriptParse, PadLinesKeepTheirNumbers) {
    InputScript script;
    std::string error;
    ASSERT_TRUE(
        script.parse("1 pad button down 0\n2 pad button up 15\n3 pad axis 1 -32767\n3 pad axis 0 32767\n"
                     "4 pad axis 255 -32768\n",
                     &error))
        << error;
    using E = InputScriptEvent;
    const struct {
        E::Kind kind;
        int pad, value;
    } rows[] = {{E::PadButtonDown, 0, 0},
                {E::PadButtonUp, 15, 0},
                {E::PadAxis, 1, -32767},
                {E::PadAxis, 0, 32767},
                {E::PadAxis, 255, -32768}};
    ASSERT_EQ(script.events().size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(script.events()[i].kind, rows[i].kind);
        EXPECT_EQ(script.events()[i].pad, rows[i].pad);
        EXPECT_EQ(script.events()[i].padValue, rows[i].value);
    }
}

TEST(InputScriptParse, FramesComeOutInFileOrderAndSkippedFramesAreDropped) {
    InputScript script;
    ASSERT_TRUE(script.parse("2 touch down 1 1\n2 back\n2 touch up 1 1\n4 quit\n6 back\n", nullptr));
    EXPECT_TRUE(script.takeFrame(1).empty());
    auto two = script.takeFrame(2);
    ASSERT_EQ(two.size(), 3u);
    EXPECT_EQ(two[0].kind, InputScriptEvent::TouchDown);
    EXPECT_EQ(two[1].kind, InputScriptEvent::Back);
    EXPECT_EQ(two[2].kind, InputScriptEvent::TouchUp);
    EXPECT_TRUE(script.takeFrame(2).empty());  // delivered once
    EXPECT_TRUE(script.takeFrame(5).empty());  // frame 4 was skipped
    EXPECT_FALSE(script.finished());
    EXPECT_EQ(script.takeFrame(6).size(), 1u);
    EXPECT_TRUE(script.finished());
}

class Collector : public InputScriptTarget {
public:
    void scriptBack() override { log.push_back("back"); }
    void scriptAccel(double, double, double) override { log.push_back("accel"); }
    void scriptKey(const InputScriptEvent& e) override { log.push_back("key " + e.keyName); }
    void scriptPad(const InputScriptEvent& e) override {
        log.push_back("pad " + std::to_string(e.kind) + " " + std::to_string(e.pad) + " " + std::to_string(e.padValue));
    }
    void scriptIconify() override { log.push_back("iconify"); }
    void scriptRestore() override { log.push_back("restore"); }
    void scriptQuit() override { log.push_back("quit"); }
    std::vector<std::string> log;
};

// Loading a named file that exists is the view's run-loop tests'.
TEST(InputScriptPlayer, DeliversPerFrameAndAMissingFileIsAnError) {
    InputScriptPlayer player;
    ASSERT_TRUE(
        player.loadText("1 key down SPACE\n1 iconify\n2 pad axis 1 -200\n2 pad button down 3\n3 restore\n3 accel 1 2 "
                        "3\n3 back\n4 quit\n"));
    Collector collector;
    for (unsigned int frame = 1; frame <= 4; ++frame) player.deliverFrame(frame, &collector);
    const std::string axis = "pad " + std::to_string(InputScriptEvent::PadAxis) + " 1 -200";
    const std::string button = "pad " + std::to_string(InputScriptEvent::PadButtonDown) + " 3 0";
    EXPECT_EQ(collector.log,
              (std::vector<std::string>{"key SPACE", "iconify", axis, button, "restore", "accel", "back", "quit"}));

    setenv("ENGINE_INPUT_SCRIPT", "/nonexistent/qv_input_script.txt", 1);
    EXPECT_FALSE(player.loadFromEnvironment());
    EXPECT_FALSE(player.isLoaded());
    unsetenv("ENGINE_INPUT_SCRIPT");
    EXPECT_TRUE(player.loadFromEnvironment());
    EXPECT_FALSE(player.isLoaded());
    EXPECT_FALSE(player.loadText("1 touch down\n"));
}

}  // namespace
}  // namespace inputtest
