// Data-format constants shared with every tool that writes game data.
#pragma once

#include <cstdint>

namespace qvformat {

// The stored archive password string; decodeArchivePassword turns it into the
// package password.
constexpr const char* kStoredArchivePassword = "m6lN0kdRRxOTokTxbE4a";

// XOR table applied to the decoded password string.
constexpr uint8_t kPasswordTable[8] = {0xE9, 0xD3, 0x1C, 0x99, 0x24, 0x03, 0x72, 0x72};

}  // namespace qvformat
