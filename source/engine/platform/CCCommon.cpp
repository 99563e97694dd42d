#include "platform/CCCommon.h"


#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_set>

#include "platform/QVLog.h"

namespace cocos2d {

namespace {
constexpr size_t kMaxLogLine = 1023;

size_t formatLine(char* buffer, const char* format, va_list args) {
    size_t len = 0;
    logFormat(buffer, kMaxLogLine, len, format, args);
    return len;
}

void writeLine(char* buffer, size_t len) { logWrite(buffer, len); }
}  // namespace

void CCLog(const char* format, ...) {
    char buffer[kMaxLogLine + 2];
    va_list args;
    va_start(args, format);
    size_t len = formatLine(buffer, format, args);
    va_end(args);
    writeLine(buffer, len);
}

void CCLogOnce(const char* format, ...) {
    char buffer[kMaxLogLine + 2];
    va_list args;
    va_start(args, format);
    size_t len = formatLine(buffer, format, args);
    va_end(args);
    static std::mutex mutex;
    static std::unordered_set<std::string>* seen = new std::unordered_set<std::string>();
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!seen->insert(std::string(buffer, len)).second) return;
    }
    writeLine(buffer, len);
}

}  // namespace cocos2d
