#include "platform/QVLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LogSink g_sink = nullptr;
NoticeSink g_noticeSink = nullptr;

// -1: logging off; otherwise the descriptor.
int chooseDestination() {
    const char* target = std::getenv("QVP_LOG");
    if (!target || !*target) return -1;
    if (std::strcmp(target, "1") == 0 || std::strcmp(target, "stderr") == 0) {
        return STDERR_FILENO;
    } else {
        int fd = ::open(target, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) {
            static const char note[] = "[QVLog] cannot open QVP_LOG file; logging to standard error\n";
            ssize_t ignored = ::write(STDERR_FILENO, note, sizeof(note) - 1);
            (void)ignored;
            fd = STDERR_FILENO;
        }
        return fd;
    }
}

// Chosen once, on the first line; the engine logs from its audio threads too.
int destination() {
    static const int fd = chooseDestination();
    return fd;
}

// Steps back over a cut multi-byte sequence so the line stays valid UTF-8.
std::size_t trimToCharBoundary(const char* text, std::size_t length) {
    if (length == 0) return 0;
    std::size_t start = length;
    // Find the lead byte of the last sequence (at most 3 continuation bytes back).
    while (start > 0 && length - start < 4 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
    if (start == 0) return length;  // only continuation bytes: leave as is
    unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    std::size_t have = length - (start - 1);
    return have < need ? start - 1 : length;
}

}  // namespace

void setLogSink(LogSink sink) { g_sink = sink; }

bool logFormat(char* buffer, std::size_t maxText, std::size_t& length, const char* format, va_list args) {
    int n = std::vsnprintf(buffer, maxText + 1, format, args);
    length = 0;
    if (n < 0) return false;
    length = static_cast<std::size_t>(n) <= maxText ? static_cast<std::size_t>(n) : trimToCharBoundary(buffer, maxText);
    return true;
}

void logWrite(char* buffer, std::size_t length) {
    if (g_sink) {
        buffer[length] = '\0';
        g_sink(buffer, length);
        return;
    }
    int fd = destination();
    if (fd < 0) return;
    buffer[length] = '\n';
    ssize_t ignored = ::write(fd, buffer, length + 1);
    (void)ignored;
}

void logMessage(const char* format, ...) {
    char buffer[kLogMaxText + 2];  // text, then the line end
    va_list args;
    va_start(args, format);
    std::size_t length = 0;
    bool formatted = logFormat(buffer, kLogMaxText, length, format, args);
    va_end(args);
    if (formatted) logWrite(buffer, length);
}

void setNoticeSink(NoticeSink sink) { g_noticeSink = sink; }

void logNotice(const char* format, ...) {
    if (!g_noticeSink) return;
    char buffer[kNoticeMaxText + 2];
    va_list args;
    va_start(args, format);
    std::size_t length = 0;
    const bool formatted = logFormat(buffer, kNoticeMaxText, length, format, args);
    va_end(args);
    if (!formatted) return;
    buffer[length] = '\0';
    g_noticeSink(buffer, length);
}
