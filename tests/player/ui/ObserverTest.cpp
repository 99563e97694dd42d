// The event observer: the fourteen event types on an open menu screen, with
// the opens recorded in place of the real one; and a game over that opens
// its screen from the real game scene, replacing the HUD that owns the
// observer during that HUD's own update.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "../app/state_test_support.h"
#include "../screens/screens_test_support.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelUIObjects.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "player/ui/QVPObjectEventObserver.h"

namespace {

using namespace screentest;
using Opened = std::tuple<int, int, int>;  // pending flags, HUD mode, keep scores

class RecordingObserver : public QVPObjectEventObserver {
public:
    static RecordingObserver* make(std::shared_ptr<QVModelObjectEventObserver> model) {
        auto* made = new RecordingObserver();
        made->init();
        made->autorelease();
        made->setModel(std::move(model));
        return made;
    }
    std::vector<Opened> opened;

protected:
    void open(QVPScreenUi&, int pendingFlags, int hudMode, int keepScores) override {
        opened.emplace_back(pendingFlags, hudMode, keepScores);
    }
};

const std::string kTag = "[QVPObjectEventObserver] ";
const std::string kReview = "[QVServices] review request";

class Observer : public screentest::ScreenTest {
protected:
    Observer() { statetest::useWritable(dir.path); }
    ~Observer() override { statetest::useWritable(""); }
    modeltest::TempDir dir;
};

TEST_F(Observer, EventTable) {
    openScreenModel("Menu");
    ASSERT_NE(manager()->createCurrentScene(), nullptr);
    // Every score reading differs, and the records not meant hold more.
    ScoreRecord& world = scoreRecord("W");
    ScoreRecord& global = scoreRecord("");
    world.distance = {5, 6, 7, {}};
    world.points = {15, 16, 17, {}};
    world.coins = {100, 100, 100, {}};
    global.distance = {100, 100, 100, {}};
    global.points = {100, 100, 100, {}};
    global.coins = {25, 26, 27, {}};
    manager()->setSceneName("W");  // the menu stays the current UI
    auto parentWorld = registered<QVModelScreenScene>();
    auto first = registered<QVModelLevelSection>(), last = registered<QVModelLevelSection>();
    auto orphan = registered<QVModelLevelSection>();
    parentWorld->addChild(first);
    parentWorld->addChild(last);

    struct Row {
        std::string name;
        std::string type;
        float number = 0;  // "Limit Number" or "Plays Before Redirect"
        int played = 0;    // the menu's played count before
        uint32_t start = 0;
        int updates = 3;  // of 0.5 s
        int opens = 0;
        std::string line = "";  // once per open, the review's once
        std::string function = "";
        bool pause = true;
        Opened each{14, 0, 1};
    };
    const std::string lastScene = kTag + "Got \"Last Scene\" event in observer";
    std::vector<Row> rows = {
        {"game over without a game scene", "kGameOver"},
        {"first showing", "kSecondPlay", 1, 0},
        {"second showing", "kSecondPlay", 1, 1, 0, 3, 1, "", "kStartKeepScores", false, {10, 1, 1}},
        {"review every 0", "kRequestReview", 0, 0},
        {"review, count INT_MIN", "kRequestReview", -1, INT_MIN},
        {"last scene from 0", "kLastScene", 0, 0, 0},
        {"last scene, no such id", "kLastScene", 0, 0, 999999},
        {"last scene, not a section", "kLastScene", 0, 0, parentWorld->id()},
        {"last scene, no parent", "kLastScene", 0, 0, orphan->id()},
        {"last scene, not the last", "kLastScene", 0, 0, first->id()},
        {"the last", "kLastScene", 0, 0, last->id(), 3, 1, lastScene, "kStartCheckpointButton", true, {0, 0, 1}},
        {"time-out before 1.5 s", "kTimeout", 0, 0, 0, 2},
        {"time-out", "kTimeout", 0, 0, 0, 4, 2},
        {"unknown", "kNothing", 0},
    };
    for (int count = 0; count <= 8; ++count) {
        rows.push_back({"review every 3 at " + std::to_string(count), "kRequestReview", 3, count, 0, 3, 0,
                        count % 3 == 2 ? kReview : ""});
    }
    const std::pair<const char*, float> limits[] = {{"SessionDistance", 5}, {"SessionPoints", 15}, {"SessionCoins", 25},
                                                    {"TotalDistance", 7},   {"TotalPoints", 17},   {"TotalCoins", 27},
                                                    {"BestDistance", 6},    {"BestPoints", 16},    {"BestCoins", 26}};
    for (const auto& [what, value] : limits) {
        std::string words = what;
        words.insert(words.find_first_of("DPC"), " ");
        std::transform(words.begin(), words.end(), words.begin(), ::tolower);
        const std::string line = kTag + "an event observer got " + words + " limit";
        // Truncated, 0.9 above still reaches; 1 above does not.
        rows.push_back({std::string(what) + " reached", std::string("kScore") + what, value + 0.9f, 0, 0, 3, 3, line});
        rows.push_back({std::string(what) + " short", std::string("kScore") + what, value + 1.0f});
    }

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cocos2d::CCUserDefault::sharedUserDefault()->setIntegerForKey("ScreenPlayed-Menu", row.played);
        manager()->setStartSectionId(row.start);
        auto model = QVModelObjectEventObserver::create();
        setText(*model, "Event Type", row.type);
        setText(*model, "Function", row.function);
        setBool(*model, "Pause Current World", row.pause);
        attr(*model, "Limit Number")->setValue(row.number);
        attr(*model, "Plays Before Redirect")->setValue(row.number);
        attr<QVAttributeUInt>(*model, "Time")->setValue(1500u);
        RecordingObserver* observer = RecordingObserver::make(model);

        LogCapture log;
        for (int update = 0; update < row.updates; ++update) observer->update(0.5f);
        EXPECT_EQ(observer->opened, std::vector<Opened>(row.opens, row.each));
        std::vector<std::string> lines;
        for (const std::string& line : log.all()) {
            if (line.rfind(kTag, 0) == 0 || line == kReview) lines.push_back(line);
        }
        const size_t times = row.line.empty() ? 0 : row.line == kReview ? 1 : row.opens;
        EXPECT_EQ(lines, std::vector<std::string>(times, row.line));
        const bool counted = row.type == "kSecondPlay" || row.type == "kRequestReview";
        EXPECT_EQ(QVPSettingsController::shared()->screenPlayedCount("Menu"), row.played + (counted ? 1 : 0));
    }
}

// The world ends; in its next update the HUD's observer opens "GameOver"
// over the paused world, once.
TEST_F(Observer, GameOverOpensScreen) {
    registerObjectClasses();
    registerComponentClasses();
    auto worldNode = node<QVNodeScene, QVModelScreenScene>("W");
    auto hud = node<QVNodeUI>("HUD");
    auto over = node<QVNodeUI>("GameOver");
    worldNode->attribute("UI")->connect(hud->load());
    link(*hud, "GameOver", *over);
    auto section = registered<QVModelLevelSection>();
    setBool(*section, "Init Section", true);
    attr(*section, "Width")->setValue(1136);
    worldNode->screenScene()->addChild(section);
    auto watch = object<QVModelObjectEventObserver>(hud->screenModel());
    watch->setName("GameOver");
    setText(*watch, "Event Type", "kGameOver");

    LogCapture log;
    manager()->setScene("W");
    cocos2d::CCDirector::sharedDirector()->runWithScene(manager()->createCurrentScene());
    QVPScreenScene* scene = manager()->getGameScene();
    ASSERT_NE(scene, nullptr);
    step(1);
    scene->setGameOver(true);  // no health component: the first death ends the game
    step(1);
    ASSERT_EQ(manager()->currentUiName(), "GameOver");
    ASSERT_NE(scene->getHud(), nullptr);
    EXPECT_EQ(scene->getHud()->key(), "GameOver");
    EXPECT_TRUE(scene->isGameOver());
    step(30);
    EXPECT_TRUE(scene->isPaused());  // asked for in the open, taken in the scene's next update
    const auto count = [&](const std::string& line) { return std::count(log.all().begin(), log.all().end(), line); };
    EXPECT_EQ(count("[QVPObjectEventObserver] Got Game OVER in observer"), 1);
    EXPECT_EQ(count("[QVServices] Screen On Enter: GameOver node"), 1);

    // The open of a game over keeps no scores and pauses as asked.
    setBool(*watch, "Pause Current World", false);
    RecordingObserver* recording = RecordingObserver::make(watch);
    recording->update(0.0f);
    EXPECT_EQ(recording->opened, std::vector<Opened>{Opened(14, 1, 0)});
}

}  // namespace
