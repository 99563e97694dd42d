// QVSound: one playing instance of a sound model, as an effect (many at once,
// each with an audio id) or as the background music (one current instance).
// Every instance is listed from construction to destruction, so all sounds,
// or one owner's, can be paused, resumed or stopped together.
//
// Guarantees:
//  - play respects the two mute switches of QVPSettingsController; a missing
//    model, an empty path or an effect the engine refuses (-1) leaves the
//    instance stopped (id -1, state 0) with no finish callback waiting;
//  - an auto-release instance that play leaves stopped is deleted in the
//    next frame's scheduler tick, never inside play (the caller may still
//    touch it); played again or deleted before then, it is spared;
//  - finish callbacks come only from the engine's per-frame audio tick and
//    act only on an instance that is still listed, so a callback whose
//    instance was deleted in the meantime does nothing;
//  - stopAll and stopAllEffects skip every instance that left the list while
//    they run (destroyed callbacks may delete other instances).
// Owner tags: 0 is none (and, in the static calls, every owner), 1 is the
// game scene; other callers choose their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QVModelSound;

class QVSound {
public:
    enum State { kStopped = 0, kPlaying = 1, kPaused = 2 };

    QVSound(std::shared_ptr<QVModelSound> model, unsigned int owner);
    // Leaves the list, runs the destroyed callback, then stops.
    virtual ~QVSound();
    QVSound(const QVSound&) = delete;
    QVSound& operator=(const QVSound&) = delete;

    // Playing an instance again stops its previous playback (or, for the
    // current music, the track) first.
    void play(bool loop, bool asMusic);
    // Never fires the finish callback; deletes an auto-release instance.
    void stop();
    // A looping effect ends after its current pass.
    void stopLooping();
    bool isLoop() const;
    // Only while not stopped; getVolume gives 0 when stopped.
    void setVolume(float volume);
    float getVolume() const;

    // An auto-release instance deletes itself when it stops or finishes.
    void setAutoRelease(bool autoRelease) { m_autoRelease = autoRelease; }
    bool isAutoRelease() const { return m_autoRelease; }
    void setDestroyedCallback(std::function<void()> callback) { m_destroyed = std::move(callback); }
    // A new auto-release instance of `model` for `owner`, playing once; null
    // without a model.
    static QVSound* playOnce(const std::shared_ptr<QVModelSound>& model, unsigned int owner);

    const std::shared_ptr<QVModelSound>& model() const { return m_model; }
    unsigned int owner() const { return m_owner; }
    int audioId() const { return m_audioId; }
    int state() const { return m_state; }

    // Owner 0 means every instance.
    static void pauseAll(unsigned int owner);
    static void resumeAll(unsigned int owner);
    // deleteAll also deletes the owner's stopped instances that are not
    // auto-release (auto-release ones delete themselves as they stop).
    static void stopAll(unsigned int owner, bool deleteAll);
    // Stops every effect of the effects engine (which fires no finish
    // callback) and marks the listed effect instances stopped, deleting the
    // auto-release ones; music is left alone.
    static void stopAllEffects();

    // Every live instance in construction order; the current music or null.
    static const std::vector<QVSound*>& liveSounds();
    static QVSound* currentMusic();

private:
    friend class QVSoundReaper;
    struct Registry;
    static Registry& registry();
    using Snapshot = std::vector<std::pair<QVSound*, uint64_t>>;
    static Snapshot snapshot(const std::vector<QVSound*>& list);
    // Calls `action` for each entry of `taken` that is still in `list` when
    // its turn comes.
    static void forEachStill(const Snapshot& taken, const std::vector<QVSound*>& list,
                             const std::function<void(QVSound*)>& action);
    static bool isIn(const std::vector<QVSound*>& list, const QVSound* sound, uint64_t serial);
    static void setPausedAll(unsigned int owner, bool pause);
    static void reap();
    static void updateReaper();

    void start(const std::string& path, bool loop, bool asMusic);
    void watchFinish();
    void onFinished(int audioId);

    std::shared_ptr<QVModelSound> m_model;
    unsigned int m_owner = 0;
    int m_audioId = -1;
    int m_state = kStopped;
    bool m_autoRelease = false;
    bool m_loop = false;
    std::function<void()> m_destroyed;
    uint64_t m_serial = 0;  // tells a live instance from a new one at a freed address
};
