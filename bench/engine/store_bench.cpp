// BM_SaveProgress/N: a progress save in a store of N keys. Each save changes
// kChanged keys (all of them below that) and flushes; the baseline, in the
// same run, is raw SQLite on one open connection upserting the same changed
// keys in one transaction with the same durability (rollback journal,
// synchronous=FULL). Read the "ratio" counter (ours / baseline).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"

namespace {

using Clock = std::chrono::steady_clock;
using cocos2d::CCFileUtils;
using cocos2d::CCUserDefault;

constexpr int kChanged = 10;

std::string key(int i) { return "ScreenPlayed-Level " + std::to_string(i); }

class RawStore {
public:
    explicit RawStore(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        exec("PRAGMA journal_mode=DELETE");
        exec("PRAGMA synchronous=FULL");
        exec("CREATE TABLE IF NOT EXISTS user_default(key TEXT PRIMARY KEY NOT NULL, value TEXT NOT NULL)");
        sqlite3_prepare_v2(db_,
                           "INSERT INTO user_default(key, value) VALUES(?1, ?2) "
                           "ON CONFLICT(key) DO UPDATE SET value = excluded.value",
                           -1, &upsert_, nullptr);
    }
    ~RawStore() {
        sqlite3_finalize(upsert_);
        sqlite3_close_v2(db_);
    }
    void exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    void save(const std::vector<std::pair<std::string, std::string>>& rows) {
        exec("BEGIN IMMEDIATE");
        for (const auto& [k, v] : rows) {
            sqlite3_reset(upsert_);
            sqlite3_bind_text(upsert_, 1, k.data(), static_cast<int>(k.size()), SQLITE_STATIC);
            sqlite3_bind_text(upsert_, 2, v.data(), static_cast<int>(v.size()), SQLITE_STATIC);
            sqlite3_step(upsert_);
        }
        exec("COMMIT");
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* upsert_ = nullptr;
};

void BM_SaveProgress(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    char pattern[] = "/tmp/qvbench-store-XXXXXX";
    if (!::mkdtemp(pattern)) {
        state.SkipWithError("no temporary directory");
        return;
    }
    const std::string dir = pattern;
    std::filesystem::create_directories(dir + "/ours");
    std::filesystem::create_directories(dir + "/raw");
    {
        CCUserDefault::purgeSharedUserDefault();
        CCFileUtils::sharedFileUtils()->setWritablePath(dir + "/ours/");
        CCUserDefault* store = CCUserDefault::sharedUserDefault();
        RawStore raw(dir + "/raw/UserDefault.sqlite");
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < keys; ++i) {
            store->setStringForKey(key(i).c_str(), "0");
            rows.emplace_back(key(i), "0");
        }
        store->flush();
        raw.save(rows);

        Clock::duration oursTime{}, rawTime{};
        const int changed = std::min(keys, kChanged);
        int next = 0, round = 0;
        for (auto _ : state) {
            ++round;
            rows.clear();
            for (int n = 0; n < changed; ++n, next = (next + 1) % keys)
                rows.emplace_back(key(next), std::to_string(round));
            const Clock::time_point start = Clock::now();
            for (const auto& [k, v] : rows) store->setStringForKey(k.c_str(), v);
            store->flush();
            const Clock::time_point middle = Clock::now();
            raw.save(rows);
            const Clock::time_point end = Clock::now();
            oursTime += middle - start;
            rawTime += end - middle;
        }
        if (store->isDirty()) state.SkipWithError("a flush failed");
        if (rawTime.count() > 0) state.counters["ratio"] = double(oursTime.count()) / double(rawTime.count());
        CCUserDefault::purgeSharedUserDefault();
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveProgress)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
