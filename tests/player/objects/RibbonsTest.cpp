// Trails and flags: the points a trail keeps as it moves, its fixed drift,
// its parent's state, a trail without length, and the strips both draw.
#include <algorithm>
#include <cmath>

#include "effects_test_support.h"
#include "model/classes/QVModelEffects.h"
#include "player/objects/QVPObjectAssetTrail.h"

namespace effectstest {
namespace {

class Ribbons : public EffectsTest {
protected:
    Ribbons() {
        gameLayer = cocos2d::CCNode::create();
        gameLayer->retain();
    }
    ~Ribbons() override {
        gameLayer->removeAllChildrenWithCleanup(true);
        gameLayer->release();
    }
    // A trail at (0, 0) in the game layer after its first update.
    QVPObjectAssetTrail* trail(const ff::RibbonValues& values, cocos2d::CCNode* parent = nullptr) {
        auto* made = static_cast<QVPObjectAssetTrail*>(QVPObjectAssetTrail::build(ff::trailPlacement({0, 0}, values)));
        (parent ? parent : gameLayer)->addChild(made);
        made->release();
        made->setGameLayer(gameLayer);
        made->createBody(nullptr, false);
        made->update(kStep);
        return made;
    }
    QVPObjectAssetFlag* flag(const ff::RibbonValues& values) {
        auto* made = static_cast<QVPObjectAssetFlag*>(QVPObjectAssetFlag::build(ff::flagPlacement({0, 0}, values)));
        gameLayer->addChild(made);
        made->release();
        made->setGameLayer(gameLayer);
        return made;
    }
    // Moves by `dx` along x, then updates.
    static void move(QVPObjectAssetTrail* made, float dx) {
        made->setPositionX(made->getPositionX() + dx);
        made->update(kStep);
    }

    cocos2d::CCNode* gameLayer = nullptr;
};

using Trail = Ribbons;
using Flag = Ribbons;

// A trail gains points one update after a move longer than "Length" / 40,
// at most 31 per move and never more than 39 in all; the head always
// follows the node.
TEST_F(Trail, PointsFollowTheMoves) {
    const struct {
        const char* name;
        std::vector<float> moves;
        int count;
    } rows[] = {
        {"shorter than a step", {4}, 2},
        {"two steps and a bit", {12}, 3},
        {"a long jump", {1000}, 33},
        {"two long jumps", {1000, 1000}, 39},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAssetTrail* made = trail({});
        for (float dx : row.moves) move(made, dx);
        move(made, 0.0f);
        EXPECT_EQ(made->pointCount(), row.count);
        EXPECT_EQ(made->point(0), made->getPosition());
    }
}

// A trail inside an animation gets its body before the animation is placed
// (made unparented at the origin, then put into a parent far away): its
// first update starts every point at the head, so the first strips lie
// around the node and never reach back to where the body was made.
TEST_F(Trail, FirstFramesStayAtTheHeadWhereverTheBodyWasMade) {
    writeEffectTexture("trailMap.png");
    const struct {
        const char* name;
        CCPoint parentAt;
        bool bodyFirst;
    } rows[] = {
        {"body made before placing", {600, 300}, true},
        {"body made after placing", {600, 300}, false},
        {"parent at the origin", {0, 0}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto* made = static_cast<QVPObjectAssetTrail*>(QVPObjectAssetTrail::build(ff::trailPlacement({0, 0}, {})));
        made->setGameLayer(gameLayer);
        if (row.bodyFirst) made->createBody(nullptr, false);
        auto* parent = cocos2d::CCNode::create();
        parent->setPosition(row.parentAt);
        gameLayer->addChild(parent);
        parent->addChild(made);
        made->release();
        if (!row.bodyFirst) made->createBody(nullptr, false);
        for (int frame = 0; frame < 3; ++frame) {
            SCOPED_TRACE(frame);
            made->update(kStep);
            for (int i = 0; i < made->pointCount(); ++i) EXPECT_EQ(made->point(i), row.parentAt) << i;
            draws.clear();
            made->draw();
            ASSERT_EQ(draws.size(), 1u);
            for (const auto& v : draws[0].vertices) {
                EXPECT_LE(std::hypot(v.x - row.parentAt.x, v.y - row.parentAt.y), 20.0f);
            }
        }
    }
}

// A restarted trail forgets its path: after its node jumped far away, the
// next update puts every point at the new head instead of streaking there.
TEST_F(Trail, RestartDropsThePathAcrossAJump) {
    writeEffectTexture("trailMap.png");
    for (const bool restarted : {false, true}) {
        SCOPED_TRACE(restarted);
        QVPObjectAssetTrail* made = trail({});
        for (int frame = 0; frame < 5; ++frame) move(made, 11.0f);
        ASSERT_GT(made->pointCount(), 2);
        made->setPosition(CCPoint(5000, 300));
        if (restarted) made->restart();
        made->update(kStep);
        made->update(kStep);
        float farthest = 0.0f;
        for (int i = 0; i < made->pointCount(); ++i) {
            farthest = std::max(farthest, made->point(i).getDistance(made->getPosition()));
        }
        if (restarted) {
            EXPECT_EQ(made->pointCount(), 2);
            EXPECT_EQ(farthest, 0.0f);
        } else {
            EXPECT_GT(farthest, 1000.0f);
        }
    }
}

// Every point but the head drifts by "Speed" x 0.0166 a frame across the
// node's rotation, whatever the frame time.
TEST_F(Trail, DriftIsAFixedStepPerFrame) {
    const struct {
        float rotation, dt;
        CCPoint drift;
    } rows[] = {{0, kStep, {1.66f, 0}}, {0, 0.1f, {1.66f, 0}}, {90, kStep, {0, -1.66f}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rotation);
        ff::RibbonValues values;
        values.speed = 100.0f;
        values.length = 4000.0f;
        QVPObjectAssetTrail* made = trail(values);
        made->setRotation(row.rotation);
        move(made, 300.0f);
        move(made, 0.0f);
        const CCPoint before = made->point(2);
        made->update(row.dt);
        ASSERT_EQ(made->pointCount(), 3);
        EXPECT_NEAR(made->point(2).x - before.x, row.drift.x, 1e-4);
        EXPECT_NEAR(made->point(2).y - before.y, row.drift.y, 1e-4);
    }
}

// Inside an animation (movement disabled) a trail takes its parent's state
// and is not drawn while dying or finished.
TEST_F(Trail, CopiesItsParentsStateInsideAnAnimation) {
    writeEffectTexture("trailMap.png");
    const struct {
        const char* name;
        bool disabled;
        int32_t parentState, state;
        bool drawn;
    } rows[] = {
        {"moving", true, QVPObject::kStateMoving, QVPObject::kStateMoving, true},
        {"dying", true, QVPObject::kStateDying, QVPObject::kStateDying, false},
        {"finished", true, QVPObject::kStateFinished, QVPObject::kStateFinished, false},
        {"free trail", false, QVPObject::kStateDying, QVPObject::kStateIdle, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto* parent = new QVPObject(nullptr);
        gameLayer->addChild(parent);
        parent->release();
        QVPObjectAssetTrail* made = trail({}, parent);
        made->setMovementDisabled(row.disabled);
        move(made, 12.0f);
        move(made, 0.0f);
        parent->setState(row.parentState);
        made->update(kStep);
        EXPECT_EQ(made->getState(), row.state);
        draws.clear();
        made->draw();
        EXPECT_EQ(draws.size(), row.drawn ? 1u : 0u);
    }
}

// A "Length" that is not a positive number would divide by zero: such a
// trail keeps only its head and draws nothing.
TEST_F(Trail, ZeroLengthAddsNothing) {
    writeEffectTexture("trailMap.png");
    for (float length : {0.0f, -10.0f}) {
        SCOPED_TRACE(length);
        ff::RibbonValues values;
        values.length = length;
        QVPObjectAssetTrail* made = trail(values);
        move(made, 1000.0f);
        move(made, 1000.0f);
        EXPECT_EQ(made->pointCount(), 2);
        EXPECT_EQ(made->point(0), made->getPosition());
        draws.clear();
        made->draw();
        EXPECT_TRUE(draws.empty());
    }
}

// The strip has two vertices per point but the last, "Start Width" to "End
// Width" either side of each point, with texture rows 0 and 1.
TEST_F(Trail, DrawsATaperingStrip) {
    writeEffectTexture("trailMap.png");
    ff::RibbonValues values;
    values.startWidth = 12.0f;
    values.endWidth = 4.0f;
    QVPObjectAssetTrail* made = trail(values);
    for (int frame = 0; frame < 12; ++frame) move(made, 11.0f);
    made->draw();
    ASSERT_EQ(draws.size(), 1u);
    const effects::EffectDraw& draw = draws[0];
    EXPECT_EQ(draw.mode, static_cast<GLenum>(GL_TRIANGLE_STRIP));
    ASSERT_EQ(static_cast<int>(draw.vertices.size()), made->pointCount() * 2 - 2);
    EXPECT_EQ(draw.color[0], 1.0f);
    EXPECT_EQ(draw.color[3], 1.0f);
    const float f = (5.0f - made->point(0).getDistance(made->point(1))) / 5.0f;
    for (size_t i = 0; 2 * i < draw.vertices.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& a = draw.vertices[2 * i];
        const auto& b = draw.vertices[2 * i + 1];
        const float t = static_cast<float>(i) / 39.0f - f * 0.025f;
        EXPECT_NEAR(draw.texCoords[2 * i].u, t, 1e-5);
        EXPECT_EQ(draw.texCoords[2 * i].v, 0.0f);
        EXPECT_EQ(draw.texCoords[2 * i + 1].v, 1.0f);
        EXPECT_NEAR((a.x + b.x) * 0.5f, made->point(static_cast<int>(i)).x, 1e-3);
        EXPECT_NEAR((a.y + b.y) * 0.5f, made->point(static_cast<int>(i)).y, 1e-3);
        EXPECT_NEAR(std::hypot(a.x - b.x, a.y - b.y), 2.0f * (12.0f * (1.0f - t) + 4.0f * t), 1e-3);
    }
}

// The wave is 0 at the pole and grows linearly along the strip, which ends
// at "Length" x 0.95; the phase moves by -"Speed" x dt x 0.001 per update.
TEST_F(Flag, WaveGrowsFromThePole) {
    writeEffectTexture("flagMap.png");
    ff::RibbonValues values;
    values.startWidth = 20.0f;
    values.endWidth = 10.0f;
    values.length = 300.0f;
    values.waveHeight = 10.0f;
    values.speed = 100.0f;
    QVPObjectAssetFlag* made = flag(values);
    for (float dt : {kStep, 0.1f}) {
        const float before = made->phase();
        made->update(dt);
        EXPECT_NEAR(made->phase() - before, -100.0f * dt * 0.001f, 1e-6);
    }
    made->draw();
    ASSERT_EQ(draws.size(), 1u);
    const effects::EffectDraw& draw = draws[0];
    ASSERT_EQ(draw.vertices.size(), 40u);
    for (size_t i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        const float t = static_cast<float>(i) / 20.0f;
        const auto& a = draw.vertices[2 * i];
        const auto& b = draw.vertices[2 * i + 1];
        EXPECT_FLOAT_EQ(a.x, 300.0f * t);
        EXPECT_NEAR((a.y + b.y) * 0.5f, std::sin(made->phase() * 10.0f + t) * 10.0f * t, 1e-4);
        EXPECT_NEAR(a.y - b.y, 2.0f * (20.0f * (1.0f - t) + 10.0f * t), 1e-4);
    }
    EXPECT_FLOAT_EQ(draw.vertices[39].x, 285.0f);
}

// Without "Texture" and without the effect file neither ribbon draws; the
// missing file is logged once per object class.
TEST_F(Flag, MissingTextureDrawsNothing) {
    LogCapture::lines().clear();
    QVPObjectAssetTrail* first = trail({});
    trail({});
    QVPObjectAssetFlag* flagged = flag({});
    flag({});
    move(first, 100.0f);
    move(first, 0.0f);
    first->draw();
    flagged->draw();
    EXPECT_TRUE(draws.empty());
    EXPECT_EQ(fieldtest::linesWith("[QVPObjectAssetTrail] missing texture /fx/trailMap.png"), 1);
    EXPECT_EQ(fieldtest::linesWith("[QVPObjectAssetFlag] missing texture /fx/flagMap.png"), 1);
}

}  // namespace
}  // namespace effectstest
