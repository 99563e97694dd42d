// The sample game's sounds: synthesised PCM, encoded to mp3 by LAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace samplegame {

constexpr int kSoundRate = 44100;

struct SoundSpec {
    int id = 0;
    const char* name = "";
    int frames = 0;
    int channels = 0;
};

// The game's six sounds, by id (1030 Jump … 1035 Music).
const std::vector<SoundSpec>& soundSpecs();
// The description of a sound id; null for an id that is not a sound.
const SoundSpec* findSoundSpec(int id);

// "sounds/QVModelSound_ID<id>.mp3", relative to the game's data folder.
std::string soundFileName(int id);

// Interleaved 16-bit PCM at kSoundRate; empty for an unknown id. The same id
// always gives the same samples.
std::vector<int16_t> synthesizeSound(int id);

// CBR mp3 with its Info tag, no ID3: 64 kbps mono or 128 kbps joint stereo.
bool encodeMp3(const std::vector<int16_t>& pcm, int channels, std::vector<unsigned char>* out, std::string* error);

// Writes <outDir>/data/<soundFileName(id)> for each id, creating the
// folders. False with a message on an unknown id or an I/O failure.
bool writeSounds(const std::string& outDir, const std::vector<int>& ids, std::string* error);

}  // namespace samplegame
