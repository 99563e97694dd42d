// The probe colours of the built sample game: the end-to-end runs count
// screen pixels of the Runner's torso, the coin's face and the Pause
// button's face, so those areas must be exact and flat, and nothing else the
// game can show (sprites, sheets, the font page, the effect textures, the
// colours set on models) may come near them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "../../model/core/support/loader_fixture.h"
#include "Art.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeValue.h"
#include "textures/CCImage.h"

namespace {

using samplegame::Colour;
namespace fs = std::filesystem;

const std::string kGame = std::string(QV_BINARY_DIR) + "/samplegame";

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgba;
    const unsigned char* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

Picture readPng(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    cocos2d::CCImage image;
    Picture out;
    if (png.empty() || !image.decodePng(png.data(), png.size(), false)) return out;
    out.width = image.getWidth();
    out.height = image.getHeight();
    out.rgba.assign(image.getData(), image.getData() + image.getDataLen());
    return out;
}

bool exact(const unsigned char* p, Colour c) { return p[0] == c.r && p[1] == c.g && p[2] == c.b && p[3] == 255; }

// Visible pixels near a probe colour inside (x, y, w, h), skipping those
// that are exactly `own`.
int nearPixels(const Picture& picture, int x0, int y0, int w, int h, const Colour* own = nullptr) {
    int near = 0;
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            const unsigned char* p = picture.at(x, y);
            if (p[3] == 0 || (own && exact(p, *own))) continue;
            near += samplegame::nearProbeColour(p[0], p[1], p[2]) ? 1 : 0;
        }
    }
    return near;
}

// The bounding box of the exact pixels of `c`, and their number.
struct Area {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1, count = 0;
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};
Area areaOf(const Picture& picture, Colour c) {
    Area a;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (!exact(picture.at(x, y), c)) continue;
            a.x0 = std::min(a.x0, x), a.y0 = std::min(a.y0, y), a.x1 = std::max(a.x1, x), a.y1 = std::max(a.y1, y);
            ++a.count;
        }
    }
    return a;
}

class Art : public modeltest::LoaderFixture {};

TEST_F(Art, ProbeColours) {
    resetController({});
    loadAll(kGame, false);
    ASSERT_EQ(controller()->lastError(), "");
    const std::string images = kGame + "/data/images/QVModelSprite_ID";

    // The probe sprites: one flat area each, the rest of the picture clear.
    const struct {
        uint32_t id;
        Colour colour;
        int minWidth, minHeight, minCount;
        bool disc;
    } probes[] = {
        {1100, samplegame::kProbeRunnerBody, 32, 40, 32 * 40, false},
        {1101, samplegame::kProbeRunnerBody, 32, 40, 32 * 40, false},
        {1106, samplegame::kProbeCoinFace, 24, 24, 400, true},
        {1107, samplegame::kProbeCoinFace, 24, 24, 400, true},
        {1118, samplegame::kProbePauseFace, 0, 0, 1600, false},
    };
    std::set<uint32_t> probeIds;
    for (const auto& probe : probes) {
        SCOPED_TRACE(probe.id);
        probeIds.insert(probe.id);
        const Picture picture = readPng(images + std::to_string(probe.id) + ".png");
        ASSERT_GT(picture.width, 0);
        const Area area = areaOf(picture, probe.colour);
        EXPECT_GE(area.count, probe.minCount);
        EXPECT_GE(area.width(), probe.minWidth);
        EXPECT_GE(area.height(), probe.minHeight);
        if (probe.minWidth > 0 && !probe.disc) {
            EXPECT_EQ(area.count, area.width() * area.height()) << "not one flat box";
        }
        if (probe.disc) {
            // Every pixel of the disc inscribed in the box, one pixel in, is exact.
            const float cx = (area.x0 + area.x1 + 1) / 2.0f, cy = (area.y0 + area.y1 + 1) / 2.0f;
            const float r = std::min(area.width(), area.height()) / 2.0f - 1.0f;
            int holes = 0;
            for (int y = area.y0; y <= area.y1; ++y)
                for (int x = area.x0; x <= area.x1; ++x) {
                    const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
                    if (dx * dx + dy * dy <= r * r && !exact(picture.at(x, y), probe.colour)) ++holes;
                }
            EXPECT_EQ(holes, 0);
        }
        EXPECT_EQ(nearPixels(picture, 0, 0, picture.width, picture.height, &probe.colour), 0);
    }

    // Every other sprite, as its own file and on its sheet.
    int sprites = 0;
    for (const auto& sprite : controller()->getModels<QVModelSprite>()) {
        if (probeIds.count(sprite->id())) continue;
        SCOPED_TRACE(sprite->id());
        const Picture picture = readPng(images + std::to_string(sprite->id()) + ".png");
        ASSERT_GT(picture.width, 0);
        EXPECT_EQ(nearPixels(picture, 0, 0, picture.width, picture.height), 0);
        ++sprites;
    }
    EXPECT_GT(sprites, 20);
    for (const auto& atlas : controller()->getModels<QVModelAtlas>()) {
        SCOPED_TRACE(atlas->imagePath());
        Picture sheet = readPng(kGame + "/" + atlas->imagePath());
        ASSERT_GT(sheet.width, 0);
        for (const auto& sprite : atlas->sprites()) {
            if (!probeIds.count(sprite->id())) continue;
            const auto* attribute = dynamic_cast<const QVAttributeRect*>(sprite->attribute("Source Rect"));
            ASSERT_NE(attribute, nullptr);
            const cocos2d::CCRect r = attribute->value();
            // The probe's own picture was checked above; blank it here.
            for (int y = static_cast<int>(r.origin.y); y < static_cast<int>(r.origin.y + r.size.height); ++y)
                for (int x = static_cast<int>(r.origin.x); x < static_cast<int>(r.origin.x + r.size.width); ++x)
                    sheet.rgba[(static_cast<size_t>(y) * sheet.width + x) * 4 + 3] = 0;
        }
        EXPECT_EQ(nearPixels(sheet, 0, 0, sheet.width, sheet.height), 0);
    }

    // The font page and the effect textures.
    std::vector<std::string> others = {kGame + "/fx/lightMap.png", kGame + "/fx/trailMap.png",
                                       kGame + "/fx/flagMap.png"};
    for (const auto& entry : fs::directory_iterator(kGame + "/data/fonts")) {
        if (entry.path().extension() == ".png") others.push_back(entry.path().string());
    }
    for (const std::string& path : others) {
        SCOPED_TRACE(path);
        const Picture picture = readPng(path);
        ASSERT_GT(picture.width, 0);
        EXPECT_EQ(nearPixels(picture, 0, 0, picture.width, picture.height), 0);
    }

    // Colours on models, gradients along their whole length; lights and
    // mirrors take theirs on 0-255, the rest on 0-1.
    auto channel = [](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    auto near = [&](const cocos2d::ccColor4F& c) {
        return samplegame::nearProbeColour(channel(c.r), channel(c.g), channel(c.b));
    };
    for (const auto& model : controller()->modelsById()) {
        const std::string className = model->className();
        const float scale = className == "QVModelObjectLight" || className == "QVModelObjectMirror" ? 255.0f : 1.0f;
        for (const QVAttribute* attribute : model->attributes()) {
            SCOPED_TRACE(std::to_string(model->id()) + " " + attribute->name());
            if (const auto* colour = dynamic_cast<const QVBaseAttributeColor*>(attribute)) {
                const cocos2d::ccColor4F c = colour->value();
                EXPECT_FALSE(near(cocos2d::ccColor4F{c.r / scale, c.g / scale, c.b / scale, c.a / scale}));
                if (scale > 1.0f) {
                    EXPECT_GT(std::max({c.r, c.g, c.b}), 1.0f) << "a 0-255 colour written on 0-1";
                }
            } else if (const auto* gradient = dynamic_cast<const QVAttributeGradient*>(attribute)) {
                const cocos2d::ccColor4F* previous = nullptr;
                for (const auto& key : gradient->colors()) {
                    EXPECT_FALSE(near(key.second));
                    for (int i = 1; previous && i < 16; ++i) {
                        const float t = i / 16.0f;
                        const cocos2d::ccColor4F& a = *previous;
                        const cocos2d::ccColor4F& b = key.second;
                        EXPECT_FALSE(near(cocos2d::ccColor4F{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t,
                                                             a.b + (b.b - a.b) * t, 1.0f}));
                    }
                    previous = &key.second;
                }
            }
        }
    }
}

// The mean colour of the pixels at least half opaque.
struct Mean {
    float rgb[3] = {0, 0, 0};
};
Mean meanColour(const Picture& picture) {
    Mean m;
    int n = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.at(x, y);
            if (p[3] < 128) continue;
            for (int i = 0; i < 3; ++i) m.rgb[i] += p[i];
            ++n;
        }
    for (float& c : m.rgb) c /= std::max(n, 1);
    return m;
}

std::string spritePath(uint32_t id) { return kGame + "/data/images/QVModelSprite_ID" + std::to_string(id) + ".png"; }

// A look whose frames differ in colour flashes several times a second.
// Dasher, the coin (in the world and as the HUDs' icon) and the Lab's frog
// show one picture in every frame; every other animated look keeps its
// mean colour from frame to frame.
TEST_F(Art, AnimationFramesKeepTheirColour) {
    resetController({});
    loadAll(kGame, false);
    ASSERT_EQ(controller()->lastError(), "");
    const struct {
        uint32_t first, second;
        const char* look;
    } alike[] = {{1102, 1103, "Dasher"}, {1106, 1107, "coin"}, {1856, 1857, "frog"}};
    for (const auto& row : alike) {
        SCOPED_TRACE(row.look);
        const Picture first = readPng(spritePath(row.first));
        ASSERT_GT(first.width, 0);
        EXPECT_EQ(first.rgba, readPng(spritePath(row.second)).rgba);
    }
    int animated = 0;
    for (const auto& container : controller()->getModels<QVModelSpriteContainer>()) {
        const auto& sprites = container->sprites();
        if (sprites.size() < 2) continue;
        SCOPED_TRACE(container->nameAttribute()->value());
        const Mean first = meanColour(readPng(spritePath(sprites[0]->id())));
        for (size_t i = 1; i < sprites.size(); ++i) {
            const Mean other = meanColour(readPng(spritePath(sprites[i]->id())));
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(first.rgb[c], other.rgb[c], 12.0f) << "frame " << i << " channel " << c;
        }
        ++animated;
    }
    EXPECT_GE(animated, 6);
}

// The sound switch says what it is: a speaker on both looks, sending two
// waves while on, crossed out when muted, the two looks far apart.
TEST_F(Art, SoundSwitchShowsASpeaker) {
    const struct {
        uint32_t id;
        const char* look;
        bool waves;
    } rows[] = {{1119, "on", true}, {1120, "muted", false}};
    // Points on the disc's middle row (fractions of its size): the inner
    // and outer wave, and the crossing of the cross between them.
    const struct {
        float x;
        bool darkWithWaves;
    } middle[] = {{0.64f, true}, {0.79f, true}, {0.715f, false}};
    std::vector<unsigned char> pictures[2];
    for (const auto& row : rows) {
        SCOPED_TRACE(row.look);
        const Picture picture = readPng(spritePath(row.id));
        ASSERT_GT(picture.width, 0);
        pictures[&row - rows] = picture.rgba;
        const int s = std::min(picture.width, picture.height);
        // The speaker's cone, left of the middle, solid dark.
        const Area speaker = areaOf(picture, samplegame::kSpeaker);
        EXPECT_GE(speaker.count, s * s / 16);
        EXPECT_LT(speaker.x0, s * 0.25f);
        for (const auto& point : middle) {
            const bool dark = exact(picture.at(static_cast<int>(point.x * s), s / 2), samplegame::kSpeaker);
            EXPECT_EQ(dark, point.darkWithWaves == row.waves) << "at x " << point.x;
        }
    }
    int differ = 0;
    for (size_t i = 0; i < pictures[0].size() && i < pictures[1].size(); i += 4)
        differ += std::equal(&pictures[0][i], &pictures[0][i] + 4, &pictures[1][i]) ? 0 : 1;
    EXPECT_GT(differ, static_cast<int>(pictures[0].size() / 4 / 2)) << "the two looks are alike";
}

// The checkpoint's sparks read warm over the sky: the texture is neutral, so
// the emitter's colours decide, and those blended over either end of the
// sky keep red above blue along the whole life of a spark (added to the sky
// they would read pale cyan).
TEST_F(Art, SparksReadWarmOverTheSky) {
    resetController({});
    loadAll(kGame, false);
    ASSERT_EQ(controller()->lastError(), "");
    const auto emitters = controller()->getModels<QVModelObjectParticlesEmitter>();
    ASSERT_FALSE(emitters.empty());
    for (const auto& emitter : emitters) {
        SCOPED_TRACE(emitter->id());
        const auto texture = emitter->texture();
        ASSERT_TRUE(texture && !texture->sprites().empty());
        const Picture spark = readPng(spritePath(texture->sprites()[0]->id()));
        ASSERT_GT(spark.width, 0);
        const unsigned char* core = spark.at(spark.width / 2, spark.height / 2);
        const struct {
            const char* sky;
            Colour colour;
        } skies[] = {{"sky top", samplegame::kSkyTop}, {"sky bottom", samplegame::kSkyBottom}};
        for (const auto& sky : skies) {
            for (const float t : {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}) {
                SCOPED_TRACE(std::string(sky.sky) + " at " + std::to_string(t));
                // A spark goes from the start colour to the end one in a straight line.
                const cocos2d::ccColor4F a = emitter->color(0.0f), b = emitter->color(1.0f);
                const cocos2d::ccColor4F c{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
                                           a.a + (b.a - a.a) * t};
                const float tint[3] = {c.r, c.g, c.b};
                const float under[3] = {static_cast<float>(sky.colour.r), static_cast<float>(sky.colour.g),
                                        static_cast<float>(sky.colour.b)};
                const float alpha = c.a * core[3] / 255.0f;
                float out[3];
                for (int i = 0; i < 3; ++i) {
                    const float src = core[i] * tint[i];
                    out[i] = emitter->blendAdditive() ? std::min(255.0f, under[i] + src * alpha)
                                                      : src * alpha + under[i] * (1 - alpha);
                }
                EXPECT_GT(out[0], out[2] + 20) << "reads " << out[0] << "," << out[1] << "," << out[2];
            }
        }
    }
}

// The Extras screen's coin buttons: one flat fill by role, which the
// end-to-end run counts on screen, and the coin after each price.
TEST_F(Art, ExtrasCoinButtonsShowTheirRoleAndPrice) {
    const std::string images = kGame + "/data/images/QVModelSprite_ID";
    const struct {
        uint32_t id;
        Colour fill;
        bool priced;
    } rows[] = {
        {1802, samplegame::kExtrasSpend, true},   // Buy
        {1803, samplegame::kExtrasSpend, true},   // Get
        {1804, samplegame::kExtrasOpen, false},   // the Lab, bought
        {1805, samplegame::kExtrasLocked, true},  // the Lab, for sale
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        const Picture picture = readPng(images + std::to_string(row.id) + ".png");
        ASSERT_GT(picture.width, 0);
        EXPECT_GE(areaOf(picture, row.fill).count, picture.width * picture.height / 2);
        EXPECT_EQ(areaOf(picture, samplegame::kExtrasPriceCoin).count > 100, row.priced);
    }
}

// The world's art by role: each role sprite is mostly its own colour, the
// roles far apart, the scrolling tiles full-bleed (the sky opaque and alike
// along every row, the hills meeting themselves), the Runner's two frames
// alike, and on the sheet every frame's border repeated one pixel out.
TEST_F(Art, WorldRolesAndTiles) {
    resetController({});
    loadAll(kGame, false);
    ASSERT_EQ(controller()->lastError(), "");
    const std::string images = kGame + "/data/images/QVModelSprite_ID";
    auto within = [](const unsigned char* p, Colour a, Colour b, int tolerance) {
        for (int i = 0; i <= 16; ++i) {
            const float t = i / 16.0f;
            const int c[3] = {a.r + static_cast<int>((b.r - a.r) * t), a.g + static_cast<int>((b.g - a.g) * t),
                              a.b + static_cast<int>((b.b - a.b) * t)};
            if (std::abs(p[0] - c[0]) <= tolerance && std::abs(p[1] - c[1]) <= tolerance &&
                std::abs(p[2] - c[2]) <= tolerance)
                return true;
        }
        return false;
    };
    const struct {
        uint32_t id;
        const char* role;
        Colour top, bottom;
        float share;  // of the visible pixels, at least
    } rows[] = {
        {1121, "sky", samplegame::kSkyTop, samplegame::kSkyBottom, 1.0f},
        {1122, "hills", samplegame::kHillsTop, samplegame::kHillsBottom, 0.9f},
        {1104, "ground", samplegame::kSoilTop, samplegame::kSoilBottom, 0.7f},
        {1105, "ledge", samplegame::kSoilTop, samplegame::kSoilBottom, 0.7f},
        {1109, "spiky", samplegame::kHazardTop, samplegame::kHazardBottom, 0.5f},
        {1110, "spiky", samplegame::kHazardTop, samplegame::kHazardBottom, 0.5f},
        {1889, "saw", samplegame::kHazardTop, samplegame::kHazardBottom, 0.4f},
        {1100, "runner", samplegame::kRunnerTop, samplegame::kRunnerBottom, 0.4f},
        {1101, "runner", samplegame::kRunnerTop, samplegame::kRunnerBottom, 0.4f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.id) + " " + row.role);
        const Picture picture = readPng(images + std::to_string(row.id) + ".png");
        ASSERT_GT(picture.width, 0);
        int visible = 0, own = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const unsigned char* p = picture.at(x, y);
                if (p[3] < 128) continue;
                ++visible;
                own += within(p, row.top, row.bottom, 6) ? 1 : 0;
            }
        ASSERT_GT(visible, 0);
        EXPECT_GE(own, row.share * visible);
    }
    // Roles a player must tell apart: the middles of their gradients.
    const struct {
        const char* role;
        Colour top, bottom;
    } roles[] = {{"sky", samplegame::kSkyTop, samplegame::kSkyBottom},
                 {"hills", samplegame::kHillsTop, samplegame::kHillsBottom},
                 {"soil", samplegame::kSoilTop, samplegame::kSoilBottom},
                 {"hazard", samplegame::kHazardTop, samplegame::kHazardBottom},
                 {"runner", samplegame::kRunnerTop, samplegame::kRunnerBottom},
                 {"runner torso", samplegame::kProbeRunnerBody, samplegame::kProbeRunnerBody},
                 {"coin", samplegame::kProbeCoinFace, samplegame::kProbeCoinFace}};
    for (const auto& a : roles)
        for (const auto& b : roles) {
            if (&a >= &b) continue;
            SCOPED_TRACE(std::string(a.role) + " / " + b.role);
            const int d = std::abs((a.top.r + a.bottom.r) - (b.top.r + b.bottom.r)) / 2 +
                          std::abs((a.top.g + a.bottom.g) - (b.top.g + b.bottom.g)) / 2 +
                          std::abs((a.top.b + a.bottom.b) - (b.top.b + b.bottom.b)) / 2;
            EXPECT_GT(d, 60);
        }

    const Picture sky = readPng(images + "1121.png");
    ASSERT_GT(sky.width, 1);
    for (int y = 0; y < sky.height; ++y)
        for (int x = 0; x < sky.width; ++x) {
            ASSERT_EQ(sky.at(x, y)[3], 255) << x << "," << y;
            ASSERT_EQ(std::vector<unsigned char>(sky.at(x, y), sky.at(x, y) + 4),
                      std::vector<unsigned char>(sky.at(0, y), sky.at(0, y) + 4))
                << x << "," << y;
        }
    const Picture hills = readPng(images + "1122.png");
    ASSERT_GT(hills.width, 1);
    auto filled = [&](int x) {
        int n = 0;
        for (int y = 0; y < hills.height; ++y) n += hills.at(x, y)[3] >= 128 ? 1 : 0;
        return n;
    };
    EXPECT_LE(std::abs(filled(0) - filled(hills.width - 1)), 2);
    EXPECT_GT(filled(0), 0) << "the hills reach the tile's edge";
    EXPECT_EQ(readPng(images + "1100.png").rgba, readPng(images + "1101.png").rgba) << "the Runner flashes";

    for (const auto& atlas : controller()->getModels<QVModelAtlas>()) {
        SCOPED_TRACE(atlas->imagePath());
        const Picture sheet = readPng(kGame + "/" + atlas->imagePath());
        ASSERT_GT(sheet.width, 0);
        int checked = 0;
        for (const auto& sprite : atlas->sprites()) {
            const auto* attribute = dynamic_cast<const QVAttributeRect*>(sprite->attribute("Source Rect"));
            ASSERT_NE(attribute, nullptr);
            const cocos2d::CCRect r = attribute->value();
            const int x0 = static_cast<int>(r.origin.x), y0 = static_cast<int>(r.origin.y);
            const int x1 = x0 + static_cast<int>(r.size.width) - 1, y1 = y0 + static_cast<int>(r.size.height) - 1;
            if (x0 < 1 || y0 < 1 || x1 + 1 >= sheet.width || y1 + 1 >= sheet.height) continue;
            for (int y = y0; y <= y1; ++y) {
                EXPECT_EQ(sheet.at(x0 - 1, y)[3], sheet.at(x0, y)[3]) << sprite->id() << " left, row " << y;
                EXPECT_EQ(sheet.at(x1 + 1, y)[3], sheet.at(x1, y)[3]) << sprite->id() << " right, row " << y;
            }
            for (int x = x0; x <= x1; ++x) {
                EXPECT_EQ(sheet.at(x, y0 - 1)[3], sheet.at(x, y0)[3]) << sprite->id() << " top, column " << x;
                EXPECT_EQ(sheet.at(x, y1 + 1)[3], sheet.at(x, y1)[3]) << sprite->id() << " bottom, column " << x;
            }
            ++checked;
        }
        EXPECT_GT(checked, 0);
    }
}

}  // namespace
