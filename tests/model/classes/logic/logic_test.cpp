// Logic objects and paths: the trigger's emptiness readers and asset id, the
// instance's reference (one reference entry per attribute, whatever is read
// again), and the path's points through packs and dictionaries.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

// Each reader in order: position x, y, rotation, scale x, y, linear velocity
// (either axis), its x, y, angular velocity.
std::vector<bool> modifiersOf(const QVModelObjectLogic& l) {
    return {l.hasPositionModifierX(),       l.hasPositionModifierY(),       l.hasRotationModifier(),
            l.hasScaleModifierX(),          l.hasScaleModifierY(),          l.hasLinearVelocityModifier(),
            l.hasLinearVelocityModifierX(), l.hasLinearVelocityModifierY(), l.hasAngularVelocityModifier()};
}

TEST_F(LogicTest, ModifiersAreEmptyUntilSetPerAxis) {
    auto logic = QVModelObjectLogic::create();
    EXPECT_TRUE(logic->worldSpace());
    EXPECT_EQ(modifiersOf(*logic), std::vector<bool>(9, false));

    logic->attribute("Position Modifier")->valueFromDictionary(textDict({{"isXEmpty", "0"}, {"isYEmpty", "1"}}));
    logic->attribute("Scale Modifier")->valueFromDictionary(textDict({{"isXEmpty", "1"}, {"isYEmpty", "0"}}));
    logic->attribute("Linear Velocity Modifier")->valueFromDictionary(textDict({{"isXEmpty", "1"}, {"isYEmpty", "0"}}));
    static_cast<QVAttributeFloat*>(logic->attribute("Rotation Modifier"))->setEmpty(false);
    EXPECT_EQ(modifiersOf(*logic), (std::vector<bool>{true, false, true, false, true, true, false, true, false}));
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

    auto pointsDict = [](std::initializer_list<const char*> texts) {
        CCArray* points = CCArray::create();
        for (const char* text : texts) points->addObject(CCString::create(text));
        CCDictionary* dict = CCDictionary::create();
        dict->setObject(points, "points");
        return dict;
    };
    path->fromDictionary(pointsDict({"{1,1}", "{2,2}", "{3,3}"}));
    path->fromDictionary(pointsDict({"{1,1}", "{2,2}", "{3,3}"}));
    ASSERT_EQ(path->points().size(), 6u);
    EXPECT_FLOAT_EQ(path->points()[5].x, 3.0f);

    auto twoPoints = QVModelObjectPath::create();
    twoPoints->fromDictionary(pointsDict({"{0,0}", "{10.5,2}"}));
    auto* written = dynamic_cast<CCArray*>(twoPoints->toDictionary()->objectForKey("points"));
    ASSERT_TRUE(written && written->count() == 2u);
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
    for (const std::function<void(QVPackMap&)>& write :
         {std::function<void(QVPackMap&)>([](QVPackMap& map) { map.put("points", 7.0f); }),
          std::function<void(QVPackMap&)>([](QVPackMap& map) {
              map.put("points", std::vector<std::uint32_t>{1, 2});
          })}) {
        EXPECT_THROW(path->unpack(classtest::readBack(zone, write)), msgpack::type_error);
    }
    EXPECT_EQ(path->points().size(), 2u);
}

}  // namespace
