#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "QVPackageWriter.h"
#include "model/core/QVArchiveReader.h"
#include "model/core/QVDataFormat.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Kind = QVPackageEntry::Kind;

const std::string kPassword = "rzQKcR5azqXhHMh";

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes patterned(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>((i * 7 + i / 13) & 0xFF);
    return b;
}

QVPackageEntry entry(const std::string& name, const Bytes& data, Kind kind) {
    QVPackageEntry e;
    e.name = name;
    e.data = data;
    e.kind = kind;
    return e;
}

class Archive : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/qv-archive-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        std::string cmd = "rm -rf '" + dir + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string write(const QVPackageWriter& w, const std::string& name = "data.pkg") {
        std::string path = dir + "/" + name;
        EXPECT_TRUE(w.writeTo(path));
        return path;
    }
    std::string writeBytes(const Bytes& bytes, const std::string& name = "raw.pkg") {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string dir;
};

std::string readError(QVArchiveReader& reader, const std::string& name, const std::string& password) {
    Bytes out;
    try {
        reader.readFile(name, out, password);
    } catch (const std::exception& e) {
        EXPECT_TRUE(out.empty());
        return e.what();
    }
    return "no error";
}

// Offset of the first central header in finished package bytes.
size_t centralHeader(const Bytes& b) {
    for (size_t i = 0; i + 4 <= b.size(); ++i)
        if (b[i] == 0x50 && b[i + 1] == 0x4b && b[i + 2] == 0x01 && b[i + 3] == 0x02) return i;
    return b.size();
}

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
            for (bool deflate : {false, true}) {
                QVPackageEntry e = entry("aes-" + std::to_string(strength) + "-" + std::to_string(version) +
                                             (deflate ? "-d" : "-s"),
                                         big, Kind::Aes);
                e.aesStrength = strength;
                e.aesVersion = version;
                e.aesDeflate = deflate;
                w.add(e, kPassword);
            }
    w.add(entry("empty", Bytes(), Kind::Aes), kPassword);
    QVArchiveReader reader(write(w));
    for (std::string name = reader.firstFile(kPassword); !name.empty(); name = reader.nextFile(kPassword)) {
        Bytes out;
        ASSERT_TRUE(reader.readFile(name, out, kPassword)) << name;
        EXPECT_EQ(out, name == "empty" ? Bytes() : big) << name;
    }
}

TEST_F(Archive, ReadsPackagesWrittenByOtherTools) {
    const std::string a = "hello world hello world\n";
    std::string b;
    for (int i = 0; i < 100; ++i) b += "hello world\n";
    for (const char* file : {"aes256-7z.zip", "traditional-infozip.zip"}) {
        QVArchiveReader reader(std::string(QV_SOURCE_DIR) + "/tests/fixtures/archive/" + file);
        Bytes out;
        ASSERT_TRUE(reader.readFile("a.txt", out, kPassword)) << file;
        EXPECT_EQ(out, bytesOf(a)) << file;
        ASSERT_TRUE(reader.readFile("b.txt", out, kPassword)) << file;
        EXPECT_EQ(out, bytesOf(b)) << file;
    }
    QVArchiveReader reader(std::string(QV_SOURCE_DIR) + "/tests/fixtures/archive/aes128-stored-7z.zip");
    Bytes out;
    ASSERT_TRUE(reader.readFile("a.txt", out, kPassword));
    EXPECT_EQ(out, bytesOf(a));
}

TEST_F(Archive, WalkSkipsDirectoriesAndEndsWithAnEmptyName) {
    QVPackageWriter w;
    w.add(entry("images/", Bytes(), Kind::Stored));
    w.add(entry("Keys.pack", bytesOf("keys"), Kind::Deflated));
    w.add(entry("sounds/", Bytes(), Kind::Stored));
    w.add(entry("sounds/", Bytes(), Kind::Stored));
    w.add(entry("QVModelSprite.0.attributes.pack", bytesOf("sprite"), Kind::Stored));
    QVArchiveReader reader(write(w));
    EXPECT_EQ(reader.firstFile(""), "Keys.pack");
    Bytes out;
    ASSERT_TRUE(reader.readFile("Keys.pack", out, ""));
    EXPECT_EQ(reader.nextFile(""), "QVModelSprite.0.attributes.pack");
    EXPECT_EQ(reader.nextFile(""), "");
}

TEST_F(Archive, MissingEntryAndRepeatedReads) {
    QVPackageWriter w;
    w.add(entry("a", bytesOf("alpha"), Kind::Aes), kPassword);
    w.add(entry("b", bytesOf("beta"), Kind::Stored));
    QVArchiveReader reader(write(w));
    Bytes out = bytesOf("stale");
    EXPECT_FALSE(reader.readFile("missing", out, kPassword));
    EXPECT_TRUE(out.empty());
    // Matching is case-sensitive.
    EXPECT_FALSE(reader.readFile("A", out, kPassword));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(reader.readFile("a", out, kPassword));
        EXPECT_EQ(out, bytesOf("alpha"));
    }
    // An unencrypted entry reads with or without a password.
    ASSERT_TRUE(reader.readFile("b", out, kPassword));
    EXPECT_EQ(out, bytesOf("beta"));
}

TEST_F(Archive, WrongOrMissingPasswordIsErrorP17) {
    QVPackageWriter w(3);
    w.add(entry("trad", patterned(500), Kind::Traditional), kPassword);
    w.add(entry("aes", patterned(500), Kind::Aes), kPassword);
    QVArchiveReader reader(write(w));
    for (const char* name : {"trad", "aes"}) {
        EXPECT_EQ(readError(reader, name, ""), "Unable to open a file: Error P17") << name;
        EXPECT_EQ(readError(reader, name, "not the password"), "Unable to open a file: Error P17") << name;
        // A failed read leaves the reader usable.
        Bytes out;
        ASSERT_TRUE(reader.readFile(name, out, kPassword)) << name;
        EXPECT_EQ(out, patterned(500));
    }
}

TEST_F(Archive, TamperedEntriesFailCleanly) {
    QVPackageWriter w(5);
    QVPackageEntry ae1 = entry("ae1", patterned(3000), Kind::Aes);
    ae1.aesVersion = 1;
    w.add(ae1, kPassword);
    w.add(entry("deflated", patterned(3000), Kind::Deflated));
    Bytes bytes = w.finish();
    // Flip one byte in the middle of each entry's data.
    Bytes aesFlipped = bytes;
    aesFlipped[200] ^= 0x40;
    {
        QVArchiveReader reader(writeBytes(aesFlipped, "aes.pkg"));
        EXPECT_EQ(readError(reader, "ae1", kPassword), "Unable to read the file: Bad archive");
        Bytes out;
        ASSERT_TRUE(reader.readFile("deflated", out, ""));
    }
    // A wrong CRC in the headers of an AE-1 entry: authentic data, bad plaintext check.
    Bytes crcBroken = bytes;
    size_t central = centralHeader(crcBroken);
    crcBroken[central + 16] ^= 0x01;
    crcBroken[14] ^= 0x01;
    {
        QVArchiveReader reader(writeBytes(crcBroken, "crc.pkg"));
        EXPECT_EQ(readError(reader, "ae1", kPassword), "Unable to read the file: Bad archive");
    }
    // A deflate stream cut short (declared size larger than what inflates).
    Bytes sizeBroken = bytes;
    size_t second = centralHeader(sizeBroken) + 46 + 3 + 11;  // second central header
    sizeBroken[second + 24] ^= 0x01;
    {
        QVArchiveReader reader(writeBytes(sizeBroken, "size.pkg"));
        std::string error = readError(reader, "deflated", "");
        EXPECT_NE(error, "no error");
    }
}

TEST_F(Archive, RefusesUnsupportedEntriesAndOversizedOnes) {
    QVPackageWriter w;
    w.add(entry("x", patterned(2000), Kind::Deflated));
    Bytes bytes = w.finish();
    size_t central = centralHeader(bytes);
    Bytes strong = bytes;
    strong[central + 8] |= 0x40;  // strong encryption
    {
        QVArchiveReader reader(writeBytes(strong, "strong.pkg"));
        EXPECT_EQ(readError(reader, "x", ""), "Unable to open a file: Bad archive");
    }
    Bytes bzip = bytes;
    bzip[central + 10] = 12;  // bzip2
    {
        QVArchiveReader reader(writeBytes(bzip, "bzip.pkg"));
        EXPECT_EQ(readError(reader, "x", ""), "Unable to open a file: Bad archive");
    }
    QVArchiveReader capped(writeBytes(bytes, "capped.pkg"), 1000);
    EXPECT_EQ(readError(capped, "x", ""), "Unable to read the file: Bad archive");
}

TEST_F(Archive, AesWithoutItsExtraFieldIsRefused) {
    QVPackageWriter w;
    w.add(entry("aes", patterned(100), Kind::Aes), kPassword);
    Bytes bytes = w.finish();
    size_t central = centralHeader(bytes);
    bytes[central + 46 + 3 + 6] = 'X';  // vendor "AE" broken
    QVArchiveReader reader(writeBytes(bytes));
    EXPECT_EQ(readError(reader, "aes", kPassword), "Unable to open a file: Bad archive");
}

TEST_F(Archive, FilesThatAreNotArchivesFailToOpen) {
    EXPECT_THROW(QVArchiveReader(dir + "/nothing-here.pkg"), std::system_error);
    std::string garbage = writeBytes(bytesOf("this is not a zip archive at all"));
    try {
        QVArchiveReader reader(garbage);
        FAIL() << "opened garbage";
    } catch (const std::system_error& e) {
        EXPECT_NE(std::string(e.what()).find("Unable to open the archive"), std::string::npos);
    }
    QVPackageWriter w;
    w.add(entry("x", patterned(5000), Kind::Stored));
    Bytes bytes = w.finish();
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(QVArchiveReader(writeBytes(bytes, "half.pkg")), std::system_error);
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
    for (int code : {-103, -105, -2, -3, -4, -5}) EXPECT_EQ(text(code), "Unable to read the file: Bad archive");
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
}
