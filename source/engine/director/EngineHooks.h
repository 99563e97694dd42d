// (ours) Run hooks from the environment, so the real player binary needs no
// test arguments. Each singleton reads them once when it is created; a
// malformed number is not used, and CCApplication::run() refuses to start
// with one (refusedEngineHooks).
//
//   ENGINE_HEADLESS=1    no window and no GL context
//   ENGINE_FIXED_DT=1    every frame's dt is the animation interval, no sleeping
//   ENGINE_MAX_FRAMES=N  CCApplication::run() ends after frame N
//   ENGINE_RANDOM_SEED=N the game seeds its random numbers with N (0..4294967295)
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cocos2d {

struct EngineHooks {
    bool headless = false;
    bool fixedDeltaTime = false;
    unsigned int maxFrames = 0;  // 0: no limit
    bool hasRandomSeed = false;
    unsigned int randomSeed = 0;
    // One line per malformed number, `NAME="value": why`.
    std::vector<std::string> refused;
};

// The hooks as read at the first call; later calls return the same values.
const EngineHooks& engineHooks();
// Reads the environment again (tests that change it).
EngineHooks readEngineHooks();

// The parsing rules on explicit values; a null or empty value means unset.
// A flag is on for any value but "0".
bool parseFlagHook(const char* name, const char* value);
// A positive decimal frame count, else 0; `why` says what is wrong with a
// value that is set and refused.
unsigned int parseFrameLimitHook(const char* name, const char* value, std::string* why = nullptr);
// A whole decimal number from 0 to 4294967295 (no sign, no blanks) sets
// `seed` and gives true; anything else gives false (`why` as above).
bool parseSeedHook(const char* name, const char* value, unsigned int* seed, std::string* why = nullptr);

// Logs and gives as a notice (QVLog.h) each refused hook of engineHooks();
// false when there was one.
bool reportRefusedEngineHooks();

// A run hook that failed during the run (a screenshot or a state dump that
// could not be written) marks it: the run goes on, and ends with status 1.
void markRunHookFailed();
bool runHookFailed();

// A value as error lines quote it: in double quotes, cut after its first
// kQuotedHookChars UTF-8 characters with "..." after the cut, so a runaway
// value does not bury the reason that follows it.
constexpr std::size_t kQuotedHookChars = 80;
std::string quotedHookValue(const std::string& value);

}  // namespace cocos2d
