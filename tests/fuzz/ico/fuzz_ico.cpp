// Arbitrary bytes into the ICO reader: it must refuse or decode, never crash,
// and every image it returns must hold exactly width x height RGBA pixels.
#include <cstdint>
#include <cstdlib>

#include "IconFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> problems;
    const std::vector<IconImage> images = decodeIco(data, size, &problems);
    for (const IconImage& image : images) {
        if (image.width < 1 || image.height < 1 || image.width > kIcoMaxDimension ||
            image.height > kIcoMaxDimension ||
            image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4)
            std::abort();
    }
    return 0;
}
