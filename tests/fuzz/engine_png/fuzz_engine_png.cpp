// PNG bytes into CCImage (both alpha modes) and on into a texture.
#include <cstddef>
#include <cstdint>

#include "textures/CCImage.h"
#include "textures/CCTexture2D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace cocos2d;
    CCImage image;
    if (image.initWithImageData(const_cast<uint8_t*>(data), static_cast<int>(size))) {
        // Touch every pixel so a wrong size shows up as an out-of-bounds read.
        unsigned sum = 0;
        const unsigned char* px = image.getData();
        for (int i = 0; i < image.getDataLen(); ++i) sum += px[i];
        (void)sum;
        CCTexture2D texture;
        texture.initWithImage(&image);
    }
    CCImage straight;
    straight.initWithPngDataStraightAlpha(data, size);
    return 0;
}
