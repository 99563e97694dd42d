// The load fixtures' packages, made by zip, 7z and our Python writer from the
// same folder, must read back byte-identical to the folder's files. (Their
// wrong-password forms are read by the loader tests, tests/model/classes/load.)
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "../support/model_test_support.h"
#include "model/core/QVArchiveReader.h"

namespace {

using modeltest::Bytes;
const std::string kFixtures = std::string(QV_BINARY_DIR) + "/fixtures/load";

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> listDir(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every file of the folder form, by name.
std::map<std::string, Bytes> folderFiles() {
    std::map<std::string, Bytes> files;
    const std::string data = kFixtures + "/small/data";
    for (const std::string& name : listDir(data))
        if (isFile(data + "/" + name)) files[name] = modeltest::readFile(data + "/" + name);
    return files;
}

std::vector<std::string> smallPackages() {
    std::vector<std::string> packages;
    for (const std::string& name : listDir(kFixtures))
        if (name.rfind("small-", 0) == 0 && isFile(kFixtures + "/" + name + "/data/data.pkg")) packages.push_back(name);
    return packages;
}

}  // namespace

TEST(ArchiveFixtures, EverySmallPackageReadsLikeTheFolder) {
    const std::map<std::string, Bytes> expected = folderFiles();
    const std::vector<std::string> packages = smallPackages();
    // A missing fixture is a broken build, never a skipped check.
    ASSERT_FALSE(expected.empty() || packages.empty()) << "no load fixtures under " << kFixtures;
    ASSERT_TRUE(expected.count("Keys.pack"));
    for (const std::string& package : packages) {
        SCOPED_TRACE(package);
        QVArchiveReader reader(kFixtures + "/" + package + "/data/data.pkg");
        std::map<std::string, Bytes> read;
        const std::string password = decodeArchivePassword("m6lN0kdRRxOTokTxbE4a");
        for (std::string name = reader.firstFile(password); !name.empty(); name = reader.nextFile(password)) {
            Bytes out;
            ASSERT_TRUE(reader.readFile(name, out, password)) << name;
            EXPECT_TRUE(read.emplace(name, std::move(out)).second) << "walked twice: " << name;
        }
        EXPECT_EQ(read.size(), expected.size());
        for (const auto& file : expected) {
            auto it = read.find(file.first);
            ASSERT_NE(it, read.end()) << file.first;
            EXPECT_TRUE(it->second == file.second) << file.first;
        }
    }
}
