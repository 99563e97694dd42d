#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "Sounds.h"
#include "audio/AudioInternal.h"

namespace {

namespace fs = std::filesystem;

struct Expected {
    int id;
    size_t frames;
    int channels;
};

// Decision table of the game's sounds: exact decoded lengths at 44100 Hz.
const Expected kSounds[] = {
    {1030, 7938, 1}, {1031, 6615, 1}, {1032, 19845, 1}, {1033, 15435, 1}, {1034, 2646, 1}, {1035, 352800, 2},
};

std::vector<unsigned char> readAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

double rms(const std::vector<int16_t>& s) {
    double sum = 0.0;
    for (int16_t v : s) sum += (v / 32768.0) * (v / 32768.0);
    return s.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(s.size()));
}

fs::path scratch(const std::string& name) {
    fs::path p = fs::temp_directory_path() / ("qv_sounds_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(p);
    return p;
}

// Encoder delay and padding must vanish on decode (Info tag), the rate must
// stay 44100 even at 64 kbps, and nothing may come out silent or clipped.
TEST(Sounds, EachSoundDecodesToItsExactLength) {
    for (const Expected& e : kSounds) {
        SCOPED_TRACE("sound " + std::to_string(e.id));
        std::vector<int16_t> pcm = samplegame::synthesizeSound(e.id);
        ASSERT_EQ(pcm.size(), e.frames * static_cast<size_t>(e.channels));
        int peak = 0;
        for (int16_t v : pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_LE(peak, static_cast<int>(0.7 * 32767));

        std::vector<unsigned char> mp3;
        std::string error;
        ASSERT_TRUE(samplegame::encodeMp3(pcm, e.channels, &mp3, &error)) << error;
        ASSERT_GT(mp3.size(), 4u);
        // No ID3 in front: the first bytes are a frame header, and that
        // frame is the Info tag.
        EXPECT_EQ(mp3[0], 0xFF);
        EXPECT_EQ(mp3[1] & 0xE0, 0xE0);
        const std::string head(mp3.begin(), mp3.begin() + std::min<size_t>(mp3.size(), 64));
        EXPECT_NE(head.find("Info"), std::string::npos);

        auto decoded = cocos2d::audio::decodeMp3(mp3, cocos2d::audio::kMaxSoundBytes, &error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(decoded->frames(), e.frames);
        EXPECT_EQ(decoded->channels, e.channels);
        EXPECT_EQ(decoded->rate, 44100);
        EXPECT_GT(rms(decoded->samples), 0.02);
    }
}

// The music loops: its last frame must run into its first without a step.
TEST(Sounds, MusicEndRunsIntoItsStart) {
    std::vector<int16_t> pcm = samplegame::synthesizeSound(1035);
    ASSERT_GE(pcm.size(), 4u);
    for (size_t ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE("channel " + std::to_string(ch));
        int last = pcm[pcm.size() - 2 + ch];
        EXPECT_LE(std::abs(last - pcm[ch]), 330);  // 1 % of full scale
    }
}

// Two writes give the same bytes, whatever order the ids come in (each
// sound seeds its own noise).
TEST(Sounds, WritesAreDeterministic) {
    const fs::path a = scratch("a"), b = scratch("b");
    std::vector<int> ids = {1030, 1031, 1032, 1033, 1034, 1035};
    std::string error;
    ASSERT_TRUE(samplegame::writeSounds(a.string(), ids, &error)) << error;
    ASSERT_TRUE(samplegame::writeSounds(b.string(), {ids.rbegin(), ids.rend()}, &error)) << error;
    for (int id : ids) {
        SCOPED_TRACE("sound " + std::to_string(id));
        const fs::path rel = fs::path("data") / samplegame::soundFileName(id);
        EXPECT_EQ(rel.generic_string(), "data/sounds/QVModelSound_ID" + std::to_string(id) + ".mp3");
        std::vector<unsigned char> first = readAll(a / rel);
        EXPECT_FALSE(first.empty());
        EXPECT_EQ(first, readAll(b / rel));
    }
    fs::remove_all(a);
    fs::remove_all(b);
}

TEST(Sounds, RefusesWhatItCannotEncode) {
    struct Case {
        const char* name;
        std::vector<int16_t> pcm;
        int channels;
    };
    const Case cases[] = {
        {"no samples", {}, 1},
        {"three channels", std::vector<int16_t>(300, 1), 3},
        {"zero channels", std::vector<int16_t>(300, 1), 0},
        {"half a stereo frame", std::vector<int16_t>(301, 1), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> mp3;
        std::string error;
        EXPECT_FALSE(samplegame::encodeMp3(c.pcm, c.channels, &mp3, &error));
        EXPECT_FALSE(error.empty());
    }
    const fs::path dir = scratch("unknown");
    std::string error;
    EXPECT_FALSE(samplegame::writeSounds(dir.string(), {1030, 999}, &error));
    EXPECT_NE(error.find("999"), std::string::npos);
    EXPECT_TRUE(samplegame::synthesizeSound(999).empty());
    fs::remove_all(dir);
}

}  // namespace
