#include "Media.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "Art.h"
#include "Atlas.h"
#include "FixedFiles.h"
#include "FontBaker.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelSprite.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"

namespace samplegame {

namespace {

constexpr uint32_t kFontId = 1020;
constexpr int kFontPixels = 36;
constexpr float kTallSheet = 2048;
// The sprites that carry the probe colours.
constexpr uint32_t kRunnerSprites[] = {1100, 1101};
constexpr uint32_t kCoinSprites[] = {1106, 1107};
constexpr uint32_t kPauseSprite = 1118;
constexpr uint32_t kSoundOnSprite = 1119;
constexpr uint32_t kSoundOffSprite = 1120;
constexpr uint32_t kSparkSprite = 1123;

// Button captions by sprite id.
const std::map<uint32_t, const char*>& captions() {
    static const std::map<uint32_t, const char*> table = {
        {1112, "PLAY"},   {1113, "RESUME"}, {1114, "RETRY"}, {1115, "CONTINUE"}, {1116, "MENU"}, {1117, "UNLOCK"},
        {1800, "EXTRAS"}, {1801, "BACK"},   {1802, "BUY 5"}, {1803, "GET 10"},   {1804, "LAB"},  {1805, "LAB 20"},
        {1806, "WEB"},    {1807, "SHARE"},  {1808, "PUSH"},  {1809, "HOP"},      {1810, "HOP"},  {1811, "MAGNET"},
        {1967, ">>"},     {1973, "EXIT"},   {1982, "SWIPE"}, {1985, "JUMP"},
    };
    return table;
}

// The Extras screen's coin buttons, flat by role: what spends coins green,
// the bought Lab violet, the Lab still for sale grey. Each shows its price
// with a coin after the caption.
const std::map<uint32_t, Colour>& extrasFills() {
    static const std::map<uint32_t, Colour> table = {
        {1802, kExtrasSpend}, {1803, kExtrasSpend}, {1804, kExtrasOpen}, {1805, kExtrasLocked}};
    return table;
}
constexpr uint32_t kPricedSprites[] = {1802, 1803, 1805};

// `look` with `caption` and a coin after it, the two centred together.
Image drawPriced(const Look& look, const BakedFont& font, const std::string& caption) {
    Image out = drawLook(look);
    const float coin = font.lineHeight * 0.55f;
    const int gap = 6;
    const int width = textWidth(font, caption) + gap + static_cast<int>(coin);
    const int x = (out.width - width) / 2;
    drawText(out, font, caption, x, (out.height - font.lineHeight) / 2);
    const float cx = x + width - coin / 2, cy = out.height / 2.0f;
    fillCircle(out, cx, cy, coin / 2, Colour{30, 24, 40, 255});
    fillCircle(out, cx, cy, coin / 2 - 2, kExtrasPriceCoin);
    return out;
}

// Sprites drawn as discs.
const std::set<uint32_t>& roundSprites() {
    static const std::set<uint32_t> ids = {1106, 1107, 1108, 1118, 1119, 1120, 1123, 1808, 1809,
                                           1810, 1811, 1845, 1846, 1847, 1848, 1889, 1980, 1985};
    return ids;
}

// The Lab's own colours by sprite id: the crate, the wheel's four frames
// (a tyre with a marker a quarter turn further in each), the hop
// switch off and on, the triggers' looks and the control pads.
bool labColours(uint32_t id, Look* look) {
    struct Entry {
        uint32_t id;
        Colour top, bottom;
    };
    static const Entry table[] = {
        {1866, {225, 190, 120, 255}, {185, 145, 80, 255}},  {1845, {70, 70, 80, 255}, {45, 45, 55, 255}},
        {1846, {70, 70, 80, 255}, {45, 45, 55, 255}},       {1847, {70, 70, 80, 255}, {45, 45, 55, 255}},
        {1848, {70, 70, 80, 255}, {45, 45, 55, 255}},       {1810, {150, 150, 160, 255}, {100, 100, 110, 255}},
        {1809, {90, 230, 255, 255}, {30, 160, 220, 255}},   {1955, {170, 100, 255, 255}, {100, 40, 190, 255}},
        {1961, {110, 110, 125, 255}, {70, 70, 85, 255}},    {1967, {190, 240, 80, 255}, {120, 190, 40, 255}},
        {1973, {140, 90, 60, 255}, {90, 55, 35, 255}},      {1980, {230, 230, 240, 255}, {170, 170, 190, 255}},
        {1982, {230, 230, 240, 255}, {170, 170, 190, 255}},
    };
    for (const Entry& entry : table) {
        if (entry.id != id) continue;
        look->top = entry.top;
        look->bottom = entry.bottom;
        return true;
    }
    return false;
}

// The wheel's marker and hub, the saw's dark centre, the pads' see-through.
void paintLabDetails(uint32_t id, Image& image) {
    const float s = static_cast<float>(std::min(image.width, image.height));
    const float c = s / 2;
    if (id >= 1845 && id <= 1848) {
        const float angle = static_cast<float>(id - 1845) * 1.5707964f;
        fillCircle(image, c, c, s * 0.16f, Colour{190, 190, 200, 255});
        fillCircle(image, c + std::cos(angle) * s * 0.3f, c - std::sin(angle) * s * 0.3f, s * 0.1f,
                   Colour{250, 250, 250, 255});
    } else if (id == 1889) {
        fillCircle(image, c, c, s * 0.18f, Colour{60, 60, 70, 255});
    } else if (id == 1980 || id == 1982) {
        // The pads lie over the field: see-through.
        for (size_t i = 3; i < image.rgba.size(); i += 4) image.rgba[i] = static_cast<uint8_t>(image.rgba[i] * 2 / 5);
    }
}

// The world's sprites drawn by role (Art.h).
constexpr uint32_t kSkySprite = 1121;
constexpr uint32_t kHillsSprite = 1122;
constexpr uint32_t kGroundSprites[] = {1104, 1105};
constexpr uint32_t kSpikySprites[] = {1109, 1110};

// Role colours of sprites otherwise drawn from the palette: the Runner,
// Dasher, the coin and the Lab's frog each the same in both frames, hazards
// in the warning orange (the Lab's saw too), the sound switch bright when
// on, grey when muted, the JUMP button a pink nothing in World1 shares.
const std::map<uint32_t, std::pair<Colour, Colour>>& roleColours() {
    static const std::map<uint32_t, std::pair<Colour, Colour>> table = {
        {1100, {kRunnerTop, kRunnerBottom}},
        {1101, {kRunnerTop, kRunnerBottom}},
        {1102, {Colour{40, 160, 150, 255}, Colour{22, 112, 104, 255}}},
        {1103, {Colour{40, 160, 150, 255}, Colour{22, 112, 104, 255}}},
        {1106, {kCoinRimTop, kCoinRimBottom}},
        {1107, {kCoinRimTop, kCoinRimBottom}},
        {1119, {kSoundOnTop, kSoundOnBottom}},
        {1120, {kSoundOffTop, kSoundOffBottom}},
        {1109, {kHazardTop, kHazardBottom}},
        {1110, {kHazardTop, kHazardBottom}},
        {1889, {kHazardTop, kHazardBottom}},
        {1856, {kFrogTop, kFrogBottom}},
        {1857, {kFrogTop, kFrogBottom}},
        {1985, {kJumpTop, kJumpBottom}},
    };
    return table;
}

// A hazard's body under a row of dark spikes; the two frames differ in height.
Image drawSpiky(Look look, uint32_t id) {
    const int spikes = id == kSpikySprites[0] ? 14 : 11;
    Image out(look.width, look.height);
    look.height -= spikes;
    out.paste(drawLook(look), 0, spikes);
    paintSpikes(out, 4, static_cast<float>(spikes + 4));
    for (const float ex : {0.35f, 0.65f}) {
        const float cx = look.width * ex, cy = spikes + look.height * 0.45f;
        fillCircle(out, cx, cy, 6, Colour{255, 255, 255, 255});
        fillCircle(out, cx + 1, cy + 1, 3, Colour{30, 24, 40, 255});
    }
    return out;
}

QVAttributeSize* sizeAttribute(const QVModel& sprite, const char* name) {
    return dynamic_cast<QVAttributeSize*>(sprite.attribute(name));
}

Image drawSprite(const QVModel& sprite, const BakedFont& font) {
    const QVAttributeSize* size = sizeAttribute(sprite, "Size");
    Look look;
    look.width = size ? static_cast<int>(size->value().width) : 0;
    look.height = size ? static_cast<int>(size->value().height) : 0;
    const uint32_t id = sprite.id();
    look.shape = roundSprites().count(id) ? LookShape::Circle : LookShape::RoundedBox;
    // A fixed palette picked by id: deterministic and varied, and clear of
    // the probe colours all along each gradient (the yellow and the red keep
    // their blue channel high).
    static const Colour palette[][2] = {
        {{255, 170, 60, 255}, {230, 110, 30, 255}},  {{90, 200, 120, 255}, {40, 140, 70, 255}},
        {{100, 170, 255, 255}, {50, 100, 210, 255}}, {{255, 230, 120, 255}, {230, 180, 80, 255}},
        {{200, 120, 230, 255}, {140, 60, 180, 255}}, {{240, 110, 150, 255}, {190, 70, 120, 255}},
    };
    const auto& colours = palette[id % (sizeof palette / sizeof palette[0])];
    look.top = colours[0];
    look.bottom = colours[1];
    if (const auto fill = extrasFills().find(id); fill != extrasFills().end()) look.top = look.bottom = fill->second;
    labColours(id, &look);
    const auto role = roleColours().find(id);
    if (role != roleColours().end()) {
        look.top = role->second.first;
        look.bottom = role->second.second;
    }
    if (id == kSkySprite) return drawSkyTile(look.width, look.height);
    if (id == kHillsSprite) return drawHillsTile(look.width, look.height);
    if (id == kGroundSprites[0] || id == kGroundSprites[1]) return drawGroundTile(look.width, look.height);
    if (id == kSpikySprites[0] || id == kSpikySprites[1]) return drawSpiky(look, id);
    if (id == kSparkSprite) return drawSpark(std::min(look.width, look.height));
    const auto caption = captions().find(id);
    const bool priced = std::count(std::begin(kPricedSprites), std::end(kPricedSprites), id) > 0;
    Image image = caption == captions().end() ? drawLook(look)
                  : priced                    ? drawPriced(look, font, caption->second)
                                              : drawCaptioned(look, font, caption->second);
    if (id == kRunnerSprites[0] || id == kRunnerSprites[1]) paintRunnerTorso(image);
    if (id == kCoinSprites[0] || id == kCoinSprites[1]) paintCoinFace(image);
    if (id == kPauseSprite) paintPauseFace(image);
    if (id == kSoundOnSprite || id == kSoundOffSprite) paintSpeaker(image, id == kSoundOnSprite);
    paintLabDetails(id, image);
    return image;
}

// One atlas: its sprite children packed onto its sheet, then the frames
// copied into the sprites.
bool writeOneAtlas(QVModel& atlas, const std::string& dataDir, const BakedFont& font, std::set<uint32_t>& packed,
                   std::string& error) {
    auto* width = dynamic_cast<QVAttributeFloat*>(atlas.attribute("width"));
    auto* height = dynamic_cast<QVAttributeFloat*>(atlas.attribute("height"));
    auto* padding = dynamic_cast<QVAttributeFloat*>(atlas.attribute("padding"));
    if (!width || !height || !padding) {
        error = "atlas " + std::to_string(atlas.id()) + " lacks its sheet size";
        return false;
    }
    std::vector<AtlasSprite> sprites;
    std::map<uint32_t, QVModel*> byId;
    for (const auto& child : atlas.children()) {
        if (!child || std::string(child->className()) != "QVModelSprite") continue;
        sprites.push_back({child->id(), drawSprite(*child, font)});
        byId[child->id()] = child.get();
    }
    std::vector<Placement> placed;
    std::string packError;
    bool written = writeAtlas(dataDir, atlas.id(), static_cast<int>(width->value()), static_cast<int>(height->value()),
                              static_cast<int>(padding->value()), sprites, &placed, &packError);
    if (!written && height->value() < kTallSheet) {
        height->setValue(kTallSheet, true);
        placed.clear();
        packError.clear();
        written = writeAtlas(dataDir, atlas.id(), static_cast<int>(width->value()), static_cast<int>(kTallSheet),
                             static_cast<int>(padding->value()), sprites, &placed, &packError);
    }
    if (!written) {
        error = packError;
        return false;
    }
    for (const Placement& frame : placed) {
        QVModel& sprite = *byId.at(frame.id);
        const cocos2d::CCSize size(static_cast<float>(frame.width), static_cast<float>(frame.height));
        sizeAttribute(sprite, "Size")->setValue(size, true);
        sizeAttribute(sprite, "SourceSize")->setValue(size, true);
        if (auto* rect = dynamic_cast<QVAttributeRect*>(sprite.attribute("Source Rect"))) {
            rect->setValue(
                cocos2d::CCRect(static_cast<float>(frame.x), static_cast<float>(frame.y), size.width, size.height),
                true);
        }
        if (auto* offset = dynamic_cast<QVBaseAttributePoint*>(sprite.attribute("Offset"))) {
            offset->setValue(cocos2d::CCPoint(0, 0), true);
        }
        packed.insert(frame.id);
    }
    return true;
}

}  // namespace

bool writeMedia(QVModelController& controller, const std::string& root, const std::string& fontFile,
                std::string& error) {
    const std::string dataDir = root + "/data";
    BakedFont font;
    if (!bakeFont(fontFile, kFontPixels, &font, &error) || !samplegame::writeFont(dataDir, kFontId, font, &error)) {
        return false;
    }
    std::set<uint32_t> packed;
    for (const auto& atlas : controller.getModels<QVModelAtlas>()) {
        if (!writeOneAtlas(*atlas, dataDir, font, packed, error)) return false;
    }
    for (const auto& sprite : controller.getModels<QVModelSprite>()) {
        if (packed.count(sprite->id())) continue;
        if (!writeSpriteImage(dataDir, {sprite->id(), drawSprite(*sprite, font)}, &error)) return false;
    }
    return writeFixedFiles(root, fontFile, &error);
}

}  // namespace samplegame
