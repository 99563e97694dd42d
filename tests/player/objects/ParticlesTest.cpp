// Particles: the emitter attributes on the engine systems, placement in and
// out of the game layer, visibility, z and scale rules, how often the field
// advances them, and the animation object's reset and stop.
#include <functional>
#include <string>
#include <vector>

#include "gl_effects_test_support.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelSprite.h"
#include "particles/CCParticleSystem.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetParticles.h"

namespace {

using namespace gleffectstest;
using cocos2d::CCParticleSystemQuad;
using uitest::attr;

class Particles : public GlEffectsTest {
protected:
    // Sprite 0 as its own image file, as an atlas-excluded sprite is.
    Particles() : texture(spriteContainer(1)) {
        pngtest::writeFile(root.path(texture->sprites()[0]->imagePath()), pngtest::solid(8, 8, 255, 255, 255, 255));
    }
    // A particles object at (100, 50) with one emitter at (10, 20).
    QVPObjectAssetParticles* make(bool withLayer = true) {
        model = ff::particlesPlacement(CCPoint(100, 50));
        emitter = ff::particlesEmitter(model, texture, CCPoint(10, 20));
        auto* made = new QVPObjectAssetParticles(model);
        if (withLayer) return inLayer(made);
        kept.push_back(made);
        return made;
    }
    ~Particles() override {
        for (QVPObject* object : kept) object->release();
    }
    CCParticleSystemQuad* system(QVPObjectAssetParticles* p) const { return p->systemOf(emitter); }

    std::shared_ptr<QVModelSpriteContainer> texture;
    std::shared_ptr<QVModelObjectParticles> model;
    std::shared_ptr<QVModelObjectParticlesEmitter> emitter;
    std::vector<QVPObject*> kept;
};

TEST_F(Particles, EmitterAttributesReachTheSystem) {
    model = ff::particlesPlacement(CCPoint(0, 0));
    emitter = ff::particlesEmitter(model, texture, CCPoint(3, 4));
    const QVModel& e = *emitter;
    auto setVar = [&](const char* name, float value, float variance) {
        attr(e, name)->setValue(value);
        attr(e, name)->setVariableValue(variance);
    };
    attr(e, "Total Particles")->setValue(77.9f);
    attr(e, "Emission Rate")->setValue(12.0f);
    attr<QVAttributeBool>(e, "Blend Additive")->setValue(true);
    attr<QVAttributePoint>(e, "Position")->setVariableValue(CCPoint(5, 6));
    attr(e, "Rotation")->setValue(33.0f);
    attr<QVAttributeInt>(e, "Z Depth")->setValue(7);
    emitter->setScale(CCPoint(2, 3));
    setVar("Start Size", 9, 1);
    setVar("End Size", 11, 2);
    setVar("Start Spin", 13, 3);
    setVar("End Spin", 15, 4);
    attr<QVAttributePoint>(e, "Gravity")->setValue(CCPoint(-1, -2));
    setVar("Radial Acceleration", 17, 5);
    setVar("Speed", 19, 6);
    setVar("Angle", 21, 7);
    setVar("Life", 2, 0.5f);
    attr<QVAttributeGradient>(e, "Color")->setColor(0.0f, cocos2d::ccColor4F{0.1f, 0.2f, 0.3f, 0.4f});
    attr<QVAttributeGradient>(e, "Color Variation")->setColor(1.0f, cocos2d::ccColor4F{0.5f, 0.6f, 0.7f, 0.8f});
    attr<QVAttributeStringList>(e, "Position Type")->setValue(std::string("kCCPositionTypeGrouped"));
    attr<QVAttributeBool>(e, "Hidden")->setValue(true);
    auto* p = new QVPObjectAssetParticles(model);
    kept.push_back(p);
    CCParticleSystemQuad* s = system(p);
    ASSERT_NE(s, nullptr);

    struct Row {
        const char* property;
        float actual, expected;
    };
    const std::vector<Row> rows = {
        {"texture", s->getTexture() == texture->getTexture(0) ? 1.0f : 0.0f, 1},
        {"total particles", static_cast<float>(s->getTotalParticles()), 77},
        {"emission rate", s->getEmissionRate(), 12},
        {"additive", s->isBlendAdditive() ? 1.0f : 0.0f, 1},
        {"position x", s->getPosition().x, 3},
        {"position variance y", s->getPosVar().y, 6},
        {"rotation", s->getRotation(), 33},
        {"z order", static_cast<float>(s->getZOrder()), 7},
        {"scale y", s->getScaleY(), 3},
        {"start size variance", s->getStartSizeVar(), 1},
        {"end size", s->getEndSize(), 11},
        {"start spin", s->getStartSpin(), 13},
        {"end spin variance", s->getEndSpinVar(), 4},
        {"gravity y", s->getGravity().y, -2},
        {"radial acceleration variance", s->getRadialAccelVar(), 5},
        {"speed", s->getSpeed(), 19},
        {"angle variance", s->getAngleVar(), 7},
        {"life variance", s->getLifeVar(), 0.5f},
        {"start colour blue", s->getStartColor().b, 0.3f},
        {"end colour (no key: opaque black) alpha", s->getEndColor().a, 1},
        {"start colour variance (no key) red", s->getStartColorVar().r, 0},
        {"end colour variance green", s->getEndColorVar().g, 0.6f},
        {"position type", static_cast<float>(s->getPositionType()), 2},
        {"visible", s->isVisible() ? 1.0f : 0.0f, 0},
        {"duration", s->getDuration(), -1},
    };
    for (const Row& row : rows) EXPECT_FLOAT_EQ(row.actual, row.expected) << row.property;

    p->setAnimationSpeed(0.0f);
    for (const cocos2d::ccColor4F& c : {s->getStartColor(), s->getEndColor(), s->getEndColorVar()}) {
        EXPECT_EQ(c.r + c.g + c.b + c.a, 0.0f);
    }
}

TEST_F(Particles, EmitterWithoutTextureIsSkippedSilently) {
    model = ff::particlesPlacement(CCPoint(0, 0));
    auto bare = ff::particlesEmitter(model, nullptr);
    emitter = ff::particlesEmitter(model, texture);
    LogCapture::lines().clear();
    auto* p = new QVPObjectAssetParticles(model);
    kept.push_back(p);
    EXPECT_EQ(p->systemCount(), 1u);
    EXPECT_EQ(p->systemOf(bare), nullptr);
    EXPECT_NE(system(p), nullptr);
    EXPECT_TRUE(LogCapture::lines().empty());
}

TEST_F(Particles, SystemsMoveWithTheGameLayerAndLeaveWithTheObject) {
    QVPObjectAssetParticles* p = make(false);
    EXPECT_EQ(system(p)->getParent(), p);
    EXPECT_TRUE(system(p)->getPosition().equals(CCPoint(10, 20)));
    layer->setPosition(CCPoint(-30, 0));
    layer->addChild(p);
    p->setGameLayer(layer);
    EXPECT_EQ(system(p)->getParent(), layer);
    p->update(1.0f / 60.0f);
    EXPECT_TRUE(system(p)->getPosition().equals(CCPoint(110, 70)));  // the emitter in the layer's space
    p->setGameLayer(nullptr);
    EXPECT_EQ(system(p)->getParent(), p);
    p->setGameLayer(layer);
    CCParticleSystemQuad* s = system(p);
    s->retain();
    p->removeFromParent();
    kept.clear();
    p->release();  // the last reference
    EXPECT_EQ(s->getParent(), nullptr);
    EXPECT_EQ(layer->getChildrenCount(), 0u);
    s->release();
}

TEST_F(Particles, HidingStopsEmissionAndShowingRestoresIt) {
    QVPObjectAssetParticles* p = make();
    p->setVisible(false);
    EXPECT_EQ(system(p)->getEmissionRate(), 0.0f);
    p->setVisible(true);
    EXPECT_EQ(system(p)->getEmissionRate(), 100.0f);
}

TEST_F(Particles, ZOrderFollowsTheObjectInTheLayer) {
    for (int own : {0, 3, -2}) {
        SCOPED_TRACE(own);
        QVPObjectAssetParticles* p = make(false);
        layer->addChild(p, own);
        p->setGameLayer(layer);
        p->update(0.0f);
        EXPECT_EQ(system(p)->getZOrder(), own == 0 ? -1 : own);
    }
}

TEST_F(Particles, ScaleCompensatesTheOwnerOutsideTheLayer) {
    struct Row {
        CCPoint owner, expected;
    };
    for (const Row& row : {Row{{2, 2}, {0.5f, 0.5f}}, Row{{0.5f, 0.5f}, {1.5f, 1.5f}}, Row{{-2, 4}, {-0.5f, 0.5f}},
                           Row{{1, 1}, {1, 1}}}) {
        SCOPED_TRACE(row.owner.x);
        auto* owner = cocos2d::CCNode::create();
        owner->setScaleX(row.owner.x);
        owner->setScaleY(row.owner.y);
        layer->addChild(owner);
        QVPObjectAssetParticles* p = make(false);
        owner->addChild(p);
        p->update(0.0f);
        EXPECT_FLOAT_EQ(p->getScaleX(), row.expected.x);
        EXPECT_FLOAT_EQ(p->getScaleY(), row.expected.y);
    }
}

// In the game layer the camera pass and the object's own update both
// advance a system; inside an object its child loop advances it once.
TEST_F(Particles, FieldAdvancesTwicePerTick) {
    model = ff::particlesPlacement(CCPoint(568, 320));
    emitter = ff::particlesEmitter(model, texture);
    auto loose = ff::particlesPlacement(CCPoint(0, 0));
    auto looseEmitter = ff::particlesEmitter(loose, texture);
    runningScene(model);
    auto* p = dynamic_cast<QVPObjectAssetParticles*>(objectOf(model));
    ASSERT_NE(p, nullptr);
    CCParticleSystemQuad* inField = system(p);
    ASSERT_EQ(inField->getParent(), camera());
    auto* alone = new QVPObjectAssetParticles(loose);
    kept.push_back(alone);
    inField->resetSystem();
    for (int i = 0; i < 30; ++i) {
        scene->stepGame(QVPScreenScene::kStep);
        alone->update(QVPScreenScene::kStep);
    }
    // 100 per second, alive for 1 s: 30 ticks are 1 s of field emission.
    EXPECT_NEAR(inField->getParticleCount(), 100u, 3u);
    EXPECT_NEAR(alone->systemOf(looseEmitter)->getParticleCount(), 50u, 3u);
}

TEST_F(Particles, AnimationObjectResetsAndStopsEmitters) {
    auto animation = uitest::registered<QVModelAnimation>();
    animation->setDuration(1.0f);
    model = ff::particlesPlacement(CCPoint(0, 0));
    emitter = ff::particlesEmitter(model, texture);
    animation->addChild(model);
    QVPAnimationObject* object = QVPAnimationObject::create(animation);
    object->retain();
    auto* p = dynamic_cast<QVPObjectAssetParticles*>(object->frameNode(0));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 20; ++i) object->update(1.0f / 60.0f);
    EXPECT_GT(system(p)->getParticleCount(), 0u);
    object->stop();
    EXPECT_FALSE(system(p)->isActive());
    object->restart();
    EXPECT_TRUE(system(p)->isActive());
    EXPECT_EQ(system(p)->getParticleCount(), 0u);
    // A run that does not loop stops its emitters at its end.
    animation->setLoop(false);
    for (int i = 0; i < 70; ++i) object->update(1.0f / 60.0f);
    EXPECT_FALSE(system(p)->isActive());
    object->release();
}

}  // namespace
