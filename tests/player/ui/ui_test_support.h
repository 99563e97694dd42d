// Shared set-up of the UI object tests: a fresh director and silent audio,
// a scratch resource root for media, sprite containers backed by a loaded
// atlas, fonts, curves, and frame stepping.
#pragma once

#include <gtest/gtest.h>

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
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVSound.h"
#include "textures/CCTextureCache.h"

namespace uitest {

template <class A>
A* attributeOf(const QVModel& model, const char* name) {
    return attributeCast<A>(model.attribute(name));
}

// Strings and string lists alike.
inline void setText(const QVModel& model, const char* name, const std::string& text) {
    static_cast<QVAttributeString*>(model.attribute(name))->setValue(text);
}

inline void setFloat(const QVModel& model, const char* name, float value) {
    attributeOf<QVAttributeFloat>(model, name)->setValue(value);
}

// Linear through (time, value) pairs; the attribute takes ownership.
inline QVAnimationCurve* curve(std::initializer_list<std::pair<float, float>> keys) {
    auto* c = new QVAnimationCurve();
    c->setInterpolation(QVAnimationCurve::kInterpolationLinear);
    for (const auto& key : keys) c->addKey(key.second, key.first);
    return c;
}

template <class T>
std::shared_ptr<T> registered() {
    auto model = T::create();
    QVModelController::shared()->addModel(model);
    return model;
}

inline void step(int frames, float dt = 1.0f / 60.0f) {
    for (int i = 0; i < frames; ++i) cocos2d::CCDirector::sharedDirector()->stepFrame(dt);
}

class UiTest : public ::testing::Test {
protected:
    UiTest() : root(std::string("ui_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {
        cocos2d::CCDirector::resetForTest();
        cocos2d::audio::resetForTest(cocos2d::audio::BackendKind::Null);
    }
    ~UiTest() override {
        QVSound::stopAll(0, true);
        step(1);  // deletes the auto-release sounds
        QVPSettingsController::destroy();
        cocos2d::CCSpriteFrameCache::purgeSharedSpriteFrameCache();
        cocos2d::CCTextureCache::purgeSharedTextureCache();
        cocos2d::FNTConfigRemoveCache();
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
        cocos2d::audio::resetForTest(cocos2d::audio::BackendKind::Null);
        cocos2d::CCDirector::resetForTest();
    }

    // A registered container of `count` sprites, 8 x 8 each, whose frames
    // are in the frame cache as the player's atlases put them.
    std::shared_ptr<QVModelSpriteContainer> spriteContainer(unsigned count) {
        auto container = registered<QVModelSpriteContainer>();
        auto atlas = registered<QVModelAtlas>();
        std::string frames;
        for (unsigned i = 0; i < count; ++i) {
            auto sprite = registered<QVModelSprite>();
            container->addChild(sprite);
            frames += "<key>" + sprite->frameName() + "</key><dict><key>frame</key><string>{{" + std::to_string(8 * i) +
                      ",0},{8,8}}</string><key>offset</key><string>{0,0}</string><key>sourceSize</key><string>{8,8}"
                      "</string></dict>";
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

    // A registered font with the digits and '-'.
    std::shared_ptr<QVModelFont> digitFont() {
        auto font = registered<QVModelFont>();
        const std::string glyphs = "-0123456789";
        std::string fnt =
            "info face=\"T\" size=10\ncommon lineHeight=12 base=10 scaleW=128 scaleH=16 pages=1\n"
            "page id=0 file=\"digits.png\"\nchars count=" +
            std::to_string(glyphs.size()) + "\n";
        for (size_t i = 0; i < glyphs.size(); ++i) {
            fnt += "char id=" + std::to_string(static_cast<int>(glyphs[i])) + " x=" + std::to_string(8 * i) +
                   " y=0 width=8 height=10 xoffset=0 yoffset=0 xadvance=8 page=0\n";
        }
        pngtest::writeFile(root.path(font->filePath()), fnt);
        pngtest::writeFile(root.path("data/fonts/digits.png"), pngtest::solid(128, 16, 255, 255, 255, 255));
        return font;
    }

    pngtest::ScratchRoot root;
};

}  // namespace uitest
