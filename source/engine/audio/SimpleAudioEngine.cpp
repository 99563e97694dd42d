#include "audio/SimpleAudioEngine.h"

#include <cmath>

#include "audio/AudioInternal.h"
#include "platform/CCCommon.h"

namespace CocosDenshion {

namespace {

namespace audio = cocos2d::audio;

struct Music {
    bool ended = false;
    std::unique_ptr<audio::MusicBackend> backend;
    std::unique_ptr<audio::Mp3Stream> stream;  // kept after a stop unless released
    std::string streamPath;                    // the resolved file of `stream`
    bool loop = false;
    bool playing = false;
    bool paused = false;
    float volume = 1.0f;
};

// Never destroyed: static objects destroyed at exit may still stop music.
Music& music() {
    static Music* m = new Music();
    return *m;
}

audio::MusicBackend* backend() {
    Music& m = music();
    if (!m.backend) {
        if (audio::chosenBackend() == audio::BackendKind::OpenAL) m.backend = audio::makeOpenALMusic();
        if (!m.backend) m.backend = audio::makeNullMusic();
    }
    return m.backend.get();
}

void refuse(const char* path, const std::string& reason) {
    cocos2d::CCLog("[Audio] cannot play \"%s\": %s", path, reason.c_str());
}

}  // namespace

SimpleAudioEngine* SimpleAudioEngine::sharedEngine() {
    static SimpleAudioEngine* engine = new SimpleAudioEngine();
    return engine;
}

void SimpleAudioEngine::end() {
    Music& m = music();
    if (m.ended) return;
    m.ended = true;
    if (m.backend) {
        m.backend->stop();
        m.backend->close();
        m.backend.reset();
    }
    m.stream.reset();
    m.streamPath.clear();
    m.playing = false;
    m.paused = false;
}

void SimpleAudioEngine::playBackgroundMusic(const char* filePath, bool loop) {
    Music& m = music();
    if (m.ended) return;
    const std::string path = filePath ? filePath : "";
    stopBackgroundMusic(false);
    backend();

    const std::string fullPath = audio::resolveSoundPath(path);
    std::string reason;
    // A stopped track of the same file replays from its kept decoder.
    bool ready = m.stream && !fullPath.empty() && fullPath == m.streamPath && m.stream->rewind();
    if (!ready) {
        m.stream.reset();
        m.streamPath.clear();
        std::vector<unsigned char> bytes;
        if (!audio::readSoundFile(fullPath, &bytes, &reason)) {
            refuse(path.c_str(), reason);
            return;
        }
        auto stream = std::make_unique<audio::Mp3Stream>();
        if (!stream->open(std::move(bytes), &reason)) {
            refuse(path.c_str(), reason);
            return;
        }
        m.stream = std::move(stream);
        m.streamPath = fullPath;
    }
    if (!m.backend->start(*m.stream, loop, m.volume, &reason)) {
        refuse(path.c_str(), reason);
        return;
    }
    m.loop = loop;
    m.playing = true;
    m.paused = false;
}

void SimpleAudioEngine::stopBackgroundMusic(bool releaseData) {
    Music& m = music();
    if (m.ended) return;
    if (m.backend) m.backend->stop();
    m.playing = false;
    m.paused = false;
    if (releaseData) {
        m.stream.reset();
        m.streamPath.clear();
    }
}

void SimpleAudioEngine::pauseBackgroundMusic() {
    Music& m = music();
    if (m.ended || !m.playing || m.paused) return;
    m.backend->pause();
    m.paused = true;
}

void SimpleAudioEngine::resumeBackgroundMusic() {
    Music& m = music();
    if (m.ended || !m.playing || !m.paused) return;
    m.backend->resume();
    m.paused = false;
}

bool SimpleAudioEngine::isBackgroundMusicPlaying() {
    Music& m = music();
    return !m.ended && m.playing && !m.paused;
}

float SimpleAudioEngine::getBackgroundMusicVolume() {
    Music& m = music();
    return m.ended ? 0.0f : m.volume;
}

void SimpleAudioEngine::setBackgroundMusicVolume(float volume) {
    Music& m = music();
    if (m.ended || !std::isfinite(volume)) return;
    m.volume = volume < 0.0f ? 0.0f : (volume > 1.0f ? 1.0f : volume);
    if (m.backend) m.backend->setVolume(m.volume);
}

}  // namespace CocosDenshion

namespace cocos2d {
namespace audio {

void musicTick(float dt) {
    CocosDenshion::Music& m = CocosDenshion::music();
    if (m.ended || !m.playing || m.paused || !m.backend || !m.stream) return;
    if (!m.backend->update(*m.stream, dt)) m.playing = false;
}

void musicResetForTest() {
    CocosDenshion::SimpleAudioEngine::end();
    CocosDenshion::Music& m = CocosDenshion::music();
    m = CocosDenshion::Music{};
}

const char* musicBackendName() {
    CocosDenshion::Music& m = CocosDenshion::music();
    return m.backend ? m.backend->name() : "";
}

bool musicProducingSound() {
    CocosDenshion::Music& m = CocosDenshion::music();
    return m.backend && m.backend->producingSound();
}

}  // namespace audio
}  // namespace cocos2d
