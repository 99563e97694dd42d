// engine_demo --scene beep FILE
//   Plays FILE as an effect in the scene's first frame, prints "play <id>",
//   then "finished <id> at frame <n>" from the finish callback (the play
//   frame is frame 1), and quits. A refused file prints "play -1" and quits.
// engine_demo --scene music FILE --seconds S
//   Plays FILE as looped music in the first frame, stops it (releasing the
//   decoder) after S wall-clock seconds, waits 0.5 s more and ends.
#include "audio_scenes.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/AudioEngine.h"
#include "audio/SimpleAudioEngine.h"
#include "cocos2d.h"

using namespace cocos2d;

namespace {

// Without a frame limit the scenes still end: a silent machine never hangs CI.
constexpr unsigned int kSafetyFrames = 60 * 60;

double wallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

unsigned int currentFrame() { return CCDirector::sharedDirector()->getTotalFrames() + 1; }

void say(const char* format, int value, unsigned int frame = 0) {
    std::printf(format, value, frame);
    std::fflush(stdout);
}

class BeepLayer : public CCLayer {
public:
    explicit BeepLayer(std::string file) : m_file(std::move(file)) {}
    void onEnter() override {
        CCLayer::onEnter();
        const unsigned int playFrame = currentFrame();
        const int id = experimental::AudioEngine::play2d(m_file);
        say("play %d\n", id);
        if (id == experimental::AudioEngine::INVALID_AUDIO_ID) {
            CCDirector::sharedDirector()->end();
            return;
        }
        experimental::AudioEngine::setFinishCallback(id, [playFrame](int finished, const std::string&) {
            say("finished %d at frame %u\n", finished, currentFrame() - playFrame + 1);
            CCDirector::sharedDirector()->end();
        });
    }

private:
    std::string m_file;
};

class MusicLayer : public CCLayer {
public:
    MusicLayer(std::string file, double seconds) : m_file(std::move(file)), m_seconds(seconds) {}
    void onEnter() override {
        CCLayer::onEnter();
        scheduleUpdate();
        CocosDenshion::SimpleAudioEngine::sharedEngine()->playBackgroundMusic(m_file.c_str(), true);
        m_start = wallSeconds();
        say("music %d\n", CocosDenshion::SimpleAudioEngine::sharedEngine()->isBackgroundMusicPlaying() ? 1 : 0);
    }
    void update(float) override {
        const double elapsed = wallSeconds() - m_start;
        if (!m_stopped && elapsed >= m_seconds) {
            CocosDenshion::SimpleAudioEngine::sharedEngine()->stopBackgroundMusic(true);
            m_stopped = true;
            say("stopped at frame %d\n", static_cast<int>(currentFrame()));
        }
        if (m_stopped && elapsed >= m_seconds + 0.5) CCDirector::sharedDirector()->end();
    }

private:
    std::string m_file;
    double m_seconds;
    double m_start = 0;
    bool m_stopped = false;
};

class AudioDemoApp : public CCApplication {
public:
    explicit AudioDemoApp(CCLayer* layer) : m_layer(layer) {}
    bool applicationDidFinishLaunching() override {
        CCDirector* director = CCDirector::sharedDirector();
        director->setOpenGLView(CCEGLView::sharedOpenGLView());
        director->setAnimationInterval(1.0 / 60.0);
        if (director->getFrameLimit() == 0) director->setFrameLimit(kSafetyFrames);
        CCScene* scene = new CCScene();
        scene->init();
        scene->autorelease();
        m_layer->init();
        m_layer->autorelease();
        scene->addChild(m_layer);
        director->runWithScene(scene);
        return true;
    }

private:
    CCLayer* m_layer;
};

int usage() {
    std::fprintf(stderr, "usage: engine_demo --scene beep FILE\n"
                         "       engine_demo --scene music FILE --seconds S\n");
    return 2;
}

}  // namespace

bool runAudioScene(int argc, char** argv, int* status) {
    if (argc < 3 || std::strcmp(argv[1], "--scene") != 0) return false;
    const bool beep = std::strcmp(argv[2], "beep") == 0;
    const bool music = std::strcmp(argv[2], "music") == 0;
    if (!beep && !music) return false;
    CCLayer* layer = nullptr;
    if (beep && argc == 4) {
        layer = new BeepLayer(argv[3]);
    } else if (music && argc == 6 && std::strcmp(argv[4], "--seconds") == 0) {
        char* end = nullptr;
        const double seconds = std::strtod(argv[5], &end);
        if (end != argv[5] && *end == '\0' && seconds >= 0 && seconds < 3600) layer = new MusicLayer(argv[3], seconds);
    }
    if (!layer) {
        *status = usage();
        return true;
    }
    AudioDemoApp app(layer);
    *status = app.run();
    return true;
}
