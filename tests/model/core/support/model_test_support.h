// Small helpers the model tests share: byte literals, hex text, fixture
// files, a scratch directory and a capture of the log.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "../../../engine/log/log_capture.h"

namespace modeltest {

using Bytes = std::vector<unsigned char>;

inline Bytes octets(std::initializer_list<int> values) { return Bytes(values.begin(), values.end()); }

// "0a ff ...", a line break every `perLine` bytes (0: one line).
inline std::string hexText(const Bytes& data, size_t perLine = 0) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out += (perLine && i % perLine == 0) ? '\n' : ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "missing fixture " << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const Bytes& data) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

// A fresh directory under /tmp, removed with everything in it.
struct TempDir {
    std::string path;
    TempDir() {
        char pattern[] = "/tmp/qv-model-test-XXXXXX";
        path = mkdtemp(pattern) ? pattern : "";
        EXPECT_FALSE(path.empty());
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
};

using ::LogCapture;

}  // namespace modeltest
