// Sound effects: many sounds at once, each named by an id. All functions are
// static and run on the main thread; finish callbacks arrive from the
// per-frame audio tick, never from inside another audio call.
#pragma once

#include <functional>
#include <string>

namespace cocos2d {
namespace experimental {

class AudioEngine {
public:
    static constexpr int INVALID_AUDIO_ID = -1;

    // The id of the new sound (ids start at 0 and are never reused in a run),
    // or -1 exactly when nothing will play: an unusable file (logged), every
    // voice busy with a looping sound, or after end(). When all voices are
    // busy the oldest non-looping sound is taken; its finish callback fires in
    // the next tick as if it had ended by itself.
    static int play2d(const std::string& filePath, bool loop = false, float volume = 1.0f);

    // Stopping never fires the finish callback.
    static void stop(int audioID);
    static void stopAll();

    // Acts on a playing sound at once; turning looping off lets the sound end
    // after its current pass, and then its finish callback fires.
    static void setLoop(int audioID, bool loop);
    static bool isLoop(int audioID);
    // Clamped to [0, 1]; a non-finite value is ignored. 0 for an unknown id.
    static void setVolume(int audioID, float volume);
    static float getVolume(int audioID);

    // A paused sound neither advances nor finishes. resume acts only on a
    // paused sound. resumeAll resumes only the sounds pauseAll paused: a sound
    // paused on its own stays paused until resume(id).
    static void pause(int audioID);
    static void resume(int audioID);
    static void pauseAll();
    static void resumeAll();

    // Fires exactly once, when the sound ends by itself or is taken for a new
    // sound. The id is already forgotten when it runs, and the callback may
    // call any audio function. An empty function clears it; an unknown id
    // does nothing.
    static void setFinishCallback(int audioID, const std::function<void(int, const std::string&)>& callback);

    // Stops everything, frees voices and decoded sounds and closes the sound
    // device. Every later call is a no-op (-1, false or 0).
    static void end();
};

}  // namespace experimental
}  // namespace cocos2d
