// A private asset folder for one demo run: PNGs and text files written at
// start, removed with the folder at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TextFxAssets {
public:
    TextFxAssets();
    ~TextFxAssets();
    TextFxAssets(const TextFxAssets&) = delete;
    TextFxAssets& operator=(const TextFxAssets&) = delete;

    bool ok() const { return !m_dir.empty(); }
    // Full path of a file in the folder.
    std::string path(const std::string& name) const { return m_dir + "/" + name; }
    // Straight-alpha RGBA rows, top row first.
    bool writePng(const std::string& name, unsigned int w, unsigned int h, const std::vector<uint8_t>& rgba);
    bool writeText(const std::string& name, const std::string& text);

private:
    std::string m_dir;
    std::vector<std::string> m_files;
};
