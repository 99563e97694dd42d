#include "player/app/QVPSettingsController.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "actions/CCScheduler.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelScreen.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/CCUserDefault.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "player/app/LockStateStore.h"
#include "player/app/PersistedText.h"
#include "player/app/ScoreTable.h"

using cocos2d::CCUserDefault;

namespace {

QVPSettingsController* g_instance = nullptr;
bool g_loaded = false;

constexpr int kMaxEntries = static_cast<int>(CCUserDefault::kMaxRows);

int64_t nowSeconds() { return compat::systemTicks() / 10'000'000; }

int32_t clampToInt32(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

using Entries = std::vector<std::pair<std::string, std::string>>;
using Fields = std::vector<std::string_view>;

std::string numberedKey(const char* prefix, int index) { return prefix + std::to_string(index); }

std::string screenPlayedKey(const std::string& screenName) {
    std::string key = "ScreenPlayed-" + screenName;
    std::replace(key.begin() + 13, key.end(), ' ', '_');
    return key;
}

// A count in [0, kMaxRows] is used as it is; any other reads the entries that
// exist, so a huge count costs nothing and an unreadable one loses nothing.
// Returns the entries read; entries missing below a valid count are skipped.
Entries readNumbered(CCUserDefault* store, const char* countKey, const char* prefix) {
    Entries entries;
    const std::string countText = store->getStringForKey(countKey);
    int32_t count = 0;
    if (parseStrictInteger(countText, count) && count >= 0 && count <= kMaxEntries) {
        int missing = 0;
        for (int i = 0; i < count; ++i) {
            std::string key = numberedKey(prefix, i);
            std::string value = store->getStringForKey(key.c_str());
            if (value.empty())
                ++missing;
            else
                entries.emplace_back(std::move(key), std::move(value));
        }
        if (missing) logMessage("[QVPSettingsController] - %s: %d missing entries skipped", countKey, missing);
        return entries;
    }
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string key = numberedKey(prefix, i);
        std::string value = store->getStringForKey(key.c_str());
        if (value.empty()) break;
        entries.emplace_back(std::move(key), std::move(value));
    }
    if (!countText.empty() || !entries.empty())
        logMessage("[QVPSettingsController] - %s: bad count '%s', reading the entries that exist", countKey,
                   countText.c_str());
    return entries;
}

// Replaces `unread` with the entries that do not have exactly `fields`
// ':'-separated fields or that `take` refuses, each logged and kept verbatim.
template <class Note, class Take>
void loadFamily(const Entries& entries, size_t fields, UnreadRecords& unread, Note&& note, Take&& take) {
    unread.clear();
    for (const auto& [key, value] : entries) {
        note(key, value);
        const Fields f = persisted::splitFields(value, ':');
        if (f.size() == fields && take(f)) continue;
        logMessage("[QVPSettingsController] - %s: unreadable entry kept: %s", key.c_str(), value.c_str());
        unread.push_back(value);
    }
}

// Live entries first, then the unread ones, all counted. One key and one value
// buffer serve every entry: a save writes thousands of them.
template <class Map, class Format>
void writeNumbered(CCUserDefault* store, const char* countKey, const char* prefix, const Map& live,
                   const UnreadRecords& unread, Format format) {
    std::string key = prefix, value;
    const std::size_t prefixLength = key.size();
    int index = 0;
    auto write = [&](const std::string& text) {
        key.resize(prefixLength);
        persisted::appendInteger(key, index++);
        store->setStringForKey(key.c_str(), text);
    };
    for (const auto& entry : live) {
        value.clear();
        format(value, entry);
        write(value);
    }
    for (const std::string& text : unread) write(text);
    store->setIntegerForKey(countKey, index);
}

template <class T>
bool readScalar(CCUserDefault* store, const char* key, T& out,
                const std::function<bool(const std::string&, T&)>& read) {
    const std::string text = store->getStringForKey(key);
    if (!text.empty() && read(text, out)) return true;
    if (!text.empty())
        logMessage("[QVPSettingsController] - %s: unreadable value '%s', using the default", key, text.c_str());
    out = T();
    return false;
}

bool readInt32(const std::string& text, int32_t& out) { return parseStrictInteger(text, out); }
bool readSwitch(const std::string& text, bool& out) { return parseStrictSwitch(text, out); }

}  // namespace

QVPSettingsController* QVPSettingsController::shared() {
    if (!g_instance) g_instance = new QVPSettingsController();
    return g_instance;
}

void QVPSettingsController::destroy() {
    if (g_instance) g_instance->release();
    g_instance = nullptr;
}

void QVPSettingsController::setLoaded(bool loaded) { g_loaded = loaded; }

bool QVPSettingsController::isLoaded() { return g_loaded; }

QVPSettingsController::QVPSettingsController() {
    cocos2d::CCDirector::sharedDirector()->getScheduler()->scheduleSelector(
        schedule_selector(QVPSettingsController::update), this, 1.0f, false);
    reset(false);
}

QVPSettingsController::~QVPSettingsController() {
    cocos2d::CCDirector::sharedDirector()->getScheduler()->unscheduleAllForTarget(this);
    if (g_instance == this) g_instance = nullptr;
}

void QVPSettingsController::reset(bool deleteFile) {
    // Entries beyond the current models are progress too.
    m_characters.clear();
    m_characters[0] = true;
    const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
    for (size_t i = 0; i < characters.size(); ++i)
        m_characters[static_cast<uint32_t>(i)] = characters[i]->purchaseMethod() == "kFree";
    m_selectedCharacter = 0;
    m_refillTimers.clear();
    m_inventory.clear();
    m_unreadRefillTimers.clear();
    m_unreadInventory.clear();
    m_unreadCharacters.clear();
    loadInventoryMap();
    if (!deleteFile) return;
    std::string movedTo;
    if (!CCUserDefault::sharedUserDefault()->moveStoreAside("reset", &movedTo)) {
        logMessage("[QVPSettingsController] - reset: the store could not be moved aside and is kept in use");
        return;
    }
    CCUserDefault::purgeSharedUserDefault();
}

void QVPSettingsController::loadInventoryMap() {
    logMessage("[QVPSettingsController] - loadInventoryMap");
    QVModelController* models = QVModelController::shared();
    for (const auto& button : models->getModels<QVModelObjectButtonPowerup>()) {
        const float maxRefill = button->maxRefill();
        if (!QVModelScreen::screenOf(button) || !(maxRefill > 0)) continue;
        const int32_t selection = button->powerupSelectionId();
        auto powerup = models->getModel<QVModelAssetPowerup>(static_cast<uint32_t>(selection));
        if (!powerup) continue;
        const int amount = truncToInt(maxRefill);
        m_inventory[powerup->id()] = amount;
        logMessage("[QVPSettingsController] - refill - %d", amount);
    }
}

void QVPSettingsController::load() {
    loadInventoryMap();
    logMessage("[QVPSettingsController] - load");
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    loadScores(store->getStringForKey("QVP_Scores"), store->getStringForKey("ZK_Version"), false);
    LockStateStore::parseLockStates(store->getStringForKey("QVP_LockStates"));
    parseCheckpoints(store->getStringForKey("PQV_Checkpoints"));

    loadFamily(
        readNumbered(store, "QVP_RefillPowerup_count", "QVP_RefillPowerup_"), 4, m_unreadRefillTimers,
        [](const std::string&, const std::string& value) { logMessage("REFILL value: %s", value.c_str()); },
        [&](const Fields& f) {
            RefillTimer t;
            if (!parseStrictInteger(f[0], t.id) || !parseStrictInteger(f[1], t.max) ||
                !parseStrictInteger(f[2], t.interval) || !parseStrictInteger(f[3], t.start) || t.interval <= 0)
                return false;
            m_refillTimers[t.id] = t;
            logMessage("REFILL %d: %u:%d:%d:%" PRId64, static_cast<int>(m_refillTimers.size()) - 1, t.id, t.max,
                       t.interval, t.start);
            return true;
        });

    const auto inventory = readNumbered(store, "QVP_Inventory_count", "QVP_Inventory_");
    logMessage("invenotory count: %d", static_cast<int>(inventory.size()));
    loadFamily(
        inventory, 2, m_unreadInventory,
        [](const std::string& key, const std::string& value) {
            logMessage("load invenotory: %s = %s", key.c_str(), value.c_str());
        },
        [&](const Fields& f) {
            uint32_t id = 0;
            int32_t count = 0;
            if (!parseStrictInteger(f[0], id) || !parseStrictInteger(f[1], count)) return false;
            m_inventory[id] = count;
            return true;
        });

    const auto characters = readNumbered(store, "QVP_Characters_count", "QVP_Character_");
    logMessage("characters count: %d", static_cast<int>(characters.size()));
    loadFamily(
        characters, 2, m_unreadCharacters,
        [](const std::string& key, const std::string& value) {
            logMessage("load character: %s = %s", key.c_str(), value.c_str());
        },
        [&](const Fields& f) {
            uint32_t index = 0, flag = 0;
            if (!parseStrictInteger(f[0], index) || !parseStrictInteger(f[1], flag) || flag > 1) return false;
            m_characters[index] = flag == 1;
            return true;
        });

    readScalar<int32_t>(store, "QVP_selectedCharacter", m_selectedCharacter, readInt32);
    readScalar<bool>(store, "QVP_removeAds", m_removeAds, readSwitch);
    readScalar<bool>(store, "QVP_fullscreen", m_fullscreen, readSwitch);
    readScalar<bool>(store, "QVP_muteEffectsSound", m_muteEffectsSound, readSwitch);
    readScalar<bool>(store, "QVP_muteBackgroundSound", m_muteBackgroundSound, readSwitch);
    m_hasLoaded = true;
    logMessage("[QVPSettingsController] - load complete");
}

bool QVPSettingsController::isCharacterUnlocked(uint32_t index) const {
    auto it = m_characters.find(index);
    if (it != m_characters.end()) return it->second;
    const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
    if (index >= characters.size()) return false;
    return m_characters[index] = characters[index]->purchaseMethod() == "kFree";
}

void QVPSettingsController::save() {
    if (!g_loaded || !m_hasLoaded) {
        logMessage("[QVPSettingsController] - save while not loaded  = reset - issue prevented");
        return;
    }
    logMessage("[QVPSettingsController] - save");
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    store->setStringForKey("ZK_Version", QVModelGeneralSettings::shared()->zkVersion());
    int nonFinite = 0;
    store->setStringForKey("QVP_Scores", serializeScores(&nonFinite));
    store->setStringForKey("QVP_LockStates", LockStateStore::serializeLockStates());
    store->setStringForKey("PQV_Checkpoints", serializeCheckpoints(&nonFinite));
    if (nonFinite) logMessage("[QVPSettingsController] - %d values were not finite and are saved as 0", nonFinite);

    // Decimal integers joined by ':', as "%u:%d:%d:%lld", "%u:%d" and "%u:%d".
    using persisted::appendInteger;
    writeNumbered(store, "QVP_RefillPowerup_count", "QVP_RefillPowerup_", m_refillTimers, m_unreadRefillTimers,
                  [](std::string& out, const auto& entry) {
                      const RefillTimer& t = entry.second;
                      appendInteger(out, t.id);
                      out += ':';
                      appendInteger(out, t.max);
                      out += ':';
                      appendInteger(out, t.interval);
                      out += ':';
                      appendInteger(out, t.start);
                  });
    writeNumbered(store, "QVP_Inventory_count", "QVP_Inventory_", m_inventory, m_unreadInventory,
                  [](std::string& out, const auto& entry) {
                      appendInteger(out, entry.first);
                      out += ':';
                      appendInteger(out, entry.second);
                  });
    writeNumbered(store, "QVP_Characters_count", "QVP_Character_", m_characters, m_unreadCharacters,
                  [](std::string& out, const auto& entry) {
                      appendInteger(out, entry.first);
                      out += entry.second ? ":1" : ":0";
                  });

    store->setIntegerForKey("QVP_selectedCharacter", m_selectedCharacter);
    store->setBoolForKey("QVP_removeAds", m_removeAds);
    store->setBoolForKey("QVP_fullscreen", m_fullscreen);
    store->setBoolForKey("QVP_muteEffectsSound", m_muteEffectsSound);
    store->setBoolForKey("QVP_muteBackgroundSound", m_muteBackgroundSound);

    // The store keeps its map dirty when a flush fails, and refuses to write at
    // all when it is read-only for this run: both mean nothing reached the disk.
    store->flush();
    if (store->isDirty() || store->isReadOnly()) {
        logMessage("[QVPSettingsController] - save failed");
        return;
    }
    logMessage("[QVPSettingsController] - save complete");
}

bool QVPSettingsController::resetAllProgress() {
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    std::string movedTo;
    if (!store->moveStoreAside("reset", &movedTo)) {
        logMessage("[QVPSettingsController] - reset refused: %s",
                   store->isReadOnly() ? "progress is read-only for this run" : "the store could not be moved aside");
        return false;
    }
    clearScores();
    clearCheckpoints();
    LockStateStore::parseLockStates("");
    reset(true);
    save();
    if (movedTo.empty())
        logMessage("[QVPSettingsController] - reset: no stored progress");
    else
        logMessage("[QVPSettingsController] - reset: previous progress kept in %s", movedTo.c_str());
    return true;
}

void QVPSettingsController::update(float) {
    const int64_t now = nowSeconds();
    std::vector<RefillTimer> due;
    for (auto& entry : m_refillTimers) {
        RefillTimer& t = entry.second;
        if (t.start > now) {
            logMessage("[QVPSettingsController] - refill %u: start in the future, restarted", t.id);
            t.start = now;
        }
        if (now - t.start < t.interval) continue;
        int32_t& count = m_inventory[t.id];
        if (count < t.max) ++count;
        due.push_back(t);
    }
    for (const RefillTimer& t : due) {
        m_refillTimers.erase(t.id);
        if (m_inventory[t.id] < t.max) startRefill(t.id, t.interval / 60, t.max);
    }
}

void QVPSettingsController::startRefill(uint32_t id, int minutes, int max) {
    const int32_t count = m_inventory[id];
    if (m_refillTimers.count(id) || count >= max) return;
    if (minutes <= 0) {
        logMessage("[QVPSettingsController] - refill %u: no timeout, not started", id);
        return;
    }
    m_refillTimers[id] = {nowSeconds(), clampToInt32(int64_t{minutes} * 60), id, max};
}

int QVPSettingsController::refillSecondsLeft(uint32_t id) const {
    auto it = m_refillTimers.find(id);
    if (it == m_refillTimers.end()) return 0;
    return clampToInt32(it->second.start + int64_t{it->second.interval} - nowSeconds());
}

int QVPSettingsController::inventoryAmount(const std::shared_ptr<QVModel>& model) const {
    if (!model) return 0;
    auto it = m_inventory.find(model->id());
    return it == m_inventory.end() ? 0 : it->second;
}

void QVPSettingsController::setInventoryAmount(const std::shared_ptr<QVModel>& model, int count) {
    if (model) m_inventory[model->id()] = count;
}

int QVPSettingsController::screenPlayedCount(const std::string& screenName) const {
    int32_t count = 0;
    readScalar<int32_t>(CCUserDefault::sharedUserDefault(), screenPlayedKey(screenName).c_str(), count, readInt32);
    return count;
}

void QVPSettingsController::incrementScreenPlayed(const std::string& screenName) {
    const int count = screenPlayedCount(screenName);
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    store->setIntegerForKey(screenPlayedKey(screenName).c_str(), count == INT_MAX ? count : count + 1);
    store->flush();
}
