// The built game's atlases, read back through the loader and the engine's
// sprite-frame cache: sprites that would show nothing in game.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "../../model/core/support/loader_fixture.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "label/CCBMFontConfiguration.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeFundamental.h"
#include "platform/CCFileUtils.h"
#include "textures/CCImage.h"
#include "textures/CCTextureCache.h"

namespace {

const std::string kGame = std::string(QV_BINARY_DIR) + "/samplegame";

class GameAtlas : public modeltest::LoaderFixture {
protected:
    // The folder load; media paths are then relative to the game, as under
    // the player's resource root.
    void loadGame() {
        resetController({});
        loadAll(kGame, false);
        cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(kGame);
    }
    void TearDown() override {
        cocos2d::CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        cocos2d::CCTextureCache::purgeSharedTextureCache();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
        cocos2d::FNTConfigRemoveCache();
        cocos2d::CCFileUtils::purgeFileUtils();
        modeltest::LoaderFixture::TearDown();
    }
};

cocos2d::CCRect sourceRect(const QVModelSprite& sprite) {
    const auto* rect = dynamic_cast<const QVAttributeRect*>(sprite.attribute("Source Rect"));
    return rect ? rect->value() : cocos2d::CCRect();
}

}  // namespace

TEST_F(GameAtlas, EveryPackedSpriteHasOneFrameMatchingItsAttributesAndExcludedOnesNone) {
    loadGame();
    ASSERT_EQ(controller()->lastError(), "");
    auto* cache = cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache();
    std::map<uint32_t, uint32_t> atlasOf;
    const auto atlases = controller()->getModels<QVModelAtlas>();
    ASSERT_EQ(atlases.size(), 2u);
    for (const auto& atlas : atlases) {
        SCOPED_TRACE("atlas " + std::to_string(atlas->id()));
        std::ifstream in(kGame + "/" + atlas->imagePath(), std::ios::binary);
        const std::vector<unsigned char> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        cocos2d::CCImage sheet;
        ASSERT_TRUE(sheet.decodePng(png.data(), png.size(), false)) << atlas->imagePath();
        EXPECT_EQ(sheet.getWidth(), atlas->width());
        EXPECT_EQ(sheet.getHeight(), atlas->height());
        cache->addSpriteFramesWithFile(atlas->plistPath().c_str());
        const int padding = static_cast<int>(atlas->padding());
        std::vector<cocos2d::CCRect> frames;
        for (const auto& sprite : atlas->sprites()) {
            SCOPED_TRACE(sprite->id());
            EXPECT_TRUE(atlasOf.emplace(sprite->id(), atlas->id()).second) << "in two atlases";
            const cocos2d::CCSpriteFrame* frame = cache->spriteFrameByName(sprite->frameName().c_str());
            ASSERT_NE(frame, nullptr);
            const cocos2d::CCRect r = frame->getRect();
            EXPECT_EQ(sourceRect(*sprite), r);
            EXPECT_EQ(sprite->size(), r.size);
            EXPECT_EQ(sprite->sourceSize(), r.size);
            EXPECT_GE(r.origin.x, 0);
            EXPECT_GE(r.origin.y, 0);
            EXPECT_LE(r.origin.x + r.size.width, atlas->width());
            EXPECT_LE(r.origin.y + r.size.height, atlas->height());
            for (const cocos2d::CCRect& other : frames) {
                const bool apart = r.origin.x + r.size.width + padding <= other.origin.x ||
                                   other.origin.x + other.size.width + padding <= r.origin.x ||
                                   r.origin.y + r.size.height + padding <= other.origin.y ||
                                   other.origin.y + other.size.height + padding <= r.origin.y;
                EXPECT_TRUE(apart) << "overlaps a frame at " << other.origin.x << "," << other.origin.y;
            }
            frames.push_back(r);
        }
    }
    size_t excluded = 0;
    for (const auto& container : controller()->getModels<QVModelSpriteContainer>()) {
        for (const auto& sprite : container->sprites()) {
            SCOPED_TRACE("container " + std::to_string(container->id()) + " sprite " + std::to_string(sprite->id()));
            if (container->excludedFromAtlas()) {
                ++excluded;
                EXPECT_EQ(atlasOf.count(sprite->id()), 0u);
                EXPECT_EQ(cache->spriteFrameByName(sprite->frameName().c_str()), nullptr);
            } else {
                EXPECT_EQ(atlasOf.count(sprite->id()), 1u) << "packed nowhere";
            }
        }
    }
    EXPECT_GE(excluded, 1u) << "the game keeps an excluded sprite (Spark)";
}

TEST_F(GameAtlas, TheFontLoadsWithItsPageAndHasEveryPrintableCharacter) {
    loadGame();
    ASSERT_EQ(controller()->lastError(), "");
    const auto fonts = controller()->getModels<QVModelFont>();
    ASSERT_FALSE(fonts.empty());
    for (const auto& font : fonts) {
        SCOPED_TRACE(font->id());
        cocos2d::CCBMFontConfiguration* config = cocos2d::CCBMFontConfiguration::create(font->filePath().c_str());
        ASSERT_NE(config, nullptr);
        ASSERT_EQ(config->pageCount(), 1u);
        EXPECT_NE(config->pageTexture(0), nullptr);
        cocos2d::CCBMFontConfiguration::Placement scratch{};
        for (uint32_t c = 32; c <= 126; ++c) EXPECT_NE(config->placement(c, &scratch), nullptr) << "character " << c;
        EXPECT_GT(config->placement(' ', &scratch)->advance, 0.0f);
    }
}
