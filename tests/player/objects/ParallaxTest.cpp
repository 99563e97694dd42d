// Background layers: the tile row and its range, drift and camera scroll,
// wrapping, degenerate images and tiling offsets, and the layers the game
// field makes, scrolls and resets.
#include <cmath>
#include <utility>

#include "base/CCArray.h"
#include "effects_test_support.h"
#include "model/classes/QVModelEffects.h"
#include "player/objects/CCParallaxScrollNode.h"
#include "player/objects/QVPObjectBackgroundLayer.h"

namespace effectstest {
namespace {

class Parallax : public EffectsTest {
protected:
    QVPObjectBackgroundLayer* layer(const std::shared_ptr<QVModelObjectBackground>& model) {
        QVPObjectBackgroundLayer* made = QVPObjectBackgroundLayer::create(model);
        made->retain();
        kept.push_back(made);
        return made;
    }
    ~Parallax() override {
        for (cocos2d::CCObject* object : kept) object->release();
    }
    static std::vector<cocos2d::CCNode*> tiles(QVPObjectBackgroundLayer* layer) {
        std::vector<cocos2d::CCNode*> found;
        if (cocos2d::CCArray* children = layer->parallaxNode()->getChildren()) {
            for (cocos2d::CCObject* child : children->data()) found.push_back(static_cast<cocos2d::CCNode*>(child));
        }
        return found;
    }
    std::vector<cocos2d::CCObject*> kept;
};

// The row covers the screen along the layer's axis plus three tiles; tiles
// overlap by one unit; a fixed rotation turns the tiles back upright.
TEST_F(Parallax, TileRowCoversTheScreen) {
    const struct {
        const char* name;
        CCPoint position;
        float rotation;
        bool fixedRotation;
        unsigned tiles;
        float range;
        CCPoint origin;
    } rows[] = {
        {"slow layer", {568, 480}, 0, false, 9, 1736, {-200, 480}},
        {"axis misses the screen", {-500, 320}, 90, false, 4, 600, {-500, 520}},
        {"fixed rotation", {-500, 320}, 90, true, 4, 600, {-500, 520}},
    };
    auto container = image(200, 40);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = ff::backgroundPlacement(nullptr, container, row.position, 60.0f);
        uitest::attr<QVAttributeFloat>(*model, "Rotation")->setValue(row.rotation);
        uitest::attr<QVAttributeBool>(*model, "Fixed Rotation")->setValue(row.fixedRotation);
        QVPObjectBackgroundLayer* made = layer(model);
        EXPECT_EQ(made->typeFlags(), QVPObject::kTypeBackground);
        EXPECT_NEAR(made->getPosition().x, row.origin.x, 1e-3);
        EXPECT_NEAR(made->getPosition().y, row.origin.y, 1e-3);
        EXPECT_EQ(made->getRotation(), row.rotation);
        EXPECT_FLOAT_EQ(made->parallaxNode()->range().width, row.range);
        const auto row_tiles = tiles(made);
        ASSERT_EQ(row_tiles.size(), row.tiles);
        for (unsigned k = 0; k < row_tiles.size(); ++k) {
            EXPECT_FLOAT_EQ(row_tiles[k]->getPositionX(), 100.0f + 199.0f * static_cast<float>(k));
            EXPECT_FLOAT_EQ(row_tiles[k]->getPositionY(), 0.0f);
            EXPECT_EQ(row_tiles[k]->getRotation(), row.fixedRotation ? -row.rotation : 0.0f);
        }
    }
}

// Per tick a layer drifts left by "Speed" x dt and moves by -movement x 32 x
// dt x "Speed" with the camera; nothing moves vertically.
TEST_F(Parallax, DriftAndScroll) {
    const struct {
        const char* name;
        bool scroll;
        float movement;
        float dt;
        float dx;
    } rows[] = {
        {"drift", false, 0, kStep, -60 * kStep},
        {"drift, long frame", false, 0, 0.1f, -6},
        {"camera forward", true, 2, kStep, -2 * 32 * kStep * 60},
        {"camera back", true, -1.5f, kStep, 1.5f * 32 * kStep * 60},
    };
    auto container = image(200, 40);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectBackgroundLayer* made = layer(ff::backgroundPlacement(nullptr, container, {568, 480}, 60.0f));
        cocos2d::CCNode* tile = tiles(made)[4];
        const CCPoint before = tile->getPosition();
        if (row.scroll) {
            made->scroll(row.movement, row.dt);
        } else {
            made->update(row.dt);
        }
        EXPECT_NEAR(tile->getPositionX() - before.x, row.dx, 1e-3);
        EXPECT_EQ(tile->getPositionY(), before.y);
    }
}

// A child leaving the range jumps by |scroll offset| back into it, in either
// direction and on either axis; one that only reaches a bound stays.
TEST_F(Parallax, ChildrenWrapPastTheRangeOnly) {
    const struct {
        const char* name;
        CCPoint start, velocity, end;
    } rows[] = {
        {"left past", {0, 0}, {-11, 0}, {39, 0}},      {"left to the bound", {0, 0}, {-10, 0}, {-10, 0}},
        {"right past", {95, 0}, {6, 0}, {51, 0}},      {"right to the bound", {95, 0}, {5, 0}, {100, 0}},
        {"down past", {0, 0}, {0, -11}, {0, 49}},      {"up past", {0, 75}, {0, 6}, {0, 21}},
        {"up to the bound", {0, 75}, {0, 5}, {0, 80}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CCParallaxScrollNode* node = CCParallaxScrollNode::create();
        node->setRange(cocos2d::CCSize(100, 80));
        auto* child = cocos2d::CCNode::create();
        child->setContentSize(cocos2d::CCSize(10, 10));
        // A negative offset wraps by its size as well.
        node->addScrolledChild(child, 0, {1, 1}, {0, 0}, {-50, 60}, {0, 0});
        child->setPosition(row.start);
        node->scrollWithVelocity(row.velocity, 1.0f / 32.0f);
        EXPECT_EQ(child->getPositionX(), row.end.x);
        EXPECT_EQ(child->getPositionY(), row.end.y);
    }
}

// An image of zero width, or none at all, gives a layer without tiles that
// never moves anything.
TEST_F(Parallax, LayerWithoutTilesStaysStill) {
    const struct {
        const char* name;
        std::shared_ptr<QVModelSpriteContainer> image;
    } rows[] = {{"zero width", image(0, 40)}, {"no image", nullptr}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectBackgroundLayer* made = layer(ff::backgroundPlacement(nullptr, row.image, {568, 480}, 60.0f));
        EXPECT_EQ(made->parallaxNode()->getChildrenCount(), 0u);
        EXPECT_EQ(made->parallaxNode()->scrollOffsets()->count(), 0u);
        made->update(kStep);
        made->scroll(5.0f, kStep);
    }
}

// Tiles that do not advance (or barely do) stop the row instead of filling
// memory for ever; the stop is logged once.
TEST_F(Parallax, NegativeTilingOffsetEnds) {
    const struct {
        float offset;
        unsigned tiles;
    } rows[] = {{-200.0f, 1}, {-250.0f, 1}, {-199.999f, QVPObjectBackgroundLayer::kMaxTiles}};
    auto container = image(200, 40);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offset);
        LogCapture::lines().clear();
        QVPObjectBackgroundLayer* made =
            layer(ff::backgroundPlacement(nullptr, container, {568, 480}, 60.0f, row.offset));
        EXPECT_EQ(made->parallaxNode()->getChildrenCount(), row.tiles);
        EXPECT_EQ(fieldtest::linesWith("[QVPObjectBackgroundLayer] tiling stopped after " + std::to_string(row.tiles) +
                                       " tiles"),
                  1);
        made->update(kStep);
    }
}

// The game field makes a layer per shown background model (a scale of 0
// or less becomes 0.1 in the model), keeps it still on screen while the
// camera moves, scrolls its tiles by drift plus camera movement, and puts
// it back on a field reset.
TEST_F(Parallax, FieldScrollsAndResetsLayers) {
    auto world = ff::world("W");
    auto container = image(200, 40);
    auto slow = ff::backgroundPlacement(world, container, {568, 480}, 60.0f);
    slow->setZDepth(-10);
    auto flat = ff::backgroundPlacement(world, container, {568, 160}, 120.0f);
    flat->setScale(CCPoint(0.0f, 2.0f));
    auto hidden = ff::backgroundPlacement(world, container, {568, 320}, 60.0f);
    uitest::attr<QVAttributeBool>(*hidden, "Hidden")->setValue(true);
    enter("W");

    std::vector<QVPObjectBackgroundLayer*> layers;
    for (QVPObject* object : objects()) {
        if (auto* made = dynamic_cast<QVPObjectBackgroundLayer*>(object)) layers.push_back(made);
    }
    ASSERT_EQ(layers.size(), 2u);
    if (layers[0]->getModel() != slow) std::swap(layers[0], layers[1]);
    EXPECT_EQ(layers[0]->getModel(), slow);
    EXPECT_EQ(layers[0]->getZOrder(), -10);
    EXPECT_EQ(flat->scale(0.0f, 0), CCPoint(0.1f, 2.0f));

    QVPGameFieldSettings* settings = QVPGameFieldSettings::shared();
    settings->setGameSpeedMin(1.0f);
    settings->setGameSpeedMax(1.0f);
    settings->setGameSpeed(1.0f);
    QVPObjectBackgroundLayer* made = layers[0];
    cocos2d::CCNode* tile = tiles(made)[4];
    const CCPoint onScreen = made->getPosition() + camera()->getPosition();
    float expected = tile->getPositionX();
    float moved = 0.0f;
    for (int frame = 0; frame < 5; ++frame) {
        scene->update(kStep);
        const CCPoint m = static_cast<QVPGameFieldCamera*>(camera())->getLastMove();
        moved += std::fabs(m.x) + std::fabs(m.y);
        expected += -60.0f * kStep - (m.x + m.y) * 32.0f * kStep * 60.0f;
    }
    EXPECT_GT(moved, 0.0f);
    EXPECT_NEAR(tile->getPositionX(), expected, 1e-2);
    const CCPoint now = made->getPosition() + camera()->getPosition();
    EXPECT_NEAR(now.x, onScreen.x, 1e-3);
    EXPECT_NEAR(now.y, onScreen.y, 1e-3);

    scene->resetGameField();
    EXPECT_EQ(made->getPosition(), made->initialPosition());
}

}  // namespace
}  // namespace effectstest
