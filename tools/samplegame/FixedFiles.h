// The files every exported game carries whatever its models: effect
// textures, the mirror shader, the splash and the icon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"

namespace samplegame {

// The mirror shader's text, written to data/shaders/WaterReflection.fsh.
const char* waterReflectionShader();

Image lightMap();  // 256 x 256
Image trailMap();  // 128 x 32
Image flagMap();   // 128 x 64

// An ICO of 32-bpp BMP entries (with AND mask) for sides up to 32 and PNG
// entries above, in the order given.
std::vector<uint8_t> icoFile(const std::vector<Image>& images, std::string* error);

// Writes `gameDir`/fx/{lightMap,trailMap,flagMap}.png,
// `gameDir`/data/shaders/WaterReflection.fsh, `gameDir`/Default.png (title
// set with `fontFile` at 72 px) and `gameDir`/icon.ico (16, 32 and 48).
bool writeFixedFiles(const std::string& gameDir, const std::string& fontFile, std::string* error);

}  // namespace samplegame
