// Call point of the sample-game tool; this version writes nothing.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Writes the effect textures, the shader, Default.png and icon.ico.
// `root` is the output folder; false after setting `error`.
bool writeFixedFiles(const QVModelController& controller, const std::string& root, std::string& error);

}  // namespace samplegame
