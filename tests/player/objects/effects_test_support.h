// What the effect tests share: the field test's set-up with a 1136 x 640
// design size, images of a given size in a loaded atlas, the effect texture
// files, and the draws effects make.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../screens/field_scene_support.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "player/objects/EffectDrawing.h"

namespace effectstest {

using cocos2d::CCPoint;
namespace ff = fieldfixtures;

constexpr float kStep = 1.0f / 60.0f;

class EffectsTest : public fieldtest::FieldTest {
protected:
    EffectsTest() {
        attributeCast<QVAttributeSize>(QVModelGeneralSettings::shared()->attribute("Design Size"))
            ->setValue(cocos2d::CCSize(1136.0f, 640.0f));
        effects::setEffectDrawRecorder(&draws);
    }
    ~EffectsTest() override { effects::setEffectDrawRecorder(nullptr); }

    // One sprite of width x height in an atlas loaded as the player loads it.
    std::shared_ptr<QVModelSpriteContainer> image(int width, int height) {
        auto container = uitest::registered<QVModelSpriteContainer>();
        auto atlas = uitest::registered<QVModelAtlas>();
        auto sprite = uitest::registered<QVModelSprite>();
        container->addChild(sprite);
        for (const char* name : {"Size", "SourceSize"}) {
            uitest::attr<QVAttributeSize>(*sprite, name)->setValue(cocos2d::CCSize(width, height));
        }
        const std::string size = "{" + std::to_string(width) + "," + std::to_string(height) + "}";
        pngtest::writeFile(root.path(atlas->plistPath()),
                           "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>frames</key><dict><key>" +
                               sprite->frameName() + "</key><dict><key>frame</key><string>{{0,0}," + size +
                               "}</string><key>offset</key><string>{0,0}</string><key>sourceSize</key><string>" + size +
                               "</string></dict></dict><key>metadata</key><dict><key>format</key><integer>2</integer>"
                               "<key>textureFileName</key><string>atlas_ID" +
                               std::to_string(atlas->id()) + ".png</string></dict></dict></plist>\n");
        pngtest::writeFile(root.path(atlas->imagePath()), pngtest::solid(256, 64, 255, 255, 255, 255));
        cocos2d::CCSpriteFrameCache::sharedSpriteFrameCache()->addSpriteFramesWithFile(atlas->plistPath().c_str());
        return container;
    }
    void writeEffectTexture(const std::string& name) {
        pngtest::writeFile(root.path("fx/" + name), pngtest::solid(16, 16, 255, 255, 255, 255));
    }

    std::vector<effects::EffectDraw> draws;
    LogCapture log;
};

}  // namespace effectstest
