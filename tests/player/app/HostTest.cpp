#include <gtest/gtest.h>

#include "../../model/core/support/model_test_support.h"
#include "player/app/QVHost.h"
#include "recording_host.h"

using Lines = std::vector<std::string>;

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

    RecordingHost recording;
    QVHost::install(&recording);
    EXPECT_TRUE(gameUsesHost());
    EXPECT_EQ(recording.calls,
              (Lines{"setFullscreen 1", "postWindowModeRequest 0", "postCloseRequest", "isFullscreenMode"}));
    EXPECT_EQ(log.lines(), expected);  // nothing more logged
    QVHost::install(nullptr);
}
