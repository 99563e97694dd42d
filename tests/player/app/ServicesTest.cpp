// Platform services: confirmations and purchases answer once and at once,
// exit and window mode go to the host, score values by name, and web
// addresses reach xdg-open as one argument while anything else never runs it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../../model/core/support/model_test_support.h"
#include "player/app/QVHost.h"
#include "player/app/QVServices.h"
#include "player/app/ScoreTable.h"
#include "player/screens/ScreenManager.h"
#include "recording_host.h"

using Lines = std::vector<std::string>;

namespace {

struct Asker : cocos2d::CCObject {
    void answered(bool yes) { seen.push_back(std::string("answered ") + (yes ? "yes" : "no")); }
    void bought(const std::string& product) {
        seen.push_back("bought " + product);
        PurchaseService::shared()->purchase("inside the callback");  // finds no callback
    }
    Lines seen;
};

TEST(Services, ConfirmationsAndPurchasesSucceedAtOnceAndOnlyOnce) {
    Asker asker;
    PurchaseService& store = *PurchaseService::shared();
    store.purchase("gold");  // no callback: nothing
    store.setCallback(&asker, static_cast<PurchaseService::Callback>(&Asker::bought));
    store.purchase("gold");
    EXPECT_EQ(asker.seen, Lines{"bought gold"});  // before purchase returned
    store.purchase("gold");
    QVServices::shared()->setCallback("Reset all progress?", &asker,
                                      static_cast<QVServices::Callback>(&Asker::answered));
    EXPECT_EQ(asker.seen, (Lines{"bought gold", "answered yes"}));
    QVServices::shared()->setCallback("Not enough coins", nullptr, nullptr);
    store.setCallback(&asker, nullptr);
    store.purchase("gems");
    EXPECT_EQ(asker.seen, (Lines{"bought gold", "answered yes"}));
    store.setCallback(nullptr, nullptr);
    EXPECT_EQ(asker.retainCount(), 1u);  // nothing kept hold of it
}

TEST(Services, ExitAndWindowModeArePostedToTheHostAndTheStubsLogTheirLines) {
    RecordingHost host;
    QVHost::install(&host);
    modeltest::LogCapture log;
    QVServices& services = *QVServices::shared();
    testing::internal::CaptureStdout();
    services.exitGame();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Doing exit...\n");
    EXPECT_EQ(host.calls, Lines{"postCloseRequest"});
    services.requestFullscreen(true);
    services.requestFullscreen(false);
    EXPECT_EQ(host.calls, (Lines{"postCloseRequest", "postWindowModeRequest 1", "postWindowModeRequest 0"}));
    QVHost::install(nullptr);

    services.screenOnEnter("Main Menu");
    services.screenOnExit("Main Menu");
    services.requestReview();
    services.showGameServices();
    PurchaseService::shared()->restore(nullptr);
    EXPECT_FALSE(services.isAvailable());
    EXPECT_FALSE(services.wantsImmediateHighlight());
    EXPECT_EQ(log.all(),
              (Lines{"Exit", "[QVServices] Screen On Enter: Main Menu", "[QVServices] Screen On Exit: Main Menu",
                     "[QVServices] review request", "[PurchaseService] restore purchases"}));
}

TEST(Services, ScoreValueReadsSessionSumsAndTheCurrentWorldsRecordWithoutCreatingOne) {
    auto fill = [](const std::string& key, float distance, int32_t points, int32_t coins) {
        ScoreRecord& record = scoreRecord(key);
        record.distance = {distance, distance * 5, distance * 20, {}};
        record.points = {points, points + 1, points * 4, {}};
        record.coins = {coins, coins + 2, coins * 20, {}};
    };
    fill("", 1000, 1000, 1000);  // the global record is in no sum
    fill("World 1", 1.5f, 10, 3);
    fill("World 2", 2.25f, 20, 4);
    ScreenManager::shared()->setSceneName("World 1");
    struct Row {
        const char* type;
        float value;
    };
    for (const Row& row :
         {Row{"Session Distance", 3.75f}, Row{"Session Coins", 7}, Row{"Session Points", 30},
          Row{"Best Distance", 7.5f}, Row{"Best Coins", 5}, Row{"Best Points", 11}, Row{"Total Distance", 30},
          Row{"Total Coins", 60}, Row{"Total Points", 40}, Row{"session coins", 0}, Row{"", 0}}) {
        SCOPED_TRACE(row.type);
        EXPECT_EQ(QVServices::scoreValue(row.type), row.value);
    }
    ScreenManager::shared()->setSceneName("World 3");
    EXPECT_EQ(QVServices::scoreValue("Best Coins"), 0);
    EXPECT_EQ(QVServices::scoreValue("Session Coins"), 7);
    EXPECT_EQ(findScoreRecord("World 3"), nullptr);
    ScreenManager::shared()->setSceneName("");
    clearScores();
}

// PATH leads to a fake xdg-open that appends "<argument count>|<first
// argument>" to a file.
class OpenUrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = getenv("PATH");
        m_oldPath = path ? path : "";
        m_record = m_dir.path + "/record";
        const std::string fake = m_dir.path + "/xdg-open";
        std::ofstream(fake) << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" << m_record << "'\n";
        ASSERT_EQ(chmod(fake.c_str(), 0755), 0);
        setenv("PATH", (m_dir.path + ":" + m_oldPath).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", m_oldPath.c_str(), 1); }

    // The recorded lines, sorted, once `count` have arrived (10 s at most).
    Lines recorded(size_t count) const {
        Lines lines;
        for (int i = 0; i < 1000 && lines.size() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            lines.clear();
            std::ifstream in(m_record);
            for (std::string line; std::getline(in, line);) lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    modeltest::TempDir m_dir;
    std::string m_oldPath, m_record;
};

TEST_F(OpenUrlTest, WebAddressesArriveAsOneArgumentAndAnythingElseNeverRunsTheHandler) {
    modeltest::LogCapture log;
    QVServices& services = *QVServices::shared();
    for (const std::string& refused : {std::string("file:///etc/passwd"), std::string("javascript:x"), std::string(),
                                       std::string("https://example.org/a\nb"), std::string("https://example.org/a b"),
                                       std::string("http:/example.org"), std::string("https://example.org/\x7f"),
                                       "https://example.org/" + std::string(2048, 'a')}) {
        SCOPED_TRACE(refused);
        const size_t before = log.all().size();
        services.openUrl(refused);
        ASSERT_EQ(log.all().size(), before + 1);
        EXPECT_EQ(log.all().back().rfind("[QVServices] open URL refused: ", 0), 0u) << log.all().back();
    }
    services.openUrl("https://example.org/a?b=1");
    services.openSocialPage("1234", "HTTP://example.org/x;y&z=$(id) `id`");  // refused: blanks
    services.openSocialPage("1234", "HTTP://example.org/x;y&z=$(id)|'\"");
    EXPECT_EQ(recorded(2), (Lines{"1|HTTP://example.org/x;y&z=$(id)|'\"", "1|https://example.org/a?b=1"}));
    EXPECT_TRUE(log.has("[QVServices] open URL: https://example.org/a?b=1"));
    EXPECT_TRUE(log.has("[QVServices] open social page 1234: HTTP://example.org/x;y&z=$(id)|'\""));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(recorded(2).size(), 2u);  // nothing refused ran later

    setenv("PATH", (m_dir.path + "/missing").c_str(), 1);
    services.openUrl("https://example.org/");
    EXPECT_EQ(log.all().back(), "[QVServices] could not start xdg-open: No such file or directory");
}

}  // namespace
