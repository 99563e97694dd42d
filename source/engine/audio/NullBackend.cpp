// The silent back-end: sounds last their decoded length on the director's
// clock, so CI sees the same ends, at the same frames, as a player would hear.
#include <cmath>

#include "audio/AudioInternal.h"

namespace cocos2d {
namespace audio {

namespace {

// Moves a position on by dt. True when a sound that does not loop has
// reached its end; a looping one wraps around.
bool advancePosition(double* position, double length, bool loop, double dt) {
    *position += dt;
    if (*position < length - kEndTolerance) return false;
    if (!loop) return true;
    *position = std::fmod(*position, length);
    if (*position >= length - kEndTolerance) *position = 0;
    return false;
}

class NullVoices : public VoiceBackend {
public:
    const char* name() const override { return "null"; }

    int createVoice() override {
        m_voices.emplace_back();
        return static_cast<int>(m_voices.size()) - 1;
    }

    bool play(int voice, const std::shared_ptr<const PcmData>& pcm, bool loop, float) override {
        Voice& v = m_voices[static_cast<size_t>(voice)];
        v = Voice{};
        v.length = pcm->seconds();
        v.loop = loop;
        v.active = true;
        return true;
    }
    void stop(int voice) override { m_voices[static_cast<size_t>(voice)] = Voice{}; }
    void pause(int voice) override { m_voices[static_cast<size_t>(voice)].paused = true; }
    void resume(int voice) override { m_voices[static_cast<size_t>(voice)].paused = false; }
    void setLoop(int voice, bool loop) override { m_voices[static_cast<size_t>(voice)].loop = loop; }
    void setVolume(int, float) override {}

    void advance(float dt) override {
        for (Voice& v : m_voices) {
            if (!v.active || v.paused || v.finished) continue;
            v.finished = advancePosition(&v.position, v.length, v.loop, dt);
        }
    }
    bool finished(int voice) override { return m_voices[static_cast<size_t>(voice)].finished; }
    void close() override { m_voices.clear(); }

private:
    struct Voice {
        double length = 0;
        double position = 0;
        bool active = false;
        bool paused = false;
        bool loop = false;
        bool finished = false;
    };
    std::vector<Voice> m_voices;
};

class NullMusic : public MusicBackend {
public:
    const char* name() const override { return "null"; }
    bool start(Mp3Stream& stream, bool loop, float, std::string*) override {
        m_length = stream.lengthSeconds();
        m_position = 0;
        m_loop = loop;
        m_playing = true;
        m_paused = false;
        return true;
    }
    bool update(Mp3Stream&, float dt) override {
        if (!m_playing) return false;
        if (m_paused) return true;
        if (advancePosition(&m_position, m_length, m_loop, dt)) m_playing = false;
        return m_playing;
    }
    void stop() override { m_playing = false; }
    void pause() override { m_paused = true; }
    void resume() override { m_paused = false; }
    void setVolume(float) override {}
    bool producingSound() override { return m_playing && !m_paused; }
    void close() override { m_playing = false; }

private:
    double m_length = 0;
    double m_position = 0;
    bool m_loop = false;
    bool m_playing = false;
    bool m_paused = false;
};

}  // namespace

std::unique_ptr<VoiceBackend> makeNullVoices() { return std::make_unique<NullVoices>(); }
std::unique_ptr<MusicBackend> makeNullMusic() { return std::make_unique<NullMusic>(); }

}  // namespace audio
}  // namespace cocos2d
