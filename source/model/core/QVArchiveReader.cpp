#include "model/core/QVArchiveReader.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

#include "base/base64.h"
#include "model/core/QVDataFormat.h"
#include "model/core/ZipAes.h"
#include "model/core/ZipCrypto.h"
#include "platform/CCFileUtils.h"

namespace {

constexpr std::size_t kChunk = 16384;
constexpr unsigned long kFlagEncrypted = 1u << 0;
constexpr unsigned long kFlagDataDescriptor = 1u << 3;
constexpr unsigned long kFlagStrongEncryption = 1u << 6;
constexpr std::size_t kTraditionalHeader = 12;

const char* const kOpenMessage = "Unable to open a file:";
const char* const kReadMessage = "Unable to read the file:";

unzFile zip(void* handle) { return static_cast<unzFile>(handle); }

// The traditional PKWARE key schedule, enough to check the header's check byte
// before minizip is given the password.

uint32_t le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t le32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// The package is opened only when it is a regular file: minizip's fopen would
// block for good on a FIFO. Anything else reads as a missing package.
FILE* openPackage(const char* path, uint64_t* size) {
    struct stat st {};
    const int fd = cocos2d::CCFileUtils::openRegularFile(path, &st);
    if (fd < 0) {
        if (errno == EISDIR) errno = ENOENT;
        return nullptr;
    }
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    if (size) *size = static_cast<uint64_t>(st.st_size);
    return file;
}

// Records whether the file opened, so a failed open can tell a file that
// cannot be opened from one that is no zip archive.
voidpf ZCALLBACK openForMinizip(voidpf opaque, const void* path, int mode) {
    auto* state = static_cast<qvarchive::OpenedFile*>(opaque);
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    FILE* file = openPackage(static_cast<const char*>(path), &state->size);
    state->opened = file != nullptr;
    state->error = file ? 0 : errno;
    return file;
}

enum OpenFailure { kNotAZip = 1, kTruncated };

class OpenFailureCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "qvarchive"; }
    std::string message(int code) const override {
        return code == kTruncated ? "truncated zip archive" : "not a zip archive";
    }
};

const std::error_category& openFailureCategory() {
    static const OpenFailureCategory category;
    return category;
}

// A file that opened but that minizip refused: one that starts as a zip
// archive has lost its end (the central directory is at the end).
int classifyRefusedPackage(const std::string& path) {
    unsigned char head[4] = {};
    std::unique_ptr<FILE, FileCloser> file(openPackage(path.c_str(), nullptr));
    const bool zipStart = file && std::fread(head, 1, sizeof head, file.get()) == sizeof head && head[0] == 'P' &&
                          head[1] == 'K' && ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6));
    return zipStart ? kTruncated : kNotAZip;
}

// Appends with geometric growth so reading stays linear in the entry size.
void appendChunk(std::vector<unsigned char>& out, const unsigned char* data, std::size_t n, std::size_t cap) {
    if (n > cap || out.size() > cap - n) QVArchiveReader::throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    out.insert(out.end(), data, data + n);
}

}  // namespace

QVArchiveReader::QVArchiveReader(const std::string& path, std::size_t entryCap) : m_path(path), m_entryCap(entryCap) {
    // The size comes from the opened file: no entry can hold more bytes than
    // the file, checked before any buffer is sized from a header.
    zlib_filefunc64_def io;
    fill_fopen64_filefunc(&io);
    io.zopen64_file = openForMinizip;
    io.opaque = &m_file;
    m_archive = unzOpen2_64(path.c_str(), &io);
    if (!m_archive) {
        // errno is not trusted past minizip: the reason is the open's, or the file's own.
        if (!m_file.opened)
            throw std::system_error(m_file.error ? m_file.error : ENOENT, std::generic_category(),
                                    "Unable to open the archive");
        throw std::system_error(classifyRefusedPackage(path), openFailureCategory(), "Unable to open the archive");
    }
}

QVArchiveReader::~QVArchiveReader() {
    closeCurrent();
    unzClose(zip(m_archive));
}

void QVArchiveReader::throwArchiveError(int code, const char* message) {
    std::string text(message);
    switch (code) {
        case UNZ_ERRNO:
            throw std::system_error(errno, std::generic_category(), text);
        case UNZ_PARAMERROR:
            throw std::runtime_error(text + " Invalid parameter");
        case UNZ_BADZIPFILE:
        case UNZ_CRCERROR:
        case Z_STREAM_ERROR:
        case Z_DATA_ERROR:
        case Z_MEM_ERROR:
        case Z_BUF_ERROR:
            throw std::runtime_error(text + " Bad archive");
        case qvarchive::kWrongPassword:
            throw std::runtime_error(text + " Error P17");
        default:
            throw std::runtime_error(text + " Unknown error");
    }
}

void QVArchiveReader::closeCurrent() {
    if (m_entryOpen) unzCloseCurrentFile(zip(m_archive));
    m_entryOpen = false;
    m_currentEntry.clear();
}

std::string QVArchiveReader::currentFileName() {
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip(m_archive), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return {};
    std::string name(info.size_filename, '\0');
    if (!name.empty() &&
        unzGetCurrentFileInfo64(zip(m_archive), &info, &name[0], name.size(), nullptr, 0, nullptr, 0) != UNZ_OK)
        return {};
    return name;
}

bool QVArchiveReader::locateFile(const std::string& name, const std::string& password) {
    (void)password;  // entries are opened, with the password, at their first read
    if (!m_currentEntry.empty() && name == m_currentEntry) return true;
    closeCurrent();
    int result = unzLocateFile(zip(m_archive), name.c_str(), 0);
    if (result == UNZ_END_OF_LIST_OF_FILE) return false;
    if (result != UNZ_OK) throwArchiveError(result, "Unable to locate the file:");
    m_currentEntry = name;
    return true;
}

std::string QVArchiveReader::walkFrom(int moveResult, const char* message, const std::string& password) {
    // Iterative so a package of many directory entries cannot recurse deeply.
    for (;;) {
        if (moveResult == UNZ_END_OF_LIST_OF_FILE) return {};
        if (moveResult != UNZ_OK) throwArchiveError(moveResult, message);
        std::string name = currentFileName();
        if (!name.empty() && name.back() != '/') {
            m_currentEntry = name;
            return name;
        }
        (void)password;
        message = "Unable to locate the next file:";
        moveResult = unzGoToNextFile(zip(m_archive));
    }
}

std::string QVArchiveReader::firstFile(const std::string& password) {
    closeCurrent();
    int result = unzGoToFirstFile(zip(m_archive));
    if (result == UNZ_END_OF_LIST_OF_FILE) throwArchiveError(result, "Unable to locate the first file:");
    return walkFrom(result, "Unable to locate the first file:", password);
}

std::string QVArchiveReader::nextFile(const std::string& password) {
    closeCurrent();
    return walkFrom(unzGoToNextFile(zip(m_archive)), "Unable to locate the next file:", password);
}

bool QVArchiveReader::readFile(const std::string& name, std::vector<unsigned char>& out, const std::string& password) {
    out.clear();
    if (!locateFile(name, password)) return false;
    try {
        readEntry(out, password);
    } catch (...) {
        out.clear();
        out.shrink_to_fit();
        closeCurrent();
        throw;
    }
    // Reading closes the entry; minizip stays positioned so the walk goes on from here.
    closeCurrent();
    return true;
}

void QVArchiveReader::readEntry(std::vector<unsigned char>& out, const std::string& password) {
    unz_file_info64 info;
    unsigned char extra[1024];
    int result = unzGetCurrentFileInfo64(zip(m_archive), &info, nullptr, 0, extra, sizeof(extra), nullptr, 0);
    if (result != UNZ_OK) throwArchiveError(result, kOpenMessage);
    const std::size_t extraLength = info.size_file_extra < sizeof(extra) ? info.size_file_extra : sizeof(extra);
    if (info.flag & kFlagStrongEncryption) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    if (info.compressed_size > m_file.size) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    if (info.uncompressed_size > m_entryCap) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    const std::size_t declared = static_cast<std::size_t>(info.uncompressed_size);
    const bool encrypted = (info.flag & kFlagEncrypted) != 0;

    if (info.compression_method == 99) {
        if (!encrypted) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
        readAesEntry(out, password, declared, info.crc, extra, extraLength);
        return;
    }
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED)
        throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    const bool deflated = info.compression_method == Z_DEFLATED;

    if (!encrypted) {
        result = unzOpenCurrentFile(zip(m_archive));
        if (result != UNZ_OK) throwArchiveError(result, kOpenMessage);
        m_entryOpen = true;
        readThroughMinizip(out, declared);
        return;
    }

    // Traditional encryption. Debian's minizip is built without decryption,
    // so the raw entry is read through minizip and decrypted here.
    if (password.empty()) throwArchiveError(qvarchive::kWrongPassword, kOpenMessage);
    if (info.compressed_size < kTraditionalHeader) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    if (info.compressed_size - kTraditionalHeader > maxPayload()) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    int method = 0, level = 0;
    result = unzOpenCurrentFile2(zip(m_archive), &method, &level, 1);
    if (result != UNZ_OK) throwArchiveError(result, kOpenMessage);
    m_entryOpen = true;
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(info.compressed_size));
    unsigned char chunk[kChunk];
    for (;;) {
        int n = unzReadCurrentFile(zip(m_archive), chunk, kChunk);
        if (n < 0) throwArchiveError(n, kReadMessage);
        if (n == 0) break;
        appendChunk(raw, chunk, static_cast<std::size_t>(n), static_cast<std::size_t>(info.compressed_size));
    }
    result = unzCloseCurrentFile(zip(m_archive));
    m_entryOpen = false;
    if (result != UNZ_OK) throwArchiveError(result, kReadMessage);
    if (raw.size() != info.compressed_size) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);

    zipcrypto::TraditionalKeys keys(password);
    unsigned char last = 0;
    for (std::size_t i = 0; i < kTraditionalHeader; ++i) last = keys.decrypt(raw[i]);
    const unsigned char check = (info.flag & kFlagDataDescriptor)
                                    ? static_cast<unsigned char>((info.dosDate >> 8) & 0xFF)
                                    : static_cast<unsigned char>((info.crc >> 24) & 0xFF);
    if (last != check) throwArchiveError(qvarchive::kWrongPassword, kOpenMessage);
    // Decrypted in place and the header dropped in place: a large stored entry
    // needs one buffer, not two.
    for (std::size_t i = kTraditionalHeader; i < raw.size(); ++i) raw[i] = keys.decrypt(raw[i]);
    raw.erase(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(kTraditionalHeader));
    finishPayload(raw, out, deflated, declared, info.crc, true);
}

std::size_t QVArchiveReader::maxPayload() const {
    // Deflate can grow incompressible data a little; beyond that is not a package entry.
    const std::size_t slack = m_entryCap / 1000 + 64;
    return m_entryCap > std::numeric_limits<std::size_t>::max() - slack ? std::numeric_limits<std::size_t>::max()
                                                                        : m_entryCap + slack;
}

void QVArchiveReader::finishPayload(std::vector<unsigned char>& payload, std::vector<unsigned char>& out, bool deflated,
                                    std::size_t declared, unsigned long crc, bool checkCrc) {
    if (!deflated) {
        out.swap(payload);
    } else {
        out.reserve(declared < m_entryCap ? declared : m_entryCap);
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throwArchiveError(Z_MEM_ERROR, kReadMessage);
        std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&stream, inflateEnd);
        stream.next_in = payload.data();
        stream.avail_in = static_cast<uInt>(payload.size());
        unsigned char chunk[kChunk];
        int status = Z_OK;
        while (status != Z_STREAM_END) {
            stream.next_out = chunk;
            stream.avail_out = kChunk;
            status = inflate(&stream, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END)
                throwArchiveError(status == Z_NEED_DICT ? Z_DATA_ERROR : status, kReadMessage);
            std::size_t produced = kChunk - stream.avail_out;
            appendChunk(out, chunk, produced, m_entryCap);
            if (status == Z_OK && produced == 0 && stream.avail_in == 0)
                throwArchiveError(UNZ_BADZIPFILE, kReadMessage);  // the stream ends early
        }
    }
    if (out.size() != declared) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    if (checkCrc) {
        uLong actual = ::crc32_z(::crc32(0L, Z_NULL, 0), out.data(), out.size());
        if (actual != crc) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    }
}

void QVArchiveReader::readThroughMinizip(std::vector<unsigned char>& out, std::size_t declared) {
    out.reserve(declared < m_entryCap ? declared : m_entryCap);
    unsigned char chunk[kChunk];
    for (;;) {
        int n = unzReadCurrentFile(zip(m_archive), chunk, kChunk);
        if (n < 0) throwArchiveError(n, kReadMessage);
        if (n == 0) break;
        appendChunk(out, chunk, static_cast<std::size_t>(n), m_entryCap);
    }
    // A deflate stream that stops early reads as a short entry: the size check catches it,
    // and minizip's CRC check at close catches the rest.
    if (out.size() != declared) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    int result = unzCloseCurrentFile(zip(m_archive));
    m_entryOpen = false;
    if (result != UNZ_OK) throwArchiveError(result, kReadMessage);
}

std::vector<unsigned char> QVArchiveReader::readRawEntryBytes(std::size_t compressedSize) {
    // minizip 1.1 refuses to open method-99 entries even raw, so the entry's
    // bytes are read straight from the file: central header, local header, data.
    const uint64_t centralPos = unzGetOffset64(zip(m_archive));
    std::unique_ptr<FILE, FileCloser> file(openPackage(m_path.c_str(), nullptr));
    if (!file) throwArchiveError(UNZ_ERRNO, kOpenMessage);
    unsigned char central[46];
    if (fseeko(file.get(), static_cast<off_t>(centralPos), SEEK_SET) != 0 ||
        std::fread(central, 1, sizeof(central), file.get()) != sizeof(central) || le32(central) != 0x02014b50u)
        throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    uint64_t localPos = le32(central + 42);
    if (localPos == 0xFFFFFFFFu) {
        // Zip64: the offset sits in the 0x0001 extra field after any 64-bit sizes.
        std::size_t nameLength = le16(central + 28), extraLength = le16(central + 30);
        std::vector<unsigned char> extra(extraLength);
        if (fseeko(file.get(), static_cast<off_t>(centralPos + 46 + nameLength), SEEK_SET) != 0 ||
            std::fread(extra.data(), 1, extraLength, file.get()) != extraLength)
            throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
        bool found = false;
        for (std::size_t p = 0; p + 4 <= extraLength && !found;) {
            std::size_t size = le16(&extra[p + 2]);
            if (p + 4 + size > extraLength) break;
            if (le16(&extra[p]) == 0x0001) {
                std::size_t skip =
                    (le32(central + 24) == 0xFFFFFFFFu ? 8 : 0) + (le32(central + 20) == 0xFFFFFFFFu ? 8 : 0);
                if (size >= skip + 8) {
                    localPos = 0;
                    for (int i = 7; i >= 0; --i)
                        localPos = (localPos << 8) | extra[p + 4 + skip + static_cast<std::size_t>(i)];
                    found = true;
                }
            }
            p += 4 + size;
        }
        if (!found) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    }
    unsigned char local[30];
    if (fseeko(file.get(), static_cast<off_t>(localPos), SEEK_SET) != 0 ||
        std::fread(local, 1, sizeof(local), file.get()) != sizeof(local) || le32(local) != 0x04034b50u)
        throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    const uint64_t dataPos = localPos + 30 + le16(local + 26) + le16(local + 28);
    if (dataPos > m_file.size || compressedSize > m_file.size - dataPos)
        throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    std::vector<unsigned char> raw(compressedSize);
    if (fseeko(file.get(), static_cast<off_t>(dataPos), SEEK_SET) != 0 ||
        std::fread(raw.data(), 1, compressedSize, file.get()) != compressedSize)
        throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    return raw;
}

void QVArchiveReader::readAesEntry(std::vector<unsigned char>& out, const std::string& password, std::size_t declared,
                                   unsigned long crc, const unsigned char* extra, std::size_t extraLength) {
    zipaes::AesExtra aes;
    if (!zipaes::parseAesExtra(extra, extraLength, aes)) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    unz_file_info64 info;
    int result = unzGetCurrentFileInfo64(zip(m_archive), &info, nullptr, 0, nullptr, 0, nullptr, 0);
    if (result != UNZ_OK) throwArchiveError(result, kOpenMessage);
    // Salt, verifier and code are the only overhead: anything far above the cap is refused before reading.
    if (info.compressed_size < aes.saltLength() + 12) throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
    if (info.compressed_size - aes.saltLength() - 12 > maxPayload()) throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
    if (password.empty()) throwArchiveError(qvarchive::kWrongPassword, kOpenMessage);
    std::vector<unsigned char> raw = readRawEntryBytes(static_cast<std::size_t>(info.compressed_size));

    switch (zipaes::decryptInPlace(aes, password, raw)) {
        case zipaes::Result::Ok:
            break;
        case zipaes::Result::WrongPassword:
            throwArchiveError(qvarchive::kWrongPassword, kOpenMessage);
        case zipaes::Result::TooShort:
            throwArchiveError(UNZ_BADZIPFILE, kOpenMessage);
        case zipaes::Result::AuthFailed:
            throwArchiveError(UNZ_BADZIPFILE, kReadMessage);
        case zipaes::Result::CryptoError:
            throwArchiveError(UNZ_INTERNALERROR, kReadMessage);
    }

    finishPayload(raw, out, aes.innerMethod == 8, declared, crc, aes.version == 1);
}

std::string decodeArchivePassword(const std::string& stored) {
    unsigned char* decoded = nullptr;
    int length = cocos2d::base64Decode(reinterpret_cast<const unsigned char*>(stored.data()),
                                       static_cast<unsigned int>(stored.size()), &decoded);
    std::string password;
    if (length > 0 && decoded) {
        password.resize(static_cast<std::size_t>(length));
        for (int i = 0; i < length; ++i)
            password[static_cast<std::size_t>(i)] =
                static_cast<char>(decoded[i] ^ qvformat::kPasswordTable[static_cast<std::size_t>(i) % 8]);
    }
    std::free(decoded);
    return password;
}
