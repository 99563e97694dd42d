// Effect objects: the emitter's derived defaults and readers, the mirror's
// scale clamp (a NaN from a pack included), the particles' emitter list, and
// which objects own their collision box.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "../pack_keys.h"
#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSprite.h"
#include "model/core/QVModelController.h"

using cocos2d::ccColor4F;
using cocos2d::CCPoint;

namespace {

class EffectsTest : public ::testing::Test {
protected:
    void TearDown() override {
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
};

std::vector<QVModelObjectParticlesEmitter*> listed(const QVModelObjectParticles& particles) {
    std::vector<QVModelObjectParticlesEmitter*> out;
    for (const auto& emitter : particles.emitters()) out.push_back(emitter.get());
    return out;
}

// Writes `value` as a pack would, unclamped.
template <class T>
void unpackValue(QVModel& model, const char* attribute, const T& value) {
    classtest::installKeysOf({&model});
    msgpack::zone zone;
    model.attribute(attribute)->unpack(classtest::readBack(zone, [&](QVPackMap& map) { map.put("value", value); }));
}

TEST_F(EffectsTest, EmitterReadersAndTheRateDerivedOnce) {
    auto emitter = QVModelObjectParticlesEmitter::create();
    EXPECT_FLOAT_EQ(emitter->emissionRate(), 50.0f);
    static_cast<QVAttributeFloat*>(emitter->attribute("Total Particles"))->setValue(600.0f);
    EXPECT_FLOAT_EQ(emitter->emissionRate(), 50.0f);

    const float inf = std::numeric_limits<float>::infinity();
    for (const std::pair<float, int>& c : std::vector<std::pair<float, int>>{
             {150.9f, 150}, {-2.5f, -2}, {std::nanf(""), 0}, {inf, INT_MAX}, {-3e9f, INT_MIN}}) {
        SCOPED_TRACE(c.first);
        unpackValue(*emitter, "Total Particles", c.first);
        EXPECT_EQ(emitter->totalParticles(), c.second);
    }

    // Exact keys only: no interpolation, opaque black elsewhere.
    static_cast<QVAttributeGradient*>(emitter->attribute("Color"))->setColor(0.5f, ccColor4F{0.2f, 0.4f, 0.6f, 0.8f});
    auto rgba = [](const ccColor4F& c) { return std::vector<float>{c.r, c.g, c.b, c.a}; };
    EXPECT_EQ(rgba(emitter->color(0.0f)), std::vector<float>({1, 1, 1, 1}));
    EXPECT_EQ(rgba(emitter->color(0.5f)), std::vector<float>({0.2f, 0.4f, 0.6f, 0.8f}));
    EXPECT_EQ(rgba(emitter->color(0.25f)), std::vector<float>({0, 0, 0, 1}));
    EXPECT_EQ(rgba(emitter->colorVariation(1.0f)), std::vector<float>({0, 0, 0, 0}));

    auto* type = static_cast<QVAttributeStringList*>(emitter->attribute("Position Type"));
    for (const std::pair<const char*, int>& c :
         std::vector<std::pair<const char*, int>>{{"kCCPositionTypeRelative", 1},
                                                  {"kCCPositionTypeGrouped", 2},
                                                  {"", 0},
                                                  {"kCCPositionTypeRelative ", 0},
                                                  {"kccpositiontypegrouped", 0},
                                                  {"kCCPositionTypeFree", 0}}) {
        SCOPED_TRACE(c.first);
        type->setValue(c.first, true);
        EXPECT_EQ(emitter->positionType(), c.second);
    }
}

TEST_F(EffectsTest, MirrorClampsANotifiedScaleOnly) {
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        CCPoint set;
        bool silent, stored;  // stored: by a pack, then a notice
        CCPoint expected;
    };
    for (const Case& c : std::vector<Case>{{"negative and too large", {-1, 50}, false, false, {0, 40.96f}},
                                           {"within range", {2, 3}, false, false, {2, 3}},
                                           {"silent", {-1, 50}, true, false, {-1, 50}},
                                           {"stored NaN", {nan, nan}, false, true, {0, 0}},
                                           {"stored NaN and too large", {nan, 41}, false, true, {0, 40.96f}}}) {
        SCOPED_TRACE(c.what);
        auto mirror = QVModelObjectMirror::create();
        auto* scale = static_cast<QVAttributePoint*>(mirror->attribute("Scale"));
        if (c.stored) {
            unpackValue(*mirror, "Scale", c.set);
            scale->valueChanged(QVBaseAttribute::kChangeValue);
        } else {
            scale->setValue(c.set, c.silent);
        }
        EXPECT_FLOAT_EQ(scale->value().x, c.expected.x);
        EXPECT_FLOAT_EQ(scale->value().y, c.expected.y);
    }
    auto mirror = QVModelObjectMirror::create();
    mirror->setPosition(CCPoint(-1.0f, 50.0f));
    EXPECT_FLOAT_EQ(mirror->position(0.0f, 0).x, -1.0f);
    EXPECT_FLOAT_EQ(mirror->color().g, 255.0f);
}

TEST_F(EffectsTest, EmitterListFollowsTheChildren) {
    QVModelController* controller = QVModelController::shared();
    auto particles = QVModelObjectParticles::create();
    auto first = QVModelObjectParticlesEmitter::create();
    auto second = QVModelObjectParticlesEmitter::create();
    auto sprite = QVModelSprite::create();
    auto stranger = QVModelObjectParticlesEmitter::create();
    for (const std::shared_ptr<QVModel>& model :
         std::vector<std::shared_ptr<QVModel>>{particles, first, second, sprite})
        controller->addModel(model);

    particles->addChild(first);
    particles->addChild(sprite);
    particles->addChild(second);
    EXPECT_EQ(listed(*particles), (std::vector<QVModelObjectParticlesEmitter*>{first.get(), second.get()}));
    particles->removeChild(stranger);
    particles->removeChild(sprite);
    EXPECT_EQ(listed(*particles), (std::vector<QVModelObjectParticlesEmitter*>{first.get(), second.get()}));

    // The copy lists the emitters its clone gives it.
    auto copy = std::static_pointer_cast<QVModelObjectParticles>(particles->clone(true, false));
    ASSERT_EQ(copy->emitters().size(), 2u);
    EXPECT_NE(copy->emitters()[0], first);

    // "Emitters" writes nothing; the list comes back with the children.
    classtest::installKeysOf({particles.get(), first.get()});
    msgpack::zone zone;
    const QVPackMap values = classtest::readBack(zone, [&](QVPackMap& map) { particles->pack(map); });
    const QVPackMap links = classtest::readBack(zone, [&](QVPackMap& map) { particles->packConnections(map); });
    EXPECT_EQ(values.find("Emitters"), nullptr);
    EXPECT_EQ(links.find("Emitters"), nullptr);
    auto reloaded = QVModelObjectParticles::create();
    reloaded->unpackConnections(links);
    EXPECT_EQ(listed(*reloaded), (std::vector<QVModelObjectParticlesEmitter*>{first.get(), second.get()}));

    particles->removeChild(first);
    EXPECT_EQ(listed(*particles), std::vector<QVModelObjectParticlesEmitter*>{second.get()});
    particles->removeAllChildren();
    EXPECT_TRUE(particles->emitters().empty());
}

// What each object answers for its shape and placeholder, new and copied.
TEST_F(EffectsTest, OwnShapesAndPlaceholders) {
    enum class InCopy { kNone, kFresh, kShared };
    struct Row {
        const char* className;
        float side;  // of the own box; 0 without one
        float placeholder;
        InCopy inCopy;
    };
    const std::vector<Row> rows{
        {"QVModelObjectBackground", 0.0f, 100.0f, InCopy::kNone},
        {"QVModelObjectFlag", 10.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectTrail", 10.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectLight", 10.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectMirror", 10.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectParticles", 10.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectParticlesEmitter", 0.0f, 30.0f, InCopy::kNone},
        {"QVModelObjectGatekeeper", 60.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectInstance", 0.0f, 100.0f, InCopy::kNone},
        {"QVModelObjectLogic", 60.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectTeleport", 60.0f, 60.0f, InCopy::kShared},
        {"QVModelObjectPath", 0.0f, 30.0f, InCopy::kNone},
        {"QVModelObjectScreenJump", 60.0f, 60.0f, InCopy::kFresh},
        {"QVModelObjectManipulator", 0.0f, 100.0f, InCopy::kNone},
        {"QVModelObjectAccelerometer", 0.0f, 60.0f, InCopy::kNone},
        {"QVModelObjectSwipeControl", 0.0f, 100.0f, InCopy::kNone},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.className);
        auto object = std::dynamic_pointer_cast<QVModelObject>(QVModelController::shared()->createModel(row.className));
        ASSERT_TRUE(object);
        EXPECT_FLOAT_EQ(object->placeholderSize(0.0f).width, row.placeholder);
        EXPECT_FLOAT_EQ(object->placeholderSize(0.0f).height, row.placeholder);
        const std::shared_ptr<QVModelPolygon> shape = object->collisionShape();
        auto copy = std::dynamic_pointer_cast<QVModelObject>(object->clone(false, false));
        ASSERT_TRUE(copy);
        if (row.inCopy == InCopy::kNone) {
            EXPECT_FALSE(shape || copy->collisionShape());
            continue;
        }
        ASSERT_TRUE(shape);
        std::vector<float> corners;  // |x| and |y| of each
        for (const CCPoint& p : shape->points()) corners.insert(corners.end(), {std::fabs(p.x), std::fabs(p.y)});
        EXPECT_EQ(corners, std::vector<float>(8, row.side / 2.0f));
        ASSERT_TRUE(copy->collisionShape());
        if (row.inCopy == InCopy::kShared) {
            EXPECT_EQ(copy->collisionShape(), shape);
        } else {
            EXPECT_NE(copy->collisionShape(), shape);
            EXPECT_EQ(copy->collisionShape()->points(), shape->points());
        }
    }
}

}  // namespace
