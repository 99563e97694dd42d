// Every line of the debug log while it lives, for tests of any layer.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/QVLog.h"

class LogCapture {
public:
    LogCapture() {
        lines().clear();
        setLogSink([](const char* text, std::size_t length) { lines().emplace_back(text, length); });
    }
    ~LogCapture() { setLogSink(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& all() const { return lines(); }
    static std::vector<std::string>& lines() {
        static std::vector<std::string> captured;
        return captured;
    }
    static bool has(const std::string& line) {
        return std::find(lines().begin(), lines().end(), line) != lines().end();
    }
    static bool hasPrefix(const std::string& prefix) {
        return std::any_of(lines().begin(), lines().end(),
                           [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
};
