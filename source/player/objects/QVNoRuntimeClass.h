// One log line per (tag, model class) for models whose runtime class is not
// built yet, so a world full of them does not flood the log.
#pragma once

#include <set>
#include <string>
#include <utility>

#include "platform/QVLog.h"

inline void logNoRuntimeClass(const char* tag, const char* className) {
    static std::set<std::pair<std::string, std::string>> logged;
    if (logged.emplace(tag, className).second) logMessage("[%s] no runtime class for %s yet", tag, className);
}
