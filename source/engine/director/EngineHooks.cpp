#include "director/EngineHooks.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/CCCommon.h"
#include "platform/QVLog.h"

namespace cocos2d {

bool parseFlagHook(const char* name, const char* value) {
    (void)name;
    if (!value || !*value) return false;
    return std::strcmp(value, "0") != 0;
}

unsigned int parseFrameLimitHook(const char* name, const char* value, std::string* why) {
    (void)name;
    if (!value || !*value) return 0;
    const char* end = value + std::strlen(value);
    unsigned long long n = 0;
    auto result = std::from_chars(value, end, n);
    if (result.ec != std::errc() || result.ptr != end || n == 0 || n > std::numeric_limits<unsigned int>::max()) {
        if (why) *why = "not a frame count from 1 to 4294967295";
        return 0;
    }
    return static_cast<unsigned int>(n);
}

bool parseSeedHook(const char* name, const char* value, unsigned int* seed, std::string* why) {
    (void)name;
    if (!value || !*value) return false;
    const char* end = value + std::strlen(value);
    unsigned long long n = 0;
    auto result = std::from_chars(value, end, n);
    if (result.ec != std::errc() || result.ptr != end || n > std::numeric_limits<unsigned int>::max()) {
        if (why) *why = "not a whole number from 0 to 4294967295";
        return false;
    }
    if (seed) *seed = static_cast<unsigned int>(n);
    return true;
}

std::string quotedHookValue(const std::string& value) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) == 0x80) continue;
        if (chars++ == kQuotedHookChars) return "\"" + value.substr(0, i) + "...\"";
    }
    return "\"" + value + "\"";
}

EngineHooks readEngineHooks() {
    EngineHooks hooks;
    hooks.headless = parseFlagHook("ENGINE_HEADLESS", std::getenv("ENGINE_HEADLESS"));
    hooks.fixedDeltaTime = parseFlagHook("ENGINE_FIXED_DT", std::getenv("ENGINE_FIXED_DT"));
    std::string why;
    const auto refuse = [&hooks, &why](const char* name) {
        if (!why.empty()) hooks.refused.push_back(name + ("=" + quotedHookValue(std::getenv(name)) + ": " + why));
        why.clear();
    };
    hooks.maxFrames = parseFrameLimitHook("ENGINE_MAX_FRAMES", std::getenv("ENGINE_MAX_FRAMES"), &why);
    refuse("ENGINE_MAX_FRAMES");
    hooks.hasRandomSeed =
        parseSeedHook("ENGINE_RANDOM_SEED", std::getenv("ENGINE_RANDOM_SEED"), &hooks.randomSeed, &why);
    refuse("ENGINE_RANDOM_SEED");
    return hooks;
}

const EngineHooks& engineHooks() {
    static const EngineHooks hooks = readEngineHooks();
    return hooks;
}

bool reportRefusedEngineHooks() {
    for (const std::string& line : engineHooks().refused) {
        CCLog("[engine] %s", line.c_str());
        logNotice("%s", line.c_str());
    }
    return engineHooks().refused.empty();
}

namespace {
bool g_runHookFailed = false;
}

void markRunHookFailed() { g_runHookFailed = true; }
bool runHookFailed() { return g_runHookFailed; }

}  // namespace cocos2d
