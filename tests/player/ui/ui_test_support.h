// The UI object and screen tests' set-up: a fresh director, silent audio,
// media under a scratch root (sprite containers with a loaded atlas, a digit
// font), curves, and games loaded as the player loads them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "../../engine/textures/PngTestUtil.h"
#include "audio/AudioSystem.h"
#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "frames/CCSpriteFrameCache.h"
#include "label/CCBMFontConfiguration.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "textures/CCTextureCache.h"

namespace uitest {

template <class A = QVAttributeFloat>
A* attr(const QVModel& model, const char* name) {
    return attributeCast<A>(model.attribute(name));
}
inline void setText(const QVModel& model, const char* name, const std::string& text) {
    static_cast<QVAttributeString*>(model.attribute(name))->setValue(text);
}
// Linear through (time, value) keys; the attribute takes it.
inline QVAnimationCurve* curve(std::initializer_list<std::pair<float, float>> keys) {
    auto* made = new QVAnimationCurve();
    made->setInterpolation(QVAnimationCurve::kInterpolationLinear);
    for (const auto& key : keys) made->addKey(key.second, key.first);
    return made;
}
template <class T>
std::shared_ptr<T> registered() {
    auto model = T::create();
    QVModelController::shared()->addModel(model);
    return model;
}
inline void step(int frames) {
    for (int i = 0; i < frames; ++i) cocos2d::CCDirector::sharedDirector()->stepFrame(1.0f / 60.0f);
}

// Loads a generated game folder completely, calling `each` after every
// step; false when it cannot.
inline bool loadGame(const std::string& root, const std::function<void()>& each = {}) {
    QVModelController* controller = QVModelController::shared();
    cocos2d::CCFileUtils::sharedFileUtils()->setResourceRoot(root);
    controller->archiveMode = false;
    controller->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
    if (!controller->lastError().empty()) return false;
    controller->clear();
    for (int steps = 0; steps < 100000; ++steps) {
        const bool done = controller->loadNextFromFiles();
        if (each) each();
        if (done) break;
    }
    return controller->lastError().empty();
}

class UiTest : public ::testing::Test {
protected:
    UiTest() : root(std::string("ui_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {
        cocos2d::CCDirector::resetForTest();
        cocos2d::audio::resetForTest(cocos2d::audio::BackendKind::Null);
    }
    ~UiTest() override {
        QVSound::stopAll(0, true);
        step(1);  // the auto-release sounds go
        QVPSettingsController::destroy();
        cocos2d::CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        cocos2d::CCTextureCache::purgeSharedTextureCache();
        cocos2d::FNTConfigRemoveCache();
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
        cocos2d::CCDirector::resetForTest();
    }
    // `count` white frames of 8 x 8 in an atlas loaded as the player loads it.
    std::shared_ptr<QVModelSpriteContainer> spriteContainer(unsigned count) {
        auto container = registered<QVModelSpriteContainer>();
        auto atlas = registered<QVModelAtlas>();
        std::string frames;
        for (unsigned i = 0; i < count; ++i) {
            auto sprite = registered<QVModelSprite>();
            container->addChild(sprite);
            frames += "<key>" + sprite->frameName() + "</key><dict><key>frame</key><string>{{" + std::to_string(8 * i) +
                      ",0},{8,8}}</string><key>offset</key><string>{0,0}</string><key>sourceSize</key>"
                      "<string>{8,8}</string></dict>";
        }
        pngtest::writeFile(root.path(atlas->plistPath()),
                           "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>frames</key><dict>" + frames +
                               "</dict><key>metadata</key><dict><key>format</key><integer>2</integer>"
                               "<key>textureFileName</key><string>atlas_ID" +
                               std::to_string(atlas->id()) + ".png</string></dict></dict></plist>\n");
        pngtest::writeFile(root.path(atlas->imagePath()), pngtest::solid(128, 16, 255, 255, 255, 255));
        cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(atlas->plistPath().c_str());
        return container;
    }
    // A font of the digits and '-'.
    std::shared_ptr<QVModelFont> digitFont() {
        auto font = registered<QVModelFont>();
        const std::string glyphs = "-0123456789";
        std::string fnt =
            "info face=\"T\" size=10\ncommon lineHeight=12 base=10 scaleW=128 scaleH=16 pages=1\n"
            "page id=0 file=\"digits.png\"\nchars count=11\n";
        for (size_t i = 0; i < glyphs.size(); ++i) {
            fnt += "char id=" + std::to_string(glyphs[i]) + " x=" + std::to_string(8 * i) +
                   " y=0 width=8 height=10 xoffset=0 yoffset=0 xadvance=8 page=0\n";
        }
        pngtest::writeFile(root.path(font->filePath()), fnt);
        pngtest::writeFile(root.path("data/fonts/digits.png"), pngtest::solid(128, 16, 255, 255, 255, 255));
        return font;
    }

    pngtest::ScratchRoot root;
};

}  // namespace uitest
