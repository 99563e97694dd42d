#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/CCFileUtils.h"
#include "platform_test_support.h"

using cocos2d::CCFileUtils;
using qvtest::ScratchDir;

namespace {

class FileUtils : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("ENGINE_RESOURCE_ROOT");
        ::unsetenv("ENGINE_WRITABLE_PATH");
        CCFileUtils::purgeFileUtils();
        qvtest::writeFile(root / "data/level.txt", "level");
        qvtest::writeFile(root / "fx/lightMap.png", "light");
        qvtest::writeFile(root / "hd/data/level.txt", "hd level");
        qvtest::writeFile(outside / "elsewhere.bin", "outside");
        fu()->setResourceRoot(root.path());
    }
    void TearDown() override { CCFileUtils::purgeFileUtils(); }

    static CCFileUtils* fu() { return CCFileUtils::sharedFileUtils(); }

    ScratchDir root;
    ScratchDir outside;
};

TEST_F(FileUtils, ResolvesRelativeRootedAbsoluteAndMissingNames) {
    EXPECT_EQ(fu()->getResourceRoot(), root.path() + "/");
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), root / "data/level.txt");
    // Game data names some files with a leading "/" that means "from the root".
    EXPECT_EQ(fu()->fullPathForFilename("/fx/lightMap.png"), root / "fx/lightMap.png");
    EXPECT_EQ(fu()->fullPathForFilename(outside / "elsewhere.bin"), outside / "elsewhere.bin");
    EXPECT_EQ(fu()->fullPathForFilename("missing.png"), "missing.png");
    EXPECT_EQ(fu()->fullPathForFilename("/fx/missing.png"), "/fx/missing.png");
    EXPECT_EQ(fu()->fullPathForFilename(""), "");
}

TEST_F(FileUtils, SearchPathsResolveAgainstRootInOrderWithRootLast) {
    fu()->setSearchPaths({"hd", outside.path()});
    const std::vector<std::string> expected{root / "hd/", outside.path() + "/", root.path() + "/"};
    EXPECT_EQ(fu()->getSearchPaths(), expected);
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), root / "hd/data/level.txt");
    EXPECT_EQ(fu()->fullPathForFilename("elsewhere.bin"), outside / "elsewhere.bin");
    EXPECT_EQ(fu()->fullPathForFilename("fx/lightMap.png"), root / "fx/lightMap.png");

    // A new root moves the relative entries with it.
    ScratchDir other;
    qvtest::writeFile(other / "hd/data/level.txt", "other");
    fu()->setResourceRoot(other.path());
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), other / "hd/data/level.txt");
}

TEST_F(FileUtils, MissesAreNotCachedButRemovedSearchPathsAreForgotten) {
    EXPECT_EQ(fu()->fullPathForFilename("late.txt"), "late.txt");
    qvtest::writeFile(root / "late.txt", "x");
    EXPECT_EQ(fu()->fullPathForFilename("late.txt"), root / "late.txt");

    fu()->addSearchPath("hd");
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), root / "hd/data/level.txt");
    fu()->setSearchPaths({});
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), root / "data/level.txt");
}

TEST_F(FileUtils, ExistenceAndAbsolutenessCheckRegularFilesOnly) {
    EXPECT_TRUE(fu()->isFileExist("data/level.txt"));
    EXPECT_TRUE(fu()->isFileExist("/fx/lightMap.png"));
    EXPECT_TRUE(fu()->isFileExist(outside / "elsewhere.bin"));
    EXPECT_FALSE(fu()->isFileExist("data"));
    EXPECT_FALSE(fu()->isFileExist(root.path()));
    EXPECT_FALSE(fu()->isFileExist("nothing.txt"));
    EXPECT_FALSE(fu()->isFileExist(""));
    EXPECT_TRUE(fu()->isAbsolutePath("/a/b"));
    EXPECT_FALSE(fu()->isAbsolutePath("a/b"));
    EXPECT_FALSE(fu()->isAbsolutePath(""));
}

TEST_F(FileUtils, GetFileDataReturnsBytesFollowedByOneNul) {
    const std::string bytes("void main() {}\0tail", 19);
    qvtest::writeFile(root / "shader.fsh", bytes);
    for (const char* mode : {"rb", "rt"}) {
        unsigned long size = 99;
        unsigned char* data = fu()->getFileData("shader.fsh", mode, &size);
        ASSERT_NE(data, nullptr) << mode;
        ASSERT_EQ(size, bytes.size());
        EXPECT_EQ(std::memcmp(data, bytes.data(), bytes.size()), 0);
        EXPECT_EQ(data[size], 0);
        std::free(data);
    }

    qvtest::writeFile(root / "empty.txt", "");
    unsigned long size = 99;
    unsigned char* data = fu()->getFileData("empty.txt", "rb", &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data[0], 0);
    std::free(data);
}

TEST_F(FileUtils, GetFileDataRefusesDirectoriesMissingAndOversizedFilesLoggingAllButMissing) {
    qvtest::StderrCapture log;
    unsigned long size = 99;
    EXPECT_EQ(fu()->getFileData("nothing.txt", "rb", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(log.text(), "");

    size = 99;
    EXPECT_EQ(fu()->getFileData("data", "rb", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_NE(log.text().find("data"), std::string::npos);

    // A sparse file just over the cap: refused before any allocation.
    const std::string big = root / "big.bin";
    qvtest::writeFile(big, "");
    ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(CCFileUtils::maxFileSize()) + 1), 0);
    size = 99;
    EXPECT_EQ(fu()->getFileData("big.bin", "rb", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_NE(log.text().find("too large"), std::string::npos);

    if (::geteuid() != 0) {
        qvtest::writeFile(root / "secret.txt", "x");
        ::chmod((root / "secret.txt").c_str(), 0);
        const std::string before = log.text();
        EXPECT_EQ(fu()->getFileData("secret.txt", "rb", &size), nullptr);
        EXPECT_GT(log.text().size(), before.size());
    }
}

TEST_F(FileUtils, ResourceRootComesFromTheEnvironmentAtCreation) {
    ::setenv("ENGINE_RESOURCE_ROOT", outside.path().c_str(), 1);
    CCFileUtils::purgeFileUtils();
    EXPECT_EQ(fu()->getResourceRoot(), outside.path() + "/");
    EXPECT_EQ(fu()->fullPathForFilename("elsewhere.bin"), outside / "elsewhere.bin");
    // The host's argument wins over the variable.
    fu()->setResourceRoot(root.path());
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), root / "data/level.txt");

    ::unsetenv("ENGINE_RESOURCE_ROOT");
    CCFileUtils::purgeFileUtils();
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(fu()->getResourceRoot(), std::string(cwd) + "/");
}

class WritablePath : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"ENGINE_WRITABLE_PATH", "XDG_DATA_HOME", "HOME"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        ::unsetenv("ENGINE_WRITABLE_PATH");
        ::unsetenv("XDG_DATA_HOME");
        ::setenv("HOME", home.path().c_str(), 1);
        CCFileUtils::purgeFileUtils();
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
        CCFileUtils::purgeFileUtils();
    }
    static CCFileUtils* fu() { return CCFileUtils::sharedFileUtils(); }

    ScratchDir home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(WritablePath, FollowsHookThenXdgThenHomeThenPasswd) {
    EXPECT_EQ(fu()->getWritablePath(), home / ".local/share/qvplayer/default/");

    fu()->setApplicationName("Star Game");
    EXPECT_EQ(fu()->getWritablePath(), home / ".local/share/qvplayer/Star Game/");

    ::setenv("XDG_DATA_HOME", (home / "xdg").c_str(), 1);
    EXPECT_EQ(fu()->getWritablePath(), home / "xdg/qvplayer/Star Game/");
    ::setenv("XDG_DATA_HOME", "relative/xdg", 1);
    EXPECT_EQ(fu()->getWritablePath(), home / ".local/share/qvplayer/Star Game/");

    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    const std::string viaPasswd = fu()->getWritablePath();
    EXPECT_EQ(viaPasswd.find(home.path()), std::string::npos);
    EXPECT_NE(viaPasswd.find("/.local/share/qvplayer/Star Game/"), std::string::npos) << viaPasswd;

    ScratchDir hooked;
    ::setenv("ENGINE_WRITABLE_PATH", hooked.path().c_str(), 1);
    EXPECT_EQ(fu()->getWritablePath(), viaPasswd) << "the hook is read once, at creation";
    CCFileUtils::purgeFileUtils();
    EXPECT_EQ(fu()->getWritablePath(), hooked.path() + "/");
    fu()->setWritablePath("");
    EXPECT_EQ(fu()->getWritablePath().find(hooked.path()), std::string::npos);
}

TEST_F(WritablePath, ApplicationNamesAreSanitised) {
    struct Case {
        std::string in, out;
    };
    const std::string e = "\xC3\xA9";  // one two-byte character
    const Case cases[] = {
        {"Plain Name", "Plain Name"},
        {"a/b\\c", "a_b_c"},
        {"tab\there\nnl\x7f", "tab_here_nl_"},
        {".hidden", "_hidden"},
        {"..", "_."},
        {"", "default"},
        {std::string(99, 'a') + e, std::string(99, 'a')},  // the character would cross byte 100
        {std::string(98, 'a') + e + "zz", std::string(98, 'a') + e},
        {std::string(150, 'b'), std::string(100, 'b')},
    };
    for (const Case& c : cases) EXPECT_EQ(CCFileUtils::sanitizeApplicationName(c.in), c.out) << c.in;
    fu()->setApplicationName("../../etc");
    EXPECT_EQ(fu()->getWritablePath(), home / ".local/share/qvplayer/_._.._etc/");
}

TEST_F(WritablePath, DirectoryIsCreatedPrivateOnlyWhenAsked) {
    fu()->setApplicationName("Created");
    const std::string dir = fu()->getWritablePath();
    struct stat st {};
    EXPECT_NE(::stat(dir.c_str(), &st), 0) << "asking for the path creates nothing";
    ASSERT_TRUE(fu()->ensureWritablePath());
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(fu()->ensureWritablePath()) << "an existing directory is fine";

    qvtest::writeFile(home / "blocker", "file");
    fu()->setWritablePath(home / "blocker/sub");
    qvtest::StderrCapture log;
    EXPECT_FALSE(fu()->ensureWritablePath());
    EXPECT_NE(log.text().find("blocker"), std::string::npos);
}

}  // namespace
