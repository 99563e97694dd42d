// The media the models name: the font, each atlas's sheet and plist (which
// give the sprites their frame values), every sprite's own image, and the
// fixed files.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Runs before the packs are written: it sets every packed sprite's "Size",
// "SourceSize", "Source Rect" and "Offset" silently, and raises the sprite
// atlas's "height" to 2048 when its sprites do not fit. False after setting
// `error`.
bool writeMedia(QVModelController& controller, const std::string& root, const std::string& fontFile,
                std::string& error);

}  // namespace samplegame
