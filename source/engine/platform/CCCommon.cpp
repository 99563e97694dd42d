#include "platform/CCCommon.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_set>

namespace cocos2d {

namespace {
constexpr size_t kMaxLogLine = 1023;

size_t formatLine(char* buffer, const char* format, va_list args) {
    int n = std::vsnprintf(buffer, kMaxLogLine + 1, format, args);
    size_t len = n < 0 ? 0 : (static_cast<size_t>(n) > kMaxLogLine ? kMaxLogLine : static_cast<size_t>(n));
    buffer[len] = '\n';
    return len + 1;
}

void writeLine(const char* buffer, size_t len) {
    ssize_t written = ::write(STDERR_FILENO, buffer, len);
    (void)written;  // nothing sensible to do when stderr is gone
}
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
