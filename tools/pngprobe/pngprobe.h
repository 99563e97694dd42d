// pngprobe: pixel checks on a PNG, for end-to-end screenshots.
//   pngprobe FILE [--size WxH] [--expect X,Y=R,G,B[,A][~TOL]]...
//                 [--count X0,Y0,X1,Y1=R,G,B[~TOL]>=N]...
// Coordinates are image pixels, origin top-left; a missing alpha is 255.
// Exit 0: all checks pass; 1: a mismatch (each named on stderr); 2: the file
// is missing or unreadable, or the arguments are malformed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pngprobe {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // rows top first
};

struct Expect {
    int x = 0, y = 0;
    int rgba[4] = {0, 0, 0, 255};
    bool hasAlpha = false;
    int tolerance = 0;
};

struct Count {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // inclusive, any corner order
    int rgb[3] = {0, 0, 0};
    int tolerance = 0;
    long minimum = 0;
};

struct Checks {
    std::string file;
    bool checkSize = false;
    int width = 0, height = 0;
    std::vector<Expect> expects;
    std::vector<Count> counts;
};

// False with a message on malformed arguments.
bool parseArgs(const std::vector<std::string>& args, Checks* checks, std::string* error);
bool parseExpect(const std::string& text, Expect* out);
bool parseCount(const std::string& text, Count* out);

// Any PNG colour type and depth, as 8-bit RGBA. Bounded, so a hostile header
// cannot ask for gigabytes.
bool readPng(const std::string& path, Image* image, std::string* error);

// One message per failed check; empty when everything passes.
std::vector<std::string> runChecks(const Image& image, const Checks& checks);

// The whole tool: returns the exit status.
int run(const std::vector<std::string>& args);

}  // namespace pngprobe
