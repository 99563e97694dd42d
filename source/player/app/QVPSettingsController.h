// The player's persisted state: powerup refill timers, inventory counts,
// unlocked characters, the selected character and the remove-ads, fullscreen
// and mute switches, written to the engine's user-default store.
//
// Saving is refused until the game data has finished loading (setLoaded) and
// this instance has loaded the store: a default-state instance must never
// overwrite stored progress. Stored entries that cannot be read are kept
// verbatim and written back after the live ones, so a damaged value is never
// replaced by a default.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "base/CCObject.h"
#include "player/app/PersistedText.h"

class QVModel;

class QVPSettingsController : public cocos2d::CCObject {
public:
    struct RefillTimer {
        int64_t start = 0;     // seconds since the epoch
        int32_t interval = 0;  // seconds
        uint32_t id = 0;       // model id
        int32_t max = 0;       // maximum count
    };

    // The one instance, created on first use; destroy() drops it so the next
    // shared() starts from the default state.
    static QVPSettingsController* shared();
    static void destroy();

    // Set by the application once the game data has loaded; save() writes
    // nothing before that.
    static void setLoaded(bool loaded);
    static bool isLoaded();

    ~QVPSettingsController() override;

    // The once-a-second refill tick.
    void update(float dt) override;
    // Writes every persisted key and flushes the store in one transaction;
    // logs "save failed" when the flush did not succeed.
    virtual void save();
    // Reads the store over the current state: stored entries replace those of
    // the same key, and every unread list is replaced by what the store holds.
    virtual void load();
    // Back to the defaults of the character and powerup models. With
    // deleteFile the store file is moved aside (never deleted) and the store
    // object purged; removeAds, fullscreen and the mute switches stay.
    void reset(bool deleteFile);
    void loadInventoryMap();
    // The reset button's "yes": keeps the old store as a "reset-" copy and
    // starts every kind of progress again. False, with nothing changed, when
    // no copy could be kept.
    bool resetAllProgress();

    void startRefill(uint32_t id, int minutes, int max);
    // May be 0 or negative when due and the tick has not run yet.
    int refillSecondsLeft(uint32_t id) const;
    int inventoryAmount(const std::shared_ptr<QVModel>& model) const;
    void setInventoryAmount(const std::shared_ptr<QVModel>& model, int count);

    int screenPlayedCount(const std::string& screenName) const;
    // Written and flushed at once.
    void incrementScreenPlayed(const std::string& screenName);

    bool removeAds() const { return m_removeAds; }
    void setRemoveAds(bool removeAds) { m_removeAds = removeAds; }

    void unlockCharacter(uint32_t index) { m_characters[index] = true; }
    // The map, else the character model of that index ("kFree" unlocks),
    // whose answer is stored; false for an index beyond the models.
    bool isCharacterUnlocked(uint32_t index) const;

    int selectedCharacter() const { return m_selectedCharacter; }
    void setSelectedCharacter(int index) { m_selectedCharacter = index; }
    bool isFullscreen() const { return m_fullscreen; }
    void setFullscreen(bool fullscreen) { m_fullscreen = fullscreen; }
    bool isLowPerformance() const { return m_lowPerformance; }
    void setLowPerformance(bool low) { m_lowPerformance = low; }
    bool muteEffectsSound() const { return m_muteEffectsSound; }
    void setMuteEffectsSound(bool mute) { m_muteEffectsSound = mute; }
    bool muteBackgroundSound() const { return m_muteBackgroundSound; }
    void setMuteBackgroundSound(bool mute) { m_muteBackgroundSound = mute; }

    const std::map<uint32_t, RefillTimer>& refillTimers() const { return m_refillTimers; }
    const std::map<uint32_t, int32_t>& inventory() const { return m_inventory; }
    const std::map<uint32_t, bool>& characters() const { return m_characters; }
    // Stored entries that could not be read, verbatim, in stored order.
    const UnreadRecords& unreadRefillTimers() const { return m_unreadRefillTimers; }
    const UnreadRecords& unreadInventory() const { return m_unreadInventory; }
    const UnreadRecords& unreadCharacters() const { return m_unreadCharacters; }

protected:
    QVPSettingsController();

    std::map<uint32_t, RefillTimer> m_refillTimers;
    std::map<uint32_t, int32_t> m_inventory;
    // Mutable: isCharacterUnlocked stores the answer it took from a model.
    mutable std::map<uint32_t, bool> m_characters;
    bool m_removeAds = false;
    bool m_lowPerformance = false;  // not persisted
    bool m_fullscreen = false;
    bool m_muteEffectsSound = false;
    bool m_muteBackgroundSound = false;
    int32_t m_selectedCharacter = 0;

private:
    UnreadRecords m_unreadRefillTimers;
    UnreadRecords m_unreadInventory;
    UnreadRecords m_unreadCharacters;
    bool m_hasLoaded = false;  // by this instance, since it was constructed
};
