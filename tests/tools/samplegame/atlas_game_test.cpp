// The built game's atlases, read back through the loader and the engine's
// sprite-frame cache: sprites that would show nothing in game.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "../../model/core/support/loader_fixture.h"
#include "base/CCAutoreleasePool.h"
#include "frames/CCSpriteFrame.h"
#include "frames/CCSpriteFrameCache.h"
#include "label/CCBMFontConfiguration.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelSprite.h"
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

// The stored frames are checked against the sheet by the load tests; here
// the plist and the PNG, read as the player reads them, agree with them.
TEST_F(GameAtlas, SheetsAndPlistsAsThePlayerReadsThemAgreeWithTheSprites) {
    loadGame();
    ASSERT_EQ(controller()->lastError(), "");
    auto* cache = cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache();
    std::set<uint32_t> packed;
    for (const auto& atlas : controller()->getModels<QVModelAtlas>()) {
        SCOPED_TRACE("atlas " + std::to_string(atlas->id()));
        std::ifstream in(kGame + "/" + atlas->imagePath(), std::ios::binary);
        const std::vector<unsigned char> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        cocos2d::CCImage sheet;
        ASSERT_TRUE(sheet.decodePng(png.data(), png.size(), false)) << atlas->imagePath();
        EXPECT_EQ(sheet.getWidth(), atlas->width());
        EXPECT_EQ(sheet.getHeight(), atlas->height());
        cache->addSpriteFramesWithFile(atlas->plistPath().c_str());
        for (const auto& sprite : atlas->sprites()) {
            SCOPED_TRACE(sprite->id());
            packed.insert(sprite->id());
            const cocos2d::CCSpriteFrame* frame = cache->spriteFrameByName(sprite->frameName().c_str());
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(sourceRect(*sprite), frame->getRect());
            EXPECT_EQ(sprite->sourceSize(), frame->getOriginalSize());
            EXPECT_FALSE(frame->isRotated());
        }
    }
    size_t unpacked = 0;
    for (const auto& sprite : controller()->getModels<QVModelSprite>()) {
        if (packed.count(sprite->id())) continue;
        ++unpacked;
        EXPECT_EQ(cache->spriteFrameByName(sprite->frameName().c_str()), nullptr) << sprite->id();
    }
    EXPECT_GE(unpacked, 1u) << "the game keeps an excluded sprite (Spark)";
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
