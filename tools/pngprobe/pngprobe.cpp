#include "pngprobe.h"

#include <png.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace pngprobe {

namespace {

constexpr int kMaxSide = 32768;
constexpr long long kMaxPixels = 64ll * 1024 * 1024;

// Reads a decimal integer from [*p, end) into *out; advances *p.
bool number(const char** p, const char* end, long long* out) {
    auto result = std::from_chars(*p, end, *out);
    if (result.ec != std::errc()) return false;
    *p = result.ptr;
    return true;
}

bool expectChar(const char** p, const char* end, char c) {
    if (*p >= end || **p != c) return false;
    ++*p;
    return true;
}

// Comma-separated integers until a character outside them.
bool numberList(const char** p, const char* end, std::vector<long long>* out) {
    for (;;) {
        long long v = 0;
        if (!number(p, end, &v)) return false;
        out->push_back(v);
        if (*p < end && **p == ',') {
            ++*p;
            continue;
        }
        return true;
    }
}

bool channel(long long v) { return v >= 0 && v <= 255; }
bool coordinate(long long v) { return v >= 0 && v < kMaxSide; }

std::string rgbaText(const uint8_t* px) {
    return std::to_string(px[0]) + "," + std::to_string(px[1]) + "," + std::to_string(px[2]) + "," +
           std::to_string(px[3]);
}

}  // namespace

bool parseExpect(const std::string& text, Expect* out) {
    const char* p = text.data();
    const char* end = p + text.size();
    std::vector<long long> xy, colour;
    if (!numberList(&p, end, &xy) || xy.size() != 2 || !expectChar(&p, end, '=')) return false;
    if (!numberList(&p, end, &colour) || (colour.size() != 3 && colour.size() != 4)) return false;
    long long tol = 0;
    if (p < end && !(expectChar(&p, end, '~') && number(&p, end, &tol))) return false;
    if (p != end || !coordinate(xy[0]) || !coordinate(xy[1]) || !channel(tol)) return false;
    for (long long c : colour)
        if (!channel(c)) return false;
    out->x = static_cast<int>(xy[0]);
    out->y = static_cast<int>(xy[1]);
    for (std::size_t i = 0; i < colour.size(); ++i) out->rgba[i] = static_cast<int>(colour[i]);
    out->hasAlpha = colour.size() == 4;
    if (!out->hasAlpha) out->rgba[3] = 255;
    out->tolerance = static_cast<int>(tol);
    return true;
}

bool parseCount(const std::string& text, Count* out) {
    const char* p = text.data();
    const char* end = p + text.size();
    std::vector<long long> box, colour;
    if (!numberList(&p, end, &box) || box.size() != 4 || !expectChar(&p, end, '=')) return false;
    if (!numberList(&p, end, &colour) || colour.size() != 3) return false;
    long long tol = 0, minimum = 1;
    if (p < end && *p == '~' && !(expectChar(&p, end, '~') && number(&p, end, &tol))) return false;
    // ">=N" is optional: left unquoted in a shell it becomes a redirection, and
    // the check then still asks for at least one matching pixel.
    if (p < end && !(expectChar(&p, end, '>') && expectChar(&p, end, '=') && number(&p, end, &minimum))) return false;
    if (p != end) return false;
    for (long long v : box)
        if (!coordinate(v)) return false;
    for (long long c : colour)
        if (!channel(c)) return false;
    if (!channel(tol) || minimum < 0 || minimum > kMaxPixels) return false;
    out->x0 = static_cast<int>(std::min(box[0], box[2]));
    out->x1 = static_cast<int>(std::max(box[0], box[2]));
    out->y0 = static_cast<int>(std::min(box[1], box[3]));
    out->y1 = static_cast<int>(std::max(box[1], box[3]));
    for (int i = 0; i < 3; ++i) out->rgb[i] = static_cast<int>(colour[static_cast<std::size_t>(i)]);
    out->tolerance = static_cast<int>(tol);
    out->minimum = static_cast<long>(minimum);
    return true;
}

bool parseArgs(const std::vector<std::string>& args, Checks* checks, std::string* error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool option = arg == "--size" || arg == "--expect" || arg == "--count";
        if (!option) {
            if (!checks->file.empty() || arg.empty() || arg[0] == '-') {
                *error = "unexpected argument \"" + arg + "\"";
                return false;
            }
            checks->file = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--size") {
            int w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 1 || h < 1) {
                *error = "--size " + value + ": expected WxH";
                return false;
            }
            checks->checkSize = true;
            checks->width = w;
            checks->height = h;
        } else if (arg == "--expect") {
            Expect e;
            if (!parseExpect(value, &e)) {
                *error = "--expect " + value + ": expected X,Y=R,G,B[,A][~TOL]";
                return false;
            }
            checks->expects.push_back(e);
        } else {
            Count c;
            if (!parseCount(value, &c)) {
                *error = "--count " + value + ": expected X0,Y0,X1,Y1=R,G,B[~TOL][>=N]";
                return false;
            }
            checks->counts.push_back(c);
        }
    }
    if (checks->file.empty()) {
        *error = "no file named";
        return false;
    }
    return true;
}

namespace {

struct ReadState {
    std::string message;
};

void onPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    if (state) state->message = message ? message : "libpng error";
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

namespace {

// libpng reports errors by longjmp, so nothing with a destructor may live in
// these frames.
bool readHeader(png_structp png, png_infop info, FILE* file, png_uint_32* width, png_uint_32* height,
                std::size_t* rowBytes) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    *rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readBody(png_structp png, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool readPng(const std::string& path, Image* image, std::string* error) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    unsigned char signature[8] = {0};
    if (std::fread(signature, 1, 8, file.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        *error = path + " is not a PNG";
        return false;
    }
    ReadState state;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, &info, nullptr);
        *error = "out of memory";
        return false;
    }
    png_uint_32 w = 0, h = 0;
    std::size_t rowBytes = 0;
    bool ok = readHeader(png, info, file.get(), &w, &h, &rowBytes);
    Image result;
    if (ok && (rowBytes != static_cast<std::size_t>(w) * 4u || static_cast<long long>(w) * h > kMaxPixels)) {
        state.message = "unsupported layout or too large";
        ok = false;
    }
    if (ok) {
        result.width = static_cast<int>(w);
        result.height = static_cast<int>(h);
        result.rgba.resize(static_cast<std::size_t>(w) * h * 4u);
        std::vector<png_bytep> rows(h);
        for (png_uint_32 y = 0; y < h; ++y) rows[y] = result.rgba.data() + static_cast<std::size_t>(y) * w * 4u;
        ok = readBody(png, rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        *error = path + ": " + state.message;
        return false;
    }
    *image = std::move(result);
    return true;
}

std::vector<std::string> runChecks(const Image& image, const Checks& checks) {
    std::vector<std::string> failures;
    if (checks.checkSize && (image.width != checks.width || image.height != checks.height)) {
        failures.push_back("size " + std::to_string(image.width) + "x" + std::to_string(image.height) + ", expected " +
                           std::to_string(checks.width) + "x" + std::to_string(checks.height));
    }
    for (const Expect& e : checks.expects) {
        const std::string where = "pixel " + std::to_string(e.x) + "," + std::to_string(e.y);
        std::string wanted = std::to_string(e.rgba[0]) + "," + std::to_string(e.rgba[1]) + "," + std::to_string(e.rgba[2]);
        if (e.hasAlpha) wanted += "," + std::to_string(e.rgba[3]);
        if (e.tolerance) wanted += "~" + std::to_string(e.tolerance);
        if (e.x >= image.width || e.y >= image.height) {
            failures.push_back(where + " is outside the " + std::to_string(image.width) + "x" +
                               std::to_string(image.height) + " image (expected " + wanted + ")");
            continue;
        }
        const uint8_t* px = &image.rgba[(static_cast<std::size_t>(e.y) * static_cast<std::size_t>(image.width) +
                                         static_cast<std::size_t>(e.x)) * 4u];
        bool match = true;
        for (int c = 0; c < (e.hasAlpha ? 4 : 3); ++c) match = match && std::abs(px[c] - e.rgba[c]) <= e.tolerance;
        if (!match) failures.push_back(where + " is " + rgbaText(px) + ", expected " + wanted);
    }
    for (const Count& c : checks.counts) {
        long found = 0;
        const int x1 = std::min(c.x1, image.width - 1);
        const int y1 = std::min(c.y1, image.height - 1);
        for (int y = c.y0; y <= y1; ++y) {
            for (int x = c.x0; x <= x1; ++x) {
                const uint8_t* px = &image.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                                 static_cast<std::size_t>(x)) * 4u];
                bool match = true;
                for (int k = 0; k < 3; ++k) match = match && std::abs(px[k] - c.rgb[k]) <= c.tolerance;
                if (match) ++found;
            }
        }
        if (found < c.minimum) {
            failures.push_back("box " + std::to_string(c.x0) + "," + std::to_string(c.y0) + "," + std::to_string(c.x1) +
                               "," + std::to_string(c.y1) + " has " + std::to_string(found) + " pixels of " +
                               std::to_string(c.rgb[0]) + "," + std::to_string(c.rgb[1]) + "," +
                               std::to_string(c.rgb[2]) + "~" + std::to_string(c.tolerance) + ", expected at least " +
                               std::to_string(c.minimum));
        }
    }
    return failures;
}

int run(const std::vector<std::string>& args) {
    Checks checks;
    std::string error;
    if (!parseArgs(args, &checks, &error)) {
        std::fprintf(stderr,
                     "pngprobe: %s\nusage: pngprobe FILE [--size WxH] [--expect X,Y=R,G,B[,A][~TOL]]... "
                     "[--count X0,Y0,X1,Y1=R,G,B[~TOL][>=N]]...\n",
                     error.c_str());
        return 2;
    }
    Image image;
    if (!readPng(checks.file, &image, &error)) {
        std::fprintf(stderr, "pngprobe: %s\n", error.c_str());
        return 2;
    }
    const std::vector<std::string> failures = runChecks(image, checks);
    for (const std::string& failure : failures) std::fprintf(stderr, "pngprobe: %s: %s\n", checks.file.c_str(), failure.c_str());
    return failures.empty() ? 0 : 1;
}

}  // namespace pngprobe
