// Background music: one streamed track at a time, on the main thread.
#pragma once

#include <string>

namespace CocosDenshion {

class SimpleAudioEngine {
public:
    static SimpleAudioEngine* sharedEngine();
    // Stops the music, frees the stream and closes the sound device. Every
    // later call on the shared engine is a no-op (false or 0).
    static void end();

    // Stops the current track first. A file that cannot be played is logged
    // and leaves no music playing.
    void playBackgroundMusic(const char* filePath, bool loop = false);
    void playBackgroundMusic(const std::string& filePath, bool loop = false) {
        playBackgroundMusic(filePath.c_str(), loop);
    }
    // releaseData closes the decoder; otherwise it is kept for a replay of
    // the same file.
    void stopBackgroundMusic(bool releaseData = false);
    void pauseBackgroundMusic();
    // Acts only on paused music, never after a stop.
    void resumeBackgroundMusic();
    // True from a successful play until a stop, a pause or the end of a
    // track that does not loop.
    bool isBackgroundMusicPlaying();

    // Engine-wide, kept across tracks; clamped to [0, 1], non-finite ignored.
    float getBackgroundMusicVolume();
    void setBackgroundMusicVolume(float volume);

    SimpleAudioEngine(const SimpleAudioEngine&) = delete;
    SimpleAudioEngine& operator=(const SimpleAudioEngine&) = delete;

private:
    SimpleAudioEngine() = default;
    ~SimpleAudioEngine() = default;
};

}  // namespace CocosDenshion
