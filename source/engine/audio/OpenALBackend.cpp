// Playback through OpenAL Soft. The library mixes on its own thread; we only
// issue commands and poll source state from the main thread.
#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <map>

#include "audio/AudioInternal.h"
#include "platform/CCCommon.h"

namespace cocos2d {
namespace audio {

namespace {

// One device and context shared by both engines; it closes when the last
// engine lets go, which is also when OpenAL Soft's file writer completes its
// file header.
struct SharedDevice {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    int users = 0;
    bool failed = false;
};

SharedDevice& sharedDevice() {
    static SharedDevice* d = new SharedDevice();
    return *d;
}

bool acquireDevice() {
    SharedDevice& d = sharedDevice();
    if (d.users > 0) {
        ++d.users;
        return true;
    }
    // A machine without sound says so once, not once per engine.
    if (d.failed) return false;
    std::string reason;
    d.device = alcOpenDevice(nullptr);
    if (!d.device) {
        reason = "no default device opens";
    } else {
        d.context = alcCreateContext(d.device, nullptr);
        if (!d.context || alcMakeContextCurrent(d.context) != ALC_TRUE) {
            reason = d.context ? "the context cannot be made current" : "no context opens";
            if (d.context) alcDestroyContext(d.context);
            alcCloseDevice(d.device);
            d.context = nullptr;
            d.device = nullptr;
        }
    }
    if (!d.device) {
        d.failed = true;
        CCLog("[Audio] no sound device (%s); sound is off", reason.c_str());
        return false;
    }
    d.users = 1;
    return true;
}

void releaseDevice() {
    SharedDevice& d = sharedDevice();
    if (d.users == 0 || --d.users > 0) return;
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(d.context);
    alcCloseDevice(d.device);
    d.context = nullptr;
    d.device = nullptr;
}

ALenum formatOf(int channels) { return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

// Every source is at the listener with no distance attenuation, so mono and
// stereo files play at their recorded level.
void makeFlat(ALuint source) {
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
}

class OpenALVoices : public VoiceBackend {
public:
    ~OpenALVoices() override { close(); }
    const char* name() const override { return "openal"; }

    int createVoice() override {
        alGetError();
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) return -1;
        makeFlat(source);
        m_sources.push_back(source);
        return static_cast<int>(m_sources.size()) - 1;
    }

    bool play(int voice, const std::shared_ptr<const PcmData>& pcm, bool loop, float volume) override {
        const ALuint buffer = bufferFor(pcm);
        if (!buffer) return false;
        const ALuint source = m_sources[static_cast<size_t>(voice)];
        alGetError();
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
        alSourcef(source, AL_GAIN, volume);
        alSourcePlay(source);
        return alGetError() == AL_NO_ERROR;
    }
    void stop(int voice) override {
        const ALuint source = m_sources[static_cast<size_t>(voice)];
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
    }
    void pause(int voice) override { alSourcePause(m_sources[static_cast<size_t>(voice)]); }
    void resume(int voice) override { alSourcePlay(m_sources[static_cast<size_t>(voice)]); }
    void setLoop(int voice, bool loop) override {
        alSourcei(m_sources[static_cast<size_t>(voice)], AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    }
    void setVolume(int voice, float volume) override {
        alSourcef(m_sources[static_cast<size_t>(voice)], AL_GAIN, volume);
    }
    void advance(float) override {}
    bool finished(int voice) override {
        ALint state = AL_STOPPED;
        alGetSourcei(m_sources[static_cast<size_t>(voice)], AL_SOURCE_STATE, &state);
        return state == AL_STOPPED;
    }

    void close() override {
        if (!m_open) return;
        m_open = false;
        // Buffers attached to a source cannot be deleted.
        for (ALuint source : m_sources) {
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
        }
        if (!m_sources.empty()) alDeleteSources(static_cast<ALsizei>(m_sources.size()), m_sources.data());
        m_sources.clear();
        for (auto& entry : m_buffers) alDeleteBuffers(1, &entry.second.buffer);
        m_buffers.clear();
        releaseDevice();
    }

private:
    ALuint bufferFor(const std::shared_ptr<const PcmData>& pcm) {
        auto it = m_buffers.find(pcm.get());
        if (it != m_buffers.end()) return it->second.buffer;
        alGetError();
        ALuint buffer = 0;
        alGenBuffers(1, &buffer);
        if (alGetError() != AL_NO_ERROR) return 0;
        alBufferData(buffer, formatOf(pcm->channels), pcm->samples.data(),
                     static_cast<ALsizei>(pcm->samples.size() * sizeof(int16_t)), pcm->rate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &buffer);
            return 0;
        }
        m_buffers[pcm.get()] = Buffer{pcm, buffer};
        return buffer;
    }

    struct Buffer {
        std::shared_ptr<const PcmData> pcm;  // keeps the key's address from being reused
        ALuint buffer;
    };
    std::vector<ALuint> m_sources;
    std::map<const PcmData*, Buffer> m_buffers;
    bool m_open = true;
};

// Music streams through one source and four buffers of 250 ms, so a frame
// may take up to a second before the source runs dry.
class OpenALMusic : public MusicBackend {
public:
    static constexpr int kBuffers = 4;

    ~OpenALMusic() override { close(); }
    const char* name() const override { return "openal"; }

    bool start(Mp3Stream& stream, bool loop, float volume, std::string* reason) override {
        if (!ensureObjects(reason)) return false;
        stop();
        m_loop = loop;
        m_ended = false;
        alSourcef(m_source, AL_GAIN, volume);
        int queued = 0;
        for (ALuint buffer : m_buffers)
            if (fill(stream, buffer)) ++queued;
        if (queued == 0) {
            *reason = "no samples decoded";
            return false;
        }
        alSourcePlay(m_source);
        m_playing = true;
        m_paused = false;
        return true;
    }

    bool update(Mp3Stream& stream, float) override {
        if (!m_playing) return false;
        if (m_paused) return true;
        ALint processed = 0;
        alGetSourcei(m_source, AL_BUFFERS_PROCESSED, &processed);
        for (ALint i = 0; i < processed; ++i) {
            ALuint buffer = 0;
            alSourceUnqueueBuffers(m_source, 1, &buffer);
            if (!m_ended) fill(stream, buffer);
        }
        ALint state = AL_STOPPED;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) {
            ALint queued = 0;
            alGetSourcei(m_source, AL_BUFFERS_QUEUED, &queued);
            // An underrun (a long frame) stops the source: play what is refilled.
            if (queued > 0) {
                alSourcePlay(m_source);
            } else {
                m_playing = false;
            }
        }
        return m_playing;
    }

    void stop() override {
        if (!m_source) return;
        alSourceStop(m_source);
        // Setting no buffer on a stopped source empties its queue.
        alSourcei(m_source, AL_BUFFER, 0);
        m_playing = false;
        m_paused = false;
    }
    void pause() override {
        if (!m_playing) return;
        alSourcePause(m_source);
        m_paused = true;
    }
    void resume() override {
        if (!m_playing || !m_paused) return;
        alSourcePlay(m_source);
        m_paused = false;
    }
    void setVolume(float volume) override {
        if (m_source) alSourcef(m_source, AL_GAIN, volume);
    }
    bool producingSound() override {
        if (!m_source) return false;
        ALint state = AL_STOPPED;
        alGetSourcei(m_source, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING;
    }

    void close() override {
        if (!m_open) return;
        m_open = false;
        if (m_source) {
            stop();
            alDeleteSources(1, &m_source);
            alDeleteBuffers(kBuffers, m_buffers);
            m_source = 0;
        }
        releaseDevice();
    }

private:
    bool ensureObjects(std::string* reason) {
        if (m_source) return true;
        alGetError();
        alGenSources(1, &m_source);
        if (alGetError() != AL_NO_ERROR) {
            m_source = 0;
            *reason = "no OpenAL source";
            return false;
        }
        alGenBuffers(kBuffers, m_buffers);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteSources(1, &m_source);
            m_source = 0;
            *reason = "no OpenAL buffers";
            return false;
        }
        makeFlat(m_source);
        return true;
    }

    // Decodes the next 250 ms into `buffer` and queues it. False at the end
    // of a track that does not loop.
    bool fill(Mp3Stream& stream, ALuint buffer) {
        const size_t frames = static_cast<size_t>(stream.rate()) / 4;
        m_scratch.resize(frames * static_cast<size_t>(stream.channels()));
        const size_t got = stream.read(m_scratch.data(), frames, m_loop);
        if (got == 0) {
            m_ended = true;
            return false;
        }
        alBufferData(buffer, formatOf(stream.channels()), m_scratch.data(),
                     static_cast<ALsizei>(got * static_cast<size_t>(stream.channels()) * sizeof(int16_t)),
                     stream.rate());
        alSourceQueueBuffers(m_source, 1, &buffer);
        return true;
    }

    ALuint m_source = 0;
    ALuint m_buffers[kBuffers] = {};
    std::vector<int16_t> m_scratch;
    bool m_loop = false;
    bool m_ended = false;
    bool m_playing = false;
    bool m_paused = false;
    bool m_open = true;
};

}  // namespace

std::unique_ptr<VoiceBackend> makeOpenALVoices() {
    if (!acquireDevice()) return nullptr;
    return std::make_unique<OpenALVoices>();
}

std::unique_ptr<MusicBackend> makeOpenALMusic() {
    if (!acquireDevice()) return nullptr;
    return std::make_unique<OpenALMusic>();
}

void openalResetForTest() { sharedDevice().failed = false; }

}  // namespace audio
}  // namespace cocos2d
