// File access for the engine and the game: search-path resolution under the
// resource root, whole-file reads and the writable directory of the player's
// progress.
#pragma once

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace cocos2d {

class CCFileUtils {
public:
    // Created on first use and never destroyed. Reads ENGINE_RESOURCE_ROOT and
    // ENGINE_WRITABLE_PATH once, at creation.
    static CCFileUtils* sharedFileUtils();
    // (ours) For tests: drops the object, so the next sharedFileUtils() reads
    // the environment again. No pointer to the old object may be kept.
    static void purgeFileUtils();

    // The whole file in a malloc'ed buffer of *size bytes plus one NUL byte;
    // the caller frees it. "rt" reads like "rb". A missing file, a directory,
    // an unreadable file or one over maxFileSize() gives null and *size 0;
    // every case but a missing file is logged.
    unsigned char* getFileData(const char* fileName, const char* mode, unsigned long* size);
    unsigned char* getFileData(const std::string& fileName, const char* mode, unsigned long* size) {
        return getFileData(fileName.c_str(), mode, size);
    }
    static constexpr unsigned long maxFileSize() { return 256ul * 1024 * 1024; }
    // (ours) Opens a data file for reading only when it is a regular file, so
    // a FIFO or a device never blocks the reader. The descriptor (close-on-exec)
    // or -1 with errno set; EISDIR for anything that is not a regular file.
    static int openRegularFile(const char* path, struct stat* st);

    // Resolves a name against the search paths:
    //  - a name starting with "/" is first looked up under each search path
    //    (game data names files like "/fx/x.png" relative to the root), and only
    //    then taken as an absolute path;
    //  - other names are looked up under each search path in order;
    //  - an unresolved name comes back unchanged.
    std::string fullPathForFilename(const char* fileName);
    std::string fullPathForFilename(const std::string& fileName) { return fullPathForFilename(fileName.c_str()); }

    // True for regular files only, after the same resolution.
    bool isFileExist(const std::string& path);
    bool isAbsolutePath(const std::string& path) const;

    // Relative entries resolve against the resource root; the root itself
    // always stays last in the list.
    void addSearchPath(const char* path);
    void setSearchPaths(const std::vector<std::string>& paths);
    // Resolved directories, each ending in "/".
    const std::vector<std::string>& getSearchPaths() const { return m_resolvedSearchPaths; }

    // The directory of the player's progress, ending in "/". It is not created
    // here; ensureWritablePath() does that when something is first written.
    std::string getWritablePath() const;

    // (ours)
    // The resource root; relative roots are taken against the current directory.
    void setResourceRoot(const std::string& root);
    // Ends in "/".
    const std::string& getResourceRoot() const { return m_resourceRoot; }
    // Names the progress directory; sanitised (see sanitizeApplicationName).
    void setApplicationName(const std::string& name);
    const std::string& getApplicationName() const { return m_applicationName; }
    // Overrides the writable path (as ENGINE_WRITABLE_PATH does); "" restores the default.
    void setWritablePath(const std::string& dir);
    // Creates the writable directory (mode 0700, with parents); false + log on failure.
    bool ensureWritablePath() const;
    // Creates dir and its missing parents with mode 0700; false + log on failure.
    static bool createDirectories(const std::string& dir);

    // "/", "\" and control characters become "_", a leading "." becomes "_",
    // an empty name becomes "default", and the result is cut to 100 bytes at a
    // UTF-8 character boundary.
    static std::string sanitizeApplicationName(const std::string& name);

private:
    CCFileUtils();
    void rebuildSearchPaths();
    // The resolved path, or "" when no regular file or directory answers to the name.
    std::string resolve(const std::string& name);

    std::string m_resourceRoot;
    std::string m_applicationName = "default";
    std::string m_writableOverride;  // from setWritablePath or the environment
    std::vector<std::string> m_searchPaths;  // as given
    std::vector<std::string> m_resolvedSearchPaths;
    std::mutex m_cacheMutex;
    std::unordered_map<std::string, std::string> m_fullPathCache;  // hits only
};

}  // namespace cocos2d
