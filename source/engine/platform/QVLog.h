// The debug log, at the ground so every layer writes through it: the
// player's tagged lines (logMessage) and the engine's (cocos2d::CCLog).
// Where the lines go is chosen by QVP_LOG: unset or empty writes nothing,
// "1" or "stderr" writes to standard error, anything else is a file path
// opened once for append (standard error, with one line saying so, when it
// cannot be opened). Formatting happens on the stack: no allocation per call.
#pragma once

#include <cstdarg>
#include <cstddef>

// At most this many bytes of text per line; longer text is cut at a UTF-8
// character boundary.
constexpr std::size_t kLogMaxText = 254;

void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests install a sink that receives each finished line (text without the
// line end); nullptr restores the QVP_LOG destination.
typedef void (*LogSink)(const char* text, std::size_t length);
void setLogSink(LogSink sink);

// Formats into `buffer` (room for maxText + 2 bytes); `length` is the text's
// length, cut to maxText at a UTF-8 character boundary. False (length 0) on
// a format error.
bool logFormat(char* buffer, std::size_t maxText, std::size_t& length, const char* format, va_list args);
// Hands `length` bytes of `buffer` (room for one more byte) to the sink, or
// writes them with a line end to the QVP_LOG destination in one write.
void logWrite(char* buffer, std::size_t length);

// Notices: what a person must see whatever QVP_LOG says (a progress store set
// aside, a failed save, a malformed run hook). The code that meets the
// failure logs it as usual and also gives the notice, without any program's
// name; the program installs the sink that shows it (the player prints it on
// standard error). Without a sink a notice goes nowhere.
constexpr std::size_t kNoticeMaxText = 1023;
void logNotice(const char* format, ...) __attribute__((format(printf, 1, 2)));
typedef void (*NoticeSink)(const char* text, std::size_t length);
void setNoticeSink(NoticeSink sink);
