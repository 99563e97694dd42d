#include "player/app/QVPSettingsController.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "platform/QVLog.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "platform/CCUserDefault.h"

using cocos2d::CCUserDefault;

namespace {

QVPSettingsController* g_instance = nullptr;
bool g_loaded = false;

std::string numberedKey(const char* prefix, int index) { return prefix + std::to_string(index); }

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

QVPSettingsController::QVPSettingsController() { m_characters[0] = true; }

QVPSettingsController::~QVPSettingsController() {
    if (g_instance == this) g_instance = nullptr;
}

bool QVPSettingsController::isCharacterUnlocked(uint32_t index) const {
    auto it = m_characters.find(index);
    return it != m_characters.end() && it->second;
}

void QVPSettingsController::save() {
    if (!g_loaded) {
        logMessage("[QVPSettingsController] - save while not loaded  = reset - issue prevented");
        return;
    }
    logMessage("[QVPSettingsController] - save");
    CCUserDefault* store = CCUserDefault::sharedUserDefault();
    store->setStringForKey("ZK_Version", QVModelGeneralSettings::shared()->zkVersion());

    char value[96];
    int index = 0;
    for (const auto& entry : m_refillTimers) {
        const RefillTimer& t = entry.second;
        std::snprintf(value, sizeof value, "%u:%d:%d:%" PRId64, t.id, t.max, t.interval, t.start);
        store->setStringForKey(numberedKey("QVP_RefillPowerup_", index++).c_str(), value);
    }
    store->setIntegerForKey("QVP_RefillPowerup_count", index);

    index = 0;
    for (const auto& entry : m_inventory) {
        std::snprintf(value, sizeof value, "%u:%d", entry.first, entry.second);
        store->setStringForKey(numberedKey("QVP_Inventory_", index++).c_str(), value);
    }
    store->setIntegerForKey("QVP_Inventory_count", index);

    index = 0;
    for (const auto& entry : m_characters) {
        std::snprintf(value, sizeof value, "%u:%d", entry.first, entry.second ? 1 : 0);
        store->setStringForKey(numberedKey("QVP_Character_", index++).c_str(), value);
    }
    store->setIntegerForKey("QVP_Characters_count", index);

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
