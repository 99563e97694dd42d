// Helpers shared by the platform tests: scratch directories and a capture of
// the engine's log (stderr).
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qvtest {

// A fresh directory under /tmp, removed with its contents at scope end.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/qv-engine-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~ScratchDir() {
        std::error_code ec;
        // Tests may leave read-only directories behind.
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Redirects stderr (fd 2) into a temporary file while alive.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        char pattern[] = "/tmp/qv-engine-log-XXXXXX";
        fd_ = ::mkstemp(pattern);
        path_ = pattern;
        saved_ = ::dup(2);
        ::dup2(fd_, 2);
    }
    ~StderrCapture() {
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    // What was logged so far.
    std::string text() {
        std::fflush(stderr);
        return readFile(path_);
    }

private:
    int fd_ = -1;
    int saved_ = -1;
    std::string path_;
};

}  // namespace qvtest
