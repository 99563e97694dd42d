// The player's progress: a key/value store kept in an SQLite database in the
// writable directory.
//
// The whole table is read at the first sharedUserDefault(); setters change only
// memory, and flush() writes the keys changed since the last flush in one
// transaction, so a crash or power cut leaves either the old or the new state.
// A file that is not a valid store is moved aside (never deleted) and the
// store starts empty. The running player holds an exclusive lock on
// UserDefault.sqlite.lock from the first sharedUserDefault() (or, when the
// directory does not exist yet, from the first flush) until the purge: a
// second player finds it held and runs read-only, as does one whose store is
// locked by another program or cannot be read, so it never overwrites the
// first one's progress. The database itself is only open during a flush.
// A store moved aside and a failed flush are also given as notices
// (platform/QVLog.h), for a person to see: the flush failure once until a
// flush succeeds again.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace cocos2d {

class CCUserDefault {
public:
    static CCUserDefault* sharedUserDefault();
    // Drops the object (and the lock) without writing anything.
    static void purgeSharedUserDefault();
    // The writable path + "UserDefault.sqlite".
    static std::string getXMLFilePath();

    // Lenient getters: a missing key, or text that is not a boolean ("true",
    // "false", "1", "0") or not a decimal int32, gives the default.
    bool getBoolForKey(const char* key);
    bool getBoolForKey(const char* key, bool defaultValue);
    int getIntegerForKey(const char* key);
    int getIntegerForKey(const char* key, int defaultValue);
    std::string getStringForKey(const char* key);
    std::string getStringForKey(const char* key, const std::string& defaultValue);

    // Integers are kept as decimal text, booleans as "true"/"false".
    void setBoolForKey(const char* key, bool value);
    void setIntegerForKey(const char* key, int value);
    void setStringForKey(const char* key, const std::string& value);

    // Writes the keys changed since the last successful flush (every key when
    // the file is gone). On failure the old file stays as it was and the keys
    // stay marked, so the next flush writes them with any changed since.
    void flush();

    // (ours)
    bool isReadOnly() const { return m_readOnly; }
    bool isDirty() const { return m_changed != 0; }
    // The path this instance reads and writes (fixed when it was created).
    const std::string& filePath() const { return m_path; }
    // Renames the store file (with its journal files; never the lock file) to
    // "UserDefault.sqlite.<tag>-<UTC stamp>", "-2", "-3" ... when taken. True
    // when it moved the file (the new path in movedTo) or there was none
    // (movedTo empty); false in a read-only run or when the rename failed.
    // "corrupt" also makes the run read-only when the file cannot be moved.
    bool moveStoreAside(const std::string& tag, std::string* movedTo);
    static constexpr long long kMaxRows = 100000;
    static constexpr long long kMaxTextBytes = 16ll * 1024 * 1024;

private:
    enum class Lock { Taken, NoDirectory, Refused };

    CCUserDefault();
    ~CCUserDefault();
    Lock lock();
    void load();
    const std::string* find(const char* key) const;
    void set(const char* key, std::string_view value);
    void noticeFlushFailure(const std::string& reason);

    std::string m_path;
    struct Value {
        std::string text;
        bool changed = false;  // since the last successful flush
    };
    // Transparent, so a lookup by const char* builds no string.
    std::map<std::string, Value, std::less<>> m_values;
    size_t m_changed = 0;  // entries marked changed
    int m_lockFd = -1;
    bool m_readOnly = false;
    bool m_readOnlyLogged = false;
    bool m_inUseNoticed = false;
    bool m_flushFailureNoticed = false;
};

}  // namespace cocos2d
