// The object factory's rows and the group's depth sorting.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/CCArray.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectGroup.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "objects_test_support.h"
#include "platform/RandomAndClock.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectFactory.h"
#include "player/objects/QVPObjectGroup.h"

using cocos2d::CCNode;
using cocos2d::CCPoint;

namespace {

// A unit placement of a class of its own: no row takes it.
class DerivedUnit : public QVModelObjectAssetUnit {
    QV_MODEL_GLUE(DerivedUnit, "", QVModelObjectAssetUnit, QVModelObjectAsset, QVModelObject, QVModelCompound, QVModel)
public:
    explicit DerivedUnit(const std::string& name) : QVModelObjectAssetUnit(name) {}
    DerivedUnit(const DerivedUnit& source) : QVModelObjectAssetUnit(source) {}
};

std::vector<std::shared_ptr<QVModelObject>>& built() {
    static std::vector<std::shared_ptr<QVModelObject>> models;
    return models;
}
// Records the model it builds from.
template <class Object>
QVPObjectAsset* recording(const std::shared_ptr<QVModelObject>& model) {
    built().push_back(model);
    return new Object(model);
}

class FactoryTest : public objectstest::ObjectsTest {
protected:
    FactoryTest() { built().clear(); }
    static void drain() { cocos2d::CCPoolManager::sharedPoolManager()->finalize(); }
};

TEST_F(FactoryTest, RowsMatchExactClassesOnly) {
    fieldfixtures::FieldFixtures fixtures;
    auto crate = fieldfixtures::obstacleAsset("Crate", 40, 40);
    auto derived = std::make_shared<DerivedUnit>("derived");
    derived->setAsset(crate);
    EXPECT_EQ(QVPObjectAsset::create(derived), nullptr);
    EXPECT_EQ(QVPObjectAsset::create(QVModelObject::create()), nullptr);
    EXPECT_EQ(QVPObjectAsset::create(nullptr), nullptr);
    auto onHero = QVModelObjectAssetUnit::create();  // a unit needs an obstacle asset
    onHero->setAsset(fieldfixtures::characterAsset("Hero", 40, 40));
    EXPECT_EQ(QVPObjectAsset::create(onHero), nullptr);
    QVPObjectAsset* unit = QVPObjectAsset::create(fieldfixtures::unitPlacement(crate, CCPoint(5, 6)));
    ASSERT_NE(dynamic_cast<fieldfixtures::FixtureBody*>(unit), nullptr);
    EXPECT_EQ(unit->getPosition(), CCPoint(5, 6));
}

TEST_F(FactoryTest, InstanceUsesItsOwnTransformAndThePoolDrainsCleanly) {
    setObjectBuilder(QVPObjectRow::Powerup, &recording<QVPObjectAsset>);
    auto asset = QVModelAssetPowerup::create();
    QVModelController::shared()->addModel(asset);
    static_cast<QVAttributeFloat*>(asset->attribute("Appearance Chance"))->setValue(100.0f);
    auto powerup = QVModelObjectAssetPowerup::create();
    powerup->setAsset(asset);
    powerup->setPosition(CCPoint(1, 2));
    auto instance = QVModelObjectInstance::create();
    instance->referenceAttribute()->setModel(powerup);
    instance->setPosition(CCPoint(300, 40));
    instance->setScale(CCPoint(2, 3));
    static_cast<QVAttributeFloat*>(instance->attribute("Rotation"))->setValue(45.0f);

    const int64_t live = QVPObject::liveCount();
    QVPObjectAsset* object = QVPObjectAsset::create(instance);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(built(), std::vector<std::shared_ptr<QVModelObject>>{powerup});
    EXPECT_EQ(object->getPosition(), CCPoint(300, 40));
    EXPECT_FLOAT_EQ(object->getRotation(), 45.0f);
    EXPECT_FLOAT_EQ(object->getScaleX(), 2.0f);
    EXPECT_FLOAT_EQ(object->getScaleY(), 3.0f);
    EXPECT_EQ(object->retainCount(), 1u);
    drain();
    EXPECT_EQ(QVPObject::liveCount(), live);

    instance->referenceAttribute()->setModel(nullptr);
    EXPECT_EQ(QVPObjectAsset::create(instance), nullptr);
}

TEST_F(FactoryTest, RowsWithoutBuilderLogOncePerClassAndGiveNull) {
    LogCapture log;
    auto crate = fieldfixtures::obstacleAsset("Crate", 40, 40);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QVPObjectAsset::create(fieldfixtures::unitPlacement(crate, CCPoint())), nullptr);
        EXPECT_EQ(QVPObjectAsset::create(QVModelObjectLight::create()), nullptr);
    }
    for (const char* line : {"[QVPObjectAsset] no builder installed for QVModelObjectAssetUnit",
                             "[QVPObjectAsset] no builder installed for QVModelObjectLight"}) {
        EXPECT_EQ(std::count(log.all().begin(), log.all().end(), line), 1) << line;
    }
}

TEST_F(FactoryTest, CharacterSelection) {
    setObjectBuilder(QVPObjectRow::Character, &recording<QVPObjectAssetCharacter>);
    auto first = fieldfixtures::characterAsset("First", 40, 40);
    auto second = fieldfixtures::characterAsset("Second", 40, 40);
    auto broken = fieldfixtures::characterAsset("Broken", 0, 0);
    for (auto shape = broken->collisionShape(); !shape->isEmpty();) shape->removePoint(0, true);
    struct Row {
        const char* name;
        int selected;
        std::shared_ptr<QVModelAssetCharacter> placedAsset;
        bool created;
        std::shared_ptr<QVModelAssetCharacter> builtAsset;
        bool placedItself;  // the placed model, not a copy
    };
    const Row rows[] = {
        {"the placed character selected", 0, first, true, first, false},
        {"another selected: a clone", 1, first, true, second, false},
        {"selected without a usable shape", 2, first, false, nullptr, false},
        {"past the list", 3, second, true, second, true},
        {"below the list", -1, second, true, second, true},
        {"past the list, placed without a shape", 7, broken, false, nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LogCapture log;
        built().clear();
        QVPInputController::destroy();
        QVPSettingsController::shared()->setSelectedCharacter(row.selected);
        auto placed = fieldfixtures::characterPlacement(row.placedAsset, CCPoint(10, 20));
        const size_t registeredCharacters =
            QVModelController::shared()->getModels<QVModelObjectAssetCharacter>().size();
        QVPObjectAsset* object = QVPObjectAsset::create(placed);
        EXPECT_EQ(object != nullptr, row.created);
        EXPECT_EQ(QVPInputController::shared()->getCharacters()->count(), row.created ? 1u : 0u);
        EXPECT_EQ(LogCapture::has("character created"), row.created);
        EXPECT_EQ(QVModelController::shared()->getModels<QVModelObjectAssetCharacter>().size(), registeredCharacters);
        if (!object) continue;
        auto model = modelCast<QVModelObjectAssetCharacter>(object->getModel());
        ASSERT_TRUE(model);
        EXPECT_EQ(model->assetCharacter(), row.builtAsset);
        EXPECT_EQ(model == placed, row.placedItself);
        EXPECT_EQ(placed->assetCharacter(), row.placedAsset);  // the placed model is never changed
        EXPECT_EQ(object->getPosition(), CCPoint(10, 20));
    }
    QVPInputController::destroy();
}

TEST_F(FactoryTest, AppearanceChanceDrawsAsStoredGamesExpect) {
    setObjectBuilder(QVPObjectRow::Powerup, &recording<QVPObjectAsset>);
    auto asset = QVModelAssetPowerup::create();
    QVModelController::shared()->addModel(asset);
    auto powerup = QVModelObjectAssetPowerup::create();
    powerup->setAsset(asset);
    auto chance = static_cast<QVAttributeFloat*>(asset->attribute("Appearance Chance"));
    bool sawZero = false;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        for (float c : {0.0f, 50.0f, 50.9f, 100.0f, 250.0f}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " chance " << c);
            chance->setValue(c);
            compat::srand(seed);
            const int first = compat::rand();
            const int next = compat::rand();
            compat::srand(seed);
            const bool created = QVPObjectAsset::create(powerup) != nullptr;
            EXPECT_EQ(created, c >= 100.0f || first % 100 <= static_cast<int>(c));
            // A sure powerup draws nothing.
            EXPECT_EQ(compat::rand(), c >= 100.0f ? first : next);
            sawZero = sawZero || (c == 0.0f && created);
        }
    }
    EXPECT_TRUE(sawZero);
}

TEST_F(FactoryTest, GroupSortsItsMembersByPosition) {
    struct Row {
        const char* name;
        const char* direction;
        const char* order;
        bool sorting;
        std::vector<CCPoint> positions;
        std::vector<int> zBefore;
        std::vector<int> zAfter;
    };
    const Row rows[] = {
        {"x ascending", "gAxisY", "gSortAsc", true, {{10, 0}, {30, 0}, {20, 0}}, {5, 7, 9}, {7, 5, 6}},
        {"x descending", "gAxisY", "gSortDesc", true, {{10, 0}, {30, 0}, {20, 0}}, {5, 7, 9}, {5, 7, 6}},
        {"gAxisX sorts by y", "gAxisX", "gSortAsc", true, {{10, 3}, {30, 1}, {20, 2}}, {5, 7, 9}, {5, 7, 6}},
        {"equal coordinates: stable", "gAxisY", "gSortAsc", true, {{10, 0}, {10, 0}, {10, 0}}, {9, 7, 5}, {5, 6, 7}},
        {"sorting off", "gAxisY", "gSortAsc", false, {{10, 0}, {30, 0}, {20, 0}}, {5, 7, 9}, {5, 7, 9}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = QVModelObjectGroup::create();
        static_cast<QVAttributeBool*>(model->attribute("Auto Depth Sorting"))->setValue(row.sorting);
        static_cast<QVAttributeStringList*>(model->attribute("Sort Direction"))->setValue(row.direction);
        static_cast<QVAttributeStringList*>(model->attribute("Sort Order"))->setValue(row.order);
        CCNode* layer = CCNode::create();
        QVPObjectGroup* group = QVPObjectGroup::create(model);
        layer->addChild(group, 100);
        group->setGameLayer(layer);
        QVPObject* outsider = new QVPObject(QVModelObject::create());
        layer->addChild(outsider, 1);
        outsider->release();
        std::vector<QVPObject*> members;
        for (size_t i = 0; i < row.positions.size(); ++i) {
            auto member = QVModelObject::create();
            model->addChild(member);
            auto* object = new QVPObject(member);
            object->setPosition(row.positions[i]);
            layer->addChild(object, row.zBefore[i]);
            object->release();
            members.push_back(object);
        }
        group->update(0.0f);
        for (size_t i = 0; i < members.size(); ++i) EXPECT_EQ(members[i]->getZOrder(), row.zAfter[i]) << i;
        EXPECT_EQ(outsider->getZOrder(), 1);
        EXPECT_EQ(group->typeFlags(), QVPObject::kTypeGroup);
    }
}

}  // namespace
