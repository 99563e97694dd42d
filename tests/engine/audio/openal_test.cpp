// Effects through real OpenAL Soft on its null driver: outcomes, not times,
// each within a few seconds of wall-clock time.
#include "AudioTestSupport.h"

namespace audiotest {
namespace {

using openal = OpenALAudioTest;

TEST_F(openal, LoopingSoundSetToStopLoopingEnds) {
    const int id = fin.play("blip_mono.mp3", true);
    runFor(0.35);
    EXPECT_TRUE(fin.calls.empty()) << "a looping source stopped by itself";
    AudioEngine::setLoop(id, false);
    EXPECT_TRUE(runUntil([&] { return fin.count(id) == 1; }));
}

TEST_F(openal, PausedSourceNeverFinishes) {
    const int id = fin.play("blip_mono.mp3");
    AudioEngine::pause(id);
    runFor(0.5);
    EXPECT_TRUE(fin.calls.empty());
    AudioEngine::pauseAll();
    AudioEngine::resumeAll();
    runFor(0.3);
    EXPECT_TRUE(fin.calls.empty()) << "resumeAll resumed a sound it had not paused";
    AudioEngine::resume(id);
    EXPECT_TRUE(runUntil([&] { return fin.count(id) == 1; }));
}

TEST_F(openal, SoundThatEndedBetweenTicksIsReportedNotReplayedByPauseAndResume) {
    const int id = fin.play("blip_mono.mp3");
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // ends with no tick
    AudioEngine::pause(id);
    AudioEngine::pauseAll();
    AudioEngine::resumeAll();
    AudioEngine::resume(id);
    step();
    EXPECT_EQ(fin.count(id), 1);
    runFor(0.3);
    EXPECT_EQ(fin.count(id), 1);
}

TEST_F(openal, MonoAndStereoSoundsEndOnceWhileTheAnimationIsStopped) {
    const int mono = fin.play("blip_mono.mp3");
    const int stereo = fin.play("blip_stereo.mp3");
    CCDirector* director = CCDirector::sharedDirector();
    director->stopAnimation();
    const unsigned int frames = director->getTotalFrames();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    unsigned int loops = 0;
    while (fin.calls.size() < 2 && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        director->mainLoop();
        ++loops;
    }
    // Stopped iterations count as frames but never tick.
    EXPECT_EQ(director->getTotalFrames(), frames + loops);
    EXPECT_FALSE(director->isAnimating());
    director->startAnimation();
    runFor(0.3);
    EXPECT_EQ(fin.count(mono), 1);
    EXPECT_EQ(fin.count(stereo), 1);
}

TEST_F(openal, EachEngineEndsItsOwnShareOfTheDevice) {
    const int id = AudioEngine::play2d(fixture("beep_mono.mp3"), true);
    SimpleAudioEngine::sharedEngine()->playBackgroundMusic(fixture("short_stereo.mp3"), true);
    AudioEngine::end();
    runFor(0.1);
    EXPECT_TRUE(audio::musicSourcePlayingForTest()) << "the music lost the shared device";
    SimpleAudioEngine::end();
    EXPECT_FALSE(audio::musicSourcePlayingForTest());
    // Later calls, as from static destructors, do nothing.
    AudioEngine::stop(id);
    EXPECT_EQ(AudioEngine::play2d(fixture("beep_mono.mp3")), AudioEngine::INVALID_AUDIO_ID);
    SimpleAudioEngine::sharedEngine()->playBackgroundMusic(fixture("short_stereo.mp3"), true);
    SimpleAudioEngine::sharedEngine()->setBackgroundMusicVolume(0.5f);
    EXPECT_FALSE(SimpleAudioEngine::sharedEngine()->isBackgroundMusicPlaying());
    EXPECT_EQ(SimpleAudioEngine::sharedEngine()->getBackgroundMusicVolume(), 0.0f);
    runFor(0.05);
}

}  // namespace
}  // namespace audiotest
