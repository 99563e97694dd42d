// The score table: per world key (the screen manager's scene name) and for
// the game as a whole (the empty key), three counters, distance, points and
// coins, each with the running session's value, the best, the running total
// and an optional saved copy that a world drops back to. The global
// record's coins total is the game's currency. Stored under "QVP_Scores".
//
// Guarantees: a reference to a record stays valid until the table is next
// parsed or cleared; inserting other records never moves it. Integer
// counters saturate at the int32 limits, and non-finite float amounts are
// ignored. A stored record that does not read strictly (or repeats a key
// already read from the same text) is left out and written back verbatim
// after the live records.
// Single-threaded, like the rest of the game.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "player/app/PersistedText.h"

template <class T>
struct ScoreCounter {
    struct Saved {
        T current = 0;
        T best = 0;
        T total = 0;
    };

    T current = 0;
    T best = 0;
    T total = 0;
    std::optional<Saved> saved;

    // Creates the saved copy when absent and sets its current value.
    void refreshSavedCopy();
    // current += n and total += n; best is raised to current.
    void add(T n);
    // total -= n, current lowered to total, then the saved copy refreshed.
    void spend(T n);
    // current = the saved copy's current, or 0 without a copy.
    void restoreFromSavedCopy();
};

struct ScoreRecord {
    ScoreCounter<float> distance;
    ScoreCounter<int32_t> points;
    ScoreCounter<int32_t> coins;

    void refreshSavedCopies();
    void restoreFromSavedCopies();
};

using ScoreRecords = persisted::KeyedTable<ScoreRecord>;

// Written in place of the global record's empty key.
extern const char* const kGlobalScoreKey;

// The program-wide table, in insertion order.
ScoreRecords& scoreRecords();
// Records of the last parse that could not be read, in stored order.
const UnreadRecords& unreadScoreRecords();

// The current form when `version` is not empty, else the legacy form.
void loadScores(const std::string& stored, const std::string& version, bool resetCurrent);
// Replaces the table. Unless `resetCurrent`, each counter keeps the current
// value of the same key's record from before, raising best and total to it.
void parseScores(const std::string& stored, bool resetCurrent);
// Best and total per counter only; a record with six or more blanks after
// its key sends the whole text to `parseScores`.
void parseScoresLegacy(const std::string& stored, bool resetCurrent);
// Live records in table order, then the unread ones. Non-finite floats are
// written as 0 and counted in `*nonFinite` when given.
std::string serializeScores(int* nonFinite = nullptr);

// The record under `key`, appended with zero counters when absent.
ScoreRecord& scoreRecord(const std::string& key);
// Null when absent; creates nothing.
ScoreRecord* findScoreRecord(const std::string& key);
// The record of the screen manager's scene name (the global one when empty).
ScoreRecord& currentScoreRecord();
// Adds coins and points to the global record and, when `alsoWorld`, to the
// current world's record.
void addReward(int coins, int points, bool alsoWorld);

// Sums of the current values of every record but the global one.
int sessionCoins();
float sessionDistance();
int sessionPoints();

// For every record and each flagged counter: current = 0 (and best and
// total too when `alsoKept`), then its saved copy refreshed.
void resetScores(bool distance, bool points, bool coins, bool alsoKept);
// Empties the table and its unread records.
void clearScores();
