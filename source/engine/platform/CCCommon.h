// The engine's log: printf-style, one line per call through the debug log's
// sink and QVP_LOG destination (platform/QVLog.h), cut at 1023 bytes on a
// UTF-8 character boundary.
#pragma once

namespace cocos2d {

void CCLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// (ours) Logs the message only the first time this exact text is seen, for
// "missing file/frame" lines that would otherwise repeat every frame.
void CCLogOnce(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace cocos2d
