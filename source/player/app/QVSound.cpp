#include "player/app/QVSound.h"

#include <algorithm>
#include <string>

#include "actions/CCScheduler.h"
#include "audio/AudioEngine.h"
#include "audio/SimpleAudioEngine.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelSound.h"
#include "player/app/QVPSettingsController.h"

using cocos2d::experimental::AudioEngine;
using CocosDenshion::SimpleAudioEngine;

class QVSoundReaper : public cocos2d::CCObject {
public:
    void update(float dt) override {
        (void)dt;
        QVSound::reap();
    }
};

struct QVSound::Registry {
    std::vector<QVSound*> live;
    std::vector<QVSound*> reapList;
    QVSound* music = nullptr;
    uint64_t nextSerial = 1;
    QVSoundReaper* reaper = nullptr;  // never destroyed: a scheduler may hold it until exit
};

namespace {

bool contains(const std::vector<QVSound*>& list, const QVSound* sound) {
    return std::find(list.begin(), list.end(), sound) != list.end();
}

void erase(std::vector<QVSound*>& list, const QVSound* sound) {
    auto it = std::find(list.begin(), list.end(), sound);
    if (it != list.end()) list.erase(it);
}

bool ownedBy(const QVSound* sound, unsigned int owner) { return owner == 0 || sound->owner() == owner; }

}  // namespace

QVSound::Registry& QVSound::registry() {
    static Registry* registry = new Registry();
    return *registry;
}

QVSound::Snapshot QVSound::snapshot(const std::vector<QVSound*>& list) {
    Snapshot taken;
    taken.reserve(list.size());
    for (QVSound* sound : list) taken.emplace_back(sound, sound->m_serial);
    return taken;
}

bool QVSound::isIn(const std::vector<QVSound*>& list, const QVSound* sound, uint64_t serial) {
    // The serial is read only once the address is known to be live.
    return contains(list, sound) && sound->m_serial == serial;
}

void QVSound::forEachStill(const Snapshot& taken, const std::vector<QVSound*>& list,
                           const std::function<void(QVSound*)>& action) {
    for (const auto& entry : taken) {
        if (isIn(list, entry.first, entry.second)) action(entry.first);
    }
}

QVSound::QVSound(std::shared_ptr<QVModelSound> model, unsigned int owner)
    : m_model(std::move(model)), m_owner(owner), m_serial(registry().nextSerial++) {
    registry().live.push_back(this);
}

QVSound::~QVSound() {
    m_autoRelease = false;
    Registry& r = registry();
    // Unlisted before the callback runs, so no walk and no finish callback
    // can reach an instance that is being destroyed.
    erase(r.live, this);
    if (contains(r.reapList, this)) {
        erase(r.reapList, this);
        updateReaper();
    }
    if (m_destroyed) {
        std::function<void()> destroyed = std::move(m_destroyed);
        destroyed();
    }
    stop();
    if (r.music == this) r.music = nullptr;
}

QVSound* QVSound::playOnce(const std::shared_ptr<QVModelSound>& model, unsigned int owner) {
    if (!model) return nullptr;
    auto* instance = new QVSound(model, owner);
    instance->setAutoRelease(true);
    instance->play(false, false);
    return instance;
}

void QVSound::play(bool loop, bool asMusic) {
    QVPSettingsController* settings = QVPSettingsController::shared();
    const bool muted = asMusic ? settings->muteBackgroundSound() : settings->muteEffectsSound();
    const std::string path = m_model ? m_model->filePath() : std::string();
    if (!muted && !path.empty()) start(path, loop, asMusic);

    // Deleted by the reaper, not here: the caller may still touch it.
    Registry& r = registry();
    const bool doomed = m_autoRelease && m_state == kStopped;
    if (doomed == contains(r.reapList, this)) return;
    if (doomed) {
        r.reapList.push_back(this);
    } else {
        erase(r.reapList, this);
    }
    updateReaper();
}

void QVSound::start(const std::string& path, bool loop, bool asMusic) {
    Registry& r = registry();
    const bool autoRelease = m_autoRelease;
    m_autoRelease = false;  // the stops below must not delete this instance
    int previousId = -1;
    if (r.music == this) {
        stop();
    } else {
        previousId = m_audioId;
    }
    if (asMusic) {
        if (r.music) r.music->stop();
        SimpleAudioEngine::sharedEngine()->playBackgroundMusic(path, loop);
        m_audioId = -1;
        m_state = kPlaying;
        m_loop = loop;
        r.music = this;
    } else {
        m_audioId = AudioEngine::play2d(path, loop, 1.0f);
        m_state = m_audioId == -1 ? kStopped : kPlaying;
        if (m_audioId != -1 && !loop) watchFinish();
    }
    if (previousId != -1) {
        AudioEngine::setFinishCallback(previousId, {});
        AudioEngine::stop(previousId);
    }
    m_autoRelease = autoRelease;
}

void QVSound::watchFinish() {
    QVSound* self = this;
    const uint64_t serial = m_serial;
    AudioEngine::setFinishCallback(m_audioId, [self, serial](int audioId, const std::string&) {
        if (isIn(registry().live, self, serial)) self->onFinished(audioId);
    });
}

void QVSound::onFinished(int audioId) {
    if (audioId != m_audioId) return;
    m_audioId = -1;
    m_state = kStopped;
    if (m_autoRelease) delete this;
}

void QVSound::stop() {
    if (m_state == kStopped) return;
    Registry& r = registry();
    if (m_audioId != -1) {
        AudioEngine::setFinishCallback(m_audioId, {});
        AudioEngine::stop(m_audioId);
    }
    if (r.music == this) {
        SimpleAudioEngine::sharedEngine()->stopBackgroundMusic(true);
        r.music = nullptr;
        m_loop = false;
    }
    m_audioId = -1;
    m_state = kStopped;
    if (m_autoRelease) delete this;
}

void QVSound::stopLooping() {
    if (m_audioId == -1 || !AudioEngine::isLoop(m_audioId)) return;
    watchFinish();
    AudioEngine::setLoop(m_audioId, false);
}

bool QVSound::isLoop() const { return m_audioId != -1 ? AudioEngine::isLoop(m_audioId) : m_loop; }

void QVSound::setVolume(float volume) {
    if (m_state == kStopped) return;
    if (m_audioId != -1) {
        AudioEngine::setVolume(m_audioId, volume);
    } else if (registry().music == this) {
        SimpleAudioEngine::sharedEngine()->setBackgroundMusicVolume(volume);
    }
}

float QVSound::getVolume() const {
    if (m_state == kStopped) return 0.0f;
    if (m_audioId != -1) return AudioEngine::getVolume(m_audioId);
    if (registry().music == this) return SimpleAudioEngine::sharedEngine()->getBackgroundMusicVolume();
    return 0.0f;
}

void QVSound::pauseAll(unsigned int owner) { setPausedAll(owner, true); }

void QVSound::resumeAll(unsigned int owner) { setPausedAll(owner, false); }

void QVSound::setPausedAll(unsigned int owner, bool pause) {
    Registry& r = registry();
    const int from = pause ? kPlaying : kPaused;
    for (QVSound* sound : r.live) {
        if (!ownedBy(sound, owner) || sound->m_state != from) continue;
        if (sound->m_audioId != -1) {
            pause ? AudioEngine::pause(sound->m_audioId) : AudioEngine::resume(sound->m_audioId);
        } else if (r.music == sound) {
            SimpleAudioEngine* music = SimpleAudioEngine::sharedEngine();
            pause ? music->pauseBackgroundMusic() : music->resumeBackgroundMusic();
        }
        sound->m_state = pause ? kPaused : kPlaying;
    }
}

void QVSound::stopAll(unsigned int owner, bool deleteAll) {
    Registry& r = registry();
    const Snapshot taken = snapshot(r.live);
    forEachStill(taken, r.live, [owner](QVSound* sound) {
        if (ownedBy(sound, owner)) sound->stop();
    });
    if (!deleteAll) return;
    forEachStill(taken, r.live, [owner](QVSound* sound) {
        if (ownedBy(sound, owner) && sound->m_state == kStopped && !sound->m_autoRelease) delete sound;
    });
}

void QVSound::stopAllEffects() {
    AudioEngine::stopAll();
    Registry& r = registry();
    forEachStill(snapshot(r.live), r.live, [](QVSound* sound) {
        if (sound->m_audioId == -1) return;
        sound->m_audioId = -1;
        sound->m_state = kStopped;
        if (sound->m_autoRelease) delete sound;
    });
}

const std::vector<QVSound*>& QVSound::liveSounds() { return registry().live; }

QVSound* QVSound::currentMusic() { return registry().music; }

void QVSound::reap() {
    Registry& r = registry();
    forEachStill(snapshot(r.reapList), r.reapList, [](QVSound* sound) { delete sound; });
    updateReaper();
}

void QVSound::updateReaper() {
    Registry& r = registry();
    if (!r.reaper) {
        if (r.reapList.empty()) return;
        r.reaper = new QVSoundReaper();
    }
    cocos2d::CCScheduler* scheduler = cocos2d::CCDirector::sharedDirector()->getScheduler();
    const bool scheduled = scheduler->isUpdateScheduled(r.reaper);
    if (!r.reapList.empty() && !scheduled) {
        // Before every game update: an instance left stopped in this tick
        // lives until the next one.
        scheduler->scheduleUpdateForTarget(r.reaper, cocos2d::kCCPrioritySystem, false);
    } else if (r.reapList.empty() && scheduled) {
        scheduler->unscheduleUpdateForTarget(r.reaper);
    }
}
