// Line feet that stay finite where the slope formula breaks down, the
// noise's draws from the game's generator, and colour sprites that own
// their texture.
#include <gtest/gtest.h>

#include <cmath>

#include "base/CCAutoreleasePool.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVUtilities.h"
#include "sprite/CCSprite.h"
#include "textures/CCTexture2D.h"

using cocos2d::CCPoint;

TEST(Utilities, ClosestPointOnLineIsTheFootOfThePerpendicularAndStaysFinite) {
    struct Row {
        const char* name;
        float ax, ay, bx, by, px, py;
        CCPoint expected;
    };
    for (const Row& row : {
             Row{"diagonal", 0, 0, 10, 10, 4, 0, {2, 2}},
             Row{"vertical near the origin", 2, 0, 2, 10, 7, 3, {2, 3}},
             Row{"vertical far out", 1000, 0, 1000, 50, 900, 30, {1000, 30}},  // the offset is lost in floats
             Row{"A = B near the origin", 1, 1, 1, 1, 6, 4, {6, 1}},
             Row{"A = B far out", 5000, 2, 5000, 2, 6, 4, {6, 2}},
             Row{"NaN input", 0, 0, 1, 1, std::nanf(""), 2, {0, 0}},
         }) {
        SCOPED_TRACE(row.name);
        const CCPoint foot = closestPointOnLine(row.ax, row.ay, row.bx, row.by, row.px, row.py);
        EXPECT_NEAR(foot.x, row.expected.x, 1e-2f);
        EXPECT_NEAR(foot.y, row.expected.y, 1e-2f);
    }
}

// One test: the process's first call builds the tables.
TEST(Utilities, NoiseDrawsItsTablesFromTheGameGeneratorAndStaysInRange) {
    compat::srand(77);
    for (int i = 0; i < 6 * 256 + 255; ++i) compat::rand();  // 1-D, 2-D and 3-D gradients, then the swaps
    const int expectedNext = compat::rand();
    compat::srand(77);
    noise1D(0.5);
    EXPECT_EQ(compat::rand(), expectedNext);

    for (double x : {-4096.0, 0.0, 17.0, 1e6}) EXPECT_EQ(noise1D(x), 0.0) << x;
    for (double x = -600; x < 600; x += 0.37) ASSERT_LE(std::fabs(noise1D(x)), 1.0) << x;
    EXPECT_EQ(noise1D(3.25), noise1D(3.25 + 4294967296.0));  // the period, beyond the int range
    for (double x : {std::nan(""), HUGE_VAL, -1e300}) EXPECT_EQ(noise1D(x), 0.0) << x;
}

TEST(Utilities, ColorSpriteStretchesOnePixelAndHoldsTheOnlyReferenceToItsTexture) {
    cocos2d::CCSprite* sprite = createColorSprite(cocos2d::CCSize(40, 12), cocos2d::ccc4(255, 0, 0, 128));
    sprite->retain();
    cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    cocos2d::CCTexture2D* texture = sprite->getTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getPixelFormat(), cocos2d::kCCTexture2DPixelFormat_RGBA8888);
    EXPECT_EQ(texture->getPixelsWide() * texture->getPixelsHigh(), 1u);
    EXPECT_EQ(texture->getContentSize(), cocos2d::CCSize(40, 12));
    EXPECT_EQ(sprite->getContentSize(), cocos2d::CCSize(40, 12));
    EXPECT_EQ(texture->retainCount(), 1u);  // freed with its sprite
    sprite->release();
}
