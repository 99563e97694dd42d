// Collects the player log's lines for the duration of a test.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/QVLog.h"

class LogCapture {
public:
    LogCapture() {
        lines().clear();
        setLogSink([](const char* text, std::size_t length) { lines().emplace_back(text, length); });
    }
    ~LogCapture() { setLogSink(nullptr); }
    const std::vector<std::string>& all() const { return lines(); }
    // Lines containing `part`.
    long count(const std::string& part) const {
        return std::count_if(lines().begin(), lines().end(),
                             [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    std::string joined() const { return testing::PrintToString(lines()); }

private:
    static std::vector<std::string>& lines() {
        static std::vector<std::string> v;
        return v;
    }
};
