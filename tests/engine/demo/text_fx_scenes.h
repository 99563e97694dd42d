// The label and particles scenes of engine_demo. Each writes its assets
// (a .fnt with its page, or the particle texture) into a private temporary
// folder and loads them through the normal file paths.
#pragma once

// Runs the scene when argv names `label` or `particles` and sets *status;
// false when the scene is neither.
bool runLabelScene(int argc, char** argv, int* status);
bool runParticlesScene(int argc, char** argv, int* status);
