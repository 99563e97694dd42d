// Background music on both back-ends: one track at a time, play state as
// the sound controller reads it, looping, and recovery after a long frame.
#include <chrono>
#include <limits>
#include <thread>

#include "AudioTestSupport.h"

namespace audiotest {
namespace {

SimpleAudioEngine* bgm() { return SimpleAudioEngine::sharedEngine(); }

using music = NullAudioTest;

TEST_F(music, LoopingTrackPlaysOnUntilANewTrackReplacesIt) {
    bgm()->playBackgroundMusic(fixture("short_stereo.mp3"), true);
    step(60);
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying()) << "after three lengths";
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3").c_str(), false);
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying()) << "asked right after playing";
    step(59);
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying());
    step(1);
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying()) << "the looping track lived on";
    bgm()->resumeBackgroundMusic();
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying()) << "resume after the end";
}

TEST_F(music, PauseResumeAndStop) {
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), false);
    step(30);
    bgm()->pauseBackgroundMusic();
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying());
    step(100);
    bgm()->resumeBackgroundMusic();
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying());
    step(29);
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying()) << "paused time counted";
    step(1);
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying());

    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), true);
    bgm()->stopBackgroundMusic(false);
    bgm()->resumeBackgroundMusic();
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying()) << "resume after a stop";
    // The kept decoder serves a replay; a released one is opened again.
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), false);
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying());
    bgm()->stopBackgroundMusic(true);
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), false);
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying());
    step(60);
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying()) << "a replay starts from the beginning";
}

TEST_F(music, VolumeIsEngineWideClampedAndKeptAcrossTracks) {
    EXPECT_EQ(bgm()->getBackgroundMusicVolume(), 1.0f);
    bgm()->setBackgroundMusicVolume(0.3f);
    bgm()->playBackgroundMusic(fixture("short_stereo.mp3"), true);
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), true);
    EXPECT_EQ(bgm()->getBackgroundMusicVolume(), 0.3f);
    bgm()->setBackgroundMusicVolume(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(bgm()->getBackgroundMusicVolume(), 0.3f);
    bgm()->setBackgroundMusicVolume(4.0f);
    EXPECT_EQ(bgm()->getBackgroundMusicVolume(), 1.0f);
    bgm()->setBackgroundMusicVolume(-1.0f);
    EXPECT_EQ(bgm()->getBackgroundMusicVolume(), 0.0f);
}

TEST_F(music, BadFileLogsStopsThePreviousTrackAndPlaysNothing) {
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), true);
    for (const std::string& bad : {fixture("missing.mp3"), std::string(QV_AUDIO_FIXTURES), std::string()}) {
        testing::internal::CaptureStderr();
        bgm()->playBackgroundMusic(bad.c_str(), true);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("[Audio] cannot play \"" + bad + "\""), std::string::npos) << log;
        EXPECT_FALSE(bgm()->isBackgroundMusicPlaying());
    }
    bgm()->playBackgroundMusic(nullptr, true);
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying());
    step(10);
    EXPECT_FALSE(bgm()->isBackgroundMusicPlaying());
}

TEST_F(music, OpenALLoopingTrackPlaysOnAndOneThatDoesNotLoopEnds) {
    ASSERT_NO_FATAL_FAILURE(useOpenAL());
    bgm()->playBackgroundMusic(fixture("short_stereo.mp3"), true);
    EXPECT_TRUE(audio::musicSourcePlayingForTest());
    runFor(1.0);  // more than three 0.3 s passes
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying());
    EXPECT_TRUE(audio::musicSourcePlayingForTest());
    bgm()->playBackgroundMusic(fixture("short_stereo.mp3"), false);
    EXPECT_TRUE(runUntil([] { return !bgm()->isBackgroundMusicPlaying(); }));
    EXPECT_FALSE(audio::musicSourcePlayingForTest());
}

TEST_F(music, OpenALStreamPlaysAgainOneTickAfterALongFrame) {
    ASSERT_NO_FATAL_FAILURE(useOpenAL());
    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), true);
    step();
    // A long loading step: no tick for 2 s, and until the buffered second has
    // run dry (a loaded machine may mix late).
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (audio::musicSourcePlayingForTest() && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_FALSE(audio::musicSourcePlayingForTest()) << "the buffers never ran dry";
    step();
    EXPECT_TRUE(bgm()->isBackgroundMusicPlaying());
    EXPECT_TRUE(audio::musicSourcePlayingForTest());
    runFor(0.5);
    EXPECT_TRUE(audio::musicSourcePlayingForTest());
}

TEST_F(music, OpenALPauseHoldsTheSourceAndABadFileStopsIt) {
    ASSERT_NO_FATAL_FAILURE(useOpenAL());
    bgm()->playBackgroundMusic(fixture("short_stereo.mp3"), false);
    bgm()->pauseBackgroundMusic();
    runFor(0.6);
    EXPECT_FALSE(audio::musicSourcePlayingForTest());
    bgm()->resumeBackgroundMusic();
    EXPECT_TRUE(audio::musicSourcePlayingForTest());
    EXPECT_TRUE(runUntil([] { return !bgm()->isBackgroundMusicPlaying(); }));

    bgm()->playBackgroundMusic(fixture("tone_stereo.mp3"), true);
    bgm()->playBackgroundMusic(fixture("no-such.mp3"), true);
    EXPECT_FALSE(audio::musicSourcePlayingForTest()) << "the old track kept playing";
}

}  // namespace
}  // namespace audiotest
