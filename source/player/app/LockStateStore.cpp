#include "player/app/LockStateStore.h"

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/QVLog.h"

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
    int malformed = 0;
    std::size_t start = 0;
    while (start <= stored.size()) {
        std::size_t end = stored.find(';', start);
        if (end == std::string::npos) end = stored.size();
        const std::string piece = stored.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) continue;
        // The last ':' splits, so a name may hold ':' itself.
        const std::size_t colon = piece.rfind(':');
        const std::string value = colon == std::string::npos ? std::string() : piece.substr(colon + 1);
        if (value != "0" && value != "1") {
            ++malformed;
            continue;
        }
        const bool locked = value == "1";
        bool& slot = states.slot(unescapeStoredName(piece.substr(0, colon)), locked);
        slot = slot && locked;
    }
    if (malformed > 0) logMessage("[LockStateStore] skipped %d malformed entries", malformed);
    notifyListeners();
}

std::string LockStateStore::serializeLockStates() {
    std::string out;
    for (const auto& entry : table().entries) {
        if (!out.empty()) out += ';';
        out += escapeStoredName(entry.first);
        out += entry.second ? ":1" : ":0";
    }
    return out;
}

std::string LockStateStore::escapeStoredName(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == '%') {
            out += "%25";
        } else if (c == ';') {
            out += "%3B";
        } else {
            out += c;
        }
    }
    return out;
}

std::string LockStateStore::unescapeStoredName(const std::string& stored) {
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored.compare(i, 3, "%25") == 0) {
            out += '%';
            i += 2;
        } else if (stored.compare(i, 3, "%3B") == 0) {
            out += ';';
            i += 2;
        } else {
            out += stored[i];
        }
    }
    return out;
}
