// The audio scenes of engine_demo: `beep FILE` and `music FILE --seconds S`.
#pragma once

// Runs the scene when argv names an audio scene and sets *status; false
// when the scene is not one of them.
bool runAudioScene(int argc, char** argv, int* status);
