// The input scenes of engine_demo: `touchlog` prints one touch's path and
// `menu` prints menu activations. Both take --frame WxH, --design WxH and
// --policy N.
#pragma once

// Runs the scene when argv names an input scene and sets *status; false
// when the scene is not one of them.
bool runInputScene(int argc, char** argv, int* status);
