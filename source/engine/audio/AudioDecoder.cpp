#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio/AudioInternal.h"
#include "platform/CCFileUtils.h"

namespace cocos2d {
namespace audio {

namespace {

mpg123_ssize_t memoryRead(void* handle, void* out, size_t count) {
    MemoryReader* r = static_cast<MemoryReader*>(handle);
    const size_t left = r->size - r->pos;
    const size_t n = count < left ? count : left;
    if (n) std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t memorySeek(void* handle, off_t offset, int whence) {
    MemoryReader* r = static_cast<MemoryReader*>(handle);
    long long base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<long long>(r->pos);
    else if (whence == SEEK_END)
        base = static_cast<long long>(r->size);
    else if (whence != SEEK_SET)
        return -1;
    const long long target = base + static_cast<long long>(offset);
    if (target < 0 || target > static_cast<long long>(r->size)) return -1;
    r->pos = static_cast<size_t>(target);
    return static_cast<off_t>(target);
}

std::string mpg123Reason(mpg123_handle* mh) {
    const char* text = mh ? mpg123_strerror(mh) : nullptr;
    return text ? text : "decoder error";
}

// A decoder over `reader` that yields signed 16-bit mono or stereo at the
// file's own rate. On success *rate and *channels hold the first format.
mpg123_handle* openDecoder(MemoryReader* reader, long* rate, int* channels, std::string* reason) {
    static const bool initialised = (mpg123_init(), true);
    (void)initialised;
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) {
        *reason = std::string("no mp3 decoder: ") + mpg123_plain_strerror(err);
        return nullptr;
    }
    // Gapless, so that a LAME file plays its exact length and a loop pass
    // has no encoder gap.
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    int encoding = 0;
    if (mpg123_replace_reader_handle(mh, memoryRead, memorySeek, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, reader) != MPG123_OK) {
        *reason = "decoder setup failed: " + mpg123Reason(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    if (mpg123_getformat(mh, rate, channels, &encoding) != MPG123_OK) {
        *reason = "not an mp3 file (" + mpg123Reason(mh) + ")";
        mpg123_close(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    if (*rate <= 0 || (*channels != 1 && *channels != 2) || encoding != MPG123_ENC_SIGNED_16) {
        *reason = "unsupported sample format";
        mpg123_close(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    return mh;
}

// True when a new-format notice keeps the format we started with; a real
// change ends the decode there.
bool sameFormat(mpg123_handle* mh, long rate, int channels) {
    long r = 0;
    int c = 0;
    int e = 0;
    return mpg123_getformat(mh, &r, &c, &e) == MPG123_OK && r == rate && c == channels &&
           e == MPG123_ENC_SIGNED_16;
}

}  // namespace

std::string resolveSoundPath(const std::string& path) {
    if (path.empty()) return std::string();
    return CCFileUtils::sharedFileUtils()->fullPathForFilename(path);
}

bool readSoundFile(const std::string& fullPath, std::vector<unsigned char>* bytes, std::string* reason) {
    bytes->clear();
    if (fullPath.empty()) {
        *reason = "no file name";
        return false;
    }
    struct stat st {};
    const int fd = CCFileUtils::openRegularFile(fullPath.c_str(), &st);
    if (fd < 0) {
        *reason = errno == ENOENT || errno == ENOTDIR ? std::string("file not found")
                  : errno == EISDIR                  ? std::string("not a regular file")
                                                     : std::strerror(errno);
        return false;
    }
    bool ok = false;
    if (st.st_size == 0) {
        *reason = "empty file";
    } else if (static_cast<unsigned long long>(st.st_size) > kMaxSoundBytes) {
        *reason = "file over 64 MiB";
    } else {
        const size_t expected = static_cast<size_t>(st.st_size);
        bytes->resize(expected);
        size_t got = 0;
        while (got < expected) {
            const ssize_t n = ::read(fd, bytes->data() + got, expected - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        bytes->resize(got);
        ok = got > 0;
        if (!ok) *reason = "cannot read the file";
    }
    ::close(fd);
    return ok;
}

std::shared_ptr<PcmData> decodeMp3(const std::vector<unsigned char>& bytes, size_t maxBytes, std::string* reason) {
    MemoryReader reader{bytes.data(), bytes.size(), 0};
    long rate = 0;
    int channels = 0;
    mpg123_handle* mh = openDecoder(&reader, &rate, &channels, reason);
    if (!mh) return nullptr;

    auto pcm = std::make_shared<PcmData>();
    pcm->rate = static_cast<int>(rate);
    pcm->channels = channels;
    std::vector<unsigned char> chunk(64 * 1024);
    bool tooLarge = false;
    for (;;) {
        size_t done = 0;
        const int rc = mpg123_read(mh, chunk.data(), chunk.size(), &done);
        const size_t samples = done / sizeof(int16_t);
        if (samples) {
            if ((pcm->samples.size() + samples) * sizeof(int16_t) > maxBytes) {
                tooLarge = true;
                break;
            }
            const size_t at = pcm->samples.size();
            pcm->samples.resize(at + samples);
            std::memcpy(pcm->samples.data() + at, chunk.data(), samples * sizeof(int16_t));
        }
        if (rc == MPG123_OK) {
            if (done == 0) break;  // no progress: never spin
            continue;
        }
        if (rc == MPG123_NEW_FORMAT && sameFormat(mh, rate, channels)) continue;
        // The end, a format change, or damage: what decoded so far stands.
        break;
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    // A partial frame at the end must not leave half a stereo pair.
    pcm->samples.resize(pcm->frames() * static_cast<size_t>(channels));
    if (tooLarge) {
        *reason = "decoded sound over " + std::to_string(maxBytes / (1024 * 1024)) + " MiB";
        return nullptr;
    }
    if (pcm->samples.empty()) {
        *reason = "no samples decoded";
        return nullptr;
    }
    return pcm;
}

// ---- Mp3Stream

Mp3Stream::Mp3Stream() = default;

Mp3Stream::~Mp3Stream() { closeHandle(); }

void Mp3Stream::closeHandle() {
    if (!m_handle) return;
    mpg123_close(m_handle);
    mpg123_delete(m_handle);
    m_handle = nullptr;
}

bool Mp3Stream::open(std::vector<unsigned char> bytes, std::string* reason) {
    closeHandle();
    m_bytes = std::move(bytes);
    m_reader = MemoryReader{m_bytes.data(), m_bytes.size(), 0};
    m_done = false;
    long rate = 0;
    int channels = 0;
    m_handle = openDecoder(&m_reader, &rate, &channels, reason);
    if (!m_handle) return false;
    m_rate = static_cast<int>(rate);
    m_channels = channels;
    // The exact length needs a pass over the frames (the file is in memory).
    mpg123_scan(m_handle);
    const off_t length = mpg123_length(m_handle);
    m_lengthFrames = length > 0 ? static_cast<long long>(length) : 0;
    // The length comes from headers; only a decoded sample proves the file plays.
    int16_t probe[1152 * 2];
    const size_t got = readOnce(probe, 1152);
    if (got == 0 || m_lengthFrames <= 0 || !rewind()) {
        *reason = "no samples decoded";
        closeHandle();
        return false;
    }
    return true;
}

double Mp3Stream::lengthSeconds() const {
    return m_rate > 0 ? static_cast<double>(m_lengthFrames) / m_rate : 0.0;
}

size_t Mp3Stream::readOnce(int16_t* out, size_t frames) {
    if (!m_handle) return 0;
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(m_channels);
    size_t got = 0;
    int idle = 0;
    while (got < frames && !m_done) {
        size_t done = 0;
        const int rc = mpg123_read(m_handle, out + got * static_cast<size_t>(m_channels), (frames - got) * frameBytes,
                                   &done);
        got += done / frameBytes;
        if (rc == MPG123_OK) {
            if (done == 0 && ++idle > 4) m_done = true;
            continue;
        }
        if (rc == MPG123_NEW_FORMAT && sameFormat(m_handle, m_rate, m_channels)) continue;
        m_done = true;
    }
    return got;
}

size_t Mp3Stream::read(int16_t* out, size_t frames, bool loop) {
    size_t got = readOnce(out, frames);
    while (got < frames && m_done && loop) {
        if (!rewind()) break;
        const size_t n = readOnce(out + got * static_cast<size_t>(m_channels), frames - got);
        if (n == 0) break;  // nothing decodes after a rewind: stop rather than spin
        got += n;
    }
    return got;
}

bool Mp3Stream::rewind() {
    if (!m_handle || mpg123_seek(m_handle, 0, SEEK_SET) < 0) return false;
    m_done = false;
    return true;
}

}  // namespace audio
}  // namespace cocos2d
