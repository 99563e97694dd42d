// The player's lock states: one program-wide table from a name (a lock
// button's or a purchase's "Name", or a key an unlocker names) to locked,
// kept in insertion order, and its stored form "name:1;name:0".
//
// Guarantees: nothing hands out a pointer or a reference into the table, so
// nothing dangles when a load or a reset empties it; a Flag names its entry
// and reads or writes the table by that name on each use. Every read of an
// absent name inserts it as locked. A duplicate stored name keeps its first
// position and resolves as unlocked: an unlock the player earned is never
// taken back. Listeners may add or remove listeners, themselves included,
// from inside their callback.
// Refuses: a stored piece without ':' or with a value other than 0 or 1 is
// left out (one log line per parse), never read as unlocked; the name stays
// absent and so reads as locked, and the piece is written back verbatim
// after the live entries.
//
// The same file holds the checkpoint table ("PQV_Checkpoints"): the last
// checkpoint of each world key.
// Single-threaded, like the rest of the game.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "player/app/PersistedText.h"

class LockStateStore {
public:
    // A handle on one name's entry that stays valid across every parse.
    // Assigning another Flag rebinds the handle; assigning a bool writes.
    class Flag {
    public:
        explicit Flag(std::string name) : m_name(std::move(name)) {}

        const std::string& name() const { return m_name; }
        bool locked() const;
        explicit operator bool() const { return locked(); }
        // Writes the entry (inserting it when absent); `flag = false` unlocks.
        Flag& operator=(bool locked);

    private:
        std::string m_name;
    };

    using Listener = std::function<void()>;

    // Inserts the name as locked when absent.
    static Flag lockFlag(const std::string& name);
    static bool lockState(const std::string& name);
    static void setLockState(const std::string& name, bool locked);

    // `owner` is only compared; removeListener drops all of its entries.
    static void addListener(const void* owner, Listener callback);
    static void removeListener(const void* owner);

    // Replaces the table with the stored text, then calls every listener
    // once in the order they were added, also for an empty text.
    static void parseLockStates(const std::string& stored);
    static std::string serializeLockStates();
    // Pieces of the last parse that could not be read, in stored order.
    static const UnreadRecords& unreadLockStates();

    // Names inside the stored ';'- and ':'-separated forms: '%' is written
    // as "%25" and ';' as "%3B"; only these two are decoded, so a name
    // without '%' or ';' is stored exactly as it is.
    static std::string escapeStoredName(const std::string& name);
    static std::string unescapeStoredName(const std::string& stored);
};

struct CheckpointRecord {
    float pointX = 0;
    float pointY = 0;
    float cameraX = 0;
    float cameraY = 0;
    float distance = 0;
    int32_t sectionId = 0;
};

using CheckpointRecords = persisted::KeyedTable<CheckpointRecord>;

// The program-wide table, in insertion order. A record reference stays
// valid until the table is next parsed or cleared.
CheckpointRecords& checkpointRecords();
// Records of the last parse that could not be read, in stored order.
const UnreadRecords& unreadCheckpointRecords();

// Replaces the table: "key:px py cx cy distance section;..." with keys
// split at the last ':'. A record that does not read strictly, or repeats a
// key read before, is kept unread (one log line per parse).
void parseCheckpoints(const std::string& stored);
// Live records in table order, then the unread ones. Non-finite floats are
// written as 0 and counted in `*nonFinite` when given.
std::string serializeCheckpoints(int* nonFinite = nullptr);
// The record of a world key, all zero when created.
CheckpointRecord& checkpointRecord(const std::string& key);
// The record of the screen manager's scene name; null when that is empty.
CheckpointRecord* currentCheckpointRecord();
// Empties the table and its unread records.
void clearCheckpoints();
