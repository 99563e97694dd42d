#include "Sounds.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/RandomAndClock.h"

namespace samplegame {

namespace {

constexpr double kPi = 3.14159265358979323846;
// 0.7 of full scale, as whole sample units.
constexpr double kPeakUnits = 22936.0;

// Float samples, interleaved, before scaling to 16 bits.
struct Signal {
    int channels = 1;
    std::vector<double> data;
    Signal(int frames, int channelCount)
        : channels(channelCount), data(static_cast<size_t>(frames) * static_cast<size_t>(channelCount), 0.0) {}
    int frames() const { return static_cast<int>(data.size() / static_cast<size_t>(channels)); }
    void add(int frame, double left, double right) {
        if (frame < 0 || frame >= frames()) return;
        size_t at = static_cast<size_t>(frame) * static_cast<size_t>(channels);
        if (channels == 1) {
            data[at] += left;
        } else {
            data[at] += left;
            data[at + 1] += right;
        }
    }
};

double seconds(int frame) { return static_cast<double>(frame) / kSoundRate; }

double noise() { return compat::rand() / (compat::RandMax / 2.0) - 1.0; }

double midiHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// Rises over `attack` frames, falls to zero over the last `release` frames,
// so a note starts and ends without a click.
double edges(int i, int length, int attack, int release) {
    double a = attack > 0 ? std::min(1.0, static_cast<double>(i) / attack) : 1.0;
    double r = release > 0 ? std::min(1.0, static_cast<double>(length - i) / release) : 1.0;
    return std::max(0.0, std::min(a, r));
}

double triangle(double phase) {
    double p = phase - std::floor(phase);
    return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
}

void sweep(Signal* s, double fromHz, double toHz, double decay) {
    const int n = s->frames();
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        double hz = fromHz + (toHz - fromHz) * i / n;
        phase += hz / kSoundRate;
        s->add(i, std::sin(2.0 * kPi * phase) * std::exp(-seconds(i) / decay) * edges(i, n, 64, 256), 0.0);
    }
}

// A tone of a few harmonics from `start` for `length` frames.
void tone(Signal* s, int start, int length, double hz, double decay, double bright, double pan = 0.5) {
    for (int i = 0; i < length; ++i) {
        double t = seconds(i);
        double v = std::sin(2.0 * kPi * hz * t) + bright * std::sin(6.0 * kPi * hz * t) / 3.0;
        v *= std::exp(-t / decay) * edges(i, length, 64, 256);
        s->add(start + i, v * (1.0 - pan) * 2.0, v * pan * 2.0);
    }
}

Signal jump() {
    Signal s(7938, 1);
    sweep(&s, 380.0, 880.0, 0.06);
    return s;
}

Signal coin() {
    Signal s(6615, 1);
    const int split = 2205;
    tone(&s, 0, split, 988.0, 0.2, 0.6);
    tone(&s, split, s.frames() - split, 1319.0, 0.05, 0.6);
    return s;
}

Signal power() {
    Signal s(19845, 1);
    const int notes[] = {72, 76, 79, 84};
    for (int k = 0; k < 4; ++k) {
        int start = s.frames() * k / 4;
        int end = s.frames() * (k + 1) / 4;
        tone(&s, start, end - start, midiHz(notes[k]), 0.12, 0.3);
    }
    return s;
}

Signal hit() {
    Signal s(15435, 1);
    sweep(&s, 220.0, 80.0, 0.12);
    const int n = s.frames();
    for (int i = 0; i < n; ++i) s.add(i, 0.8 * noise() * std::exp(-seconds(i) / 0.04) * edges(i, n, 16, 256), 0.0);
    return s;
}

Signal click() {
    Signal s(2646, 1);
    tone(&s, 0, s.frames(), 1200.0, 0.015, 0.0);
    return s;
}

// Four bars at 120 bpm over C, Am, F, G. Every note ends inside the loop, so
// the last frame runs into the first without a step.
Signal music() {
    Signal s(352800, 2);
    const int beat = kSoundRate / 2;
    const int eighth = beat / 2;
    const int roots[] = {48, 45, 41, 43};
    const int thirds[] = {4, 3, 4, 4};
    for (int bar = 0; bar < 4; ++bar) {
        const int root = roots[bar];
        const int bassNotes[] = {root, root, root + 7, root};
        for (int b = 0; b < 4; ++b) {
            const int start = (bar * 4 + b) * beat;
            const double hz = midiHz(bassNotes[b]);
            for (int i = 0; i < beat; ++i) {
                double v = 0.5 * triangle(hz * seconds(i)) * std::exp(-seconds(i) / 0.4) * edges(i, beat, 128, 512);
                s.add(start + i, v, v);
            }
        }
        const int chord[] = {0, thirds[bar], 7, 12};
        const int order[] = {0, 1, 2, 1, 3, 2, 1, 2};
        for (int e = 0; e < 8; ++e) {
            tone(&s, (bar * 8 + e) * eighth, eighth, midiHz(root + 24 + chord[order[e]]), 0.18, 0.0, 0.4);
        }
    }
    const int hat = kSoundRate / 20;
    for (int e = 0; e < 32; ++e) {
        const int start = e * eighth;
        const double level = e % 2 == 0 ? 0.18 : 0.1;
        for (int i = 0; i < hat; ++i) {
            double v = level * noise() * std::exp(-seconds(i) / 0.012) * edges(i, hat, 8, 128);
            s.add(start + i, v * 0.8, v * 1.2);
        }
    }
    return s;
}

std::vector<int16_t> toPcm(const Signal& s) {
    double peak = 0.0;
    for (double v : s.data) peak = std::max(peak, std::fabs(v));
    const double gain = peak > 0.0 ? kPeakUnits / peak : 0.0;
    std::vector<int16_t> pcm(s.data.size());
    for (size_t i = 0; i < pcm.size(); ++i) {
        double v = std::clamp(std::round(s.data[i] * gain), -kPeakUnits, kPeakUnits);
        pcm[i] = static_cast<int16_t>(v);
    }
    return pcm;
}

}  // namespace

const std::vector<SoundSpec>& soundSpecs() {
    static const std::vector<SoundSpec> specs = {
        {1030, "Jump", 7938, 1}, {1031, "Coin", 6615, 1},  {1032, "Power", 19845, 1},
        {1033, "Hit", 15435, 1}, {1034, "Click", 2646, 1}, {1035, "Music", 352800, 2},
    };
    return specs;
}

const SoundSpec* findSoundSpec(int id) {
    for (const SoundSpec& s : soundSpecs()) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

std::string soundFileName(int id) { return "sounds/QVModelSound_ID" + std::to_string(id) + ".mp3"; }

std::vector<int16_t> synthesizeSound(int id) {
    // Each sound draws its noise from its own seed, so the order of calls
    // does not change the bytes.
    compat::srand(static_cast<unsigned int>(id));
    switch (id) {
        case 1030:
            return toPcm(jump());
        case 1031:
            return toPcm(coin());
        case 1032:
            return toPcm(power());
        case 1033:
            return toPcm(hit());
        case 1034:
            return toPcm(click());
        case 1035:
            return toPcm(music());
        default:
            return {};
    }
}

bool encodeMp3(const std::vector<int16_t>& pcm, int channels, std::vector<unsigned char>* out, std::string* error) {
    if ((channels != 1 && channels != 2) || pcm.empty() || pcm.size() % static_cast<size_t>(channels) != 0 ||
        pcm.size() > 64u * 1024u * 1024u) {
        *error = "mp3: no samples to encode, or a channel count other than 1 or 2";
        return false;
    }
    std::unique_ptr<lame_global_flags, decltype(&lame_close)> lame(lame_init(), lame_close);
    if (!lame) {
        *error = "mp3: the encoder could not start";
        return false;
    }
    lame_global_flags* gf = lame.get();
    lame_set_num_channels(gf, channels);
    lame_set_in_samplerate(gf, kSoundRate);
    // Without this LAME picks a lower rate for 64 kbps.
    lame_set_out_samplerate(gf, kSoundRate);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, channels == 1 ? 64 : 128);
    lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_quality(gf, 2);
    lame_set_write_id3tag_automatic(gf, 0);
    // The Info tag carries the encoder delay and padding; without it every
    // sound decodes about 1,100 samples longer.
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        *error = "mp3: the encoder refused its settings";
        return false;
    }

    const int frames = static_cast<int>(pcm.size() / static_cast<size_t>(channels));
    std::vector<unsigned char> buf(static_cast<size_t>(frames) * 5 / 4 + 7200 + 2 * 2880);
    std::vector<short> samples(pcm.begin(), pcm.end());
    const int size = static_cast<int>(buf.size());
    int n = channels == 1 ? lame_encode_buffer(gf, samples.data(), samples.data(), frames, buf.data(), size)
                          : lame_encode_buffer_interleaved(gf, samples.data(), frames, buf.data(), size);
    int tail = n < 0 ? n : lame_encode_flush(gf, buf.data() + n, size - n);
    if (n < 0 || tail < 0) {
        *error = "mp3: encoding failed (" + std::to_string(std::min(n, tail)) + ")";
        return false;
    }
    buf.resize(static_cast<size_t>(n + tail));

    // The encoder left room for the tag in the first frame; fill it now that
    // the length is known.
    unsigned char tag[2880];
    size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagSize == 0 || tagSize > sizeof tag || tagSize > buf.size()) {
        *error = "mp3: the encoder gave no Info tag";
        return false;
    }
    std::memcpy(buf.data(), tag, tagSize);
    *out = std::move(buf);
    return true;
}

bool writeSounds(const std::string& outDir, const std::vector<int>& ids, std::string* error) {
    const std::filesystem::path data = std::filesystem::path(outDir) / "data";
    std::error_code ec;
    std::filesystem::create_directories(data / "sounds", ec);
    if (ec) {
        *error = "cannot create " + (data / "sounds").string() + ": " + ec.message();
        return false;
    }
    for (int id : ids) {
        const SoundSpec* spec = findSoundSpec(id);
        if (!spec) {
            *error = "no sound has the id " + std::to_string(id);
            return false;
        }
        std::vector<unsigned char> mp3;
        if (!encodeMp3(synthesizeSound(id), spec->channels, &mp3, error)) {
            *error = std::string(spec->name) + ": " + *error;
            return false;
        }
        const std::filesystem::path file = data / soundFileName(id);
        std::ofstream f(file, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(mp3.size()));
        f.close();
        if (!f) {
            *error = "cannot write " + file.string();
            return false;
        }
    }
    return true;
}

}  // namespace samplegame
