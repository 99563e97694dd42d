// Call point of the sample-game tool; this version writes nothing.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Bakes the font model 1020 from the TTF into data/fonts/QVModelFont_ID1020.{fnt,png}.
// `root` is the output folder; false after setting `error`.
bool writeFont(const QVModelController& controller, const std::string& ttf, const std::string& root, std::string& error);

}  // namespace samplegame
