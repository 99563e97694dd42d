// Audio demos:
//   beep FILE              plays FILE as an effect in the first frame, prints
//                          "play <id>", then "finished <id> at frame <n>" from
//                          the finish callback (the play frame is frame 1) and
//                          quits; a refused file prints "play -1" and quits
//   music FILE --seconds S plays FILE as looped music, stops it (releasing the
//                          decoder) after S wall-clock seconds, ends 0.5 s later
#include <chrono>
#include <cstdlib>

#include "audio/AudioEngine.h"
#include "audio/SimpleAudioEngine.h"
#include "demo_registry.h"

using namespace cocos2d;
using CocosDenshion::SimpleAudioEngine;

namespace {

// Without a frame limit the scenes still end: a silent machine never hangs CI.
constexpr unsigned int kSafetyFrames = 60 * 60;

class BeepDemo : public DemoScene {
public:
    bool parseArgs(const std::vector<std::string>& args) override {
        if (args.size() == 1) m_file = args[0];
        return args.size() == 1;
    }
    unsigned int defaultFrames() const override { return kSafetyFrames; }
    CCScene* createScene() override {
        // In the first tick, when the scene's first frame runs.
        return demoScene({demoTickNode([this](unsigned int frame, float) {
            if (frame != 1) return;
            const int id = experimental::AudioEngine::play2d(m_file);
            demoSay("play " + std::to_string(id));
            if (id == experimental::AudioEngine::INVALID_AUDIO_ID) return CCDirector::sharedDirector()->end();
            experimental::AudioEngine::setFinishCallback(id, [](int finished, const std::string&) {
                demoSay("finished " + std::to_string(finished) + " at frame " + std::to_string(demoFrame()));
                CCDirector::sharedDirector()->end();
            });
        })});
    }

private:
    std::string m_file;
};
ENGINE_DEMO_SCENE("beep", BeepDemo);

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

class MusicDemo : public DemoScene {
public:
    bool parseArgs(const std::vector<std::string>& args) override {
        if (args.size() != 3 || args[1] != "--seconds") return false;
        char* end = nullptr;
        m_seconds = std::strtod(args[2].c_str(), &end);
        m_file = args[0];
        return end != args[2].c_str() && *end == '\0' && m_seconds >= 0 && m_seconds < 3600;
    }
    unsigned int defaultFrames() const override { return kSafetyFrames; }
    CCScene* createScene() override {
        return demoScene({demoTickNode([this](unsigned int frame, float) {
            SimpleAudioEngine* audio = SimpleAudioEngine::sharedEngine();
            if (frame == 1) {
                audio->playBackgroundMusic(m_file.c_str(), true);
                m_start = wallSeconds();
                demoSay(std::string("music ") + (audio->isBackgroundMusicPlaying() ? "1" : "0"));
            }
            const double elapsed = wallSeconds() - m_start;
            if (!m_stopped && elapsed >= m_seconds) {
                audio->stopBackgroundMusic(true);
                m_stopped = true;
                demoSay("stopped at frame " + std::to_string(frame));
            }
            if (m_stopped && elapsed >= m_seconds + 0.5) CCDirector::sharedDirector()->end();
        })});
    }

private:
    std::string m_file;
    double m_seconds = 0, m_start = 0;
    bool m_stopped = false;
};
ENGINE_DEMO_SCENE("music", MusicDemo);

}  // namespace
