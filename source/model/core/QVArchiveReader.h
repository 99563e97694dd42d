// Reads whole entries of the game's data package, a zip archive whose entries
// are stored, deflated, traditionally encrypted or WinZip AES encrypted.
// Every failure is an exception with a fixed text (see throwArchiveError);
// a missing entry is not a failure (readFile returns false). Entries are
// checked end to end: a size, CRC, authentication or stream-end mismatch
// fails the read, and no entry may exceed the size cap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qvarchive {
// minizip 1.1 has no code for a wrong password; ours.
constexpr int kWrongPassword = -106;
// Default size cap of one entry, declared or produced.
constexpr std::size_t kDefaultEntryCap = std::size_t(256) << 20;
// What the open callback minizip is given saw of the package file.
struct OpenedFile {
    uint64_t size = 0;  // bytes in the package file
    bool opened = false;
    int error = 0;  // errno of a failed open
};
}  // namespace qvarchive

class QVArchiveReader {
public:
    // Throws std::system_error "Unable to open the archive: <reason>" when
    // the file cannot be opened as a zip archive: the system's reason when
    // the file cannot be opened ("No such file or directory" also for a
    // directory or FIFO), "not a zip archive" for other bytes, "truncated
    // zip archive" for one that starts as a zip archive but lost its end.
    explicit QVArchiveReader(const std::string& path, std::size_t entryCap = qvarchive::kDefaultEntryCap);
    virtual ~QVArchiveReader();

    QVArchiveReader(const QVArchiveReader&) = delete;
    QVArchiveReader& operator=(const QVArchiveReader&) = delete;

    // Name of the entry minizip is positioned on.
    std::string currentFileName();

    // Makes `name` the current entry. False when the archive has no such entry;
    // throws on other archive errors. The entry is opened at its first read.
    bool locateFile(const std::string& name, const std::string& password);

    // Walk in archive order, skipping directories. Returns the entry's name and
    // makes it current; nextFile returns "" after the last entry.
    std::string firstFile(const std::string& password);
    std::string nextFile(const std::string& password);

    // Reads the whole entry into `out`. False (with `out` empty) when there is
    // no such entry; throws on every other failure, after which the entry is
    // closed and forgotten so the next read starts afresh.
    bool readFile(const std::string& name, std::vector<unsigned char>& out, const std::string& password);

    // Throws the exception for a minizip (or our) error code; never returns.
    [[noreturn]] static void throwArchiveError(int code, const char* message);

private:
    std::string walkFrom(int moveResult, const char* message, const std::string& password);
    void closeCurrent();
    void readEntry(std::vector<unsigned char>& out, const std::string& password);
    void readThroughMinizip(std::vector<unsigned char>& out, std::size_t declared);
    void finishPayload(std::vector<unsigned char>& payload, std::vector<unsigned char>& out, bool deflated,
                       std::size_t declared, unsigned long crc, bool checkCrc);
    std::size_t maxPayload() const;
    void readAesEntry(std::vector<unsigned char>& out, const std::string& password, std::size_t declared,
                      unsigned long crc, const unsigned char* extra, std::size_t extraLength);
    std::vector<unsigned char> readRawEntryBytes(std::size_t compressedSize);

    void* m_archive = nullptr;  // unzFile
    std::string m_path;
    std::size_t m_entryCap;
    qvarchive::OpenedFile m_file;  // minizip's open callback fills it
    std::string m_currentEntry;    // the entry positioned on; "" when none
    bool m_entryOpen = false;      // opened through minizip
};

// Turns the stored password string into the archive password: Base64, then
// each byte XOR the stored 8-byte table. Empty when decoding yields nothing.
std::string decodeArchivePassword(const std::string& stored);
