// The tool's media call points: each reads the models it draws for from the
// controller and writes under the output folder `root`; false after setting
// `error`.
#pragma once

#include <string>

class QVModelController;

namespace samplegame {

// Packs each atlas's sprite children into its sheet, writes
// data/atlases/atlas_ID<id>.{plist,png} and data/images for those sprites,
// and sets every packed sprite's "Size", "SourceSize", "Source Rect" and
// "Offset" silently. Runs before the packs are written. `ttf` sets captions.
bool writeAtlases(QVModelController& controller, const std::string& ttf, const std::string& root, std::string& error);

// Writes data/images for every sprite outside the atlases (the excluded ones).
bool writeArt(QVModelController& controller, const std::string& ttf, const std::string& root, std::string& error);

// Bakes the font model 1020 from `ttf` into data/fonts/QVModelFont_ID1020.{fnt,png}.
bool writeFont(const QVModelController& controller, const std::string& ttf, const std::string& root,
               std::string& error);

// Writes the effect textures, the shader, Default.png and icon.ico.
bool writeFixedFiles(const QVModelController& controller, const std::string& ttf, const std::string& root,
                     std::string& error);

}  // namespace samplegame
