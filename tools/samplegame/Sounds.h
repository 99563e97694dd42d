// Call point of the sample-game tool; this version writes nothing.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Synthesises and encodes every sound model into data/sounds/QVModelSound_ID<id>.mp3.
// `root` is the output folder; false after setting `error`.
bool writeSounds(const QVModelController& controller, const std::string& root, std::string& error);

}  // namespace samplegame
