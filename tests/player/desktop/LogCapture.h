// Collects the player log's lines for the duration of a test.
#pragma once

#include <string>
#include <vector>

#include "platform/QVLog.h"

class LogCapture {
public:
    LogCapture() {
        lines().clear();
        setLogSink(&LogCapture::sink);
    }
    ~LogCapture() { setLogSink(nullptr); }
    const std::vector<std::string>& all() const { return lines(); }
    size_t count(const std::string& part) const {
        size_t n = 0;
        for (const std::string& l : lines())
            if (l.find(part) != std::string::npos) ++n;
        return n;
    }
    std::string joined() const {
        std::string s;
        for (const std::string& l : lines()) s += l + "\n";
        return s;
    }

private:
    static std::vector<std::string>& lines() {
        static std::vector<std::string> v;
        return v;
    }
    static void sink(const char* text, std::size_t length) { lines().emplace_back(text, length); }
};
