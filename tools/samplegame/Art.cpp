#include "Art.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "PackWriter.h"
#include "view/Screenshot.h"

namespace samplegame {

Image::Image(int w, int h)
    : width(w), height(h), rgba(static_cast<size_t>(std::max(w, 0)) * static_cast<size_t>(std::max(h, 0)) * 4, 0) {}

void Image::blend(int x, int y, Colour c, float coverage) {
    if (x < 0 || y < 0 || x >= width || y >= height || coverage <= 0.0f) return;
    uint8_t* p = pixel(x, y);
    const float sa = (c.a / 255.0f) * std::min(coverage, 1.0f);
    const float da = p[3] / 255.0f;
    const float oa = sa + da * (1.0f - sa);
    if (oa <= 0.0f) return;
    const uint8_t src[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i) {
        const float v = (src[i] * sa + p[i] * da * (1.0f - sa)) / oa;
        p[i] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
    }
    p[3] = static_cast<uint8_t>(std::lround(oa * 255.0f));
}

void Image::paste(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.height; ++sy) {
        const int dy = y + sy;
        if (dy < 0 || dy >= height) continue;
        for (int sx = 0; sx < src.width; ++sx) {
            const int dx = x + sx;
            if (dx < 0 || dx >= width) continue;
            std::copy_n(src.pixel(sx, sy), 4, pixel(dx, dy));
        }
    }
}

void fillShape(Image& image, Inside inside, const void* shape, Colour c) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f, shape)) ++hits;
            if (hits) image.blend(x, y, c, hits / 16.0f);
        }
    }
}

namespace {

struct Circle {
    float cx, cy, r;
};
struct RoundRect {
    float x, y, w, h, radius;
};

bool insideCircle(float x, float y, const void* s) {
    const auto* c = static_cast<const Circle*>(s);
    const float dx = x - c->cx, dy = y - c->cy;
    return dx * dx + dy * dy <= c->r * c->r;
}

bool insideRoundRect(float x, float y, const void* s) {
    const auto* r = static_cast<const RoundRect*>(s);
    if (x < r->x || y < r->y || x > r->x + r->w || y > r->y + r->h) return false;
    const float rad = std::min({r->radius, r->w / 2, r->h / 2});
    const float nx = std::clamp(x, r->x + rad, r->x + r->w - rad);
    const float ny = std::clamp(y, r->y + rad, r->y + r->h - rad);
    const float dx = x - nx, dy = y - ny;
    return dx * dx + dy * dy <= rad * rad;
}

uint8_t mix(uint8_t a, uint8_t b, float t) { return static_cast<uint8_t>(std::lround(a + (b - a) * t)); }

Colour mix(Colour a, Colour b, float t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t)};
}

}  // namespace

void fillCircle(Image& image, float cx, float cy, float r, Colour c) {
    const Circle shape{cx, cy, r};
    fillShape(image, insideCircle, &shape, c);
}

void fillRoundedRect(Image& image, float x, float y, float w, float h, float radius, Colour c) {
    const RoundRect shape{x, y, w, h, radius};
    fillShape(image, insideRoundRect, &shape, c);
}

void verticalGradient(Image& image, Colour top, Colour bottom) {
    for (int y = 0; y < image.height; ++y) {
        Colour c = mix(top, bottom, image.height > 1 ? y / static_cast<float>(image.height - 1) : 0.0f);
        c.a = 255;
        for (int x = 0; x < image.width; ++x) {
            uint8_t* p = image.pixel(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = 255;
        }
    }
}

Image drawLook(const Look& look) {
    Image out(look.width, look.height);
    if (look.width < 1 || look.height < 1) return out;
    const Colour outline{30, 24, 40, 255};
    const float w = static_cast<float>(look.width), h = static_cast<float>(look.height);
    const float radius = look.shape == LookShape::Box ? 0.0f : std::min(w, h) * 0.25f;
    // The outline is the full shape in the dark colour; the fill, 2 px in.
    Image fill(look.width, look.height);
    if (look.shape == LookShape::Circle) {
        const float r = std::min(w, h) / 2;
        fillCircle(out, w / 2, h / 2, r, outline);
        fillCircle(fill, w / 2, h / 2, r - 2, Colour{255, 255, 255, 255});
    } else {
        fillRoundedRect(out, 0, 0, w, h, radius, outline);
        fillRoundedRect(fill, 2, 2, w - 4, h - 4, std::max(radius - 2, 0.0f), Colour{255, 255, 255, 255});
    }
    for (int y = 0; y < look.height; ++y) {
        const Colour c = mix(look.top, look.bottom, look.height > 1 ? y / (h - 1) : 0.0f);
        for (int x = 0; x < look.width; ++x) out.blend(x, y, c, fill.pixel(x, y)[3] / 255.0f);
    }
    return out;
}

bool nearProbeColour(uint8_t r, uint8_t g, uint8_t b) {
    for (const Colour& probe : {kProbeRunnerBody, kProbeCoinFace, kProbePauseFace}) {
        if (std::abs(r - probe.r) <= kProbeClearance && std::abs(g - probe.g) <= kProbeClearance &&
            std::abs(b - probe.b) <= kProbeClearance)
            return true;
    }
    return false;
}

void flatRect(Image& image, int x, int y, int w, int h, Colour c) {
    for (int py = std::max(y, 0); py < std::min(y + h, image.height); ++py) {
        for (int px = std::max(x, 0); px < std::min(x + w, image.width); ++px) {
            uint8_t* p = image.pixel(px, py);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = c.a;
        }
    }
}

void flatDisc(Image& image, float cx, float cy, float r, Colour c) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            if (dx * dx + dy * dy <= r * r) flatRect(image, x, y, 1, 1, c);
        }
    }
}

void paintRunnerTorso(Image& image) {
    const int w = 40, h = 44;
    flatRect(image, (image.width - w) / 2, image.height * 3 / 10, w, h, kProbeRunnerBody);
}

void paintCoinFace(Image& image) {
    const float r = std::min(image.width, image.height) * 0.33f;
    flatDisc(image, image.width / 2.0f, image.height / 2.0f, r, kProbeCoinFace);
}

void paintPauseFace(Image& image) {
    const float s = static_cast<float>(std::min(image.width, image.height));
    flatDisc(image, image.width / 2.0f, image.height / 2.0f, s / 2 - 4, kProbePauseFace);
    const Colour bar{30, 24, 40, 255};
    const int barWidth = static_cast<int>(s * 0.14f), barHeight = static_cast<int>(s * 0.4f);
    const int top = (image.height - barHeight) / 2;
    flatRect(image, image.width / 2 - barWidth - barWidth / 2, top, barWidth, barHeight, bar);
    flatRect(image, image.width / 2 + barWidth / 2, top, barWidth, barHeight, bar);
}

Image drawRunnerFace(int size) {
    Image out(size, size);
    const float s = static_cast<float>(size);
    fillCircle(out, s / 2, s / 2, s / 2, Colour{30, 24, 40, 255});
    fillCircle(out, s / 2, s / 2, s / 2 - std::max(1.0f, s / 16), Colour{250, 150, 40, 255});
    for (const float ex : {0.36f, 0.64f}) {
        fillCircle(out, s * ex, s * 0.42f, s * 0.11f, Colour{255, 255, 255, 255});
        fillCircle(out, s * ex + s * 0.03f, s * 0.43f, s * 0.055f, Colour{30, 24, 40, 255});
    }
    fillRoundedRect(out, s * 0.32f, s * 0.64f, s * 0.36f, s * 0.1f, s * 0.05f, Colour{30, 24, 40, 255});
    return out;
}

Image drawSkyTile(int width, int height) {
    Image out(width, height);
    verticalGradient(out, kSkyTop, kSkyBottom);
    return out;
}

namespace {

constexpr float kTwoPi = 6.2831853f;

// The hills' top edge, in pixels from the bottom; whole periods across the
// width, so both ends meet.
float hillHeight(float x, int width, int height) {
    const float t = x / static_cast<float>(std::max(width, 1));
    return height * (0.62f + 0.2f * std::sin(kTwoPi * t) + 0.1f * std::sin(kTwoPi * 2 * t + 1.0f));
}

struct Hills {
    int width, height;
};

bool insideHills(float x, float y, const void* s) {
    const auto* h = static_cast<const Hills*>(s);
    return h->height - y <= hillHeight(x, h->width, h->height);
}

struct Spike {
    float left, width, top, bottom;
};

bool insideSpike(float x, float y, const void* s) {
    const auto* k = static_cast<const Spike*>(s);
    if (y < k->top || y > k->bottom) return false;
    const float half = k->width / 2 * (y - k->top) / std::max(k->bottom - k->top, 1.0f);
    return std::abs(x - (k->left + k->width / 2)) <= half;
}

}  // namespace

Image drawHillsTile(int width, int height) {
    Image shape(width, height);
    const Hills hills{width, height};
    fillShape(shape, insideHills, &hills, Colour{255, 255, 255, 255});
    Image out(width, height);
    for (int y = 0; y < height; ++y) {
        const Colour c = mix(kHillsTop, kHillsBottom, height > 1 ? y / static_cast<float>(height - 1) : 0.0f);
        for (int x = 0; x < width; ++x) out.blend(x, y, c, shape.pixel(x, y)[3] / 255.0f);
    }
    return out;
}

Image drawGroundTile(int width, int height) {
    Image out(width, height);
    const int grass = std::max(2, height / 6);
    for (int y = 0; y < height; ++y) {
        const float t = height > grass + 1 ? (y - grass) / static_cast<float>(height - grass - 1) : 0.0f;
        const Colour c = y < grass ? kGrass : mix(kSoilTop, kSoilBottom, std::clamp(t, 0.0f, 1.0f));
        flatRect(out, 0, y, width, 1, c);
    }
    return out;
}

void paintSpikes(Image& image, int count, float height) {
    if (count < 1) return;
    const float inset = 4.0f;
    const float width = (image.width - 2 * inset) / static_cast<float>(count);
    for (int i = 0; i < count; ++i) {
        const Spike spike{inset + i * width, width, 0.0f, height};
        fillShape(image, insideSpike, &spike, Colour{30, 24, 40, 255});
    }
}

namespace {

// Inside a convex polygon whose corners run clockwise on screen (y down).
struct Convex {
    const float (*corners)[2];
    int count;
};

bool insideConvex(float x, float y, const void* s) {
    const auto* c = static_cast<const Convex*>(s);
    for (int i = 0; i < c->count; ++i) {
        const float* a = c->corners[i];
        const float* b = c->corners[(i + 1) % c->count];
        if ((b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]) < 0) return false;
    }
    return true;
}

// A ring's part within `halfAngle` radians of the +x direction.
struct Arc {
    float cx, cy, inner, outer, halfAngle;
};

bool insideArc(float x, float y, const void* s) {
    const auto* a = static_cast<const Arc*>(s);
    const float dx = x - a->cx, dy = y - a->cy;
    const float d = std::sqrt(dx * dx + dy * dy);
    return d >= a->inner && d <= a->outer && std::abs(std::atan2(dy, dx)) <= a->halfAngle;
}

// A stroke of `half` width on either side of the segment (x0, y0)-(x1, y1).
struct Stroke {
    float x0, y0, x1, y1, half;
};

bool insideStroke(float x, float y, const void* s) {
    const auto* k = static_cast<const Stroke*>(s);
    const float vx = k->x1 - k->x0, vy = k->y1 - k->y0;
    const float t = std::clamp(((x - k->x0) * vx + (y - k->y0) * vy) / (vx * vx + vy * vy), 0.0f, 1.0f);
    const float dx = x - (k->x0 + t * vx), dy = y - (k->y0 + t * vy);
    return dx * dx + dy * dy <= k->half * k->half;
}

}  // namespace

void paintSpeaker(Image& image, bool on) {
    const float s = static_cast<float>(std::min(image.width, image.height));
    const float ox = (image.width - s) / 2, oy = (image.height - s) / 2;
    // The magnet box and the cone, left of the middle.
    fillRoundedRect(image, ox + s * 0.2f, oy + s * 0.38f, s * 0.14f, s * 0.24f, s * 0.02f, kSpeaker);
    const float cone[][2] = {{ox + s * 0.32f, oy + s * 0.38f},
                             {ox + s * 0.5f, oy + s * 0.22f},
                             {ox + s * 0.5f, oy + s * 0.78f},
                             {ox + s * 0.32f, oy + s * 0.62f}};
    const Convex shape{cone, 4};
    fillShape(image, insideConvex, &shape, kSpeaker);
    const float cx = ox + s * 0.5f, cy = oy + s * 0.5f;
    if (on) {
        for (const float r : {0.12f, 0.24f}) {
            const Arc wave{cx, cy, s * r, s * (r + 0.07f), 0.8f};
            fillShape(image, insideArc, &wave, kSpeaker);
        }
        return;
    }
    for (const float dir : {-1.0f, 1.0f}) {
        const Stroke bar{cx + s * 0.1f, cy - dir * s * 0.14f, cx + s * 0.32f, cy + dir * s * 0.14f, s * 0.045f};
        fillShape(image, insideStroke, &bar, kSpeaker);
    }
}

Image drawSpark(int size) {
    Image out(size, size);
    const float r = size / 2.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = x + 0.5f - r, dy = y + 0.5f - r;
            // Solid to 60% of the radius, then fading to the rim.
            const float t = std::clamp((1.0f - std::sqrt(dx * dx + dy * dy) / r) / 0.4f, 0.0f, 1.0f);
            flatRect(out, x, y, 1, 1, Colour{255, 255, 255, static_cast<uint8_t>(std::lround(255.0f * t))});
        }
    }
    return out;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (packwriter::writeFile(path, bytes)) return true;
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
}

bool writeFile(const std::string& path, const std::string& text, std::string* error) {
    return writeFile(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

bool writePng(const Image& image, const std::string& path, std::string* error) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!cocos2d::encodePng(image.rgba.data(), image.width, image.height, 4, 9, &bytes, &why)) {
        *error = path + ": " + why;
        return false;
    }
    return writeFile(path, bytes, error);
}

}  // namespace samplegame
