#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/CCFileUtils.h"
#include "platform_test_support.h"

using cocos2d::CCFileUtils;
using qvtest::ScratchDir;

namespace {

CCFileUtils* fu() { return CCFileUtils::sharedFileUtils(); }

// A resource root with a few files and a home directory; the variables read
// at creation are cleared and restored.
class FileUtils : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"ENGINE_RESOURCE_ROOT", "ENGINE_WRITABLE_PATH", "XDG_DATA_HOME", "HOME"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(v);
        }
        ::setenv("HOME", home.path().c_str(), 1);
        CCFileUtils::purgeFileUtils();
        qvtest::writeFile(root / "data/level.txt", "level");
        qvtest::writeFile(root / "fx/lightMap.png", "light");
        qvtest::writeFile(root / "hd/data/level.txt", "hd level");
        qvtest::writeFile(outside / "elsewhere.bin", "outside");
        fu()->setResourceRoot(root.path());
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

    ScratchDir root, outside, home;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(FileUtils, NamesResolveAgainstTheSearchPathsInOrderWithTheRootLast) {
    EXPECT_EQ(fu()->getResourceRoot(), root.path() + "/");
    struct Case {
        std::vector<std::string> searchPaths;
        std::string name, resolved;
        bool regularFile;
    };
    const std::vector<std::string> hd{"hd", outside.path()};
    const Case cases[] = {
        {{}, "data/level.txt", root / "data/level.txt", true},
        // Game data names some files with a leading "/" that means "from the root".
        {{}, "/fx/lightMap.png", root / "fx/lightMap.png", true},
        {{}, outside / "elsewhere.bin", outside / "elsewhere.bin", true},
        {{}, "missing.png", "missing.png", false},
        {{}, "/fx/missing.png", "/fx/missing.png", false},
        {{}, "", "", false},
        {{}, "data", root / "data", false},
        {{}, root.path(), root.path(), false},
        {hd, "data/level.txt", root / "hd/data/level.txt", true},
        {hd, "elsewhere.bin", outside / "elsewhere.bin", true},
        {hd, "fx/lightMap.png", root / "fx/lightMap.png", true},
        {{}, "data/level.txt", root / "data/level.txt", true},  // the cache forgets removed paths
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " with " + std::to_string(c.searchPaths.size()) + " search paths");
        fu()->setSearchPaths(c.searchPaths);
        EXPECT_EQ(fu()->fullPathForFilename(c.name), c.resolved);
        EXPECT_EQ(fu()->isFileExist(c.name), c.regularFile);
    }
    fu()->addSearchPath("hd");
    EXPECT_EQ(fu()->getSearchPaths(), (std::vector<std::string>{root / "hd/", root.path() + "/"}));
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), root / "hd/data/level.txt");

    // Misses are not cached; a new root moves the relative entries with it.
    qvtest::writeFile(root / "missing.png", "x");
    EXPECT_EQ(fu()->fullPathForFilename("missing.png"), root / "missing.png");
    ScratchDir other;
    qvtest::writeFile(other / "hd/data/level.txt", "other");
    fu()->setResourceRoot(other.path());
    EXPECT_EQ(fu()->fullPathForFilename("data/level.txt"), other / "hd/data/level.txt");
}

TEST_F(FileUtils, GetFileDataReadsRegularFilesOnlyWithoutBlockingAndLogsAllButMissing) {
    const std::string shader("void main() {}\0tail", 19);
    qvtest::writeFile(root / "shader.fsh", shader);
    qvtest::writeFile(root / "empty.txt", "");
    // A sparse file just over the cap: refused before any allocation.
    qvtest::writeFile(root / "big.bin", "");
    ASSERT_EQ(::truncate((root / "big.bin").c_str(), static_cast<off_t>(CCFileUtils::maxFileSize()) + 1), 0);
    // Nobody writes to the FIFO: an open that waits for a writer never ends.
    ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
    // An open that fails for another reason, without relying on permissions (root ignores them).
    const std::string loop = root / "loop";
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // followed by one NUL
        const char* logged;
    };
    const Case cases[] = {
        {"shader.fsh", shader, nullptr},
        {"empty.txt", "", nullptr},
        {"nothing.txt", std::nullopt, nullptr},
        {"data", std::nullopt, "data is not a regular file"},
        {"pipe", std::nullopt, "pipe is not a regular file"},
        {"big.bin", std::nullopt, "too large"},
        {loop.c_str(), std::nullopt, "symbolic links"},
    };
    ::alarm(10);  // an open that blocks ends the test instead of hanging it
    for (const Case& c : cases) {
        for (const char* mode : {"rb", "rt"}) {
            SCOPED_TRACE(std::string(c.name) + " " + mode);
            qvtest::StderrCapture log;
            unsigned long size = 99;
            unsigned char* data = fu()->getFileData(c.name, mode, &size);
            EXPECT_EQ(data != nullptr, c.bytes.has_value());
            EXPECT_EQ(data ? std::string(reinterpret_cast<char*>(data), size + 1) : std::to_string(size),
                      c.bytes ? *c.bytes + '\0' : "0");
            std::free(data);
            if (c.logged)
                EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
            else
                EXPECT_EQ(log.text(), "");
        }
    }
    ::alarm(0);
}

TEST_F(FileUtils, ResourceRootComesFromTheEnvironmentAtCreation) {
    ::setenv("ENGINE_RESOURCE_ROOT", outside.path().c_str(), 1);
    CCFileUtils::purgeFileUtils();
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

TEST_F(FileUtils, WritablePathFollowsHookThenXdgThenHomeThenPasswd) {
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

    ::setenv("ENGINE_WRITABLE_PATH", outside.path().c_str(), 1);
    EXPECT_EQ(fu()->getWritablePath(), viaPasswd) << "the hook is read once, at creation";
    CCFileUtils::purgeFileUtils();
    EXPECT_EQ(fu()->getWritablePath(), outside.path() + "/");
    fu()->setWritablePath("");
    EXPECT_EQ(fu()->getWritablePath().find(outside.path()), std::string::npos);
}

TEST_F(FileUtils, ApplicationNamesAreSanitised) {
    const std::string e = "\xC3\xA9";  // one two-byte character
    const std::pair<std::string, std::string> cases[] = {
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
    for (const auto& [in, out] : cases) EXPECT_EQ(CCFileUtils::sanitizeApplicationName(in), out) << in;
    fu()->setApplicationName("../../etc");
    EXPECT_EQ(fu()->getWritablePath(), home / ".local/share/qvplayer/_._.._etc/");
}

TEST_F(FileUtils, WritableDirectoryIsCreatedPrivateOnlyWhenAsked) {
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
