// The player's progress: a key/value store kept in an SQLite database in the
// writable directory.
//
// The whole table is read at the first sharedUserDefault(); setters change only
// memory, and flush() writes the whole map in one transaction, so a crash or
// power cut leaves either the old or the new state. A file that is not a valid
// store is moved aside (never deleted) and the store starts empty. A store
// that is locked by another process or cannot be read makes this run
// read-only, so a second player never overwrites the first one's progress.
// No file is held open between flushes.
#pragma once

#include <map>
#include <string>

namespace cocos2d {

class CCUserDefault {
public:
    static CCUserDefault* sharedUserDefault();
    // Drops the object without writing anything.
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

    // Writes the map when it changed since the last successful flush. On
    // failure the old file stays as it was and the map stays dirty, so the
    // next flush tries again.
    void flush();

    // (ours)
    bool isReadOnly() const { return m_readOnly; }
    bool isDirty() const { return m_dirty; }
    // The path this instance reads and writes (fixed when it was created).
    const std::string& filePath() const { return m_path; }
    static constexpr long long kMaxRows = 100000;
    static constexpr long long kMaxTextBytes = 16ll * 1024 * 1024;

private:
    CCUserDefault();
    ~CCUserDefault() = default;
    void load();
    void moveAside();
    const std::string* find(const char* key) const;
    void set(const char* key, std::string value);

    std::string m_path;
    std::map<std::string, std::string> m_values;
    bool m_dirty = false;
    bool m_readOnly = false;
    bool m_readOnlyLogged = false;
};

}  // namespace cocos2d
