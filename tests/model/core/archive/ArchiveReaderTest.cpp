#include <gtest/gtest.h>
#include <zlib.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "../support/model_test_support.h"
#include "QVPackageWriter.h"
#include "ZipBytes.h"
#include "model/core/QVArchiveReader.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"

namespace {

using modeltest::Bytes;
using Kind = QVPackageEntry::Kind;

const std::string kPassword = "rzQKcR5azqXhHMh";
const std::string kOpenBad = "Unable to open a file: Bad archive";
const std::string kReadBad = "Unable to read the file: Bad archive";
const std::string kWrongPassword = "Unable to open a file: Error P17";

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes patterned(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>((i * 7 + i / 13) & 0xFF);
    return b;
}

uint32_t crcOf(const Bytes& b) { return static_cast<uint32_t>(crc32(0, b.data(), static_cast<uInt>(b.size()))); }

QVPackageEntry entry(const std::string& name, const Bytes& data, Kind kind) {
    QVPackageEntry e;
    e.name = name;
    e.data = data;
    e.kind = kind;
    return e;
}

QVPackageEntry aesEntry(const std::string& name, const Bytes& data, int strength, int version, bool deflate) {
    QVPackageEntry e = entry(name, data, Kind::Aes);
    e.aesStrength = strength;
    e.aesVersion = version;
    e.aesDeflate = deflate;
    return e;
}

Bytes fixture(const std::string& file) {
    return modeltest::readFile(std::string(QV_SOURCE_DIR) + "/tests/fixtures/archive/" + file);
}

// The two files every third-party fixture holds.
const Bytes& fileA() {
    static const Bytes a = bytesOf("hello world hello world\n");
    return a;
}
const Bytes& fileB() {
    static const Bytes b = [] {
        std::string s;
        for (int i = 0; i < 100; ++i) s += "hello world\n";
        return bytesOf(s);
    }();
    return b;
}

class Archive : public ::testing::Test {
protected:
    std::string write(const QVPackageWriter& w, const std::string& name = "data.pkg") {
        return writeBytes(w.finish(), name);
    }
    std::string writeBytes(const Bytes& bytes, const std::string& name = "raw.pkg") {
        modeltest::writeFile(dir.path + "/" + name, bytes);
        return dir.path + "/" + name;
    }
    // The error text of reading `name` from a package made of `bytes`.
    std::string errorOf(const Bytes& bytes, const std::string& name, const std::string& password,
                        std::size_t cap = qvarchive::kDefaultEntryCap) {
        QVArchiveReader reader(writeBytes(bytes, "case" + std::to_string(++cases) + ".pkg"), cap);
        return readError(reader, name, password);
    }
    static std::string readError(QVArchiveReader& reader, const std::string& name, const std::string& password) {
        Bytes out;
        try {
            reader.readFile(name, out, password);
        } catch (const std::exception& e) {
            EXPECT_TRUE(out.empty());
            return e.what();
        }
        return "no error";
    }
    modeltest::TempDir dir;
    int cases = 0;
};

}  // namespace

TEST_F(Archive, EveryEntryKindReadsBackExactly) {
    QVPackageWriter w(7);
    const Bytes big = patterned(100000);
    w.add(entry("stored", big, Kind::Stored));
    w.add(entry("deflated", big, Kind::Deflated));
    w.add(entry("traditional", big, Kind::Traditional), kPassword);
    QVPackageEntry streamed = entry("traditional-dd", big, Kind::Traditional);
    streamed.dataDescriptor = true;
    w.add(streamed, kPassword);
    for (int strength = 1; strength <= 3; ++strength)
        for (int version = 1; version <= 2; ++version)
            for (bool deflate : {false, true})
                w.add(aesEntry(
                          "aes-" + std::to_string(strength) + "-" + std::to_string(version) + (deflate ? "-d" : "-s"),
                          big, strength, version, deflate),
                      kPassword);
    w.add(entry("empty", Bytes(), Kind::Aes), kPassword);
    QVArchiveReader reader(write(w));
    int seen = 0;
    for (std::string name = reader.firstFile(kPassword); !name.empty(); name = reader.nextFile(kPassword), ++seen) {
        Bytes out;
        ASSERT_TRUE(reader.readFile(name, out, kPassword)) << name;
        EXPECT_EQ(out, name == "empty" ? Bytes() : big) << name;
    }
    EXPECT_EQ(seen, 17);
}

TEST_F(Archive, ReadsPackagesOfOtherToolsInBothAesVersions) {
    struct Case {
        const char* file;
        std::vector<std::string> names;
    };
    const std::vector<Case> packages = {
        {"aes256-7z.zip", {"a.txt", "b.txt"}},
        {"aes192-7z.zip", {"a.txt", "b.txt"}},
        {"aes128-stored-7z.zip", {"a.txt"}},
        {"traditional-infozip.zip", {"a.txt", "b.txt"}},
        {"traditional-stored-infozip.zip", {"a.txt", "b.txt"}},
    };
    for (const Case& c : packages) {
        QVArchiveReader reader(writeBytes(fixture(c.file), c.file));
        for (const std::string& name : c.names) {
            Bytes out;
            ASSERT_TRUE(reader.readFile(name, out, kPassword)) << c.file << " " << name;
            EXPECT_EQ(out, name == "a.txt" ? fileA() : fileB()) << c.file << " " << name;
        }
    }
    // 7-Zip writes AE-2 (no CRC). The AE-1 form of the same package, with the
    // CRC filled in, reads the same; an AE-1 entry whose CRC field is left 0
    // fails its plaintext check.
    for (const char* file : {"aes256-7z.zip", "aes192-7z.zip"}) {
        Bytes ae1 = fixture(file);
        zipbytes::setAesVersion(ae1, "a.txt", 1, crcOf(fileA()));
        zipbytes::setAesVersion(ae1, "b.txt", 1, crcOf(fileB()));
        QVArchiveReader reader(writeBytes(ae1, std::string("ae1-") + file));
        Bytes out;
        ASSERT_TRUE(reader.readFile("b.txt", out, kPassword)) << file;
        EXPECT_EQ(out, fileB());
        ASSERT_TRUE(reader.readFile("a.txt", out, kPassword)) << file;
        EXPECT_EQ(out, fileA());

        Bytes noCrc = fixture(file);
        zipbytes::setAesFieldByte(noCrc, "b.txt", 0, 1);
        EXPECT_EQ(errorOf(noCrc, "b.txt", kPassword), kReadBad) << file;
    }
    // And back: our AE-1 entry as AE-2 no longer needs its CRC.
    QVPackageWriter w(11);
    w.add(aesEntry("x", patterned(5000), 3, 1, true), kPassword);
    Bytes ae2 = w.finish();
    zipbytes::setAesVersion(ae2, "x", 2, 0);
    QVArchiveReader reader(writeBytes(ae2));
    Bytes out;
    ASSERT_TRUE(reader.readFile("x", out, kPassword));
    EXPECT_EQ(out, patterned(5000));
}

// Directories are skipped (at the start, between files, repeated, at the end),
// however many, and a read between steps does not disturb the walk.
TEST_F(Archive, WalkSkipsTensOfThousandsOfDirectoryEntriesAndEndsWithAnEmptyName) {
    QVPackageWriter w;
    for (int i = 0; i < 10000; ++i) w.add(entry("lead" + std::to_string(i) + "/", Bytes(), Kind::Stored));
    w.add(entry("Keys.pack", bytesOf("keys"), Kind::Stored));
    w.add(entry("sounds/", Bytes(), Kind::Stored));
    w.add(entry("sounds/", Bytes(), Kind::Stored));
    for (int i = 0; i < 10000; ++i) w.add(entry("mid" + std::to_string(i) + "/", Bytes(), Kind::Stored));
    w.add(entry("last", bytesOf("last"), Kind::Aes), kPassword);
    for (int i = 0; i < 10000; ++i) w.add(entry("tail" + std::to_string(i) + "/", Bytes(), Kind::Stored));
    QVArchiveReader reader(write(w));
    EXPECT_EQ(reader.firstFile(kPassword), "Keys.pack");
    EXPECT_EQ(reader.nextFile(kPassword), "last");
    Bytes out;
    ASSERT_TRUE(reader.readFile("last", out, kPassword));
    EXPECT_EQ(out, bytesOf("last"));
    EXPECT_EQ(reader.nextFile(kPassword), "");
}

TEST_F(Archive, WalkNeverOpensTheEntriesItPasses) {
    // A wrong password and a broken entry cost nothing until they are read.
    QVPackageWriter w(2);
    w.add(entry("aes", patterned(100), Kind::Aes), kPassword);
    w.add(entry("bzip", patterned(100), Kind::Stored));
    w.add(entry("trad", patterned(100), Kind::Traditional), kPassword);
    Bytes bytes = w.finish();
    zipbytes::setMethod(bytes, "bzip", 12);
    QVArchiveReader reader(writeBytes(bytes));
    std::vector<std::string> names;
    for (std::string n = reader.firstFile("wrong"); !n.empty(); n = reader.nextFile("wrong")) names.push_back(n);
    EXPECT_EQ(names, (std::vector<std::string>{"aes", "bzip", "trad"}));
}

TEST_F(Archive, MissingEntryAndRepeatedReads) {
    QVPackageWriter w;
    w.add(entry("a", bytesOf("alpha"), Kind::Aes), kPassword);
    w.add(entry("b", bytesOf("beta"), Kind::Stored));
    w.add(entry("c", bytesOf("gamma"), Kind::Deflated));
    QVArchiveReader reader(write(w));
    Bytes out = bytesOf("stale");
    EXPECT_FALSE(reader.readFile("missing", out, kPassword));
    EXPECT_TRUE(out.empty());
    // Matching is case-sensitive, as folder mode is.
    EXPECT_FALSE(reader.readFile("A", out, kPassword));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(reader.readFile("a", out, kPassword));
        EXPECT_EQ(out, bytesOf("alpha"));
    }
    // Unencrypted entries read with or without a password.
    for (const std::string& password : {kPassword, std::string()}) {
        ASSERT_TRUE(reader.readFile("b", out, password));
        EXPECT_EQ(out, bytesOf("beta"));
        ASSERT_TRUE(reader.readFile("c", out, password));
        EXPECT_EQ(out, bytesOf("gamma"));
    }
}

TEST_F(Archive, WrongOrMissingPasswordIsErrorP17OnEveryKind) {
    QVPackageWriter w(3);
    w.add(entry("trad", patterned(500), Kind::Traditional), kPassword);
    QVPackageEntry streamed = entry("trad-dd", patterned(500), Kind::Traditional);
    streamed.dataDescriptor = true;
    w.add(streamed, kPassword);
    for (int strength = 1; strength <= 3; ++strength)
        w.add(aesEntry("aes" + std::to_string(strength), patterned(500), strength, 2, strength != 2), kPassword);
    struct Case {
        Bytes bytes;
        std::vector<std::string> names;
    };
    const std::vector<Case> packages = {
        {w.finish(), {"trad", "trad-dd", "aes1", "aes2", "aes3"}},
        {fixture("traditional-infozip.zip"), {"a.txt", "b.txt"}},
        {fixture("traditional-stored-infozip.zip"), {"a.txt", "b.txt"}},
        {fixture("aes128-stored-7z.zip"), {"a.txt"}},
        {fixture("aes192-7z.zip"), {"a.txt", "b.txt"}},
        {fixture("aes256-7z.zip"), {"a.txt", "b.txt"}},
    };
    for (const Case& c : packages) {
        QVArchiveReader reader(writeBytes(c.bytes, "case" + std::to_string(++cases) + ".pkg"));
        for (const std::string& name : c.names) {
            EXPECT_EQ(readError(reader, name, ""), kWrongPassword) << name;
            EXPECT_EQ(readError(reader, name, "not the password"), kWrongPassword) << name;
            // A failed read leaves the reader usable.
            Bytes out;
            ASSERT_TRUE(reader.readFile(name, out, kPassword)) << name;
            EXPECT_FALSE(out.empty());
        }
    }
}

TEST_F(Archive, FlippedOrResizedDataIsBadArchive) {
    struct Case {
        std::string label;
        Bytes bytes;
        std::string name;
        size_t flipAt;  // offset in the entry's data
    };
    QVPackageWriter w(5);
    w.add(entry("trad", patterned(3000), Kind::Traditional), kPassword);
    w.add(aesEntry("ae1", patterned(3000), 3, 1, true), kPassword);
    w.add(entry("deflated", patterned(3000), Kind::Deflated));
    w.add(entry("stored", patterned(3000), Kind::Stored));
    const Bytes ours = w.finish();
    const std::vector<Case> flips = {
        {"stored traditional", fixture("traditional-stored-infozip.zip"), "b.txt", 600},
        {"deflated traditional", ours, "trad", 40},
        {"deflated traditional, data descriptor", fixture("traditional-infozip.zip"), "b.txt", 20},
        {"AES data", ours, "ae1", 200},
        {"7-Zip AES data", fixture("aes256-7z.zip"), "b.txt", 30},
        {"AES authentication code", ours, "ae1", zipbytes::entry(ours, "ae1").compressedSize - 3},
        {"stored", ours, "stored", 1500},
        {"deflated", ours, "deflated", 40},
    };
    for (const Case& c : flips) {
        Bytes bytes = c.bytes;
        bytes.at(zipbytes::entry(bytes, c.name).data + c.flipAt) ^= 0x20;
        std::string error = errorOf(bytes, c.name, kPassword);
        EXPECT_EQ(error, kReadBad) << c.label;
    }

    // The AE-1 CRC field: authentic data whose plaintext check fails.
    Bytes crc = ours;
    zipbytes::setCrc(crc, "ae1", crcOf(patterned(3000)) ^ 1);
    EXPECT_EQ(errorOf(crc, "ae1", kPassword), kReadBad);

    // A declared size one byte off, either way, on every kind.
    for (const char* name : {"trad", "ae1", "deflated", "stored"})
        for (int delta : {-1, 1}) {
            Bytes resized = ours;
            zipbytes::setUncompressedSize(resized, name, static_cast<uint32_t>(3000 + delta));
            std::string error = errorOf(resized, name, kPassword);
            EXPECT_TRUE(error == kReadBad || error == kOpenBad) << name << " " << delta << ": " << error;
        }
}

TEST_F(Archive, RefusesEntriesItCannotReadSafely) {
    QVPackageWriter w(9);
    w.add(entry("x", patterned(2000), Kind::Deflated));
    w.add(aesEntry("aes", patterned(2000), 3, 2, true), kPassword);
    const Bytes bytes = w.finish();
    for (uint32_t method : {12u, 14u, 1u, 9u}) {  // bzip2, LZMA, shrink, deflate64
        Bytes b = bytes;
        zipbytes::setMethod(b, "x", method);
        EXPECT_EQ(errorOf(b, "x", kPassword), kOpenBad) << method;
    }
    Bytes strong = bytes;
    zipbytes::setFlagBits(strong, "x", 0x40);
    EXPECT_EQ(errorOf(strong, "x", ""), kOpenBad);
    Bytes strongAes = bytes;
    zipbytes::setFlagBits(strongAes, "aes", 0x40);
    EXPECT_EQ(errorOf(strongAes, "aes", kPassword), kOpenBad);

    // The AES field: strength 4, an inner method other than 0 or 8, a vendor
    // other than "AE"; and method 99 without the encryption flag.
    const std::vector<std::pair<size_t, unsigned char>> fieldEdits = {{4, 4}, {4, 0}, {5, 12}, {0, 3}, {3, 'X'}};
    for (const auto& edit : fieldEdits) {
        Bytes b = bytes;
        zipbytes::setAesFieldByte(b, "aes", edit.first, edit.second);
        EXPECT_EQ(errorOf(b, "aes", kPassword), kOpenBad) << edit.first << "=" << int(edit.second);
    }
    Bytes plain99 = bytes;
    zipbytes::Entry e = zipbytes::entry(plain99, "aes");
    zipbytes::put16(plain99, e.central + 8, zipbytes::get16(plain99, e.central + 8) & ~1u);
    zipbytes::put16(plain99, e.local + 6, zipbytes::get16(plain99, e.local + 6) & ~1u);
    EXPECT_EQ(errorOf(plain99, "aes", kPassword), kOpenBad);
}

TEST_F(Archive, EntryCapRejectsLargerEntriesOfEveryKind) {
    constexpr size_t kMiB = size_t(1) << 20;
    QVPackageWriter w(4);
    for (size_t size : {kMiB, 2 * kMiB}) {
        std::string n = std::to_string(size / kMiB);
        w.add(entry("stored" + n, patterned(size), Kind::Stored));
        w.add(entry("deflated" + n, patterned(size), Kind::Deflated));
        w.add(entry("trad" + n, patterned(size), Kind::Traditional), kPassword);
        w.add(aesEntry("aes" + n, patterned(size), 1, 2, false), kPassword);
    }
    QVArchiveReader reader(write(w), kMiB);
    for (const char* kind : {"stored", "deflated", "trad", "aes"}) {
        Bytes out;
        ASSERT_TRUE(reader.readFile(std::string(kind) + "1", out, kPassword)) << kind;
        EXPECT_EQ(out.size(), kMiB);
        EXPECT_EQ(readError(reader, std::string(kind) + "2", kPassword), kReadBad) << kind;
    }
    // A declared size within the cap does not let more bytes through.
    Bytes lying = w.finish();
    zipbytes::setUncompressedSize(lying, "deflated2", static_cast<uint32_t>(kMiB / 2));
    EXPECT_NE(errorOf(lying, "deflated2", "", kMiB), "no error");
}

TEST_F(Archive, FilesThatAreNotArchivesFailToOpen) {
    EXPECT_THROW(QVArchiveReader(dir.path + "/nothing-here.pkg"), std::system_error);
    for (const Bytes& garbage : {bytesOf("this is not a zip archive at all"), Bytes()}) {
        try {
            QVArchiveReader reader(writeBytes(garbage));
            FAIL() << "opened garbage";
        } catch (const std::system_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Unable to open the archive", 0), 0u) << e.what();
        }
    }
    QVPackageWriter w;
    w.add(entry("x", patterned(5000), Kind::Stored));
    Bytes bytes = w.finish();
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(QVArchiveReader(writeBytes(bytes, "half.pkg")), std::system_error);
}

// The reason is the file's own, never an errno left over from earlier calls.
TEST_F(Archive, OpenFailuresNameTheCause) {
    QVPackageWriter w;
    w.add(entry("x", patterned(5000), Kind::Stored));
    const Bytes whole = w.finish();
    const struct {
        const char* name;
        std::string path;
        const char* reason;
    } rows[] = {
        {"missing", dir.path + "/nothing-here.pkg", "No such file or directory"},
        {"directory", dir.path, "No such file or directory"},
        {"random bytes", writeBytes(patterned(4096), "random.pkg"), "not a zip archive"},
        {"empty", writeBytes(Bytes(), "empty.pkg"), "not a zip archive"},
        {"cut in half", writeBytes(Bytes(whole.begin(), whole.begin() + whole.size() / 2), "half.pkg"),
         "truncated zip archive"},
        {"end cut off", writeBytes(Bytes(whole.begin(), whole.end() - 30), "end.pkg"), "truncated zip archive"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (int stale : {0, ENOENT, EACCES}) {
            errno = stale;
            try {
                QVArchiveReader reader(row.path);
                ADD_FAILURE() << "opened";
            } catch (const std::system_error& e) {
                EXPECT_EQ(std::string(e.what()), std::string("Unable to open the archive: ") + row.reason);
            }
        }
    }
}

TEST(ArchiveErrors, CodesMapToFixedTexts) {
    auto text = [](int code) {
        try {
            QVArchiveReader::throwArchiveError(code, "Unable to read the file:");
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(text(-102), "Unable to read the file: Invalid parameter");
    for (int code : {-103, -105, -2, -3, -4, -5}) EXPECT_EQ(text(code), kReadBad) << code;
    EXPECT_EQ(text(-106), "Unable to read the file: Error P17");
    EXPECT_EQ(text(-104), "Unable to read the file: Unknown error");
    EXPECT_THROW(QVArchiveReader::throwArchiveError(-1, "m"), std::system_error);
}

TEST(ArchivePassword, StoredStringGivesThePackagePassword) {
    std::string password = decodeArchivePassword(qvformat::kStoredArchivePassword);
    EXPECT_EQ(password, "rzQKcR5azqXhHMh");
    EXPECT_EQ(password.find('\0'), std::string::npos);  // minizip takes a C string
    EXPECT_EQ(decodeArchivePassword(""), "");
    EXPECT_EQ(decodeArchivePassword("not*base64"), "");
    EXPECT_EQ(QVModelController::decodeArchivePassword(qvformat::kStoredArchivePassword), password);
}
