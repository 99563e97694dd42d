#include "player/app/QVUtilities.h"

#include <cmath>

#include "platform/RandomAndClock.h"
#include "scene/CCNode.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"

using cocos2d::CCPoint;

namespace {

// The projection in double precision, for lines the single-precision formula
// cannot handle (a vertical line far from the origin, where the small offset
// is lost, or a slope whose square overflows).
CCPoint projectOntoLine(double ax, double ay, double bx, double by, double px, double py) {
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    if (!(length2 > 0)) return CCPoint(float(px), float(ay));  // as the slope-0 line through A
    const double t = ((px - ax) * dx + (py - ay) * dy) / length2;
    return CCPoint(float(ax + t * dx), float(ay + t * dy));
}

bool finite(const CCPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

CCPoint closestPointOnLine(float ax, float ay, float bx, float by, float px, float py) {
    for (float v : {ax, ay, bx, by, px, py})
        if (!std::isfinite(v)) return CCPoint(0, 0);
    const float axOffset = ax + 0.00001f;  // keeps a vertical line near the origin from dividing by zero
    const float m = (by - ay) / (bx - axOffset);
    const float c = ay - m * axOffset;
    const float m2 = m * m;
    const CCPoint foot((py * m + px - c * m) / (m2 + 1), (m2 * py + px * m + c) / (m2 + 1));
    if (finite(foot)) return foot;
    const CCPoint projected = projectOntoLine(ax, ay, bx, by, px, py);
    return finite(projected) ? projected : CCPoint(0, 0);
}

bool isVisibleInTree(cocos2d::CCNode* node) {
    if (!node) return false;
    for (; node; node = node->getParent()) {
        if (!node->isVisible()) return false;
    }
    return true;
}

cocos2d::CCSprite* createColorSprite(const cocos2d::CCSize& size, const cocos2d::ccColor4B& rgba) {
    cocos2d::CCSprite* sprite = cocos2d::CCSprite::create();
    const unsigned char pixel[4] = {rgba.r, rgba.g, rgba.b, rgba.a};
    auto* texture = new cocos2d::CCTexture2D();
    texture->initWithData(pixel, cocos2d::kCCTexture2DPixelFormat_RGBA8888, 1, 1, size);
    sprite->setTexture(texture);
    texture->release();  // the sprite holds it now
    sprite->setTextureRect(cocos2d::CCRect(0, 0, size.width, size.height));
    return sprite;
}

namespace {

constexpr int kB = 256;
constexpr int kBM = 255;
constexpr double kN = 4096;

struct NoiseTables {
    int p[kB + kB + 2];
    double g1[kB + kB + 2];
};

// Draws exactly as the reference initialisation does, including the 2-D and
// 3-D gradients it makes in the same loop, so the generator ends where the
// game's other random draws expect it.
NoiseTables buildNoiseTables() {
    NoiseTables t;
    auto gradient = [] { return double(compat::rand() % (kB + kB) - kB) / kB; };
    int i = 0;
    for (; i < kB; ++i) {
        t.p[i] = i;
        t.g1[i] = gradient();
        for (int j = 0; j < 2 + 3; ++j) gradient();  // the unused 2-D and 3-D gradients
    }
    while (--i) {
        const int k = t.p[i];
        const int j = compat::rand() % kB;
        t.p[i] = t.p[j];
        t.p[j] = k;
    }
    for (i = 0; i < kB + 2; ++i) {
        t.p[kB + i] = t.p[i];
        t.g1[kB + i] = t.g1[i];
    }
    return t;
}

}  // namespace

double noise1D(double x) {
    static const NoiseTables tables = buildNoiseTables();
    double t = x + kN;
    if (!std::isfinite(t)) return 0;
    // Beyond the int range only the low 8 bits of the integer part and the
    // fraction matter; fmod keeps both.
    if (std::fabs(t) >= 2147483647.0) t = std::fmod(t, double(kB));
    const int whole = int(t);
    const int b0 = whole & kBM;
    const int b1 = (b0 + 1) & kBM;
    const double r0 = t - whole;
    const double r1 = r0 - 1.;
    const double s = r0 * r0 * (3. - 2. * r0);
    const double u = r0 * tables.g1[tables.p[b0]];
    const double v = r1 * tables.g1[tables.p[b1]];
    return u + s * (v - u);
}
