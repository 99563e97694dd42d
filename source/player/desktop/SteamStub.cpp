#include "SteamStub.h"

bool SteamAPI_Init() { return false; }

void writeSteamStarted(std::FILE* out, bool result) {
    if (!out) return;
    static const char text[] = "Steam Started: %b";
    std::fwrite(text, 1, sizeof(text) - 1, out);
    std::fputc(result ? '1' : '0', out);
    std::fflush(out);
}
