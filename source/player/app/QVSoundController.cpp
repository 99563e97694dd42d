#include "player/app/QVSoundController.h"

#include "audio/SimpleAudioEngine.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelSound.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "player/screens/QVPScreen.h"
#include "player/ui/QVPObjectButton.h"

namespace {

QVPSettingsController* settings() { return QVPSettingsController::shared(); }

bool musicPlaying() { return CocosDenshion::SimpleAudioEngine::sharedEngine()->isBackgroundMusicPlaying(); }

}  // namespace

QVSoundController::QVSoundController(QVPScreen* owner) : m_owner(owner) {}

QVSoundController::~QVSoundController() { releaseButtons(); }

void QVSoundController::releaseButtons() {
    for (Buttons* list : {&m_allButtons, &m_effectsButtons, &m_musicButtons}) {
        for (QVPObjectButton* button : *list) {
            if (button->getTarget() == this) button->setActionTarget(nullptr, nullptr);
            button->release();
        }
        list->clear();
    }
}

void QVSoundController::bindButtons() {
    releaseButtons();
    if (!m_owner) return;
    const struct {
        const char* key;
        Buttons* list;
        cocos2d::SEL_MenuHandler handler;
    } kinds[] = {
        {"kMuteAllSound", &m_allButtons, menu_selector(QVSoundController::toggleAll)},
        {"kMuteSoundEffects", &m_effectsButtons, menu_selector(QVSoundController::toggleEffects)},
        {"kMuteBackgroundMusic", &m_musicButtons, menu_selector(QVSoundController::toggleMusic)},
    };
    for (const auto& kind : kinds) {
        *kind.list = m_owner->findButtons(kind.key);
        for (QVPObjectButton* button : *kind.list) {
            button->retain();
            button->setActionTarget(this, kind.handler);
        }
    }
    showMuted(m_effectsButtons, settings()->muteEffectsSound());
    showMuted(m_musicButtons, settings()->muteBackgroundSound());
    refreshAllButtons();
}

void QVSoundController::showMuted(const Buttons& buttons, bool muted) {
    for (QVPObjectButton* button : buttons) {
        if (muted) {
            button->selected();
        } else {
            button->unselected();
        }
    }
}

void QVSoundController::refreshAllButtons() {
    showMuted(m_allButtons, settings()->muteEffectsSound() && settings()->muteBackgroundSound());
}

void QVSoundController::toggleAll(cocos2d::CCObject* sender) {
    (void)sender;
    if (settings()->muteEffectsSound() && settings()->muteBackgroundSound()) {
        unmuteEffects();
        unmuteMusic();
    } else {
        muteEffects();
        muteMusic();
    }
}

void QVSoundController::toggleEffects(cocos2d::CCObject* sender) {
    (void)sender;
    settings()->muteEffectsSound() ? unmuteEffects() : muteEffects();
}

void QVSoundController::toggleMusic(cocos2d::CCObject* sender) {
    (void)sender;
    settings()->muteBackgroundSound() ? unmuteMusic() : muteMusic();
}

void QVSoundController::muteEffects() {
    if (settings()->muteEffectsSound()) return;
    settings()->setMuteEffectsSound(true);
    showMuted(m_effectsButtons, true);
    refreshAllButtons();
    QVSound::stopAllEffects();
}

void QVSoundController::unmuteEffects() {
    if (!settings()->muteEffectsSound()) return;
    settings()->setMuteEffectsSound(false);
    showMuted(m_effectsButtons, false);
    refreshAllButtons();
}

void QVSoundController::muteMusic() {
    if (settings()->muteBackgroundSound()) return;
    if (QVSound* music = QVSound::currentMusic()) {
        m_music = music->model();
        m_musicLoop = music->isLoop();
    }
    settings()->setMuteBackgroundSound(true);
    showMuted(m_musicButtons, true);
    refreshAllButtons();
    if (m_owner) m_owner->stopMusic();
}

void QVSoundController::unmuteMusic() {
    if (!settings()->muteBackgroundSound()) return;
    settings()->setMuteBackgroundSound(false);
    showMuted(m_musicButtons, false);
    refreshAllButtons();
    if (m_music) playAsMusic(m_music, m_musicLoop);
    if (!musicPlaying() && m_owner) m_owner->playMusic();
    if (musicPlaying()) return;
    for (const auto& screen : QVModelController::shared()->getModels<QVModelScreen>()) {
        if (std::shared_ptr<QVModelSound> music = screen->music()) {
            playAsMusic(music, screen->loopMusic());
            return;
        }
    }
}

void QVSoundController::playAsMusic(const std::shared_ptr<QVModelSound>& model, bool loop) {
    auto* sound = new QVSound(model, 0);
    sound->setAutoRelease(true);
    sound->play(loop, true);
}
