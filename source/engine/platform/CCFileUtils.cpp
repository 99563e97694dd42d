#include "platform/CCFileUtils.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/CCCommon.h"

namespace cocos2d {

namespace {

CCFileUtils* g_fileUtils = nullptr;

std::string withSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string absoluteFromCwd(const std::string& dir) {
    if (!dir.empty() && dir[0] == '/') return dir;
    std::string cwd = withSlash(currentDirectory());
    if (dir.empty() || dir == ".") return cwd;
    if (dir.compare(0, 2, "./") == 0) return cwd + dir.substr(2);
    return cwd + dir;
}

const char* nonEmptyEnv(const char* name) {
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

std::string passwdHome() {
    long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<size_t>(hint) : 4096);
    passwd entry{};
    passwd* result = nullptr;
    while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (result && result->pw_dir && *result->pw_dir) return result->pw_dir;
    return std::string();
}

// Any existing entry counts for resolution; isFileExist narrows to regular files.
bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool makeDirectories(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        partial = path.substr(0, next);
        pos = next + 1;
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            CCLog("[CCFileUtils] cannot create directory %s: %s", partial.c_str(), std::strerror(errno));
            return false;
        }
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        CCLog("[CCFileUtils] %s is not a directory", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

CCFileUtils* CCFileUtils::sharedFileUtils() {
    if (!g_fileUtils) g_fileUtils = new CCFileUtils();
    return g_fileUtils;
}

void CCFileUtils::purgeFileUtils() {
    delete g_fileUtils;
    g_fileUtils = nullptr;
}

CCFileUtils::CCFileUtils() {
    const char* root = nonEmptyEnv("ENGINE_RESOURCE_ROOT");
    setResourceRoot(root ? root : "");
    if (const char* writable = nonEmptyEnv("ENGINE_WRITABLE_PATH")) m_writableOverride = writable;
}

void CCFileUtils::setResourceRoot(const std::string& root) {
    std::string dir = absoluteFromCwd(root);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        CCLog("[CCFileUtils] resource root %s is not a directory", dir.c_str());
    m_resourceRoot = withSlash(dir);
    rebuildSearchPaths();
}

void CCFileUtils::addSearchPath(const char* path) {
    if (!path) return;
    m_searchPaths.emplace_back(path);
    rebuildSearchPaths();
}

void CCFileUtils::setSearchPaths(const std::vector<std::string>& paths) {
    m_searchPaths = paths;
    rebuildSearchPaths();
}

void CCFileUtils::rebuildSearchPaths() {
    m_resolvedSearchPaths.clear();
    auto add = [this](const std::string& dir) {
        for (const std::string& known : m_resolvedSearchPaths)
            if (known == dir) return;
        m_resolvedSearchPaths.push_back(dir);
    };
    for (const std::string& entry : m_searchPaths) {
        if (entry.empty() || entry == "." || entry == "./") {
            add(m_resourceRoot);
        } else if (entry[0] == '/') {
            add(withSlash(entry));
        } else {
            add(withSlash(m_resourceRoot + (entry.compare(0, 2, "./") == 0 ? entry.substr(2) : entry)));
        }
    }
    // Names given from the root keep resolving whatever the game sets.
    add(m_resourceRoot);
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    m_fullPathCache.clear();
}

bool CCFileUtils::isAbsolutePath(const std::string& path) const { return !path.empty() && path[0] == '/'; }

std::string CCFileUtils::resolve(const std::string& name) {
    if (name.empty()) return std::string();
    {
        std::lock_guard<std::mutex> lock(m_cacheMutex);
        auto it = m_fullPathCache.find(name);
        if (it != m_fullPathCache.end()) return it->second;
    }
    const size_t first = name.find_first_not_of('/');
    const std::string relative = first == std::string::npos ? std::string() : name.substr(first);
    std::string found;
    if (!relative.empty()) {
        for (const std::string& dir : m_resolvedSearchPaths) {
            std::string candidate = dir + relative;
            if (exists(candidate)) {
                found = candidate;
                break;
            }
        }
    }
    if (found.empty() && isAbsolutePath(name) && exists(name)) found = name;
    if (!found.empty()) {
        std::lock_guard<std::mutex> lock(m_cacheMutex);
        m_fullPathCache.emplace(name, found);
    }
    return found;
}

std::string CCFileUtils::fullPathForFilename(const char* fileName) {
    if (!fileName) return std::string();
    std::string found = resolve(fileName);
    return found.empty() ? std::string(fileName) : found;
}

bool CCFileUtils::isFileExist(const std::string& path) {
    std::string found = resolve(path);
    return !found.empty() && isRegularFile(found);
}

int CCFileUtils::openRegularFile(const char* path, struct stat* st) {
    // Non-blocking only for the open: a FIFO without a writer would hang it.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    int err = 0;
    if (::fstat(fd, st) != 0)
        err = errno;
    else if (!S_ISREG(st->st_mode))
        err = EISDIR;
    else if (::fcntl(fd, F_SETFL, 0) != 0)
        err = errno;
    if (err) {
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

unsigned char* CCFileUtils::getFileData(const char* fileName, const char* mode, unsigned long* size) {
    if (size) *size = 0;
    (void)mode;  // text and binary reads are the same here
    if (!fileName || !*fileName) {
        CCLog("[CCFileUtils] getFileData: no file name");
        return nullptr;
    }
    const std::string path = fullPathForFilename(fileName);
    struct stat st {};
    int fd = openRegularFile(path.c_str(), &st);
    if (fd < 0) {
        // Missing files are routine (optional resources); everything else is worth a line.
        if (errno == EISDIR)
            CCLog("[CCFileUtils] %s is not a regular file", path.c_str());
        else if (errno != ENOENT && errno != ENOTDIR)
            CCLog("[CCFileUtils] cannot open %s: %s", path.c_str(), std::strerror(errno));
        return nullptr;
    }
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxFileSize()) {
        CCLog("[CCFileUtils] %s is too large (%lld bytes, limit %lu)", path.c_str(),
              static_cast<long long>(st.st_size), maxFileSize());
        ::close(fd);
        return nullptr;
    }
    const size_t expected = static_cast<size_t>(st.st_size);
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(expected + 1));
    if (!buffer) {
        CCLog("[CCFileUtils] out of memory reading %s (%zu bytes)", path.c_str(), expected);
        ::close(fd);
        return nullptr;
    }
    size_t got = 0;
    while (got < expected) {
        ssize_t n = ::read(fd, buffer + got, expected - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            CCLog("[CCFileUtils] cannot read %s: %s", path.c_str(), std::strerror(errno));
            std::free(buffer);
            ::close(fd);
            return nullptr;
        }
        if (n == 0) break;  // the file shrank meanwhile: keep what is there
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    // Callers use text files as C strings (shader sources), so one NUL always follows.
    buffer[got] = 0;
    if (size) *size = got;
    return buffer;
}

void CCFileUtils::setApplicationName(const std::string& name) { m_applicationName = sanitizeApplicationName(name); }

void CCFileUtils::setWritablePath(const std::string& dir) { m_writableOverride = dir; }

std::string CCFileUtils::getWritablePath() const {
    if (!m_writableOverride.empty()) return withSlash(m_writableOverride);
    std::string base;
    const char* xdg = nonEmptyEnv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;  // a relative XDG_DATA_HOME is invalid and ignored
    } else {
        const char* home = nonEmptyEnv("HOME");
        std::string homeDir = home ? std::string(home) : passwdHome();
        if (homeDir.empty()) {
            CCLog("[CCFileUtils] no home directory; progress goes below the current directory");
            homeDir = currentDirectory();
        }
        base = withSlash(homeDir) + ".local/share";
    }
    return withSlash(base) + "qvplayer/" + m_applicationName + "/";
}

bool CCFileUtils::ensureWritablePath() const {
    std::string dir = getWritablePath();
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return createDirectories(dir);
}

bool CCFileUtils::createDirectories(const std::string& dir) { return makeDirectories(dir); }

std::string CCFileUtils::sanitizeApplicationName(const std::string& name) {
    std::string out = name;
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) c = '_';
    }
    if (!out.empty() && out[0] == '.') out[0] = '_';
    const size_t limit = 100;
    if (out.size() > limit) {
        size_t cut = limit;
        // Back up over continuation bytes so no character is split.
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    if (out.empty()) out = "default";
    return out;
}

}  // namespace cocos2d
