// Call point of the sample-game tool; this version writes nothing.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Draws the sprites' images into data/images (one file per sprite, the excluded ones too).
// `root` is the output folder; false after setting `error`.
bool writeArt(QVModelController& controller, const std::string& root, std::string& error);

}  // namespace samplegame
