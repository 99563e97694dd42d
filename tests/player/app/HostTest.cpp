#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/QVLog.h"
#include "player/app/QVHost.h"

namespace {

std::vector<std::string> g_lines;
void capture(const char* text, std::size_t length) { g_lines.emplace_back(text, length); }

class Recording : public QVHost {
public:
    void setFullscreen(bool fullscreen, bool force) override {
        calls.push_back(std::string("setFullscreen ") + (fullscreen ? "1" : "0") + (force ? "1" : "0"));
    }
    bool isFullscreenMode() const override {
        calls.push_back("isFullscreenMode");
        return true;
    }
    void postWindowModeRequest(bool fullscreen) override {
        calls.push_back(std::string("postWindowModeRequest ") + (fullscreen ? "1" : "0"));
    }
    void postCloseRequest() override { calls.push_back("postCloseRequest"); }
    mutable std::vector<std::string> calls;
};

// What game code does: a mode switch, a query, a posted request and a close.
bool gameUsesHost() {
    QVHost& host = QVHost::current();
    host.setFullscreen(true, false);
    host.postWindowModeRequest(false);
    host.postCloseRequest();
    return host.isFullscreenMode();
}

class Host : public ::testing::Test {
protected:
    void SetUp() override {
        g_lines.clear();
        setLogSink(capture);
    }
    void TearDown() override {
        QVHost::install(nullptr);
        setLogSink(nullptr);
    }
};

}  // namespace

TEST_F(Host, WithNoneInstalledCallsDoNothingAndEachLogsOnce) {
    EXPECT_FALSE(gameUsesHost());
    EXPECT_FALSE(gameUsesHost());
    EXPECT_EQ(g_lines, (std::vector<std::string>{
                           "[QVHost] no host installed: setFullscreen ignored",
                           "[QVHost] no host installed: postWindowModeRequest ignored",
                           "[QVHost] no host installed: postCloseRequest ignored",
                           "[QVHost] no host installed: isFullscreenMode ignored",
                       }));
}

TEST_F(Host, InstalledHostReceivesTheCallsInOrder) {
    Recording recording;
    QVHost::install(&recording);
    EXPECT_TRUE(gameUsesHost());
    EXPECT_EQ(recording.calls, (std::vector<std::string>{"setFullscreen 10", "postWindowModeRequest 0",
                                                         "postCloseRequest", "isFullscreenMode"}));
    EXPECT_TRUE(g_lines.empty());
}
