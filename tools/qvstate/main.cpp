// qvstate --dir DIR <command>
// The player's progress store ("UserDefault.sqlite" in DIR), seen through the
// player's own load and save; no game data is read.
//
//   dump         load, then print every table, unread record and switch
//   resave       load, then save as the player would (loaded, with the
//                stored "ZK_Version" as the game's version)
//   import FILE  set the rows of FILE (key<TAB>value per line) in one flush
//   export       every row of the store file, key<TAB>value, sorted by key
//
// Rows in FILE and export escape a backslash as \\ and other bytes outside
// 0x20-0x7E as \xNN. Exit 0, 1 on failure, 2 on bad usage.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVAttributeValue.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "player/app/LockStateStore.h"
#include "player/app/PersistedText.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"

#include "../common/ToolText.h"

using cocos2d::CCUserDefault;

namespace {

int usage(const char* message) {
    std::fprintf(stderr,
                 "qvstate: %s\n"
                 "usage: qvstate --dir DIR dump|resave|export\n"
                 "       qvstate --dir DIR import FILE\n",
                 message);
    return 2;
}

std::string quoted(const std::string& text) { return tooltext::quoted(text); }

std::string rowText(const std::string& text) { return tooltext::escaped(text.data(), text.size(), false); }

// Undoes rowText; false on a malformed escape.
bool unescapeRow(const std::string& text, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out.push_back('\\');
            ++i;
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x' || !std::isxdigit(static_cast<unsigned char>(text[i + 2])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 3])))
            return false;
        out.push_back(static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16)));
        i += 3;
    }
    return true;
}

std::string number(float value) {
    std::string out;
    persisted::appendFloat(out, value);
    return out;
}

template <class T>
std::string counter(const char* name, const ScoreCounter<T>& c) {
    auto text = [](T v) {
        if constexpr (std::is_same_v<T, float>)
            return number(v);
        else
            return std::to_string(v);
    };
    std::string out = std::string(" ") + name + " " + text(c.best) + " " + text(c.total);
    if (c.saved) out += " saved " + text(c.saved->current) + " " + text(c.saved->best) + " " + text(c.saved->total);
    return out;
}

void printUnread(const char* key, const UnreadRecords& unread) {
    for (const std::string& text : unread) std::printf("unread %s %s\n", key, quoted(text).c_str());
}

const char* flag(bool on) { return on ? "true" : "false"; }

int dump(QVPSettingsController* state) {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    std::printf("version %s\n", quoted(store->getStringForKey("ZK_Version")).c_str());
    for (const auto& entry : scoreRecords()) {
        const ScoreRecord& r = entry.second;
        std::printf("score %s%s%s%s\n", quoted(entry.first).c_str(), counter("distance", r.distance).c_str(),
                    counter("points", r.points).c_str(), counter("coins", r.coins).c_str());
    }
    printUnread("QVP_Scores", unreadScoreRecords());

    // The live pieces come first in the stored form, the unread ones last.
    std::vector<std::string> pieces;
    persisted::forEachPiece(LockStateStore::serializeLockStates(),
                            [&](std::string_view piece) { pieces.emplace_back(piece); });
    const size_t live = pieces.size() - std::min(pieces.size(), LockStateStore::unreadLockStates().size());
    for (size_t i = 0; i < live; ++i) {
        std::string_view name, value;
        if (!persisted::splitKey(pieces[i], name, value)) continue;
        std::printf("lock %s %s\n", quoted(LockStateStore::unescapeStoredName(std::string(name))).c_str(),
                    std::string(value).c_str());
    }
    printUnread("QVP_LockStates", LockStateStore::unreadLockStates());

    for (const auto& entry : checkpointRecords()) {
        const CheckpointRecord& c = entry.second;
        std::printf("checkpoint %s %s %s %s %s %s %d\n", quoted(entry.first).c_str(), number(c.pointX).c_str(),
                    number(c.pointY).c_str(), number(c.cameraX).c_str(), number(c.cameraY).c_str(),
                    number(c.distance).c_str(), c.sectionId);
    }
    printUnread("PQV_Checkpoints", unreadCheckpointRecords());

    for (const auto& entry : state->refillTimers()) {
        const auto& t = entry.second;
        std::printf("refill %u max %d interval %d start %lld\n", t.id, t.max, t.interval,
                    static_cast<long long>(t.start));
    }
    printUnread("QVP_RefillPowerup", state->unreadRefillTimers());
    for (const auto& entry : state->inventory()) std::printf("inventory %u %d\n", entry.first, entry.second);
    printUnread("QVP_Inventory", state->unreadInventory());
    for (const auto& entry : state->characters()) std::printf("character %u %d\n", entry.first, entry.second ? 1 : 0);
    printUnread("QVP_Character", state->unreadCharacters());

    std::printf("selectedCharacter %d\n", state->selectedCharacter());
    std::printf("removeAds %s\nfullscreen %s\n", flag(state->removeAds()), flag(state->isFullscreen()));
    std::printf("muteEffectsSound %s\nmuteBackgroundSound %s\n", flag(state->muteEffectsSound()),
                flag(state->muteBackgroundSound()));
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int resave(QVPSettingsController* state) {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    auto* version = dynamic_cast<QVAttributeString*>(QVModelGeneralSettings::shared()->attribute("ZK Version"));
    if (version) version->setValue(store->getStringForKey("ZK_Version"));
    QVPSettingsController::setLoaded(true);
    state->save();
    store = CCUserDefault::sharedUserDefault();
    if (store->isDirty() || store->isReadOnly()) {
        std::fprintf(stderr, "qvstate: the store was not written\n");
        return 1;
    }
    return 0;
}

int import(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "qvstate: cannot read %s\n", path);
        return 1;
    }
    std::vector<std::pair<std::string, std::string>> rows;
    int lineNumber = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNumber;
        const size_t tab = line.find('\t');
        std::string key, value;
        if (tab == std::string::npos || !unescapeRow(line.substr(0, tab), key) ||
            !unescapeRow(line.substr(tab + 1), value) || key.empty()) {
            std::fprintf(stderr, "qvstate: %s:%d: not a key<TAB>value line\n", path, lineNumber);
            return 1;
        }
        rows.emplace_back(std::move(key), std::move(value));
    }
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    if (store->isReadOnly()) {
        std::fprintf(stderr, "qvstate: the store is read-only\n");
        return 1;
    }
    for (const auto& [key, value] : rows) store->setStringForKey(key.c_str(), value);
    store->flush();
    if (store->isDirty()) {
        std::fprintf(stderr, "qvstate: the store was not written\n");
        return 1;
    }
    return 0;
}

int exportRows() {
    const std::string path = CCUserDefault::getXMLFilePath();
    sqlite3* db = nullptr;
    std::vector<std::pair<std::string, std::string>> rows;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    if (rc == SQLITE_OK) rc = sqlite3_prepare_v2(db, "SELECT key, value FROM user_default", -1, &stmt, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        rc = SQLITE_OK;
        auto text = [&](int column) {
            const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            return data ? std::string(data, static_cast<size_t>(sqlite3_column_bytes(stmt, column))) : std::string();
        };
        rows.emplace_back(text(0), text(1));
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok) std::fprintf(stderr, "qvstate: cannot read %s: %s\n", path.c_str(), db ? sqlite3_errmsg(db) : "");
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (!ok) return 1;
    std::sort(rows.begin(), rows.end());
    for (const auto& [key, value] : rows) std::printf("%s\t%s\n", rowText(key).c_str(), rowText(value).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0) {
            if (i + 1 >= argc) return usage("--dir needs a value");
            dir = argv[++i];
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (dir.empty()) return usage("--dir is required");
    if (args.empty()) return usage("no command");
    const std::string& command = args[0];
    const size_t expected = command == "import" ? 2 : 1;
    if (args.size() != expected) return usage("wrong number of arguments");
    cocos2d::CCFileUtils::sharedFileUtils()->setWritablePath(dir);

    int status = 2;
    if (command == "import") {
        status = import(args[1].c_str());
    } else if (command == "export") {
        status = exportRows();
    } else if (command == "dump" || command == "resave") {
        QVPSettingsController* state = QVPSettingsController::shared();
        state->load();
        status = command == "dump" ? dump(state) : resave(state);
        QVPSettingsController::destroy();
    } else {
        return usage(("unknown command " + command).c_str());
    }
    CCUserDefault::purgeSharedUserDefault();
    return status;
}
