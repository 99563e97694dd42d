#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/CCCommon.h"
#include "platform/QVLog.h"

namespace {
std::vector<std::string> g_lines;
void capture(const char* text, std::size_t length) { g_lines.emplace_back(text, length); }

struct LogCapture : ::testing::Test {
    void SetUp() override {
        g_lines.clear();
        setLogSink(capture);
    }
    void TearDown() override { setLogSink(nullptr); }
};
}  // namespace

TEST_F(LogCapture, LongMessageIsCutTo254Bytes) {
    std::string text(300, 'a');
    logMessage("%s", text.c_str());
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], std::string(254, 'a'));
}

TEST_F(LogCapture, CutNeverSplitsAUtf8Character) {
    // The limit is 254 bytes; each row puts a multi-byte character across it
    // (or exactly up to it) and names what the line keeps.
    const std::string euro = "\xE2\x82\xAC", emoji = "\xF0\x9F\x98\x80", cent = "\xC2\xA2";
    struct Row {
        const char* name;
        std::string text, kept;
    };
    const Row rows[] = {
        {"3-byte cut after 1", std::string(253, 'b') + euro, std::string(253, 'b')},
        {"3-byte cut after 2", std::string(252, 'b') + euro, std::string(252, 'b')},
        {"3-byte ends at the limit", std::string(251, 'c') + euro + "tail", std::string(251, 'c') + euro},
        {"4-byte cut after 1", std::string(253, 'd') + emoji, std::string(253, 'd')},
        {"4-byte cut after 2", std::string(252, 'd') + emoji, std::string(252, 'd')},
        {"4-byte cut after 3", std::string(251, 'd') + emoji, std::string(251, 'd')},
        {"4-byte ends at the limit", std::string(250, 'e') + emoji + "x", std::string(250, 'e') + emoji},
        {"2-byte cut after 1", std::string(253, 'f') + cent, std::string(253, 'f')},
    };
    for (const Row& row : rows) {
        g_lines.clear();
        logMessage("%s", row.text.c_str());
        ASSERT_EQ(g_lines.size(), 1u) << row.name;
        EXPECT_EQ(g_lines[0], row.kept) << row.name;
    }
}

TEST_F(LogCapture, EngineLinesReachTheSameSink) {
    cocos2d::CCLog("[Engine] %d", 3);
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], "[Engine] 3");
}

TEST_F(LogCapture, FormatsArguments) {
    logMessage("[Tag] %d %s %.1f", 7, "x", 1.5);
    ASSERT_EQ(g_lines.size(), 1u);
    EXPECT_EQ(g_lines[0], "[Tag] 7 x 1.5");
}

namespace {

struct ChildRun {
    std::string out, err, file;
};

std::string slurp(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::string text;
    if (!f) return text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    return text;
}

// Runs the log writer with QVP_LOG set as given (nullptr: unset).
class LogDestination : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qv-log-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0); }
    ChildRun run(const char* qvpLog, const std::vector<std::string>& lines, const std::string& file = "") {
        std::string command = qvpLog ? "QVP_LOG='" + std::string(qvpLog) + "' " : "env -u QVP_LOG ";
        command += QV_LOG_CHILD;
        for (const std::string& line : lines) command += " '" + line + "'";
        command += " >'" + dir + "/out' 2>'" + dir + "/err'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return {slurp(dir + "/out"), slurp(dir + "/err"), file.empty() ? std::string() : slurp(file)};
    }
    std::string dir;
};

}  // namespace

TEST_F(LogDestination, UnsetOrEmptyWritesNothing) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        ChildRun r = run(value, {"hello"});
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(LogDestination, OneOrStderrWritesLinesToStandardError) {
    for (const char* value : {"1", "stderr"}) {
        ChildRun r = run(value, {"first", "second line"});
        EXPECT_EQ(r.err, "first\nsecond line\n") << value;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(LogDestination, PathAppendsCutLinesToTheFile) {
    const std::string path = dir + "/player.log";
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("earlier\n", f);
        std::fclose(f);
    }
    const std::string longLine(300, 'x');
    ChildRun r = run(path.c_str(), {"one", longLine}, path);
    EXPECT_EQ(r.file, "earlier\none\n" + std::string(254, 'x') + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
}

TEST_F(LogDestination, UnopenablePathFallsBackToStandardErrorWithOneNote) {
    ChildRun r = run((dir + "/missing/dir/player.log").c_str(), {"a", "b"});
    const std::string note = "[QVLog] cannot open QVP_LOG file; logging to standard error\n";
    EXPECT_EQ(r.err, note + "a\nb\n");
}
