// The mp3 decoder: exact gapless lengths, the sample format, looped
// streaming without a gap, and the decoded-size limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/AudioInternal.h"

namespace {

namespace audio = cocos2d::audio;

std::string fixture(const char* name) { return std::string(QV_AUDIO_FIXTURES) + "/" + name; }

std::vector<unsigned char> readFixture(const char* name) {
    std::vector<unsigned char> bytes;
    std::string reason;
    EXPECT_TRUE(audio::readSoundFile(fixture(name), &bytes, &reason)) << reason;
    return bytes;
}

int peak(const int16_t* samples, size_t count) {
    int p = 0;
    for (size_t i = 0; i < count; ++i) p = std::max(p, std::abs(static_cast<int>(samples[i])));
    return p;
}

TEST(decoder, LameFilesDecodeToTheirExactLengthAndLevel) {
    struct Case {
        const char* name;
        size_t frames;
        int channels;
    };
    for (const Case& c : {Case{"beep_mono.mp3", 22050, 1}, Case{"blip_stereo.mp3", 4410, 2},
                          Case{"tone_stereo.mp3", 44100, 2}}) {
        std::string reason;
        auto pcm = audio::decodeMp3(readFixture(c.name), audio::kMaxSoundBytes, &reason);
        ASSERT_TRUE(pcm) << c.name << ": " << reason;
        EXPECT_EQ(pcm->rate, 44100) << c.name;
        EXPECT_EQ(pcm->channels, c.channels) << c.name;
        EXPECT_EQ(pcm->frames(), c.frames) << c.name << ": encoder delay or padding left in";
        // A sine at half scale: signed 16-bit samples peak near 16384.
        const int p = peak(pcm->samples.data(), pcm->samples.size());
        EXPECT_GT(p, 14000) << c.name;
        EXPECT_LT(p, 19000) << c.name;
    }
}

TEST(decoder, DecodedSizeLimitRefusesTheSound) {
    std::string reason;
    EXPECT_FALSE(audio::decodeMp3(readFixture("beep_mono.mp3"), 40000, &reason));
    EXPECT_NE(reason.find("decoded sound over"), std::string::npos) << reason;
    EXPECT_TRUE(audio::decodeMp3(readFixture("beep_mono.mp3"), 44100, &reason)) << reason;
}

TEST(decoder, LoopedStreamRepeatsTheTrackWithoutAGap) {
    std::string reason;
    auto whole = audio::decodeMp3(readFixture("short_stereo.mp3"), audio::kMaxSoundBytes, &reason);
    ASSERT_TRUE(whole) << reason;
    audio::Mp3Stream stream;
    ASSERT_TRUE(stream.open(readFixture("short_stereo.mp3"), &reason)) << reason;
    EXPECT_DOUBLE_EQ(stream.lengthSeconds(), static_cast<double>(whole->frames()) / 44100.0);

    // Three passes in odd-sized pieces must equal the track three times over.
    const size_t frames = whole->frames();
    std::vector<int16_t> out(frames * 3 * 2);
    size_t got = 0;
    while (got < frames * 3) {
        const size_t n = stream.read(out.data() + got * 2, std::min<size_t>(997, frames * 3 - got), true);
        ASSERT_GT(n, 0u);
        got += n;
    }
    for (size_t pass = 0; pass < 3; ++pass)
        EXPECT_TRUE(std::equal(whole->samples.begin(), whole->samples.end(), out.begin() + pass * frames * 2))
            << "pass " << pass;

    // Without looping the stream stops at the end.
    ASSERT_TRUE(stream.rewind());
    std::vector<int16_t> once(frames * 2 * 2);
    EXPECT_EQ(stream.read(once.data(), frames * 2, false), frames);
    EXPECT_EQ(stream.read(once.data(), 100, false), 0u);
}

}  // namespace
