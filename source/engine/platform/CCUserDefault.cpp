#include "platform/CCUserDefault.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

#include "base/CCString.h"
#include "platform/CCCommon.h"
#include "platform/CCFileUtils.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"

namespace cocos2d {

namespace {

CCUserDefault* g_userDefault = nullptr;

// Two seconds covers another player's flush; longer would freeze start-up.
constexpr int kBusyTimeoutMs = 2000;

enum class Verdict { Ok, Corrupt, Unreadable };

Verdict classify(int rc) {
    const int primary = rc & 0xFF;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT ? Verdict::Corrupt : Verdict::Unreadable;
}

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() {
        if (db) sqlite3_close_v2(db);
    }
    const char* error() const { return db ? sqlite3_errmsg(db) : "out of memory"; }
};

struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool hasDatabaseHeader(const std::string& path) {
    static const char kMagic[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    char header[sizeof kMagic] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;  // let SQLite report why it cannot be read
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    return n == static_cast<ssize_t>(sizeof header) && std::memcmp(header, kMagic, sizeof kMagic) == 0;
}

std::string utcStamp() {
    int64_t ticks = compat::systemTicks();
    time_t seconds = static_cast<time_t>(ticks / 10000000);
    tm parts{};
    char text[32] = "unknown-time";
    if (gmtime_r(&seconds, &parts)) std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

}  // namespace

CCUserDefault* CCUserDefault::sharedUserDefault() {
    if (!g_userDefault) {
        g_userDefault = new CCUserDefault();
        g_userDefault->load();
    }
    return g_userDefault;
}

void CCUserDefault::purgeSharedUserDefault() {
    // Nothing is written here: a caller that deleted the file wants it gone.
    delete g_userDefault;
    g_userDefault = nullptr;
}

std::string CCUserDefault::getXMLFilePath() {
    return CCFileUtils::sharedFileUtils()->getWritablePath() + "UserDefault.sqlite";
}

CCUserDefault::CCUserDefault() : m_path(getXMLFilePath()) {}

CCUserDefault::~CCUserDefault() {
    if (m_lockFd >= 0) ::close(m_lockFd);
}

// The lock file is never removed: a third player would lock a fresh file
// while the first still holds the old one.
CCUserDefault::Lock CCUserDefault::lock() {
    if (m_lockFd >= 0) return Lock::Taken;
    const std::string path = m_path + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return Lock::NoDirectory;
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            CCLog("[CCUserDefault] %s is in use by another running player; progress is read-only for this run",
                  m_path.c_str());
            // Its progress would be lost without a word.
            if (!m_inUseNoticed)
                logNotice(
                    "the progress store is in use by another running player; this run's progress will not be "
                    "saved");
            m_inUseNoticed = true;
        } else {
            CCLog("[CCUserDefault] cannot lock %s: %s; progress is read-only for this run", path.c_str(),
                  std::strerror(errno));
        }
        if (fd >= 0) ::close(fd);
        return Lock::Refused;
    }
    m_lockFd = fd;
    return Lock::Taken;
}

void CCUserDefault::load() {
    // Another player's store is still read, never moved or written.
    if (lock() == Lock::Refused) m_readOnly = true;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return;  // first run: empty, nothing created
        CCLog("[CCUserDefault] cannot access %s: %s; progress is read-only for this run", m_path.c_str(),
              std::strerror(errno));
        m_readOnly = true;
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        CCLog("[CCUserDefault] %s is not a regular file; progress is read-only for this run", m_path.c_str());
        m_readOnly = true;
        return;
    }

    // Recognised before SQLite sees it: SQLite would treat a journal beside a
    // foreign file as its own and delete or replay it.
    if (st.st_size > 0 && !hasDatabaseHeader(m_path)) {
        CCLog("[CCUserDefault] %s is not a valid store (no database header)", m_path.c_str());
        moveStoreAside("corrupt", nullptr);
        return;
    }

    Verdict verdict = Verdict::Ok;
    std::string reason;
    {
        Connection c;
        // Read-write, so SQLite rolls back a journal a crashed flush left behind.
        int rc =
            sqlite3_open_v2(m_path.c_str(), &c.db, m_readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
        auto fail = [&](int code, Verdict v) {
            verdict = v == Verdict::Ok ? classify(code) : v;
            reason = c.error();
        };
        if (rc != SQLITE_OK) {
            fail(rc, Verdict::Ok);
        } else {
            sqlite3_busy_timeout(c.db, kBusyTimeoutMs);
            rc = sqlite3_exec(c.db, "BEGIN", nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK) fail(rc, Verdict::Ok);
        }

        if (verdict == Verdict::Ok) {
            Statement s;
            rc = sqlite3_prepare_v2(c.db, "PRAGMA quick_check", -1, &s.stmt, nullptr);
            int rows = 0;
            bool ok = false;
            while (rc == SQLITE_OK && (rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
                const unsigned char* text = sqlite3_column_text(s.stmt, 0);
                ok = rows == 0 && text && std::strcmp(reinterpret_cast<const char*>(text), "ok") == 0;
                ++rows;
                rc = SQLITE_OK;
            }
            if (rc != SQLITE_DONE) {
                fail(rc, Verdict::Ok);
            } else if (!ok) {
                verdict = Verdict::Corrupt;
                reason = "integrity check failed";
            }
        }

        bool hasTable = false;
        if (verdict == Verdict::Ok) {
            Statement s;
            rc = sqlite3_prepare_v2(c.db,
                                    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'user_default'",
                                    -1, &s.stmt, nullptr);
            if (rc == SQLITE_OK && (rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
                hasTable = sqlite3_column_int(s.stmt, 0) > 0;
            } else {
                fail(rc, Verdict::Ok);
            }
        }

        // Limits first, from SQLite's own counts, so a hostile file cannot make
        // us allocate before it is refused.
        if (verdict == Verdict::Ok && hasTable) {
            Statement s;
            rc = sqlite3_prepare_v2(c.db,
                                    "SELECT count(*), coalesce(max(length(CAST(key AS BLOB))), 0), "
                                    "coalesce(max(length(CAST(value AS BLOB))), 0) FROM user_default",
                                    -1, &s.stmt, nullptr);
            if (rc == SQLITE_OK && (rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
                const long long rows = sqlite3_column_int64(s.stmt, 0);
                const long long longest = std::max(sqlite3_column_int64(s.stmt, 1), sqlite3_column_int64(s.stmt, 2));
                if (rows > kMaxRows) {
                    verdict = Verdict::Corrupt;
                    reason = "more than " + std::to_string(kMaxRows) + " rows";
                } else if (longest > kMaxTextBytes) {
                    verdict = Verdict::Corrupt;
                    reason = "a text longer than " + std::to_string(kMaxTextBytes) + " bytes";
                }
            } else {
                // A table of another shape is not our store.
                fail(rc, (rc & 0xFF) == SQLITE_ERROR ? Verdict::Corrupt : Verdict::Ok);
            }
        }

        if (verdict == Verdict::Ok && hasTable) {
            Statement s;
            rc = sqlite3_prepare_v2(c.db, "SELECT key, value FROM user_default", -1, &s.stmt, nullptr);
            while (rc == SQLITE_OK && (rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
                rc = SQLITE_OK;
                const unsigned char* key = sqlite3_column_text(s.stmt, 0);
                const int keyBytes = sqlite3_column_bytes(s.stmt, 0);
                const unsigned char* value = sqlite3_column_text(s.stmt, 1);
                const int valueBytes = sqlite3_column_bytes(s.stmt, 1);
                if (!key || !value) continue;  // NULLs are not ours; skip them
                m_values[std::string(reinterpret_cast<const char*>(key), static_cast<size_t>(keyBytes))].text =
                    std::string(reinterpret_cast<const char*>(value), static_cast<size_t>(valueBytes));
            }
            if (rc != SQLITE_DONE) fail(rc, Verdict::Ok);
        }
        if (c.db) sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr);
    }

    if (verdict == Verdict::Ok) return;
    m_values.clear();
    if (verdict == Verdict::Unreadable) {
        CCLog("[CCUserDefault] cannot read %s (%s); progress is read-only for this run", m_path.c_str(),
              reason.c_str());
        m_readOnly = true;
        return;
    }
    CCLog("[CCUserDefault] %s is not a valid store (%s)", m_path.c_str(), reason.c_str());
    moveStoreAside("corrupt", nullptr);
}

bool CCUserDefault::moveStoreAside(const std::string& tag, std::string* movedTo) {
    if (movedTo) movedTo->clear();
    const bool corrupt = tag == "corrupt";
    // Only the damaged-store path falls back to read-only: a refused reset
    // leaves the store as usable as it was.
    auto refuse = [&](const std::string& why, const std::string& detail) {
        if (corrupt) {
            CCLog("[CCUserDefault] %s %s; progress is read-only for this run", why.c_str(), detail.c_str());
            m_readOnly = true;
        } else {
            CCLog("[CCUserDefault] %s %s", why.c_str(), detail.c_str());
        }
        return false;
    };
    if (m_readOnly) {
        if (corrupt)
            CCLog("[CCUserDefault] %s is left in place for the player that holds it", m_path.c_str());
        else
            CCLog("[CCUserDefault] %s is read-only for this run and is not moved", m_path.c_str());
        return false;
    }
    if (!pathExists(m_path)) return true;
    const std::string base = m_path + "." + tag + "-" + utcStamp();
    std::string target = base;
    for (int n = 2; pathExists(target) || pathExists(target + "-journal"); ++n) {
        if (n > 10000) return refuse("no free name beside", m_path);
        target = base + "-" + std::to_string(n);
    }
    if (std::rename(m_path.c_str(), target.c_str()) != 0) {
        const std::string why = std::string("cannot move ") + m_path + " aside:";
        return refuse(why, std::strerror(errno));
    }
    // A journal left beside a new database would be replayed into it.
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        const std::string from = m_path + suffix;
        if (!pathExists(from)) continue;
        if (std::rename(from.c_str(), (target + suffix).c_str()) != 0) {
            CCLog("[CCUserDefault] cannot move %s aside: %s; progress is read-only for this run", from.c_str(),
                  std::strerror(errno));
            m_readOnly = true;
        }
    }
    if (corrupt) {
        CCLog("[CCUserDefault] moved the damaged store to %s; starting with empty progress", target.c_str());
        logNotice("the progress store could not be read; kept as %s, starting with new progress", target.c_str());
    } else
        CCLog("[CCUserDefault] moved %s to %s", m_path.c_str(), target.c_str());
    if (movedTo) *movedTo = target;
    return true;
}

void CCUserDefault::flush() {
    if (m_readOnly) {
        if (!m_readOnlyLogged)
            CCLog("[CCUserDefault] progress is read-only for this run; %s is not written", m_path.c_str());
        m_readOnlyLogged = true;
        return;
    }
    if (m_changed == 0) return;

    const size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !CCFileUtils::createDirectories(m_path.substr(0, slash))) {
        CCLog("[CCUserDefault] flush failed: no directory for %s", m_path.c_str());
        noticeFlushFailure("no folder for " + m_path);
        return;
    }
    switch (lock()) {
        case Lock::Taken:
            break;
        case Lock::NoDirectory:
            CCLog("[CCUserDefault] flush failed: no directory for %s", m_path.c_str());
            noticeFlushFailure("no folder for " + m_path);
            return;
        case Lock::Refused:
            m_readOnly = m_readOnlyLogged = true;
            return;
    }
    // A store removed under us gets everything back, not just the last changes.
    const bool everything = !pathExists(m_path);

    Connection c;
    const char* step = "open";
    int rc = sqlite3_open_v2(m_path.c_str(), &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    bool inTransaction = false;
    auto exec = [&](const char* sql) {
        if (rc != SQLITE_OK) return;
        step = sql;
        rc = sqlite3_exec(c.db, sql, nullptr, nullptr, nullptr);
    };
    if (rc == SQLITE_OK) sqlite3_busy_timeout(c.db, kBusyTimeoutMs);
    exec("PRAGMA journal_mode=DELETE");
    exec("PRAGMA synchronous=FULL");
    exec("BEGIN IMMEDIATE");
    inTransaction = rc == SQLITE_OK;
    exec("CREATE TABLE IF NOT EXISTS user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL)");
    if (rc == SQLITE_OK) {
        step = "INSERT";
        Statement s;
        rc = sqlite3_prepare_v2(c.db,
                                "INSERT INTO user_default(key, value) VALUES(?1, ?2) "
                                "ON CONFLICT(key) DO UPDATE SET value = excluded.value",
                                -1, &s.stmt, nullptr);
        auto write = [&](const std::string& key, const std::string& value) {
            sqlite3_reset(s.stmt);
            rc = sqlite3_bind_text(s.stmt, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
            if (rc == SQLITE_OK)
                rc = sqlite3_bind_text(s.stmt, 2, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
            if (rc == SQLITE_OK) rc = sqlite3_step(s.stmt) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(c.db);
        };
        for (auto it = m_values.begin(); rc == SQLITE_OK && it != m_values.end(); ++it)
            if (everything || it->second.changed) write(it->first, it->second.text);
    }
    exec("COMMIT");
    if (rc == SQLITE_OK) {
        for (auto& entry : m_values) entry.second.changed = false;
        m_changed = 0;
        m_flushFailureNoticed = false;
        return;
    }
    const std::string error = c.error();
    if (inTransaction) sqlite3_exec(c.db, "ROLLBACK", nullptr, nullptr, nullptr);
    CCLog("[CCUserDefault] flush of %s failed at %s: %s; the previous state is kept and the flush will be retried",
          m_path.c_str(), step, error.c_str());
    noticeFlushFailure(m_path + ": " + error);
}

void CCUserDefault::noticeFlushFailure(const std::string& reason) {
    // Every failure is logged; a person is told once until a flush succeeds.
    if (m_flushFailureNoticed) return;
    m_flushFailureNoticed = true;
    logNotice("saving progress failed: %s", reason.c_str());
}

const std::string* CCUserDefault::find(const char* key) const {
    if (!key) return nullptr;
    auto it = m_values.find(key);
    return it == m_values.end() ? nullptr : &it->second.text;
}

void CCUserDefault::set(const char* key, std::string_view value) {
    if (!key) {
        CCLog("[CCUserDefault] set with a null key ignored");
        return;
    }
    const std::string_view name(key);
    // The same limits the loader enforces: a store we write must load again.
    if (name.size() > static_cast<size_t>(kMaxTextBytes) || value.size() > static_cast<size_t>(kMaxTextBytes)) {
        CCLog("[CCUserDefault] value of \"%.64s\" larger than %lld bytes refused", key, kMaxTextBytes);
        return;
    }
    auto it = m_values.lower_bound(name);
    if (it == m_values.end() || it->first != name) {
        if (static_cast<long long>(m_values.size()) >= kMaxRows) {
            CCLog("[CCUserDefault] more than %lld keys; \"%.64s\" refused", kMaxRows, key);
            return;
        }
        it = m_values.emplace_hint(it, std::string(name), Value{std::string(value), false});
    } else if (it->second.text != value) {
        it->second.text.assign(value);  // reuses the old value's buffer
    } else {
        return;
    }
    if (!it->second.changed) ++m_changed;
    it->second.changed = true;
}

bool CCUserDefault::getBoolForKey(const char* key) { return getBoolForKey(key, false); }

bool CCUserDefault::getBoolForKey(const char* key, bool defaultValue) {
    const std::string* v = find(key);
    if (!v) return defaultValue;
    if (*v == "true" || *v == "1") return true;
    if (*v == "false" || *v == "0") return false;
    return defaultValue;
}

int CCUserDefault::getIntegerForKey(const char* key) { return getIntegerForKey(key, 0); }

int CCUserDefault::getIntegerForKey(const char* key, int defaultValue) {
    const std::string* v = find(key);
    long long parsed = 0;
    if (!v || !textparse::leadingInteger(v->c_str(), parsed)) return defaultValue;
    if (parsed < INT32_MIN || parsed > INT32_MAX) return defaultValue;
    return static_cast<int>(parsed);
}

std::string CCUserDefault::getStringForKey(const char* key) { return getStringForKey(key, std::string()); }

std::string CCUserDefault::getStringForKey(const char* key, const std::string& defaultValue) {
    const std::string* v = find(key);
    return v ? *v : defaultValue;
}

void CCUserDefault::setBoolForKey(const char* key, bool value) { set(key, value ? "true" : "false"); }

void CCUserDefault::setIntegerForKey(const char* key, int value) { set(key, std::to_string(value)); }

void CCUserDefault::setStringForKey(const char* key, const std::string& value) { set(key, value); }

}  // namespace cocos2d
