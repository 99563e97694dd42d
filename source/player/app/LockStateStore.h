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
// skipped (one log line per parse), never read as unlocked; the name stays
// absent and so reads as locked.
// Single-threaded, like the rest of the game.
#pragma once

#include <functional>
#include <string>
#include <utility>

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

    // Names inside the stored ';'- and ':'-separated forms: '%' is written
    // as "%25" and ';' as "%3B"; only these two are decoded, so a name
    // without '%' or ';' is stored exactly as it is.
    static std::string escapeStoredName(const std::string& name);
    static std::string unescapeStoredName(const std::string& stored);
};
