// (ours) Engine-internal glue between the run loop and the two audio engines:
// the per-frame tick, the back-end choice and a few test hooks. Game code
// uses AudioEngine.h and SimpleAudioEngine.h only.
//
//   ENGINE_AUDIO=openal|null   the back-end; unset: openal with a window,
//                              null headless
#pragma once

namespace cocos2d {
namespace audio {

enum class BackendKind { OpenAL, Null };

// Called by the director once per main-loop iteration, after the scheduler
// tick and the frame's drawing (dt 0 while the animation is stopped). Fires
// finish callbacks, refills the music stream and advances the silent
// back-end's clock by dt.
void tick(float dt);

// The director says whether the view has a window; that decides the
// back-end when ENGINE_AUDIO is unset. Takes effect for an engine's first
// sound.
void setViewHeadless(bool headless);

// The back-end either engine opens on its first sound.
BackendKind chosenBackend();
// "openal", "null"; anything else (logged unless empty) leaves the choice
// to the view.
bool parseBackendHook(const char* value, BackendKind* kind);

// ---- for tests
// Ends both engines, then lets them start again with the given back-end.
void resetForTest(BackendKind kind);
// Files decoded by the effects engine since the last reset.
unsigned long effectDecodeCountForTest();
// The back-end each engine actually uses ("openal", "null"), or "" before
// its first sound.
const char* effectsBackendNameForTest();
const char* musicBackendNameForTest();
// True while the music back-end is producing sound (for OpenAL, the
// streaming source is in the playing state).
bool musicSourcePlayingForTest();

}  // namespace audio
}  // namespace cocos2d
