// The player's persisted state: powerup refill timers, inventory counts,
// unlocked characters, the selected character and the remove-ads, fullscreen
// and mute switches, written to the engine's user-default store.
//
// Saving is refused until the game data has finished loading (setLoaded):
// a default-state instance must never overwrite stored progress. Keys whose
// data is not kept here yet (scores, lock states, checkpoints) are never
// written, so the values already in the store survive a save.
#pragma once

#include <cstdint>
#include <map>

#include "base/CCObject.h"

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

    // Writes every persisted key this state holds and flushes the store in
    // one transaction; logs "save failed" when the flush did not succeed.
    virtual void save();

    bool removeAds() const { return m_removeAds; }
    void setRemoveAds(bool removeAds) { m_removeAds = removeAds; }

    void unlockCharacter(uint32_t index) { m_characters[index] = true; }
    // The characters map only; false for an index it does not hold.
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

protected:
    QVPSettingsController();

    std::map<uint32_t, RefillTimer> m_refillTimers;
    std::map<uint32_t, int32_t> m_inventory;
    std::map<uint32_t, bool> m_characters;
    bool m_removeAds = false;
    bool m_lowPerformance = false;  // not persisted
    bool m_fullscreen = false;
    bool m_muteEffectsSound = false;
    bool m_muteBackgroundSound = false;
    int32_t m_selectedCharacter = 0;
};
