// Sprite sheets: a deterministic shelf packer, the format-2 plist the
// engine's sprite-frame cache reads, and the files of one atlas model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"

namespace samplegame {

struct AtlasSprite {
    uint32_t id = 0;
    Image image;
};

// A sprite's frame on the sheet, origin top-left.
struct Placement {
    uint32_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// Places sprites of the given sizes on shelves, tallest first, then by id;
// `padding` px keep frames apart and away from the sheet's edges. False when
// one does not fit (`error` names it). `out` is in ascending id.
bool packShelves(const std::vector<Placement>& sizes, int sheetWidth, int sheetHeight, int padding,
                 std::vector<Placement>* out, std::string* error);

// The plist (format 2) for frames in ascending id.
std::string atlasPlist(uint32_t atlasId, int sheetWidth, int sheetHeight, const std::vector<Placement>& frames);

// Writes `dataDir`/atlases/atlas_ID<id>.{png,plist} (with a padding of 2 or
// more, each frame's border repeated one pixel out) and every sprite's own
// `dataDir`/images/QVModelSprite_ID<id>.png; `placed` gives the frames, for
// the sprites' "Size", "SourceSize" and "Source Rect".
bool writeAtlas(const std::string& dataDir, uint32_t atlasId, int sheetWidth, int sheetHeight, int padding,
                const std::vector<AtlasSprite>& sprites, std::vector<Placement>* placed, std::string* error);

// A sprite outside every atlas: only its image file.
bool writeSpriteImage(const std::string& dataDir, const AtlasSprite& sprite, std::string* error);

}  // namespace samplegame
