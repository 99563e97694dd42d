// The game field's state hash: one 64-bit value over everything that moves
// in a run, so two runs of one script can be compared.
#pragma once

#include <cstdint>

class QVPScreenScene;

// FNV-1a, in this order: for each runtime object of the camera (child
// order) its tag, type flags and state, node x, y and rotation and, with a
// body, body x, y, angle, linear velocity and angular velocity; then the
// camera position, game speed, next section start, scrolled and last
// distance; the world record's distance, points and coins; game over and
// pause; the first character's lives left (-1 without one). Floats by bits.
uint64_t fieldStateHash(const QVPScreenScene& scene);
