// Pieces shared by the effects and music engines: file reading, mp3
// decoding, and the back-end interfaces. Both back-ends share every piece of
// bookkeeping (ids, voices, cache, loop, pause, volume); only playback and
// time live behind these interfaces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioSystem.h"

struct mpg123_handle_struct;

namespace cocos2d {
namespace audio {

// Neither a file read nor an effect's decoded sound may exceed this.
constexpr size_t kMaxSoundBytes = 64u * 1024u * 1024u;
// Voices the effects engine creates at most.
constexpr int kMaxVoices = 128;
// A sound ends in the first tick where its position is this close to its length.
constexpr double kEndTolerance = 1e-6;

// Interleaved signed 16-bit samples at the file's own rate.
struct PcmData {
    std::vector<int16_t> samples;
    int rate = 0;
    int channels = 0;
    size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
    double seconds() const { return rate > 0 ? static_cast<double>(frames()) / rate : 0.0; }
};

// The file a sound path names, through CCFileUtils (the leading "/" rule
// included); "" for an empty path.
std::string resolveSoundPath(const std::string& path);
// Reads a resolved file. False with a reason for a missing, unreadable,
// empty or oversized file.
bool readSoundFile(const std::string& fullPath, std::vector<unsigned char>* bytes, std::string* reason);

// Decodes a whole mp3 (gapless). Null with a reason when it yields no
// samples or more than maxBytes of PCM.
std::shared_ptr<PcmData> decodeMp3(const std::vector<unsigned char>& bytes, size_t maxBytes, std::string* reason);

// mpg123 reads the file from memory through this.
struct MemoryReader {
    const unsigned char* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

// An mp3 decoded piece by piece from memory, for the music stream.
class Mp3Stream {
public:
    Mp3Stream();
    ~Mp3Stream();
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // Takes the file's bytes. False with a reason when no sample decodes.
    bool open(std::vector<unsigned char> bytes, std::string* reason);
    int rate() const { return m_rate; }
    int channels() const { return m_channels; }
    // The exact decoded length.
    double lengthSeconds() const;
    // Fills up to `frames` frames; with loop, the end of the file seeks back
    // to the start. 0 only at the end of a file that does not loop (or a
    // file that stops decoding).
    size_t read(int16_t* out, size_t frames, bool loop);
    bool rewind();

private:
    size_t readOnce(int16_t* out, size_t frames);
    void closeHandle();
    std::vector<unsigned char> m_bytes;
    MemoryReader m_reader;
    mpg123_handle_struct* m_handle = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    long long m_lengthFrames = 0;
    bool m_done = false;
};

// Effect voices: a voice plays one decoded sound at a time.
class VoiceBackend {
public:
    virtual ~VoiceBackend() = default;
    virtual const char* name() const = 0;
    // A new voice's index, or -1 when the back-end cannot make more.
    virtual int createVoice() = 0;
    virtual bool play(int voice, const std::shared_ptr<const PcmData>& pcm, bool loop, float volume) = 0;
    virtual void stop(int voice) = 0;
    virtual void pause(int voice) = 0;
    virtual void resume(int voice) = 0;
    virtual void setLoop(int voice, bool loop) = 0;
    virtual void setVolume(int voice, float volume) = 0;
    // Moves the clock on (the silent back-end; a device keeps its own time).
    virtual void advance(float dt) = 0;
    // True once a started, unpaused voice has played to its end.
    virtual bool finished(int voice) = 0;
    // Deletes voices and buffers and lets go of the device.
    virtual void close() = 0;
};

// The one music stream.
class MusicBackend {
public:
    virtual ~MusicBackend() = default;
    virtual const char* name() const = 0;
    // Starts from the stream's current position.
    virtual bool start(Mp3Stream& stream, bool loop, float volume, std::string* reason) = 0;
    // Refills or advances; false once a track that does not loop has ended.
    virtual bool update(Mp3Stream& stream, float dt) = 0;
    virtual void stop() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void setVolume(float volume) = 0;
    virtual bool producingSound() = 0;
    virtual void close() = 0;
};

std::unique_ptr<VoiceBackend> makeNullVoices();
std::unique_ptr<MusicBackend> makeNullMusic();
// Null when no sound device opens (logged once per run).
std::unique_ptr<VoiceBackend> makeOpenALVoices();
std::unique_ptr<MusicBackend> makeOpenALMusic();

// The engines' own tick and reset steps, driven by AudioSystem.
void effectsTick(float dt);
void musicTick(float dt);
void effectsResetForTest();
void musicResetForTest();
unsigned long effectsDecodeCount();
const char* effectsBackendName();
const char* musicBackendName();
bool musicProducingSound();
// Clears the remembered device failure, so tests can try again.
void openalResetForTest();

}  // namespace audio
}  // namespace cocos2d
