// The player's debug log. Every subsystem writes its tagged lines here.
// Where the lines go is chosen by QVP_LOG: unset or empty writes nothing,
// "1" or "stderr" writes to standard error, anything else is a file path
// opened once for append (standard error, with one line saying so, when it
// cannot be opened). Formatting happens on the stack: no allocation per call.
#pragma once

#include <cstddef>

// At most this many bytes of text per line; longer text is cut at a UTF-8
// character boundary.
constexpr std::size_t kLogMaxText = 254;

void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests install a sink that receives each finished line (text without the
// line end); nullptr restores the QVP_LOG destination.
typedef void (*LogSink)(const char* text, std::size_t length);
void setLogSink(LogSink sink);
