#include <gtest/gtest.h>

#include "../../model/core/support/model_test_support.h"
#include "player/app/QVHost.h"

using Lines = std::vector<std::string>;

namespace {

struct Recording : QVHost {
    void setFullscreen(bool on, bool force) override { calls.push_back("setFullscreen " + std::to_string(on + 2 * force)); }
    bool isFullscreenMode() const override { return calls.push_back("isFullscreenMode"), true; }
    void postWindowModeRequest(bool on) override { calls.push_back("postWindowModeRequest " + std::to_string(on)); }
    void postCloseRequest() override { calls.push_back("postCloseRequest"); }
    mutable Lines calls;
};

}  // namespace

TEST(Host, InertUntilInstalledLoggingEachCallOnceThenTheHostGetsTheCallsInOrder) {
    auto gameUsesHost = [] {  // a mode switch, a posted request, a close and a query
        QVHost& host = QVHost::current();
        host.setFullscreen(true, false), host.postWindowModeRequest(false), host.postCloseRequest();
        return host.isFullscreenMode();
    };
    modeltest::LogCapture log;
    EXPECT_FALSE(gameUsesHost());
    EXPECT_FALSE(gameUsesHost());
    Lines expected;
    for (const char* call : {"setFullscreen", "postWindowModeRequest", "postCloseRequest", "isFullscreenMode"})
        expected.push_back(std::string("[QVHost] no host installed: ") + call + " ignored");
    EXPECT_EQ(log.lines(), expected);

    Recording recording;
    QVHost::install(&recording);
    EXPECT_TRUE(gameUsesHost());
    EXPECT_EQ(recording.calls, (Lines{"setFullscreen 1", "postWindowModeRequest 0", "postCloseRequest", "isFullscreenMode"}));
    EXPECT_EQ(log.lines(), expected);  // nothing more logged
    QVHost::install(nullptr);
}
