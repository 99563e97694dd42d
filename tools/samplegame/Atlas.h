// Call point of the sample-game tool; this version writes nothing.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Packs each atlas's sprite children into its sheet, writes data/atlases/atlas_ID<id>.{plist,png} and sets every packed sprite's "Size", "SourceSize", "Source Rect" and "Offset" silently. Runs before the packs are written.
// `root` is the output folder; false after setting `error`.
bool writeAtlases(QVModelController& controller, const std::string& root, std::string& error);

}  // namespace samplegame
