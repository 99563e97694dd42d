// Logic objects and paths: the trigger's emptiness readers and asset id, the
// instance's reference (one reference entry per attribute, whatever is read
// again), and the path's points through packs and dictionaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "../pack_keys.h"
#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/core/QVModelController.h"

using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCPoint;
using cocos2d::CCString;

namespace {

class LogicTest : public ::testing::Test {
protected:
    void TearDown() override {
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
};

CCDictionary* textDict(std::initializer_list<std::pair<const char*, const char*>> entries) {
    CCDictionary* dict = CCDictionary::create();
    for (const auto& entry : entries) dict->setObject(CCString::create(entry.second), entry.first);
    return dict;
}

size_t entriesOf(const std::shared_ptr<QVModel>& target, const QVBaseAttribute* attribute) {
    const std::vector<QVBaseAttribute*> references = target->references();
    return static_cast<size_t>(std::count(references.begin(), references.end(), attribute));
}

TEST_F(LogicTest, ModifiersAreEmptyUntilSetPerAxis) {
    auto logic = QVModelObjectLogic::create();
    EXPECT_TRUE(logic->worldSpace());
    EXPECT_FALSE(logic->hasPositionModifierX() || logic->hasPositionModifierY() || logic->hasRotationModifier() ||
                 logic->hasScaleModifierX() || logic->hasScaleModifierY() || logic->hasLinearVelocityModifier() ||
                 logic->hasAngularVelocityModifier());

    using Reader = bool (QVBaseModelObjectLogic::*)() const;
    struct Case {
        const char* attribute;
        Reader x, y;
        const char* xEmpty;
        const char* yEmpty;
        bool hasX, hasY;
    };
    const std::vector<Case> cases{{"Position Modifier", &QVBaseModelObjectLogic::hasPositionModifierX,
                                   &QVBaseModelObjectLogic::hasPositionModifierY, "0", "1", true, false},
                                  {"Scale Modifier", &QVBaseModelObjectLogic::hasScaleModifierX,
                                   &QVBaseModelObjectLogic::hasScaleModifierY, "1", "0", false, true},
                                  {"Linear Velocity Modifier", &QVBaseModelObjectLogic::hasLinearVelocityModifierX,
                                   &QVBaseModelObjectLogic::hasLinearVelocityModifierY, "1", "0", false, true},
                                  {"Linear Velocity Modifier", &QVBaseModelObjectLogic::hasLinearVelocityModifierX,
                                   &QVBaseModelObjectLogic::hasLinearVelocityModifierY, "1", "1", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.attribute) + " " + c.xEmpty + c.yEmpty);
        auto model = QVModelObjectLogic::create();
        model->attribute(c.attribute)->valueFromDictionary(textDict({{"isXEmpty", c.xEmpty}, {"isYEmpty", c.yEmpty}}));
        EXPECT_EQ(((*model).*c.x)(), c.hasX);
        EXPECT_EQ(((*model).*c.y)(), c.hasY);
        if (std::string(c.attribute) == "Linear Velocity Modifier") {
            EXPECT_EQ(model->hasLinearVelocityModifier(), c.hasX || c.hasY);
        }
    }

    // A float modifier counts once its empty mark is gone.
    static_cast<QVAttributeFloat*>(logic->attribute("Rotation Modifier"))->setEmpty(false);
    EXPECT_TRUE(logic->hasRotationModifier());
    EXPECT_FALSE(logic->hasAngularVelocityModifier());
}

TEST_F(LogicTest, IdsInTextReadAsUnsignedDecimals) {
    auto logic = QVModelObjectLogic::create();
    auto path = QVModelObjectPath::create();
    auto* affected = static_cast<QVAttributeStringList*>(logic->attribute("Affected asset"));
    auto* objectAsset = static_cast<QVAttributeStringList*>(path->attribute("Object Asset"));
    struct Case {
        const char* text;
        uint32_t expected;
    };
    for (const Case& c : std::vector<Case>{{"42", 42},
                                           {" 42abc", 42},
                                           {"abc", 0},
                                           {"", 0},
                                           {"4000000000", 4000000000u},
                                           {"99999999999", 4294967295u}}) {
        SCOPED_TRACE(c.text);
        affected->setValue(c.text, true);
        objectAsset->setValue(c.text, true);
        EXPECT_EQ(logic->affectedAssetId(), c.expected);
        EXPECT_EQ(path->objectAssetId(), c.expected);
    }
}

TEST_F(LogicTest, InstanceLinksOnceSharesInClonesAndForwards) {
    QVModelController* controller = QVModelController::shared();
    auto unit = QVModelObjectAssetUnit::create();
    auto plain = QVModelObject::create();
    controller->addModel(unit);
    controller->addModel(plain);
    unit->setSpawnerEnabled(true);
    unit->setSpawnRate(2.5f);

    auto source = QVModelObjectInstance::create();
    EXPECT_FALSE(source->hasSpawner());
    EXPECT_FLOAT_EQ(source->spawnRate(), 0.0f);
    EXPECT_FALSE(source->visualModel());
    source->referenceAttribute()->setModel(unit);
    classtest::installKeysOf({source.get()});
    msgpack::zone zone;
    const QVPackMap links = classtest::readBack(zone, [&](QVPackMap& map) { source->packConnections(map); });

    auto reader = QVModelObjectInstance::create();
    reader->unpackConnections(links);
    reader->unpackConnections(links);
    EXPECT_EQ(reader->reference(), unit);
    EXPECT_EQ(entriesOf(unit, reader->referenceAttribute()), 1u);
    EXPECT_TRUE(reader->hasSpawner());
    EXPECT_FLOAT_EQ(reader->spawnRate(), 2.5f);

    auto copy = std::static_pointer_cast<QVModelObjectInstance>(reader->clone(false, false));
    EXPECT_EQ(copy->reference(), unit);
    EXPECT_EQ(entriesOf(unit, copy->referenceAttribute()), 1u);
    EXPECT_EQ(entriesOf(unit, reader->referenceAttribute()), 1u);

    // An id of a model that is no object asset empties the reference.
    QVPackMap entry(zone), other(zone);
    entry.put("value", plain->id());
    other.put("Reference", entry);
    reader->unpackConnections(QVPackMap(other.toObject(zone)));
    EXPECT_FALSE(reader->reference());
    EXPECT_EQ(entriesOf(unit, reader->referenceAttribute()), 0u);
    EXPECT_FALSE(reader->hasSpawner());
}

TEST_F(LogicTest, PathPointsReplaceFromPacksAndAppendFromDictionaries) {
    auto path = QVModelObjectPath::create();
    auto* force = static_cast<QVAttributeFloat*>(path->attribute("Attraction Force"));
    force->setValue(150.0f);
    EXPECT_FLOAT_EQ(path->attractionForce(), 100.0f);
    force->setValue(-5.0f);
    EXPECT_FLOAT_EQ(path->attractionForce(), 0.0f);

    CCArray* points = CCArray::create();
    for (const char* text : {"{1,1}", "{2,2}", "{3,3}"}) points->addObject(CCString::create(text));
    CCDictionary* three = CCDictionary::create();
    three->setObject(points, "points");
    path->fromDictionary(three);
    path->fromDictionary(three);
    ASSERT_EQ(path->points().size(), 6u);
    EXPECT_FLOAT_EQ(path->points()[5].x, 3.0f);

    auto twoPoints = QVModelObjectPath::create();
    twoPoints->fromDictionary(textDict({}));
    EXPECT_TRUE(twoPoints->points().empty());
    CCArray* two = CCArray::create();
    two->addObject(CCString::create("{0,0}"));
    two->addObject(CCString::create("{10.5,2}"));
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(two, "points");
    twoPoints->fromDictionary(dict);
    auto* written = dynamic_cast<CCArray*>(twoPoints->toDictionary()->objectForKey("points"));
    ASSERT_TRUE(written);
    ASSERT_EQ(written->count(), 2u);
    EXPECT_STREQ(static_cast<CCString*>(written->objectAtIndex(0))->getCString(), "{0.000,0.000}");
    EXPECT_STREQ(static_cast<CCString*>(written->objectAtIndex(1))->getCString(), "{10.500,2.000}");

    classtest::installKeysOf({path.get()});
    msgpack::zone zone;
    const QVPackMap packed = classtest::readBack(zone, [&](QVPackMap& map) { twoPoints->pack(map); });
    path->unpack(packed);
    EXPECT_EQ(path->points(), twoPoints->points());
    auto copy = std::static_pointer_cast<QVModelObjectPath>(path->clone(false, false));
    EXPECT_EQ(copy->points(), twoPoints->points());

    // Each point must be a pair of numbers.
    for (int shape = 0; shape < 2; ++shape) {
        SCOPED_TRACE(shape);
        QVPackMap bad(zone);
        if (shape == 0) {
            bad.put("points", 7.0f);
        } else {
            bad.put("points", std::vector<std::uint32_t>{1, 2});
        }
        EXPECT_THROW(path->unpack(QVPackMap(bad.toObject(zone))), msgpack::type_error);
    }
    EXPECT_EQ(path->points().size(), 2u);
}

}  // namespace
