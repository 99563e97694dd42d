#include "MediaPlan.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "Art.h"
#include "Atlas.h"
#include "FixedFiles.h"
#include "FontBaker.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelSprite.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"

namespace samplegame {

namespace {

constexpr uint32_t kMainFont = 1020;
constexpr int kMaxSide = 2048;

struct NamedLook {
    const char* name;
    LookShape shape;
    Colour top, bottom;
    const char* caption;  // null: none; "": the upper-cased name
};

// Looks by sprite name (without a frame number); names not listed get a
// captioned button when wide, a plain tile otherwise.
const NamedLook kLooks[] = {
    {"Runner", LookShape::RoundedBox, {250, 160, 50, 255}, {215, 105, 20, 255}, nullptr},
    {"Dasher", LookShape::RoundedBox, {90, 150, 250, 255}, {40, 80, 200, 255}, nullptr},
    {"Ground", LookShape::Box, {110, 190, 80, 255}, {120, 80, 40, 255}, nullptr},
    {"Ledge", LookShape::Box, {170, 120, 70, 255}, {120, 80, 40, 255}, nullptr},
    {"Coin", LookShape::Circle, {255, 230, 90, 255}, {230, 160, 20, 255}, nullptr},
    {"Magnet", LookShape::RoundedBox, {240, 70, 70, 255}, {170, 30, 30, 255}, nullptr},
    {"Spiky", LookShape::Circle, {190, 90, 220, 255}, {110, 40, 150, 255}, nullptr},
    {"Checkpoint", LookShape::Box, {250, 250, 250, 255}, {220, 60, 60, 255}, nullptr},
    {"Sky", LookShape::Box, {90, 170, 240, 255}, {200, 230, 250, 255}, nullptr},
    {"Hills", LookShape::RoundedBox, {110, 190, 100, 255}, {60, 140, 70, 255}, nullptr},
    {"Spark", LookShape::Circle, {255, 255, 200, 255}, {255, 200, 60, 255}, nullptr},
    {"Pause", LookShape::RoundedBox, {80, 200, 120, 255}, {40, 140, 80, 255}, "II"},
    {"Sound On", LookShape::RoundedBox, {80, 200, 120, 255}, {40, 140, 80, 255}, "S"},
    {"Sound Off", LookShape::RoundedBox, {160, 160, 160, 255}, {100, 100, 100, 255}, "-"},
};

// "Coin 2" -> ("Coin", 2); "Play" -> ("Play", 1).
std::string lookName(const std::string& name, int* frame) {
    const size_t space = name.rfind(' ');
    *frame = 1;
    if (space != std::string::npos && space + 1 < name.size() &&
        std::all_of(name.begin() + static_cast<long>(space) + 1, name.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
        *frame = parseDecimal<int>(name.substr(space + 1));
        return name.substr(0, space);
    }
    return name;
}

Colour lighter(Colour c, int steps) {
    auto up = [&](uint8_t v) { return static_cast<uint8_t>(std::min(255, v + 24 * steps)); };
    return Colour{up(c.r), up(c.g), up(c.b), c.a};
}

Image spriteImage(const QVModelSprite& sprite, const BakedFont& font) {
    const int w = std::clamp(truncToInt(sprite.size().width), 1, kMaxSide);
    const int h = std::clamp(truncToInt(sprite.size().height), 1, kMaxSide);
    int frame = 1;
    const std::string name = lookName(sprite.name(), &frame);
    const int shade = (frame - 1) % 4;
    for (const NamedLook& look : kLooks) {
        if (name != look.name) continue;
        const Look l{look.shape, w, h, lighter(look.top, shade), lighter(look.bottom, shade)};
        return look.caption ? drawCaptioned(l, font, look.caption) : drawLook(l);
    }
    std::string caption = name;
    for (char& c : caption) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // Wide pictures are buttons, captioned when the caption fits.
    if (w >= 2 * h && textWidth(font, caption) <= w - 8 && font.lineHeight <= h) {
        return drawCaptioned(Look{LookShape::RoundedBox, w, h, {250, 190, 60, 255}, {225, 120, 30, 255}}, font,
                             caption);
    }
    static const Colour palette[] = {
        {120, 200, 230, 255}, {230, 120, 160, 255}, {150, 220, 120, 255}, {200, 160, 240, 255}, {240, 200, 110, 255}};
    const Colour base = palette[sprite.id() % 5];
    return drawLook(Look{LookShape::RoundedBox, w, h, lighter(base, 1), base});
}

bool bakeMain(const std::string& ttf, BakedFont* font, std::string& error) {
    std::string why;
    if (bakeFont(ttf, 36, font, &why)) return true;
    error = why;
    return false;
}

void setFrame(QVModelSprite& sprite, const Placement& p) {
    const cocos2d::CCSize size(static_cast<float>(p.width), static_cast<float>(p.height));
    if (auto* a = dynamic_cast<QVAttributeSize*>(sprite.attribute("Size"))) a->setValue(size, true);
    if (auto* a = dynamic_cast<QVAttributeSize*>(sprite.attribute("SourceSize"))) a->setValue(size, true);
    if (auto* a = dynamic_cast<QVAttributeRect*>(sprite.attribute("Source Rect")))
        a->setValue(cocos2d::CCRect(static_cast<float>(p.x), static_cast<float>(p.y), size.width, size.height), true);
    if (auto* a = dynamic_cast<QVBaseAttributePoint*>(sprite.attribute("Offset")))
        a->setValue(cocos2d::CCPoint(0, 0), true);
}

}  // namespace

bool writeAtlases(QVModelController& controller, const std::string& ttf, const std::string& root, std::string& error) {
    BakedFont font;
    if (!bakeMain(ttf, &font, error)) return false;
    for (const auto& atlas : controller.getModels<QVModelAtlas>()) {
        std::vector<AtlasSprite> sprites;
        for (const auto& sprite : atlas->sprites())
            sprites.push_back(AtlasSprite{sprite->id(), spriteImage(*sprite, font)});
        std::vector<Placement> placed;
        std::string why;
        if (!writeAtlas(root + "/data", atlas->id(), truncToInt(atlas->width()), truncToInt(atlas->height()),
                        truncToInt(atlas->padding()), sprites, &placed, &why)) {
            error = "atlas " + std::to_string(atlas->id()) + ": " + why;
            return false;
        }
        for (const Placement& p : placed)
            if (auto* sprite = dynamic_cast<QVModelSprite*>(controller.findModel(p.id))) setFrame(*sprite, p);
    }
    return true;
}

bool writeArt(QVModelController& controller, const std::string& ttf, const std::string& root, std::string& error) {
    std::set<uint32_t> packed;
    for (const auto& atlas : controller.getModels<QVModelAtlas>())
        for (const auto& sprite : atlas->sprites()) packed.insert(sprite->id());
    BakedFont font;
    if (!bakeMain(ttf, &font, error)) return false;
    for (const auto& sprite : controller.getModels<QVModelSprite>()) {
        if (packed.count(sprite->id())) continue;
        std::string why;
        if (!writeSpriteImage(root + "/data", AtlasSprite{sprite->id(), spriteImage(*sprite, font)}, &why)) {
            error = why;
            return false;
        }
    }
    return true;
}

bool writeFont(const QVModelController& controller, const std::string& ttf, const std::string& root,
               std::string& error) {
    if (!dynamic_cast<QVModelFont*>(controller.findModel(kMainFont))) {
        error = "no font model " + std::to_string(kMainFont);
        return false;
    }
    BakedFont font;
    std::string why;
    if (!bakeMain(ttf, &font, error)) return false;
    if (writeFont(root + "/data", kMainFont, font, &why)) return true;
    error = why;
    return false;
}

bool writeFixedFiles(const QVModelController&, const std::string& ttf, const std::string& root, std::string& error) {
    std::string why;
    if (writeFixedFiles(root, ttf, &why)) return true;
    error = why;
    return false;
}

}  // namespace samplegame
