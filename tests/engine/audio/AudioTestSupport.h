// Shared set-up for the audio tests: fresh director and audio engines on a
// chosen back-end, fixture paths, frame stepping and callback recording.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/AudioSystem.h"
#include "audio/SimpleAudioEngine.h"
#include "director/CCDirector.h"

namespace audiotest {

using cocos2d::CCDirector;
using cocos2d::experimental::AudioEngine;
using CocosDenshion::SimpleAudioEngine;
namespace audio = cocos2d::audio;

inline std::string fixture(const char* name) { return std::string(QV_AUDIO_FIXTURES) + "/" + name; }

// The frame being run now (from 1), as the director counts it.
inline unsigned int currentFrame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

inline void step(int frames = 1) {
    for (int i = 0; i < frames; ++i) CCDirector::sharedDirector()->stepFrame(1.0f / 60.0f);
}

// Every finish callback as (id, frame it fired in).
struct Finishes {
    std::vector<std::pair<int, unsigned int>> calls;
    std::function<void(int, const std::string&)> callback() {
        return [this](int id, const std::string&) { calls.emplace_back(id, currentFrame()); };
    }
    int count(int id) const {
        int n = 0;
        for (const auto& c : calls) n += c.first == id;
        return n;
    }
    // Plays a fixture with this recorder as its finish callback.
    int play(const char* name, bool loop = false) {
        const int id = AudioEngine::play2d(fixture(name), loop);
        AudioEngine::setFinishCallback(id, callback());
        return id;
    }
};

class AudioTest : public ::testing::Test {
protected:
    explicit AudioTest(audio::BackendKind kind) : m_kind(kind) {}
    void SetUp() override {
        CCDirector::resetForTest();
        audio::resetForTest(m_kind);
    }
    void TearDown() override {
        audio::resetForTest(audio::BackendKind::Null);  // closes the device
        CCDirector::resetForTest();
    }

    // Real-time frames until `done` holds or `seconds` pass; true when it held.
    static bool runUntil(const std::function<bool()>& done, double seconds = 5.0) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            CCDirector::sharedDirector()->stepFrame(0.005f);
        }
        return true;
    }
    static void runFor(double seconds) { runUntil([] { return false; }, seconds); }

    Finishes fin;

    // Starts again on OpenAL Soft (its null driver under ctest). A fallback
    // to the silent back-end would test the wrong thing, so it fails.
    void useOpenAL() {
        audio::resetForTest(audio::BackendKind::OpenAL);
        AudioEngine::stop(AudioEngine::play2d(fixture("blip_mono.mp3")));
        ASSERT_STREQ(audio::effectsBackendNameForTest(), "openal") << "no OpenAL device (ALSOFT_DRIVERS=null?)";
    }

private:
    audio::BackendKind m_kind;
};

class NullAudioTest : public AudioTest {
protected:
    NullAudioTest() : AudioTest(audio::BackendKind::Null) {}
};

class OpenALAudioTest : public AudioTest {
protected:
    OpenALAudioTest() : AudioTest(audio::BackendKind::OpenAL) {}
    void SetUp() override {
        AudioTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(useOpenAL());
    }
};

}  // namespace audiotest
