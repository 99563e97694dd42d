// The state dump hook: which values it accepts, that its lines read the
// running world (its records, its camera's objects, its characters, the one
// field hash), and that the hook writes only the frames asked for.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../screens/field_scene_support.h"
#include "director/CCDirector.h"
#include "physics/PhysicsGuard.h"
#include "player/app/ScoreTable.h"
#include "player/app/StateDump.h"
#include "player/objects/QVFieldUnits.h"
#include "player/screens/QVPFieldStateHash.h"

namespace fieldtest {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

TEST(StateDumpPlan, ValuesAcceptedAndRefused) {
    const struct {
        const char* value;
        bool ok;
        std::vector<unsigned int> frames;
    } rows[] = {
        {"", true, {}},          {"5:a.txt", true, {5}},           {"240:out/start.txt;9:/tmp/x:y.txt", true, {240, 9}},
        {"0:a.txt", false, {}},  {"x:a.txt", false, {}},           {"5:", false, {}},
        {":a.txt", false, {}},   {"5:a.txt;5:b.txt", false, {}},   {"5:a.txt;", false, {}},
        {"-1:a.txt", false, {}}, {"99999999999:a.txt", false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        std::vector<statedump::Request> requests;
        std::string error;
        EXPECT_EQ(statedump::parse(row.value, &requests, &error), row.ok);
        std::vector<unsigned int> frames;
        for (const auto& request : requests) frames.push_back(request.frame);
        EXPECT_EQ(frames, row.frames);
        EXPECT_EQ(error.empty(), row.ok) << error;
    }
}

// A value too long to read must still give a line a person can read: it
// speaks of dumps, and quotes only the value's start.
TEST(StateDumpPlan, RefusedValueLineNamesDumpsAndQuotesTheStart) {
    std::string value;
    for (int i = 1; i <= 257; ++i) value += (i > 1 ? ";" : "") + std::to_string(i) + ":/tmp/dump.txt";
    setenv("QVP_STATE_DUMP", value.c_str(), 1);
    LogCapture log;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(statedump::installFromEnvironment());
    const std::string err = testing::internal::GetCapturedStderr();
    unsetenv("QVP_STATE_DUMP");
    EXPECT_EQ(err, "qvplayer: QVP_STATE_DUMP=\"" + value.substr(0, 80) + "...\": more than 256 dumps\n");
}

TEST(StateDumpText, NoWorldIsFrameWorldNoneAndHash) {
    EXPECT_EQ(statedump::text(12, nullptr), "frame 12\nworld none\nhash 0000000000000000\n");
}

using StateDumpWorld = FieldTest;

TEST_F(StateDumpWorld, LinesReadTheRunningWorld) {
    auto hero = ff::characterAsset("Hero", 40.0f, 40.0f);
    auto w = ff::world("Dumped");
    auto start = ff::section(w, "start", 1136.0f, true);
    start->addChild(ff::characterPlacement(hero, CCPoint(200.0f, 60.0f)));
    crates(start, 3);
    // Two coins out of the Runner's way; one is then ended (state 4), which
    // the powerup count leaves out.
    start->addChild(ff::powerupCoin(CCPoint(900.0f, 500.0f)));
    start->addChild(ff::powerupCoin(CCPoint(1000.0f, 500.0f)));
    enter("Dumped");
    for (int i = 0; i < 30; ++i) scene->update(1.0f / 60.0f);
    std::vector<QVPObject*> coins;
    for (QVPObject* object : objects()) {
        if (object->typeFlags() == QVPObject::kTypePowerup) coins.push_back(object);
    }
    ASSERT_EQ(coins.size(), 2u);
    coins[1]->setState(4);
    // Distinct values in each record, so a swapped record or counter shows.
    scoreRecord("").coins.add(7);
    scoreRecord("").points.add(40);
    scoreRecord("Dumped").coins.add(3);
    scoreRecord("Dumped").distance.add(12.5f);
    scoreRecord("Other").coins.add(1000);

    std::vector<QVPObject*> units;
    for (QVPObject* object : objects()) {
        if (object->typeFlags() == QVPObject::kTypeUnit) units.push_back(object);
    }
    ASSERT_GE(units.size(), 3u);
    // A turned crate, so a lost sign or unit in the angle shows.
    physics::setTransform(units[0]->getBody(), units[0]->getBody()->GetPosition(), -30.0f * kDegreesToRadians);
    const std::vector<std::string> lines = linesOf(statedump::text(31, scene));
    ASSERT_EQ(lines.size(), 11u + units.size());
    EXPECT_EQ(lines[0], "frame 31");
    EXPECT_EQ(lines[1], "world gameover 0 paused 0 countdown 0.000 lives -1 key Dumped");

    auto* character =
        static_cast<QVPObjectAssetCharacter*>(scene->getInputController()->getCharacters()->objectAtIndex(0));
    // character 0 state S bits 0xXXXXXXXX ground G invincible 0 pos X Y vel VX VY
    std::istringstream in(lines[2]);
    std::vector<std::string> f;
    for (std::string word; in >> word;) f.push_back(word);
    ASSERT_EQ(f.size(), 16u) << lines[2];
    EXPECT_EQ(f[0] + f[1] + f[2] + f[4] + f[6] + f[8] + f[9] + f[10] + f[13],
              "character0statebitsgroundinvincible0posvel");
    EXPECT_EQ(f[3], std::to_string(character->getState()));
    char bits[16];
    std::snprintf(bits, sizeof bits, "0x%08x", static_cast<unsigned int>(character->controlBits()));
    EXPECT_EQ(f[5], bits);
    EXPECT_EQ(f[7], character->isOnGround() ? "1" : "0");
    for (int i : {11, 12, 14, 15}) {
        const std::string& number = f[static_cast<size_t>(i)];
        EXPECT_EQ(number.size() - number.find('.'), 4u) << number;  // three decimals
    }
    const CCPoint pos = character->positionInGameLayer();
    EXPECT_NEAR(std::stof(f[11]), pos.x, 0.001f);
    EXPECT_NEAR(std::stof(f[12]), pos.y, 0.001f);
    ASSERT_NE(character->getBody(), nullptr);
    // Points per second, 20 points to the metre.
    EXPECT_NEAR(std::stof(f[14]), character->getBody()->GetLinearVelocity().x * 20.0f, 0.01f);
    EXPECT_NEAR(std::stof(f[15]), character->getBody()->GetLinearVelocity().y * 20.0f, 0.01f);

    EXPECT_EQ(lines[3], "coins global 7 7 7");
    EXPECT_EQ(lines[4], "coins world 3 3 3");
    EXPECT_EQ(lines[5], "points global 40 40 40");
    EXPECT_EQ(lines[6], "points world 0 0 0");
    EXPECT_EQ(lines[7], "distance global 0.000 0.000 0.000");
    EXPECT_EQ(lines[8], "distance world 12.500 12.500 12.500");

    EXPECT_EQ(lines[9], "objects units " + std::to_string(units.size()) + " powerups 1 copies 0 bodies " +
                            std::to_string(bodyCount()));
    // unit ID state S pos X Y angle A vel VX VY picture PX PY, in the camera's order
    for (size_t i = 0; i < units.size(); ++i) {
        const b2Body* body = units[i]->getBody();
        ASSERT_NE(body, nullptr);
        std::istringstream unit(lines[10 + i]);
        std::vector<std::string> u;
        for (std::string word; unit >> word;) u.push_back(word);
        ASSERT_EQ(u.size(), 15u) << lines[10 + i];
        EXPECT_EQ(u[0] + u[1] + u[2] + u[4] + u[7] + u[9] + u[12],
                  "unit" + std::to_string(units[i]->getModel()->id()) + "stateposanglevelpicture");
        EXPECT_EQ(u[3], std::to_string(units[i]->getState()));
        const float want[] = {body->GetPosition().x * 20.0f,
                              body->GetPosition().y * 20.0f,
                              i == 0 ? 30.0f : 0.0f,
                              body->GetLinearVelocity().x * 20.0f,
                              body->GetLinearVelocity().y * 20.0f,
                              0.0f,
                              0.0f};
        const size_t at[] = {5, 6, 8, 10, 11, 13, 14};
        for (size_t k = 0; k < 7; ++k) EXPECT_NEAR(std::stof(u[at[k]]), want[k], 0.002f) << lines[10 + i];
    }
    char hash[40];
    std::snprintf(hash, sizeof hash, "hash %016" PRIx64, fieldStateHash(*scene));
    EXPECT_EQ(lines.back(), hash);
}

// Only the frames asked for are written, each once, through the director's
// own frames; a bad value installs nothing and says so on one line.
TEST(StateDumpHook, WritesItsFramesOnlyAndRefusesABadValue) {
    cocos2d::CCDirector::resetForTest();
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qv_statedump_" + std::to_string(static_cast<long>(::getpid())));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string value = "2:" + (dir / "two.txt").string() + ";4:" + (dir / "four.txt").string();
    ::setenv("QVP_STATE_DUMP", value.c_str(), 1);
    ASSERT_TRUE(statedump::installFromEnvironment());
    for (int i = 0; i < 6; ++i) cocos2d::CCDirector::sharedDirector()->stepFrame(1.0f / 60.0f);
    EXPECT_EQ(readFile((dir / "two.txt").string()), "frame 2\nworld none\nhash 0000000000000000\n");
    EXPECT_EQ(readFile((dir / "four.txt").string()), "frame 4\nworld none\nhash 0000000000000000\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);

    ::setenv("QVP_STATE_DUMP", ("8:" + (dir / "late.txt").string() + ";x").c_str(), 1);
    std::string err;
    {
        LogCapture log;  // the log's copy of the line stays off standard error
        testing::internal::CaptureStderr();
        EXPECT_FALSE(statedump::installFromEnvironment());
        err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(log.all().size(), 1u);
    }
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("QVP_STATE_DUMP"), std::string::npos) << err;
    for (int i = 0; i < 10; ++i) cocos2d::CCDirector::sharedDirector()->stepFrame(1.0f / 60.0f);
    EXPECT_FALSE(std::filesystem::exists(dir / "late.txt"));
    ::unsetenv("QVP_STATE_DUMP");
    statedump::uninstall();
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace fieldtest
