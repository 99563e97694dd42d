// The Steam client stand-in. Debian ships no Steam client library, so the
// player always runs as if Steam were absent.
#pragma once

#include <cstdio>

// Always false.
bool SteamAPI_Init();

// Writes "Steam Started: %b" literally, then '1' or '0', with no line end,
// and flushes. The '%b' is data, never a format: glibc's printf expands it.
void writeSteamStarted(std::FILE* out, bool result);
