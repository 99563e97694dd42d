// Collects the player log's lines for the duration of a test.
#pragma once

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
    const std::vector<std::string>& all() const { return lines(); }

private:
    static std::vector<std::string>& lines() {
        static std::vector<std::string> v;
        return v;
    }
};
