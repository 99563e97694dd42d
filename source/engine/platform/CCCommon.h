// The engine's log: printf-style, one line to stderr per call in a single
// write, cut at 1023 bytes.
#pragma once

namespace cocos2d {

void CCLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// (ours) Logs the message only the first time this exact text is seen, for
// "missing file/frame" lines that would otherwise repeat every frame.
void CCLogOnce(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace cocos2d
