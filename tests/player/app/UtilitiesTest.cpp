// The shared helpers: line feet that stay finite where the slope formula
// breaks down, the noise's draws from the game's generator, and colour
// sprites that own their texture.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/CCAutoreleasePool.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVUtilities.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"

using cocos2d::CCPoint;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(Utilities, ClosestPointOnLineIsTheFootOfThePerpendicularAndStaysFinite) {
    struct Row {
        const char* name;
        float ax, ay, bx, by, px, py;
        CCPoint expected;
        float tolerance;
    };
    for (const Row& row : {
             Row{"horizontal", 0, 5, 10, 5, 3, 9, {3, 5}, 1e-4f},
             Row{"diagonal", 0, 0, 10, 10, 4, 0, {2, 2}, 1e-4f},
             Row{"vertical near the origin", 2, 0, 2, 10, 7, 3, {2, 3}, 1e-3f},
             // The small offset is lost in single precision this far out.
             Row{"vertical far out", 1000, 0, 1000, 50, 900, 30, {1000, 30}, 1e-2f},
             Row{"vertical at a negative x", -3000, 0, -3000, -50, 0, -7, {-3000, -7}, 1e-2f},
             Row{"A = B near the origin", 1, 1, 1, 1, 6, 4, {6, 1}, 1e-3f},
             Row{"A = B far out", 5000, 2, 5000, 2, 6, 4, {6, 2}, 1e-3f},
             Row{"infinite input", 0, 0, kInf, 1, 2, 2, {0, 0}, 0},
             Row{"NaN input", 0, 0, 1, 1, std::nanf(""), 2, {0, 0}, 0},
         }) {
        SCOPED_TRACE(row.name);
        const CCPoint foot = closestPointOnLine(row.ax, row.ay, row.bx, row.by, row.px, row.py);
        EXPECT_NEAR(foot.x, row.expected.x, row.tolerance);
        EXPECT_NEAR(foot.y, row.expected.y, row.tolerance);
    }
}

// One test, since the tables are built by the process's first call.
TEST(Utilities, NoiseDrawsItsTablesFromTheGameGeneratorAndStaysInRange) {
    const unsigned seed = 20261207;
    compat::srand(seed);
    for (int i = 0; i < 6 * 256 + 255; ++i) compat::rand();  // 1-D, 2-D and 3-D gradients, then the swaps
    const int expectedNext = compat::rand();

    compat::srand(seed);
    EXPECT_EQ(noise1D(0.5), noise1D(0.5));
    EXPECT_EQ(compat::rand(), expectedNext);

    for (double x : {-5000.0, -4096.0, -1.0, 0.0, 1.0, 17.0, 255.0, 256.0, 1e6}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(noise1D(x), 0.0);
    }
    bool varies = false;
    for (double x = -600; x < 600; x += 0.37) {
        const double v = noise1D(x);
        ASSERT_LE(std::fabs(v), 1.0) << x;
        varies = varies || v != 0;
    }
    EXPECT_TRUE(varies);
    // The pattern repeats every 256; outside the int range it is still defined.
    EXPECT_EQ(noise1D(3.25), noise1D(3.25 + 256 * 1024));
    EXPECT_EQ(noise1D(3.25), noise1D(3.25 + 4294967296.0));
    for (double x : {std::nan(""), double(kInf), -double(kInf), 1e300, -1e300}) {
        SCOPED_TRACE(x);
        const double v = noise1D(x);
        EXPECT_TRUE(std::isfinite(v));
        EXPECT_LE(std::fabs(v), 1.0);
    }
}

TEST(Utilities, ColorSpriteStretchesOnePixelAndHoldsTheOnlyReferenceToItsTexture) {
    struct Row {
        cocos2d::ccColor4B colour;
        cocos2d::CCSize size;
    };
    for (const Row& row : {Row{{255, 0, 0, 128}, {40, 12}}, Row{{10, 20, 30, 0}, {3, 500}}}) {
        SCOPED_TRACE(row.size.width);
        cocos2d::CCSprite* sprite = createColorSprite(row.size, row.colour);
        ASSERT_NE(sprite, nullptr);
        sprite->retain();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
        cocos2d::CCTexture2D* texture = sprite->getTexture();
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->getPixelFormat(), cocos2d::kCCTexture2DPixelFormat_RGBA8888);
        EXPECT_EQ(texture->getPixelsWide(), 1u);
        EXPECT_EQ(texture->getPixelsHigh(), 1u);
        EXPECT_EQ(texture->getContentSize().width, row.size.width);
        EXPECT_EQ(texture->getContentSize().height, row.size.height);
        EXPECT_EQ(sprite->getContentSize().width, row.size.width);
        EXPECT_EQ(sprite->getContentSize().height, row.size.height);
        EXPECT_EQ(texture->retainCount(), 1u);  // freed with its sprite
        sprite->release();
    }
}

}  // namespace
