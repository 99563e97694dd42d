// Media file names: a folder and prefix, the model's id in decimal and an
// extension, below the controller's data path.
#pragma once

#include <cstdint>
#include <string>

// "<idPrefix><id><extension>", the id as "%u".
std::string qvMediaName(const char* idPrefix, uint32_t id, const char* extension = "");
// The data path followed by qvMediaName.
std::string qvMediaPath(const char* idPrefix, uint32_t id, const char* extension);
