#include "view/Screenshot.h"

#include <png.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "director/EngineHooks.h"
#include "gl/CCGL.h"
#include "gl/QuadBatcher.h"
#include "gl/ccGLStateCache.h"
#include "platform/CCCommon.h"
#include "platform/QVLog.h"
#include "view/CCEGLView.h"

namespace cocos2d {

bool parseScreenshotSpec(const std::string& text, std::vector<ScreenshotRequest>* out, std::string* error,
                         const char* what) {
    out->clear();
    std::size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        std::size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(start, end - start);
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == item.size()) {
            *error = quotedHookValue(item) + " is not FRAME:FILE";
            out->clear();
            return false;
        }
        unsigned long long frame = 0;
        const char* first = item.data();
        const char* last = item.data() + colon;
        const auto parsed = std::from_chars(first, last, frame);
        if (parsed.ec != std::errc() || parsed.ptr != last || frame == 0 || frame > 0xFFFFFFFFull) {
            *error = quotedHookValue(item.substr(0, colon)) + " is not a frame number from 1";
            out->clear();
            return false;
        }
        for (const ScreenshotRequest& seen : *out) {
            if (seen.frame == frame) {
                *error = "frame " + std::to_string(frame) + " is named twice";
                out->clear();
                return false;
            }
        }
        if (out->size() >= kMaxScreenshots) {
            *error = "more than " + std::to_string(kMaxScreenshots) + " " + what;
            out->clear();
            return false;
        }
        out->push_back(ScreenshotRequest{static_cast<unsigned int>(frame), item.substr(colon + 1)});
        start = end + 1;
        if (end == text.size()) break;
    }
    return true;
}

void flipRows(unsigned char* pixels, int rowBytes, int rows) {
    if (!pixels || rowBytes <= 0) return;
    std::unique_ptr<unsigned char[]> tmp(new unsigned char[static_cast<std::size_t>(rowBytes)]);
    for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = pixels + static_cast<std::size_t>(top) * static_cast<std::size_t>(rowBytes);
        unsigned char* b = pixels + static_cast<std::size_t>(bottom) * static_cast<std::size_t>(rowBytes);
        std::memcpy(tmp.get(), a, static_cast<std::size_t>(rowBytes));
        std::memcpy(a, b, static_cast<std::size_t>(rowBytes));
        std::memcpy(b, tmp.get(), static_cast<std::size_t>(rowBytes));
    }
}

namespace {

struct PngWriteState {
    std::vector<unsigned char>* out = nullptr;
    std::string message;
};

void pngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngWriteState*>(png_get_error_ptr(png));
    if (state) state->message = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngAppend(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngWriteState*>(png_get_io_ptr(png));
    state->out->insert(state->out->end(), data, data + length);
}

void pngFlush(png_structp) {}

// libpng reports errors by longjmp, so nothing with a destructor may live in
// this frame.
bool writeRows(png_structp png, png_infop info, PngWriteState* state, png_bytep* rows, int width, int height,
               int colorType, int level) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_set_write_fn(png, state, pngAppend, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, level);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool encodePng(const unsigned char* pixels, int width, int height, int channels, int level,
               std::vector<unsigned char>* out, std::string* error) {
    out->clear();
    if (!pixels || width < 1 || height < 1 || (channels != 3 && channels != 4) || level < 0 || level > 9) {
        *error = "nothing to write";
        return false;
    }
    PngWriteState state;
    state.out = out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        *error = "out of memory";
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(pixels + static_cast<std::size_t>(y) * rowBytes);
    const bool ok = writeRows(png, info, &state, rows.data(), width, height,
                              channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, level);
    if (!ok) {
        *error = state.message;
        out->clear();
    }
    png_destroy_write_struct(&png, &info);
    return ok;
}

bool writeRGBPng(const std::string& path, const unsigned char* rgb, int width, int height, std::string* error) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!encodePng(rgb, width, height, 3, 1, &bytes, &why)) {
        *error = why == "nothing to write" ? why : "cannot write " + path + ": " + why;
        return false;
    }
    return writeWholeFile(path, bytes.data(), bytes.size(), error);
}

bool writeWholeFile(const std::string& path, const void* data, std::size_t size, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0) ok = false;
    if (!ok) *error = "cannot write " + path + ": " + std::strerror(errno);
    return ok;
}

bool ScreenshotPlan::loadFromEnvironment() {
    const char* value = std::getenv("ENGINE_SCREENSHOT");
    std::string error;
    if (load(value ? value : "", &error)) return true;
    logNotice("ENGINE_SCREENSHOT=%s: %s", quotedHookValue(value).c_str(), error.c_str());
    return false;
}

bool ScreenshotPlan::load(const std::string& text, std::string* error) {
    std::string why;
    if (!parseScreenshotSpec(text, &m_requests, &why)) {
        CCLog("[engine] ENGINE_SCREENSHOT=%s: %s", quotedHookValue(text).c_str(), why.c_str());
        if (error) *error = why;
        return false;
    }
    return true;
}

void ScreenshotPlan::capture(unsigned int frame, CCEGLView* view) {
    for (const ScreenshotRequest& request : m_requests) {
        if (request.frame != frame) continue;
        const CCSize fb = view ? view->getBackend()->framebufferSize() : CCSize();
        if (!ccGLHasContext() || !view || !view->isOpenGLReady() || fb.width < 1 || fb.height < 1) {
            CCLog("screenshot %u skipped: no GL context (headless)", frame);
            continue;
        }
        const int width = static_cast<int>(fb.width);
        const int height = static_cast<int>(fb.height);
        std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3u);
        ccGLFlushBatch();
        GLint oldFBO = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &oldFBO);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(oldFBO));
        // GL rows start at the bottom; the file's at the top.
        flipRows(pixels.data(), width * 3, height);
        std::string error;
        if (writeRGBPng(request.path, pixels.data(), width, height, &error)) {
            ++m_written;
        } else {
            // A scripted check must not pass with a picture missing.
            CCLog("screenshot %u failed: %s", frame, error.c_str());
            logNotice("ENGINE_SCREENSHOT: %s", error.c_str());
            markRunHookFailed();
        }
    }
}

void ScreenshotPlan::skip(unsigned int frame, const char* reason) {
    for (const ScreenshotRequest& request : m_requests)
        if (request.frame == frame) CCLog("screenshot %u skipped: %s", frame, reason);
}

}  // namespace cocos2d
