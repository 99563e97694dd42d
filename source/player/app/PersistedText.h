// Text rules shared by the player state's stored strings ("QVP_Scores",
// "QVP_LockStates", "PQV_Checkpoints"): pieces joined by ';', a key split
// off at the last ':', keys escaped so they may hold ';' and '%', numbers
// written the same way whatever the global locale, and pieces that could
// not be read kept verbatim so the next save writes them back.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// Stored pieces that failed to read, in stored order; written back after
// the live ones.
using UnreadRecords = std::vector<std::string>;

namespace persisted {

// Inside a key '%' is written "%25" and ';' "%3B"; only these two are
// decoded, so a key without '%' or ';' is stored exactly as it is.
std::string escapeKey(std::string_view key);
std::string unescapeKey(std::string_view stored);

// Splits at the last ':', so a key may hold ':' itself. False when the
// piece has no ':'.
bool splitKey(std::string_view piece, std::string_view& key, std::string_view& value);

// Splits at every `separator`; empty fields are kept, so a doubled or
// trailing separator makes a field that no strict reader accepts.
std::vector<std::string_view> splitFields(std::string_view text, char separator);

// Calls `visit(piece)` for every non-empty ';'-separated piece.
template <class Visit>
void forEachPiece(std::string_view stored, Visit&& visit) {
    std::size_t start = 0;
    while (start <= stored.size()) {
        std::size_t end = stored.find(';', start);
        if (end == std::string_view::npos) end = stored.size();
        if (end > start) visit(stored.substr(start, end - start));
        start = end + 1;
    }
}

// Appends `piece` with a ';' before it unless `out` is empty.
void appendPiece(std::string& out, std::string_view piece);
// The same for a key, escaped as escapeKey does, without a copy of it.
void appendKeyPiece(std::string& out, std::string_view key);
// Appends every unread record as a further piece.
void appendUnread(std::string& out, const UnreadRecords& unread);

// The "%.8g" text of `value` in the classic locale; a non-finite value is
// written as 0 and counted in `*nonFinite` when given.
void appendFloat(std::string& out, float value, int* nonFinite = nullptr);
void appendInteger(std::string& out, long long value);

// A table from key to record that iterates in insertion order, with O(1)
// lookup. Records never move: a reference stays valid until the table is
// cleared.
template <class Record>
class KeyedTable {
public:
    using Entry = std::pair<const std::string, Record>;

    Record* find(const std::string& key) {
        auto found = m_index.find(key);
        return found == m_index.end() ? nullptr : &found->second->second;
    }
    const Record* find(const std::string& key) const {
        auto found = m_index.find(key);
        return found == m_index.end() ? nullptr : &found->second->second;
    }
    // The record under `key`, appended as `fresh` when absent.
    Record& obtain(const std::string& key, const Record& fresh = Record()) {
        if (Record* found = find(key)) return *found;
        m_entries.emplace_back(key, fresh);
        m_index.emplace(key, std::prev(m_entries.end()));
        return m_entries.back().second;
    }
    // False (and nothing changed) when the key is taken.
    bool insert(const std::string& key, const Record& record) {
        if (find(key)) return false;
        obtain(key, record);
        return true;
    }
    void clear() {
        m_entries.clear();
        m_index.clear();
    }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    typename std::list<Entry>::iterator begin() { return m_entries.begin(); }
    typename std::list<Entry>::iterator end() { return m_entries.end(); }
    typename std::list<Entry>::const_iterator begin() const { return m_entries.begin(); }
    typename std::list<Entry>::const_iterator end() const { return m_entries.end(); }

private:
    std::list<Entry> m_entries;
    std::unordered_map<std::string, typename std::list<Entry>::iterator> m_index;
};

}  // namespace persisted
