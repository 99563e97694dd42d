// Records the largest array allocation made since the last reset, so a test can
// prove that a hostile header was refused before any pixel memory was taken.
#pragma once

#include <cstddef>

namespace allocprobe {
void reset();
std::size_t largest();
}  // namespace allocprobe
