// QVSoundController: binds a screen's mute buttons ("kMuteAllSound",
// "kMuteSoundEffects", "kMuteBackgroundMusic") to the two mute switches of
// QVPSettingsController, shows each switch by its buttons' look (selected =
// muted) and keeps the music going or silent accordingly. The switches are
// persisted by the settings controller's next save.
// Guarantees: the bound buttons are retained until the next bindButtons or
// the controller's end, and a button still aimed at a dead controller is
// unbound first. Unmuting music replays what played when it was muted, else
// the screen's music, else the first screen model that has "Music".
#pragma once

#include <memory>
#include <vector>

#include "base/CCObject.h"

class QVModelSound;
class QVPObjectButton;
class QVPScreen;

class QVSoundController : public cocos2d::CCObject {
public:
    // The screen is not retained (it owns the controller).
    explicit QVSoundController(QVPScreen* owner);
    ~QVSoundController() override;

    void bindButtons();

    // Menu handlers; the sender is ignored.
    void toggleAll(cocos2d::CCObject* sender);
    void toggleEffects(cocos2d::CCObject* sender);
    void toggleMusic(cocos2d::CCObject* sender);

    void muteEffects();
    void unmuteEffects();
    void muteMusic();
    void unmuteMusic();
    void refreshAllButtons();

private:
    using Buttons = std::vector<QVPObjectButton*>;
    void releaseButtons();
    static void showMuted(const Buttons& buttons, bool muted);
    static void playAsMusic(const std::shared_ptr<QVModelSound>& model, bool loop);

    QVPScreen* m_owner = nullptr;
    Buttons m_allButtons;
    Buttons m_effectsButtons;
    Buttons m_musicButtons;
    std::shared_ptr<QVModelSound> m_music;  // what played when music was muted
    bool m_musicLoop = false;
};
