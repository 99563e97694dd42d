#include <gtest/gtest.h>

#include "platform/QVLog.h"
#include "player/app/QVHost.h"

namespace {

// The host's calls and the log's lines, in the order they happen.
std::vector<std::string> g_events;
void capture(const char* text, std::size_t length) { g_events.emplace_back(text, length); }

struct Recording : QVHost {
    void setFullscreen(bool on, bool force) override {
        g_events.push_back("setFullscreen " + std::to_string(on) + std::to_string(force));
    }
    bool isFullscreenMode() const override { return g_events.push_back("isFullscreenMode"), true; }
    void postWindowModeRequest(bool on) override { g_events.push_back("postWindowModeRequest " + std::to_string(on)); }
    void postCloseRequest() override { g_events.push_back("postCloseRequest"); }
};

}  // namespace

TEST(Host, InertUntilInstalledLoggingEachCallOnceThenTheHostGetsTheCallsInOrder) {
    auto gameUsesHost = [] {  // a mode switch, a posted request, a close and a query
        QVHost& host = QVHost::current();
        host.setFullscreen(true, false), host.postWindowModeRequest(false), host.postCloseRequest();
        return host.isFullscreenMode();
    };
    setLogSink(capture);
    EXPECT_FALSE(gameUsesHost());
    EXPECT_FALSE(gameUsesHost());
    std::vector<std::string> expected;
    for (const char* call : {"setFullscreen", "postWindowModeRequest", "postCloseRequest", "isFullscreenMode"})
        expected.push_back(std::string("[QVHost] no host installed: ") + call + " ignored");
    EXPECT_EQ(g_events, expected);

    Recording recording;
    QVHost::install(&recording);
    g_events.clear();
    EXPECT_TRUE(gameUsesHost());
    EXPECT_EQ(g_events, (std::vector<std::string>{"setFullscreen 10", "postWindowModeRequest 0", "postCloseRequest",
                                                  "isFullscreenMode"}));  // and no log line
    QVHost::install(nullptr);
    setLogSink(nullptr);
}
