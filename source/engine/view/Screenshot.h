// ENGINE_SCREENSHOT=N:file.png[;M:file2.png]: the framebuffer of frame N,
// after the last flush and before the swap, as an 8-bit RGB PNG written top
// row first (the default framebuffer's alpha is undefined under Xvfb).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cocos2d {

class CCEGLView;

struct ScreenshotRequest {
    unsigned int frame = 0;
    std::string path;
};

// Bounded, so a runaway variable is refused rather than swallowed.
constexpr std::size_t kMaxScreenshots = 256;

// Parses the variable's value. An empty value is no request. Frames are
// positive; a repeated frame is an error. On failure `error` says why,
// calling the requests `what` when there are too many.
bool parseScreenshotSpec(const std::string& text, std::vector<ScreenshotRequest>* out, std::string* error,
                         const char* what = "screenshots");

// Encodes tightly packed 8-bit rows (top row first) of `channels` 3 (RGB) or
// 4 (straight RGBA) as PNG bytes at zlib `level` 0-9. The one PNG encoder:
// screenshots and the sample-game tool both call it.
bool encodePng(const unsigned char* pixels, int width, int height, int channels, int level,
               std::vector<unsigned char>* out, std::string* error);

// Writes tightly packed RGB rows (top row first) as a PNG (zlib level 1).
bool writeRGBPng(const std::string& path, const unsigned char* rgb, int width, int height, std::string* error);
// Writes `size` bytes as the whole file; on failure `error` is
// "cannot write <path>: <reason>". Screenshots and state dumps both use it.
bool writeWholeFile(const std::string& path, const void* data, std::size_t size, std::string* error);

// Flips rows read from GL (bottom row first) so the top row comes first.
void flipRows(unsigned char* pixels, int rowBytes, int rows);

// The run's screenshot plan.
class ScreenshotPlan {
public:
    // Reads ENGINE_SCREENSHOT; false on a malformed value, which is logged
    // and given as a notice (QVLog.h).
    bool loadFromEnvironment();
    // False (logged, and why in `error`) on a malformed value.
    bool load(const std::string& text, std::string* error = nullptr);
    bool empty() const { return m_requests.empty(); }
    // In a drawn frame, after the final flush: reads and writes the shots of
    // `frame`, or logs them skipped when there is no context.
    void capture(unsigned int frame, CCEGLView* view);
    // In a frame that drew nothing (animation stopped).
    void skip(unsigned int frame, const char* reason);
    // (ours) Files written so far (tests).
    unsigned int written() const { return m_written; }

private:
    std::vector<ScreenshotRequest> m_requests;
    unsigned int m_written = 0;
};

}  // namespace cocos2d
