#include "player/app/LockStateStore.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/screens/ScreenManager.h"

namespace {

// Insertion order lives in `entries`; `index` finds a name's slot.
struct Table {
    std::vector<std::pair<std::string, bool>> entries;
    std::unordered_map<std::string, std::size_t> index;

    bool& slot(const std::string& name, bool locked) {
        auto found = index.find(name);
        if (found != index.end()) return entries[found->second].second;
        index.emplace(name, entries.size());
        entries.emplace_back(name, locked);
        return entries.back().second;
    }
    void clear() {
        entries.clear();
        index.clear();
    }
};

Table& table() {
    static Table instance;
    return instance;
}

UnreadRecords& unreadLocks() {
    static UnreadRecords instance;
    return instance;
}

struct ListenerEntry {
    const void* owner;
    LockStateStore::Listener callback;
    bool removed = false;
};

std::vector<std::shared_ptr<ListenerEntry>>& listeners() {
    static std::vector<std::shared_ptr<ListenerEntry>> instance;
    return instance;
}

// A copy is walked, so callbacks may change the list; an entry removed
// meanwhile is skipped, one added meanwhile waits for the next walk.
void notifyListeners() {
    const std::vector<std::shared_ptr<ListenerEntry>> walk = listeners();
    for (const auto& entry : walk) {
        if (!entry->removed && entry->callback) entry->callback();
    }
}

}  // namespace

bool LockStateStore::Flag::locked() const { return LockStateStore::lockState(m_name); }

LockStateStore::Flag& LockStateStore::Flag::operator=(bool locked) {
    LockStateStore::setLockState(m_name, locked);
    return *this;
}

LockStateStore::Flag LockStateStore::lockFlag(const std::string& name) {
    table().slot(name, true);
    return Flag(name);
}

bool LockStateStore::lockState(const std::string& name) { return table().slot(name, true); }

void LockStateStore::setLockState(const std::string& name, bool locked) { table().slot(name, locked) = locked; }

void LockStateStore::addListener(const void* owner, Listener callback) {
    listeners().push_back(std::make_shared<ListenerEntry>(ListenerEntry{owner, std::move(callback)}));
}

void LockStateStore::removeListener(const void* owner) {
    auto& list = listeners();
    for (auto it = list.begin(); it != list.end();) {
        if ((*it)->owner == owner) {
            (*it)->removed = true;
            it = list.erase(it);
        } else {
            ++it;
        }
    }
}

void LockStateStore::parseLockStates(const std::string& stored) {
    Table& states = table();
    states.clear();
    UnreadRecords& unread = unreadLocks();
    unread.clear();
    persisted::forEachPiece(stored, [&](std::string_view piece) {
        std::string_view name;
        std::string_view value;
        if (!persisted::splitKey(piece, name, value) || (value != "0" && value != "1")) {
            unread.emplace_back(piece);
            return;
        }
        const bool locked = value == "1";
        bool& slot = states.slot(persisted::unescapeKey(name), locked);
        slot = slot && locked;
    });
    if (!unread.empty()) logMessage("[LockStateStore] skipped %d malformed entries", static_cast<int>(unread.size()));
    notifyListeners();
}

std::string LockStateStore::serializeLockStates() {
    std::string out;
    for (const auto& entry : table().entries) {
        persisted::appendKeyPiece(out, entry.first);
        out += entry.second ? ":1" : ":0";
    }
    persisted::appendUnread(out, unreadLocks());
    return out;
}

const UnreadRecords& LockStateStore::unreadLockStates() { return unreadLocks(); }

std::string LockStateStore::escapeStoredName(const std::string& name) { return persisted::escapeKey(name); }

std::string LockStateStore::unescapeStoredName(const std::string& stored) { return persisted::unescapeKey(stored); }

namespace {

struct CheckpointTable {
    CheckpointRecords records;
    UnreadRecords unread;
};

CheckpointTable& checkpoints() {
    static CheckpointTable instance;
    return instance;
}

bool readCheckpoint(std::string_view value, CheckpointRecord& record) {
    const std::vector<std::string_view> fields = persisted::splitFields(value, ' ');
    if (fields.size() != 6) return false;
    float* const floats[] = {&record.pointX, &record.pointY, &record.cameraX, &record.cameraY, &record.distance};
    for (std::size_t i = 0; i < 5; ++i) {
        if (!parseStrictFloat(fields[i], *floats[i])) return false;
    }
    return parseStrictInteger(fields[5], record.sectionId);
}

}  // namespace

CheckpointRecords& checkpointRecords() { return checkpoints().records; }

const UnreadRecords& unreadCheckpointRecords() { return checkpoints().unread; }

void parseCheckpoints(const std::string& stored) {
    clearCheckpoints();
    CheckpointTable& table = checkpoints();
    persisted::forEachPiece(stored, [&](std::string_view piece) {
        std::string_view key;
        std::string_view value;
        CheckpointRecord record;
        bool read = persisted::splitKey(piece, key, value) && readCheckpoint(value, record);
        if (read) {
            const std::string name = persisted::unescapeKey(key);
            read = !name.empty() && table.records.insert(name, record);
        }
        if (!read) table.unread.emplace_back(piece);
    });
    if (!table.unread.empty())
        logMessage("[CheckpointStore] kept %d unread records", static_cast<int>(table.unread.size()));
}

std::string serializeCheckpoints(int* nonFinite) {
    const CheckpointTable& table = checkpoints();
    std::string out;
    for (const auto& entry : table.records) {
        const CheckpointRecord& r = entry.second;
        persisted::appendKeyPiece(out, entry.first);
        out += ':';
        for (float value : {r.pointX, r.pointY, r.cameraX, r.cameraY, r.distance}) {
            persisted::appendFloat(out, value, nonFinite);
            out += ' ';
        }
        persisted::appendInteger(out, r.sectionId);
    }
    persisted::appendUnread(out, table.unread);
    return out;
}

CheckpointRecord& checkpointRecord(const std::string& key) { return checkpoints().records.obtain(key); }

CheckpointRecord* currentCheckpointRecord() {
    const std::string& name = ScreenManager::shared()->getSceneName();
    if (name.empty()) return nullptr;
    return &checkpointRecord(name);
}

void clearCheckpoints() {
    checkpoints().records.clear();
    checkpoints().unread.clear();
}
