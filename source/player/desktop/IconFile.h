// The window icon: a reader for Windows .ico files and the call that puts
// every usable image of one on the window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;  // straight (not premultiplied) alpha, top row first
};

// Bounds applied to every file; icons come from game data, so the bytes are
// treated as hostile.
constexpr std::size_t kIcoMaxFileSize = 4u * 1024 * 1024;
constexpr int kIcoMaxEntries = 64;
constexpr int kIcoMaxDimension = 256;

// Decodes every usable entry (PNG, or uncompressed BMP at 32, 24, 8, 4 or
// 1 bits per pixel with its AND mask). Each entry that cannot be used is
// skipped; its reason, and any reason the whole file was refused, is
// appended to `problems` when given.
std::vector<IconImage> decodeIco(const void* bytes, std::size_t size,
                                 std::vector<std::string>* problems = nullptr);

// Reads `file` through the file utilities (resource root first) and gives
// every usable image to the view's window icon. Returns false, with one log
// line saying why, when nothing was usable; the window keeps its icon then.
bool setWindowIcon(const char* file = "icon.ico");
