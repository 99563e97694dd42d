#include "audio/AudioEngine.h"

#include <cmath>
#include <map>
#include <unordered_map>

#include "audio/AudioInternal.h"
#include "platform/CCCommon.h"

namespace cocos2d {
namespace experimental {

namespace {

using Callback = std::function<void(int, const std::string&)>;

struct Sound {
    int voice = -1;
    std::string path;
    bool loop = false;
    float volume = 1.0f;
    bool paused = false;
    bool pausedByAll = false;  // paused by pauseAll, so resumeAll may resume it
    Callback callback;
};

struct Finished {
    int id;
    std::string path;
    Callback callback;
};

struct Effects {
    bool ended = false;
    std::unique_ptr<audio::VoiceBackend> backend;
    std::map<int, Sound> sounds;  // ordered by id, so the oldest comes first
    std::vector<int> voiceOwner;  // per voice: the sound's id, or -1 when free
    std::unordered_map<std::string, std::shared_ptr<const audio::PcmData>> cache;
    std::vector<Finished> taken;  // sounds taken for new ones, reported at the next tick
    int nextId = 0;
    unsigned long decodes = 0;
};

// Never destroyed: static objects destroyed at exit may still call stop().
Effects& effects() {
    static Effects* e = new Effects();
    return *e;
}

Sound* find(int id) {
    if (id < 0) return nullptr;
    Effects& e = effects();
    auto it = e.sounds.find(id);
    return it == e.sounds.end() ? nullptr : &it->second;
}

audio::VoiceBackend* backend() {
    Effects& e = effects();
    if (!e.backend) {
        if (audio::chosenBackend() == audio::BackendKind::OpenAL) e.backend = audio::makeOpenALVoices();
        if (!e.backend) e.backend = audio::makeNullVoices();
    }
    return e.backend.get();
}

void logRefusal(const std::string& path, const std::string& reason) {
    CCLog("[Audio] cannot play \"%s\": %s", path.c_str(), reason.c_str());
}

std::shared_ptr<const audio::PcmData> load(const std::string& path, std::string* reason) {
    const std::string fullPath = audio::resolveSoundPath(path);
    Effects& e = effects();
    if (!fullPath.empty()) {
        auto it = e.cache.find(fullPath);
        if (it != e.cache.end()) return it->second;
    }
    std::vector<unsigned char> bytes;
    if (!audio::readSoundFile(fullPath, &bytes, reason)) return nullptr;
    ++e.decodes;
    std::shared_ptr<const audio::PcmData> pcm = audio::decodeMp3(bytes, audio::kMaxSoundBytes, reason);
    if (pcm) e.cache.emplace(fullPath, pcm);
    return pcm;
}

// A free voice, a new one, or the voice of the oldest sound that does not
// loop; -1 when every voice holds a looping sound.
int acquireVoice() {
    Effects& e = effects();
    for (size_t v = 0; v < e.voiceOwner.size(); ++v)
        if (e.voiceOwner[v] < 0) return static_cast<int>(v);
    if (static_cast<int>(e.voiceOwner.size()) < audio::kMaxVoices) {
        const int v = e.backend->createVoice();
        if (v >= 0) {
            if (static_cast<size_t>(v) >= e.voiceOwner.size()) e.voiceOwner.resize(static_cast<size_t>(v) + 1, -1);
            return v;
        }
    }
    for (auto it = e.sounds.begin(); it != e.sounds.end(); ++it) {
        if (it->second.loop) continue;
        const int v = it->second.voice;
        e.backend->stop(v);
        e.voiceOwner[static_cast<size_t>(v)] = -1;
        // Reported as a natural end, but never from inside play2d: the
        // caller may own the sound that was taken.
        e.taken.push_back(Finished{it->first, std::move(it->second.path), std::move(it->second.callback)});
        e.sounds.erase(it);
        return v;
    }
    return -1;
}

float clampVolume(float volume) { return volume < 0.0f ? 0.0f : (volume > 1.0f ? 1.0f : volume); }

}  // namespace

int AudioEngine::play2d(const std::string& filePath, bool loop, float volume) {
    Effects& e = effects();
    if (e.ended) return INVALID_AUDIO_ID;
    volume = std::isfinite(volume) ? clampVolume(volume) : 1.0f;
    backend();
    std::string reason;
    std::shared_ptr<const audio::PcmData> pcm = load(filePath, &reason);
    if (!pcm) {
        logRefusal(filePath, reason);
        return INVALID_AUDIO_ID;
    }
    const int voice = acquireVoice();
    if (voice < 0) {
        logRefusal(filePath, "every voice holds a looping sound");
        return INVALID_AUDIO_ID;
    }
    if (!e.backend->play(voice, pcm, loop, volume)) {
        e.backend->stop(voice);
        logRefusal(filePath, std::string("the ") + e.backend->name() + " back-end refused it");
        return INVALID_AUDIO_ID;
    }
    const int id = e.nextId++;
    Sound& sound = e.sounds[id];
    sound.voice = voice;
    sound.path = filePath;
    sound.loop = loop;
    sound.volume = volume;
    e.voiceOwner[static_cast<size_t>(voice)] = id;
    return id;
}

void AudioEngine::stop(int audioID) {
    Sound* sound = find(audioID);
    if (!sound) return;
    Effects& e = effects();
    e.backend->stop(sound->voice);
    e.voiceOwner[static_cast<size_t>(sound->voice)] = -1;
    e.sounds.erase(audioID);
}

void AudioEngine::stopAll() {
    Effects& e = effects();
    for (auto& entry : e.sounds) {
        e.backend->stop(entry.second.voice);
        e.voiceOwner[static_cast<size_t>(entry.second.voice)] = -1;
    }
    e.sounds.clear();
}

void AudioEngine::setLoop(int audioID, bool loop) {
    Sound* sound = find(audioID);
    if (!sound || sound->loop == loop) return;
    sound->loop = loop;
    effects().backend->setLoop(sound->voice, loop);
}

bool AudioEngine::isLoop(int audioID) {
    Sound* sound = find(audioID);
    return sound && sound->loop;
}

void AudioEngine::setVolume(int audioID, float volume) {
    Sound* sound = find(audioID);
    if (!sound || !std::isfinite(volume)) return;
    sound->volume = clampVolume(volume);
    effects().backend->setVolume(sound->voice, sound->volume);
}

float AudioEngine::getVolume(int audioID) {
    Sound* sound = find(audioID);
    return sound ? sound->volume : 0.0f;
}

void AudioEngine::pause(int audioID) {
    Sound* sound = find(audioID);
    if (!sound) return;
    // Paused on its own now: resumeAll must leave it alone.
    sound->pausedByAll = false;
    // A sound that reached its end since the last tick is reported by the
    // next one; pausing it would make resume play it again from the start.
    if (sound->paused || effects().backend->finished(sound->voice)) return;
    sound->paused = true;
    effects().backend->pause(sound->voice);
}

void AudioEngine::resume(int audioID) {
    Sound* sound = find(audioID);
    if (!sound || !sound->paused) return;
    sound->paused = false;
    sound->pausedByAll = false;
    effects().backend->resume(sound->voice);
}

void AudioEngine::pauseAll() {
    Effects& e = effects();
    for (auto& entry : e.sounds) {
        Sound& sound = entry.second;
        if (sound.paused || e.backend->finished(sound.voice)) continue;
        sound.paused = true;
        sound.pausedByAll = true;
        e.backend->pause(sound.voice);
    }
}

void AudioEngine::resumeAll() {
    Effects& e = effects();
    for (auto& entry : e.sounds) {
        Sound& sound = entry.second;
        if (!sound.pausedByAll) continue;
        sound.paused = false;
        sound.pausedByAll = false;
        e.backend->resume(sound.voice);
    }
}

void AudioEngine::setFinishCallback(int audioID, const std::function<void(int, const std::string&)>& callback) {
    Sound* sound = find(audioID);
    if (sound) sound->callback = callback;
}

void AudioEngine::end() {
    Effects& e = effects();
    if (e.ended) return;
    e.ended = true;
    stopAll();
    e.taken.clear();
    if (e.backend) e.backend->close();
    e.backend.reset();
    e.voiceOwner.clear();
    e.cache.clear();
}

}  // namespace experimental

namespace audio {

void effectsTick(float dt) {
    auto& e = experimental::effects();
    if (e.ended || !e.backend) return;
    e.backend->advance(dt);
    // Callbacks may play, stop or end anything, so they run from a list made
    // first, and each id is forgotten before its callback runs.
    std::vector<experimental::Finished> done;
    done.swap(e.taken);
    for (auto it = e.sounds.begin(); it != e.sounds.end();) {
        experimental::Sound& sound = it->second;
        if (sound.paused || !e.backend->finished(sound.voice)) {
            ++it;
            continue;
        }
        e.backend->stop(sound.voice);
        e.voiceOwner[static_cast<size_t>(sound.voice)] = -1;
        done.push_back(experimental::Finished{it->first, std::move(sound.path), std::move(sound.callback)});
        it = e.sounds.erase(it);
    }
    for (experimental::Finished& f : done) {
        if (e.ended) break;
        if (f.callback) f.callback(f.id, f.path);
    }
}

void effectsResetForTest() {
    experimental::AudioEngine::end();
    auto& e = experimental::effects();
    e.ended = false;
    e.nextId = 0;
    e.decodes = 0;
}

unsigned long effectsDecodeCount() { return experimental::effects().decodes; }

const char* effectsBackendName() {
    auto& e = experimental::effects();
    return e.backend ? e.backend->name() : "";
}

}  // namespace audio
}  // namespace cocos2d
