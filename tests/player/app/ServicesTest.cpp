// Platform services: confirmations and purchases answer once and at once,
// exit and window mode go to the host, score values by name, and web
// addresses reach xdg-open as one argument while anything else never runs it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "../../model/core/support/model_test_support.h"
#include "player/app/QVServices.h"
#include "player/app/ScoreTable.h"
#include "player/screens/ScreenManager.h"
#include "recording_host.h"

using Lines = std::vector<std::string>;

namespace {

struct Asker : cocos2d::CCObject {
    void answered(bool yes) { seen.push_back(yes ? "yes" : "no"); }
    void bought(const std::string& product) { seen.push_back(product); }
    Lines seen;
};

TEST(Services, ConfirmationsAndPurchasesSucceedAtOnceAndOnlyOnce) {
    Asker asker;
    PurchaseService& store = *PurchaseService::shared();
    store.purchase("gold");  // no callback: nothing
    store.setCallback(&asker, static_cast<PurchaseService::Callback>(&Asker::bought));
    store.purchase("gems");
    EXPECT_EQ(asker.seen, Lines{"gems"});  // before purchase returned
    store.purchase("gems");
    QVServices::shared()->setCallback("Reset?", &asker, static_cast<QVServices::Callback>(&Asker::answered));
    QVServices::shared()->setCallback("Not enough coins", nullptr, nullptr);
    EXPECT_EQ(asker.seen, (Lines{"gems", "yes"}));
    EXPECT_EQ(asker.retainCount(), 1u);  // nothing kept hold of it
}

TEST(Services, ExitAndWindowModeAreOnlyPostedToTheHost) {
    RecordingHost host;
    QVHost::install(&host);
    modeltest::LogCapture log;
    testing::internal::CaptureStdout();
    QVServices::shared()->exitGame();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Doing exit...\n");
    QVServices::shared()->requestFullscreen(true);
    QVServices::shared()->requestFullscreen(false);
    EXPECT_EQ(host.calls, (Lines{"postCloseRequest", "postWindowModeRequest 1", "postWindowModeRequest 0"}));
    EXPECT_EQ(log.all(), Lines{"Exit"});
    QVHost::install(nullptr);
}

TEST(Services, ScoreValueReadsSessionSumsAndTheCurrentWorldsRecordWithoutCreatingOne) {
    auto fill = [](const std::string& key, float distance, int32_t points, int32_t coins) {
        ScoreRecord& record = scoreRecord(key);
        record.distance = {distance, distance * 5, distance * 20, {}};
        record.points = {points, points + 1, points * 4, {}};
        record.coins = {coins, coins + 2, coins * 20, {}};
    };
    fill("", 1000, 1000, 1000);  // in no sum
    fill("World 1", 1.5f, 10, 3);
    fill("World 2", 2.25f, 20, 4);
    ScreenManager::shared()->setSceneName("World 1");
    for (const auto& row : std::vector<std::pair<const char*, float>>{{"Session Distance", 3.75f},
                                                                      {"Session Coins", 7},
                                                                      {"Session Points", 30},
                                                                      {"Best Distance", 7.5f},
                                                                      {"Best Coins", 5},
                                                                      {"Best Points", 11},
                                                                      {"Total Distance", 30},
                                                                      {"Total Coins", 60},
                                                                      {"Total Points", 40},
                                                                      {"session coins", 0}}) {
        EXPECT_EQ(QVServices::scoreValue(row.first), row.second) << row.first;
    }
    ScreenManager::shared()->setSceneName("World 3");
    EXPECT_EQ(QVServices::scoreValue("Best Coins"), 0);
    EXPECT_EQ(findScoreRecord("World 3"), nullptr);
    ScreenManager::shared()->setSceneName("");
    clearScores();
}

TEST(Services, WebAddressesArriveAsOneArgumentAndAnythingElseNeverRunsTheHandler) {
    modeltest::TempDir dir;  // first on PATH: an xdg-open that records "<count>|<first argument>"
    const std::string record = dir.path + "/record", oldPath = getenv("PATH");
    std::ofstream(dir.path + "/xdg-open") << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" << record << "'\n";
    ASSERT_EQ(chmod((dir.path + "/xdg-open").c_str(), 0755), 0);
    setenv("PATH", (dir.path + ":" + oldPath).c_str(), 1);
    modeltest::LogCapture log;
    QVServices& services = *QVServices::shared();
    for (const std::string& refused :
         {std::string("file:///etc/passwd"), std::string("javascript:x"), std::string(),
          std::string("https://example.org/a\nb"), std::string("https://a.org/a b"), std::string("http:/a.org"),
          std::string("https://a.org/\x7f"), "https://a.org/" + std::string(2048, 'a')}) {
        services.openUrl(refused);
        EXPECT_EQ(log.all().back().rfind("[QVServices] open URL refused: ", 0), 0u) << refused;
    }
    EXPECT_EQ(log.all().size(), 8u);
    services.openUrl("https://example.org/a?b=1");
    services.openSocialPage("12", "HTTP://a.org/x;y&z=$(id)|'\"");
    Lines lines;  // sorted: the two children may finish in either order
    for (int i = 0; i < 1000 && lines.size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(record);
        lines.clear();
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"1|HTTP://a.org/x;y&z=$(id)|'\"", "1|https://example.org/a?b=1"}));
    EXPECT_TRUE(log.has("[QVServices] open social page 12: HTTP://a.org/x;y&z=$(id)|'\""));

    setenv("PATH", (dir.path + "/missing").c_str(), 1);
    services.openUrl("https://example.org/");
    EXPECT_EQ(log.all().back(), "[QVServices] could not start xdg-open: No such file or directory");
    setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
