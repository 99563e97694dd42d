#include "player/app/ScoreTable.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/screens/ScreenManager.h"

const char* const kGlobalScoreKey = "<qvp_score_global>";

namespace {

struct ScoreTableState {
    ScoreRecords records;
    UnreadRecords unread;
};

ScoreTableState& state() {
    static ScoreTableState instance;
    return instance;
}

int32_t saturated(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float bounded(float value) {
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return value;
}

int32_t sum(int32_t a, int32_t b) { return saturated(static_cast<int64_t>(a) + b); }
float sum(float a, float b) { return bounded(a + b); }
int32_t difference(int32_t a, int32_t b) { return saturated(static_cast<int64_t>(a) - b); }
float difference(float a, float b) { return bounded(a - b); }

bool usable(int32_t) { return true; }
bool usable(float amount) { return std::isfinite(amount); }

bool readValue(std::string_view text, float& value) { return parseStrictFloat(text, value); }
bool readValue(std::string_view text, int32_t& value) { return parseStrictInteger(text, value); }

void writeValue(std::string& out, float value, int* nonFinite) { persisted::appendFloat(out, value, nonFinite); }
void writeValue(std::string& out, int32_t value, int*) { persisted::appendInteger(out, value); }

// Reads one counter from fields[at...]: best and total, then (current
// form) a flag of 0 or 1 and, after a 1, the saved copy's three values.
template <class T>
bool readCounter(const std::vector<std::string_view>& fields, std::size_t& at, bool legacy, ScoreCounter<T>& counter) {
    if (fields.size() - at < 2) return false;
    if (!readValue(fields[at], counter.best) || !readValue(fields[at + 1], counter.total)) return false;
    at += 2;
    if (legacy) return true;
    int flag = -1;
    if (at >= fields.size() || !parseStrictInteger(fields[at], flag) || (flag != 0 && flag != 1)) return false;
    ++at;
    if (flag == 0) return true;
    if (fields.size() - at < 3) return false;
    typename ScoreCounter<T>::Saved copy;
    if (!readValue(fields[at], copy.current) || !readValue(fields[at + 1], copy.best) ||
        !readValue(fields[at + 2], copy.total))
        return false;
    at += 3;
    counter.saved = copy;
    return true;
}

bool readRecord(std::string_view value, bool legacy, ScoreRecord& record) {
    const std::vector<std::string_view> fields = persisted::splitFields(value, ' ');
    std::size_t at = 0;
    return readCounter(fields, at, legacy, record.distance) && readCounter(fields, at, legacy, record.points) &&
           readCounter(fields, at, legacy, record.coins) && at == fields.size();
}

template <class T>
void keepCurrent(ScoreCounter<T>& counter, T current) {
    counter.current = current;
    if (counter.best < current) counter.best = current;
    if (counter.total < current) counter.total = current;
}

struct Currents {
    float distance;
    int32_t points;
    int32_t coins;
};

void parseRecords(const std::string& stored, bool resetCurrent, bool legacy) {
    ScoreTableState& table = state();
    std::unordered_map<std::string, Currents> previous;
    if (!resetCurrent) {
        for (const auto& entry : table.records) {
            const ScoreRecord& r = entry.second;
            previous.emplace(entry.first, Currents{r.distance.current, r.points.current, r.coins.current});
        }
    }
    clearScores();
    persisted::forEachPiece(stored, [&](std::string_view piece) {
        std::string_view key;
        std::string_view value;
        ScoreRecord record;
        bool read = persisted::splitKey(piece, key, value) && readRecord(value, legacy, record);
        if (read) {
            const std::string name = key == kGlobalScoreKey ? std::string() : persisted::unescapeKey(key);
            read = (!name.empty() || key == kGlobalScoreKey) && !table.records.find(name);
            if (read) {
                auto found = previous.find(name);
                if (found != previous.end()) {
                    keepCurrent(record.distance, found->second.distance);
                    keepCurrent(record.points, found->second.points);
                    keepCurrent(record.coins, found->second.coins);
                }
                table.records.insert(name, record);
            }
        }
        if (!read) table.unread.emplace_back(piece);
    });
    if (!table.unread.empty()) logMessage("[ScoreTable] kept %d unread records", static_cast<int>(table.unread.size()));
}

template <class T>
void writeCounter(std::string& out, const ScoreCounter<T>& counter, int* nonFinite) {
    writeValue(out, counter.best, nonFinite);
    out += ' ';
    writeValue(out, counter.total, nonFinite);
    if (!counter.saved) {
        out += " 0";
        return;
    }
    out += " 1 ";
    writeValue(out, counter.saved->current, nonFinite);
    out += ' ';
    writeValue(out, counter.saved->best, nonFinite);
    out += ' ';
    writeValue(out, counter.saved->total, nonFinite);
}

template <class T>
void resetCounter(ScoreCounter<T>& counter, bool alsoKept) {
    counter.current = 0;
    if (alsoKept) {
        counter.best = 0;
        counter.total = 0;
    }
    counter.refreshSavedCopy();
}

}  // namespace

template <class T>
void ScoreCounter<T>::refreshSavedCopy() {
    if (!saved) saved.emplace();
    saved->current = current;
}

template <class T>
void ScoreCounter<T>::add(T n) {
    if (!usable(n)) return;
    current = sum(current, n);
    total = sum(total, n);
    if (best < current) best = current;
}

template <class T>
void ScoreCounter<T>::spend(T n) {
    if (!usable(n)) return;
    total = difference(total, n);
    if (current > total) current = total;
    refreshSavedCopy();
}

template <class T>
void ScoreCounter<T>::restoreFromSavedCopy() {
    current = saved ? saved->current : T(0);
}

template struct ScoreCounter<float>;
template struct ScoreCounter<int32_t>;

void ScoreRecord::refreshSavedCopies() {
    distance.refreshSavedCopy();
    points.refreshSavedCopy();
    coins.refreshSavedCopy();
}

void ScoreRecord::restoreFromSavedCopies() {
    distance.restoreFromSavedCopy();
    points.restoreFromSavedCopy();
    coins.restoreFromSavedCopy();
}

ScoreRecords& scoreRecords() { return state().records; }

const UnreadRecords& unreadScoreRecords() { return state().unread; }

void loadScores(const std::string& stored, const std::string& version, bool resetCurrent) {
    if (version.empty()) {
        parseScoresLegacy(stored, resetCurrent);
    } else {
        parseScores(stored, resetCurrent);
    }
}

void parseScores(const std::string& stored, bool resetCurrent) { parseRecords(stored, resetCurrent, false); }

void parseScoresLegacy(const std::string& stored, bool resetCurrent) {
    // Six blanks mean at least seven values: the current form stored
    // without a version.
    bool current = false;
    persisted::forEachPiece(stored, [&](std::string_view piece) {
        std::string_view key;
        std::string_view value;
        if (persisted::splitKey(piece, key, value) && std::count(value.begin(), value.end(), ' ') >= 6) current = true;
    });
    parseRecords(stored, resetCurrent, !current);
}

std::string serializeScores(int* nonFinite) {
    const ScoreTableState& table = state();
    std::string out;
    for (const auto& entry : table.records) {
        if (entry.first.empty())
            persisted::appendPiece(out, kGlobalScoreKey);
        else
            persisted::appendKeyPiece(out, entry.first);
        out += ':';
        writeCounter(out, entry.second.distance, nonFinite);
        out += ' ';
        writeCounter(out, entry.second.points, nonFinite);
        out += ' ';
        writeCounter(out, entry.second.coins, nonFinite);
    }
    persisted::appendUnread(out, table.unread);
    return out;
}

ScoreRecord& scoreRecord(const std::string& key) { return state().records.obtain(key); }

ScoreRecord* findScoreRecord(const std::string& key) { return state().records.find(key); }

ScoreRecord& currentScoreRecord() { return scoreRecord(ScreenManager::shared()->getSceneName()); }

void addReward(int coins, int points, bool alsoWorld) {
    auto credit = [&](ScoreRecord& record) {
        record.coins.add(coins);
        record.points.add(points);
    };
    credit(scoreRecord(""));
    if (alsoWorld) credit(currentScoreRecord());
}

namespace {

// Integer counters are summed exactly: a float sum stops counting single
// coins above 2^24.
struct SessionSums {
    float distance = 0;
    int64_t points = 0;
    int64_t coins = 0;
};

SessionSums sessionSums() {
    SessionSums sums;
    for (const auto& entry : state().records) {
        if (entry.first.empty()) continue;
        sums.distance += entry.second.distance.current;
        sums.points += entry.second.points.current;
        sums.coins += entry.second.coins.current;
    }
    return sums;
}

}  // namespace

int sessionCoins() { return saturated(sessionSums().coins); }

float sessionDistance() { return sessionSums().distance; }

int sessionPoints() { return saturated(sessionSums().points); }

void resetScores(bool distance, bool points, bool coins, bool alsoKept) {
    if (!distance && !points && !coins) return;
    for (auto& entry : state().records) {
        if (distance) resetCounter(entry.second.distance, alsoKept);
        if (points) resetCounter(entry.second.points, alsoKept);
        if (coins) resetCounter(entry.second.coins, alsoKept);
    }
}

void clearScores() {
    state().records.clear();
    state().unread.clear();
}
