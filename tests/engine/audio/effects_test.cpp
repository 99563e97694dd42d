// Effects on the silent back-end: every end, pause and loop lands on an
// exact frame, so callback timing and bookkeeping are checked precisely.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "AudioTestSupport.h"
#include "platform/CCFileUtils.h"

namespace audiotest {
namespace {

using effects = NullAudioTest;
constexpr int kNone = AudioEngine::INVALID_AUDIO_ID;

TEST_F(effects, StopAndStopAllNeverFireTheCallback) {
    const int a = fin.play("beep_mono.mp3");
    const int b = fin.play("beep_mono.mp3");
    const int looping = fin.play("beep_mono.mp3", true);
    step(10);
    // Each is still playing (an unknown or ended id reads volume 0).
    for (int id : {a, b, looping}) {
        ASSERT_NE(id, kNone);
        ASSERT_EQ(AudioEngine::getVolume(id), 1.0f) << id;
    }
    AudioEngine::stop(a);
    EXPECT_EQ(AudioEngine::getVolume(a), 0.0f);
    step(5);
    EXPECT_EQ(AudioEngine::getVolume(b), 1.0f);
    AudioEngine::stopAll();
    EXPECT_EQ(AudioEngine::getVolume(looping), 0.0f);
    step(120);
    EXPECT_TRUE(fin.calls.empty());
}

TEST_F(effects, LoopTurnedOffEndsAfterTheCurrentPass) {
    const int id = fin.play("beep_mono.mp3", true);
    step(39);
    AudioEngine::setLoop(id, false);  // in frame 40, inside the second pass
    EXPECT_FALSE(AudioEngine::isLoop(id));
    step(20);
    EXPECT_TRUE(fin.calls.empty());
    step(1);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0].second, 60u);
}

TEST_F(effects, PausedSoundNeitherAdvancesNorFinishes) {
    const int id = fin.play("beep_mono.mp3");
    step(10);
    AudioEngine::pause(id);
    step(10);
    AudioEngine::resume(id);
    step(30);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0].second, 40u);

    // Neither does a stopped animation: the silent clock gets dt 0.
    const int held = fin.play("beep_mono.mp3");
    CCDirector::sharedDirector()->stopAnimation();
    for (int i = 0; i < 100; ++i) CCDirector::sharedDirector()->mainLoop();
    CCDirector::sharedDirector()->startAnimation();
    step(29);
    EXPECT_EQ(fin.count(held), 0);
    step(1);
    EXPECT_EQ(fin.count(held), 1);
}

TEST_F(effects, ResumeAllLeavesASeparatelyPausedSoundPaused) {
    const int own = fin.play("beep_mono.mp3");
    const int other = fin.play("beep_mono.mp3");
    step(5);
    AudioEngine::pause(own);  // the game's own pause
    AudioEngine::pauseAll();  // the application goes to the background
    step(50);
    AudioEngine::resumeAll();  // and comes back
    step(125);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0], std::make_pair(other, 80u));
    AudioEngine::resume(own);
    step(25);
    EXPECT_EQ(fin.count(own), 1);

    // Paused by pauseAll and then on its own: stays paused too.
    const int late = fin.play("beep_mono.mp3");
    AudioEngine::pauseAll();
    AudioEngine::pause(late);
    AudioEngine::resumeAll();
    step(100);
    EXPECT_EQ(fin.count(late), 0);
}

TEST_F(effects, FinishCallbackMayPlayStopAndDeleteItsOwner) {
    struct Owner {
        int id = kNone;
        ~Owner() {  // what a dying sound object does
            AudioEngine::setFinishCallback(id, {});
            AudioEngine::stop(id);
        }
    };
    Owner* owner = new Owner();
    const int looping = fin.play("beep_mono.mp3", true);
    owner->id = AudioEngine::play2d(fixture("beep_mono.mp3"));
    const int sibling = fin.play("beep_mono.mp3");  // ends in the same tick
    int started = kNone;
    AudioEngine::setFinishCallback(owner->id, [&](int id, const std::string& path) {
        EXPECT_EQ(path, fixture("beep_mono.mp3"));
        EXPECT_EQ(AudioEngine::getVolume(id), 0.0f) << "the id is forgotten before the callback";
        started = fin.play("blip_mono.mp3");
        AudioEngine::stop(looping);
        AudioEngine::stop(sibling);  // already ended: its own callback still comes
        delete owner;
    });
    step(30);
    EXPECT_GT(started, sibling) << "ids are never reused";
    EXPECT_EQ(fin.count(sibling), 1);
    EXPECT_EQ(fin.count(looping), 0);
    step(6);  // the 0.1 s sound started inside frame 30's tick
    EXPECT_EQ(fin.count(started), 1);
}

TEST_F(effects, IdsAreNeverReusedAndUnknownIdsAreHarmless) {
    const int a = AudioEngine::play2d(fixture("blip_mono.mp3"));
    const int b = AudioEngine::play2d(fixture("blip_mono.mp3"));
    AudioEngine::stop(a);
    step(10);  // b ends
    EXPECT_EQ(AudioEngine::play2d(fixture("blip_mono.mp3")), 2);

    for (int id : {kNone, a, b, 12345, -7}) {
        AudioEngine::stop(id);
        AudioEngine::pause(id);
        AudioEngine::resume(id);
        AudioEngine::setLoop(id, true);
        AudioEngine::setVolume(id, 0.5f);
        AudioEngine::setFinishCallback(id, fin.callback());
        EXPECT_FALSE(AudioEngine::isLoop(id));
        EXPECT_EQ(AudioEngine::getVolume(id), 0.0f);
    }
    step(60);
    EXPECT_TRUE(fin.calls.empty());
}

TEST_F(effects, VolumeIsClampedAndNonFiniteValuesIgnored) {
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"), false, 7.0f);
    EXPECT_EQ(AudioEngine::getVolume(id), 1.0f);
    AudioEngine::setVolume(id, 0.25f);
    AudioEngine::setVolume(id, std::nanf(""));
    AudioEngine::setVolume(id, HUGE_VALF);
    EXPECT_EQ(AudioEngine::getVolume(id), 0.25f);
    AudioEngine::setVolume(id, -3.0f);
    EXPECT_EQ(AudioEngine::getVolume(id), 0.0f);
}

TEST_F(effects, BadFilesGiveMinusOneWithOneLogLineAndNoCallback) {
    const std::string dir = std::string(QV_BINARY_DIR) + "/tests/tmp/engine_audio_bad_files";
    std::filesystem::create_directories(dir);
    std::ifstream in(fixture("beep_mono.mp3"), std::ios::binary);
    const std::string mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string text;
    while (text.size() < 4000) text += "not an mp3\n";
    const std::pair<const char*, std::string> files[] = {
        {"empty.mp3", ""}, {"text.mp3", text}, {"cut.mp3", mp3.substr(0, 100)}};  // cut inside the first frame
    for (const auto& [name, bytes] : files) std::ofstream(dir + "/" + name, std::ios::binary) << bytes;

    for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "cut.mp3"}) {
        const std::string path = dir + "/" + name;
        testing::internal::CaptureStderr();
        const int id = AudioEngine::play2d(path);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(id, kNone) << name;
        EXPECT_EQ(log.rfind("[Audio] cannot play \"" + path + "\": ", 0), 0u) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        AudioEngine::setFinishCallback(id, fin.callback());
    }
    step(120);
    EXPECT_TRUE(fin.calls.empty());
    EXPECT_EQ(AudioEngine::play2d(fixture("blip_mono.mp3")), 0) << "refusals spend no id";
    std::filesystem::remove_all(dir);
}

TEST_F(effects, TheOldestNonLoopingSoundGivesWayToThe129th) {
    const int looping = fin.play("beep_mono.mp3", true);
    const int oldest = fin.play("beep_mono.mp3");
    for (int i = 2; i < 128; ++i) fin.play("beep_mono.mp3");
    step(2);
    ASSERT_NE(AudioEngine::play2d(fixture("beep_mono.mp3")), kNone);
    EXPECT_TRUE(fin.calls.empty()) << "never inside play2d";
    step(1);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0], std::make_pair(oldest, 3u));
    step(60);
    EXPECT_EQ(fin.count(oldest), 1);
    EXPECT_EQ(fin.count(looping), 0);
    EXPECT_EQ(fin.calls.size(), 127u);
}

TEST_F(effects, With128LoopingSoundsPlayRefuses) {
    for (int i = 0; i < 128; ++i) ASSERT_GE(AudioEngine::play2d(fixture("blip_mono.mp3"), true), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AudioEngine::play2d(fixture("blip_mono.mp3")), kNone);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot play"), std::string::npos);
    AudioEngine::setLoop(0, false);  // once it ends its voice is free again
    step(7);
    EXPECT_GE(AudioEngine::play2d(fixture("blip_mono.mp3")), 0);
}

TEST_F(effects, OneFileIsDecodedOnceWhateverItIsCalled) {
    cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(QV_AUDIO_FIXTURES);
    EXPECT_GE(AudioEngine::play2d(fixture("beep_mono.mp3")), 0);
    EXPECT_GE(AudioEngine::play2d("beep_mono.mp3"), 0);
    EXPECT_GE(AudioEngine::play2d("/beep_mono.mp3"), 0);  // game data names files from the root
    EXPECT_EQ(audio::effectDecodeCountForTest(), 1u);
    EXPECT_GE(AudioEngine::play2d("blip_mono.mp3"), 0);
    EXPECT_EQ(audio::effectDecodeCountForTest(), 2u);
    cocos2d::CCFileUtils::purgeFileUtils();
}

TEST_F(effects, EverythingAfterEndIsAHarmlessNoOp) {
    const int id = fin.play("beep_mono.mp3", true);
    AudioEngine::end();
    EXPECT_EQ(AudioEngine::play2d(fixture("beep_mono.mp3")), kNone);
    AudioEngine::setLoop(id, false);
    AudioEngine::pauseAll();
    AudioEngine::resumeAll();
    AudioEngine::stopAll();
    EXPECT_FALSE(AudioEngine::isLoop(id));
    AudioEngine::end();
    step(60);
    EXPECT_TRUE(fin.calls.empty());
}

}  // namespace
}  // namespace audiotest
