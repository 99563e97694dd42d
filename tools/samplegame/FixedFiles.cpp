#include "FixedFiles.h"

#include <algorithm>
#include <cmath>

#include "FontBaker.h"
#include "view/Screenshot.h"

namespace samplegame {

const char* waterReflectionShader() {
    return "#ifdef GL_ES\n"
           "precision mediump float;\n"
           "#endif\n"
           "varying vec2 v_texCoord;\n"
           "uniform sampler2D CC_Texture0;\n"
           "uniform vec4 u_shadeColor;\n"
           "void main() {\n"
           "    vec2 uv = v_texCoord;\n"
           "    uv.x += sin(uv.y * 40.0 + CC_Time.y * 3.0) * 0.004;\n"
           "    gl_FragColor = texture2D(CC_Texture0, uv) * u_shadeColor;\n"
           "}\n";
}

namespace {

uint8_t unit(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void set(Image& image, int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    uint8_t* p = image.pixel(x, y);
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = a;
}

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFFu);
    put16(out, v >> 16);
}

std::vector<uint8_t> bmp32(const Image& image) {
    std::vector<uint8_t> out;
    const int w = image.width, h = image.height;
    const int maskRow = ((w + 31) / 32) * 4;
    put32(out, 40);
    put32(out, static_cast<uint32_t>(w));
    put32(out, static_cast<uint32_t>(h * 2));  // colour and mask
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, static_cast<uint32_t>(w * h * 4 + maskRow * h));
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = image.pixel(x, y);
            out.insert(out.end(), {p[2], p[1], p[0], p[3]});
        }
    for (int y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(maskRow), 0);
        for (int x = 0; x < w; ++x)
            if (image.pixel(x, y)[3] == 0) row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80u >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

Image lightMap() {
    Image out(256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float dx = (x + 0.5f - 128.0f) / 128.0f, dy = (y + 0.5f - 128.0f) / 128.0f;
            const float d2 = dx * dx + dy * dy;
            const float a = d2 >= 1.0f ? 0.0f : (1.0f - d2) * (1.0f - d2);
            set(out, x, y, 255, 255, 255, unit(a));
        }
    return out;
}

Image trailMap() {
    Image out(128, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x) {
            const float u = (x + 0.5f) / 128.0f, v = (y + 0.5f) / 32.0f;
            const float w = 2.0f * v - 1.0f;
            set(out, x, y, 255, 255, 255, unit((1.0f - u) * (1.0f - w * w)));
        }
    return out;
}

Image flagMap() {
    Image out(128, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x) {
            const bool red = (y / 8) % 2 == 0;
            set(out, x, y, 255, red ? 40 : 255, red ? 40 : 255, 255);
        }
    return out;
}

std::vector<uint8_t> icoFile(const std::vector<Image>& images, std::string* error) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const Image& image : images) {
        if (image.width < 1 || image.height < 1 || image.width > 256 || image.height > 256) {
            *error = "an icon image is not 1 to 256 px";
            return {};
        }
        if (image.width <= 32) {
            bodies.push_back(bmp32(image));
        } else {
            std::vector<unsigned char> png;
            if (!cocos2d::encodePng(image.rgba.data(), image.width, image.height, 4, 9, &png, error)) return {};
            bodies.push_back(png);
        }
    }
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, static_cast<uint32_t>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(images[i].width == 256 ? 0 : images[i].width));
        out.push_back(static_cast<uint8_t>(images[i].height == 256 ? 0 : images[i].height));
        out.push_back(0);
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<uint32_t>(bodies[i].size()));
        put32(out, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    return out;
}

namespace {

Image splash(const BakedFont& title) {
    Image out(1136, 640);
    verticalGradient(out, Colour{90, 170, 240, 255}, Colour{200, 230, 250, 255});
    fillCircle(out, 200, 760, 360, Colour{90, 170, 90, 255});
    fillCircle(out, 760, 820, 420, Colour{70, 150, 80, 255});
    fillCircle(out, 1100, 780, 300, Colour{100, 180, 95, 255});
    const Image face = drawRunnerFace(160);
    for (int y = 0; y < face.height; ++y)
        for (int x = 0; x < face.width; ++x) {
            const uint8_t* p = face.pixel(x, y);
            out.blend(488 + x, 220 + y, Colour{p[0], p[1], p[2], 255}, p[3] / 255.0f);
        }
    // Title and face keep to rows 96-380 and columns 141-995, the part every
    // window from 4:3 to 21:9 shows, above the loading labels.
    const std::string text = "SAMPLE RUNNER";
    drawText(out, title, text, (out.width - textWidth(title, text)) / 2, 96);
    return out;
}

}  // namespace

bool writeFixedFiles(const std::string& gameDir, const std::string& fontFile, std::string* error) {
    if (!writePng(lightMap(), gameDir + "/fx/lightMap.png", error) ||
        !writePng(trailMap(), gameDir + "/fx/trailMap.png", error) ||
        !writePng(flagMap(), gameDir + "/fx/flagMap.png", error) ||
        !writeFile(gameDir + "/data/shaders/WaterReflection.fsh", std::string(waterReflectionShader()), error))
        return false;
    BakedFont title;
    if (!bakeFont(fontFile, 72, &title, error)) return false;
    if (!writePng(splash(title), gameDir + "/Default.png", error)) return false;
    const std::vector<uint8_t> ico = icoFile({drawRunnerFace(16), drawRunnerFace(32), drawRunnerFace(48)}, error);
    return !ico.empty() && writeFile(gameDir + "/icon.ico", ico, error);
}

}  // namespace samplegame
