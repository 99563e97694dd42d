// Effects on the silent back-end: every end, pause and loop lands on an
// exact frame, so callback timing and bookkeeping are checked precisely.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "AudioTestSupport.h"
#include "platform/CCFileUtils.h"

namespace audiotest {
namespace {

using effects = NullAudioTest;

TEST_F(effects, HalfSecondSoundFinishesInFrame30ExactlyOnce) {
    Finishes fin;
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"));
    ASSERT_EQ(id, 0);
    AudioEngine::setFinishCallback(id, fin.callback());
    step(29);
    EXPECT_TRUE(fin.calls.empty());
    step(1);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0], std::make_pair(0, 30u));
    step(100);
    EXPECT_EQ(fin.calls.size(), 1u);
    // Forgotten once finished.
    EXPECT_EQ(AudioEngine::getVolume(id), 0.0f);
}

TEST_F(effects, StopAndStopAllNeverFireTheCallback) {
    Finishes fin;
    const int a = AudioEngine::play2d(fixture("beep_mono.mp3"));
    const int b = AudioEngine::play2d(fixture("beep_mono.mp3"));
    const int c = AudioEngine::play2d(fixture("beep_mono.mp3"), true);
    for (int id : {a, b, c}) AudioEngine::setFinishCallback(id, fin.callback());
    step(10);
    AudioEngine::stop(a);
    step(5);
    AudioEngine::stopAll();
    step(120);
    EXPECT_TRUE(fin.calls.empty());
}

TEST_F(effects, LoopTurnedOffEndsAfterTheCurrentPass) {
    Finishes fin;
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"), true);
    AudioEngine::setFinishCallback(id, fin.callback());
    EXPECT_TRUE(AudioEngine::isLoop(id));
    step(39);
    EXPECT_TRUE(fin.calls.empty()) << "a looping sound never ends by itself";
    AudioEngine::setLoop(id, false);  // in frame 40, inside the second pass
    EXPECT_FALSE(AudioEngine::isLoop(id));
    step(20);
    EXPECT_TRUE(fin.calls.empty());
    step(1);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0].second, 60u);
}

TEST_F(effects, PausedSoundNeitherAdvancesNorFinishes) {
    Finishes fin;
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"));
    AudioEngine::setFinishCallback(id, fin.callback());
    step(10);
    AudioEngine::pause(id);
    step(10);
    AudioEngine::resume(id);
    step(30);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0].second, 40u);

    // Paused across its end: it waits for resume however long that takes.
    const int held = AudioEngine::play2d(fixture("beep_mono.mp3"));
    AudioEngine::setFinishCallback(held, fin.callback());
    AudioEngine::pause(held);
    step(200);
    EXPECT_EQ(fin.count(held), 0);
    AudioEngine::resume(AudioEngine::INVALID_AUDIO_ID);
    AudioEngine::resume(held);
    step(30);
    EXPECT_EQ(fin.count(held), 1);
}

TEST_F(effects, ResumeAllLeavesASeparatelyPausedSoundPaused) {
    Finishes fin;
    const int own = AudioEngine::play2d(fixture("beep_mono.mp3"));
    const int other = AudioEngine::play2d(fixture("beep_mono.mp3"));
    AudioEngine::setFinishCallback(own, fin.callback());
    AudioEngine::setFinishCallback(other, fin.callback());
    step(5);
    AudioEngine::pause(own);  // e.g. the game's own pause
    AudioEngine::pauseAll();  // the application goes to the background
    step(50);
    EXPECT_TRUE(fin.calls.empty());
    AudioEngine::resumeAll();  // and comes back
    step(25);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0], std::make_pair(other, 80u));
    step(100);
    EXPECT_EQ(fin.count(own), 0) << "resumeAll resumed a sound it had not paused";
    AudioEngine::resume(own);
    step(25);
    EXPECT_EQ(fin.count(own), 1);

    // A sound paused by pauseAll and then paused on its own stays paused too.
    const int late = AudioEngine::play2d(fixture("beep_mono.mp3"));
    AudioEngine::setFinishCallback(late, fin.callback());
    AudioEngine::pauseAll();
    AudioEngine::pause(late);
    AudioEngine::resumeAll();
    step(100);
    EXPECT_EQ(fin.count(late), 0);
}

struct Owner {
    int id = -1;
    bool* destroyed;
    explicit Owner(bool* flag) : destroyed(flag) {}
    ~Owner() {
        // What a sound object does when it dies: drop its callback and stop.
        AudioEngine::setFinishCallback(id, {});
        AudioEngine::stop(id);
        *destroyed = true;
    }
};

TEST_F(effects, FinishCallbackMayPlayStopAndDeleteItsOwner) {
    Finishes fin;
    bool ownerGone = false;
    Owner* owner = new Owner(&ownerGone);
    const int looping = AudioEngine::play2d(fixture("beep_mono.mp3"), true);
    AudioEngine::setFinishCallback(looping, fin.callback());
    owner->id = AudioEngine::play2d(fixture("beep_mono.mp3"));
    const int sibling = AudioEngine::play2d(fixture("beep_mono.mp3"));  // ends in the same tick
    AudioEngine::setFinishCallback(sibling, fin.callback());
    int started = AudioEngine::INVALID_AUDIO_ID;
    AudioEngine::setFinishCallback(owner->id, [&](int id, const std::string& path) {
        EXPECT_EQ(id, owner->id);
        EXPECT_EQ(path, fixture("beep_mono.mp3"));
        EXPECT_EQ(AudioEngine::getVolume(id), 0.0f) << "the id is forgotten before the callback";
        started = AudioEngine::play2d(fixture("blip_mono.mp3"));
        AudioEngine::setFinishCallback(started, fin.callback());
        AudioEngine::stop(looping);
        AudioEngine::stop(sibling);  // already ended: its own callback still comes
        delete owner;
    });
    step(30);
    EXPECT_TRUE(ownerGone);
    EXPECT_GT(started, sibling) << "ids are never reused";
    EXPECT_EQ(fin.count(sibling), 1);
    EXPECT_EQ(fin.count(looping), 0);
    step(6);  // the new 0.1 s sound started during frame 30's tick
    EXPECT_EQ(fin.count(started), 1);
}

TEST_F(effects, IdsAreNeverReusedAndUnknownIdsAreHarmless) {
    const int a = AudioEngine::play2d(fixture("blip_mono.mp3"));
    const int b = AudioEngine::play2d(fixture("blip_mono.mp3"));
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    AudioEngine::stop(a);
    step(10);  // b ends
    EXPECT_EQ(AudioEngine::play2d(fixture("blip_mono.mp3")), 2);

    Finishes fin;
    for (int id : {AudioEngine::INVALID_AUDIO_ID, a, b, 12345, -7}) {
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
    AudioEngine::setVolume(id, std::numeric_limits<float>::quiet_NaN());
    AudioEngine::setVolume(id, std::numeric_limits<float>::infinity());
    EXPECT_EQ(AudioEngine::getVolume(id), 0.25f);
    AudioEngine::setVolume(id, -3.0f);
    EXPECT_EQ(AudioEngine::getVolume(id), 0.0f);
    const int quiet = AudioEngine::play2d(fixture("beep_mono.mp3"), false, std::nanf(""));
    EXPECT_EQ(AudioEngine::getVolume(quiet), 1.0f);
}

class effectsBadFiles : public NullAudioTest {
protected:
    void SetUp() override {
        NullAudioTest::SetUp();
        char pattern[] = "/tmp/qv-audio-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        write("empty.mp3", std::string());
        std::string text;
        while (text.size() < 4000) text += "not an mp3\n";
        write("text.mp3", text);
        std::ifstream in(fixture("beep_mono.mp3"), std::ios::binary);
        std::string mp3((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_GT(mp3.size(), 1000u);
        write("cut.mp3", mp3.substr(0, 100));  // inside the first frame
    }
    void TearDown() override {
        for (const char* f : {"empty.mp3", "text.mp3", "cut.mp3"}) std::remove((m_dir + "/" + f).c_str());
        std::remove(m_dir.c_str());
        NullAudioTest::TearDown();
    }
    void write(const char* name, const std::string& bytes) {
        std::ofstream(m_dir + "/" + name, std::ios::binary) << bytes;
    }
    std::string m_dir;
};

TEST_F(effectsBadFiles, EachGivesMinusOneWithOneLogLineAndNoCallback) {
    Finishes fin;
    for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "cut.mp3"}) {
        const std::string path = m_dir + "/" + name;
        testing::internal::CaptureStderr();
        const int id = AudioEngine::play2d(path);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(id, AudioEngine::INVALID_AUDIO_ID) << name;
        EXPECT_EQ(log.rfind("[Audio] cannot play \"" + path + "\": ", 0), 0u) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << name << ": " << log;
        AudioEngine::setFinishCallback(id, fin.callback());
    }
    step(120);
    EXPECT_TRUE(fin.calls.empty());
    // A good file still plays, and ids were not spent on the refusals.
    EXPECT_EQ(AudioEngine::play2d(fixture("blip_mono.mp3")), 0);
}

TEST_F(effects, TheOldestNonLoopingSoundGivesWayToThe129th) {
    Finishes fin;
    const int looping = AudioEngine::play2d(fixture("beep_mono.mp3"), true);
    std::vector<int> ids;
    for (int i = 1; i < 128; ++i) {
        ids.push_back(AudioEngine::play2d(fixture("beep_mono.mp3")));
        AudioEngine::setFinishCallback(ids.back(), fin.callback());
    }
    step(2);
    const int newcomer = AudioEngine::play2d(fixture("beep_mono.mp3"));
    ASSERT_NE(newcomer, AudioEngine::INVALID_AUDIO_ID);
    EXPECT_TRUE(fin.calls.empty()) << "never inside play2d";
    EXPECT_TRUE(AudioEngine::isLoop(looping)) << "a looping sound is never taken";
    step(1);
    ASSERT_EQ(fin.calls.size(), 1u);
    EXPECT_EQ(fin.calls[0], std::make_pair(ids.front(), 3u));
    EXPECT_EQ(AudioEngine::getVolume(ids.front()), 0.0f);
    step(60);
    EXPECT_EQ(fin.count(ids.front()), 1);
    EXPECT_EQ(fin.calls.size(), ids.size());
}

TEST_F(effects, With128LoopingSoundsPlayRefuses) {
    for (int i = 0; i < 128; ++i) ASSERT_GE(AudioEngine::play2d(fixture("blip_mono.mp3"), true), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AudioEngine::play2d(fixture("blip_mono.mp3")), AudioEngine::INVALID_AUDIO_ID);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot play"), std::string::npos);
    // Once one stops looping and ends, its voice is free again.
    AudioEngine::setLoop(0, false);
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

TEST_F(effects, StoppedAnimationHoldsTheSilentClock) {
    Finishes fin;
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"));
    AudioEngine::setFinishCallback(id, fin.callback());
    CCDirector* director = CCDirector::sharedDirector();
    step(20);
    director->stopAnimation();
    for (int i = 0; i < 100; ++i) director->mainLoop();
    EXPECT_TRUE(fin.calls.empty());
    director->startAnimation();
    step(10);
    EXPECT_EQ(fin.count(id), 1);
}

TEST_F(effects, EverythingAfterEndIsAHarmlessNoOp) {
    Finishes fin;
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"), true);
    AudioEngine::setFinishCallback(id, fin.callback());
    AudioEngine::end();
    EXPECT_EQ(AudioEngine::play2d(fixture("beep_mono.mp3")), AudioEngine::INVALID_AUDIO_ID);
    AudioEngine::stop(id);
    AudioEngine::setLoop(id, false);
    AudioEngine::pauseAll();
    AudioEngine::resumeAll();
    AudioEngine::stopAll();
    EXPECT_FALSE(AudioEngine::isLoop(id));
    EXPECT_EQ(AudioEngine::getVolume(id), 0.0f);
    AudioEngine::end();
    step(60);
    EXPECT_TRUE(fin.calls.empty());
}

}  // namespace
}  // namespace audiotest
