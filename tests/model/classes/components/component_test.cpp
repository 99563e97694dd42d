// Behaviour components: the jump and move default shapes and what a
// connection read does with them, change notifications, ids in text, the
// spawner's random rate and integer readings of stored floats.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "../pack_keys.h"
#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelListener.h"
#include "platform/RandomAndClock.h"

namespace {

class ComponentsTest : public ::testing::Test {
protected:
    void SetUp() override { controller()->clear(); }
    void TearDown() override {
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
};

TEST_F(ComponentsTest, MoveStartsWithoutVelocitiesUntilTheyMayNotBeEmpty) {
    auto move = QVModelComponentMove::create();
    EXPECT_FALSE(move->hasLinearVelocityX() || move->hasLinearVelocityY() || move->hasAngularVelocity());
    move->linearVelocityAttribute()->setEmptyAllowed(false, true);
    move->angularVelocityAttribute()->setAllowEmpty(false);
    EXPECT_TRUE(move->hasLinearVelocityX() && move->hasLinearVelocityY() && move->hasAngularVelocity());
}

// As a load does it: the component is registered with its own empty
// polygon, then its connections name a shape.
TEST_F(ComponentsTest, AConnectionThatNamesAnotherShapeDropsTheDefault) {
    enum Names { kOther, kDefault, kNothing };
    struct Row {
        const char* what;
        bool move, fromPack;
        Names names;
        bool colliding;
    };
    for (const Row& row :
         {Row{"jump, pack", false, true, kOther, false}, Row{"jump, dictionary", false, false, kOther, false},
          Row{"move, pack", true, true, kOther, false}, Row{"move, dictionary", true, false, kOther, false},
          Row{"the default itself", false, true, kDefault, false}, Row{"no shape entry", true, true, kNothing, false},
          Row{"another model under the default's id", false, true, kOther, true}}) {
        SCOPED_TRACE(row.what);
        controller()->clear();
        std::shared_ptr<QVModelComponent> component;
        if (row.move) component = QVModelComponentMove::create();
        if (!row.move) component = QVModelComponentIsoJump::create();
        auto* shape = attributeCast<QVAttributeShape>(component->attribute("Collision Shape"));
        const std::shared_ptr<QVModelPolygon> original = shape->model();
        ASSERT_TRUE(original && original->type() == typeId<QVModelPolygon>() && original->isEmpty());
        std::shared_ptr<QVModelPolygon> colliding = QVModelPolygon::create();
        if (row.colliding) {  // the default unregistered, its id held by another model
            colliding->setId(original->id());
            controller()->addModel(colliding);
        } else {
            controller()->addModel(component);
            ASSERT_EQ(controller()->getModel(original->id()), original);
        }
        auto other = QVModelPolygon::create();
        controller()->addModel(other);

        // The connections of a copy that links what the row names.
        std::shared_ptr<QVModel> source = component->clone(false, false);
        auto* sourceShape = attributeCast<QVAttributeShape>(source->attribute("Collision Shape"));
        if (row.names == kOther) sourceShape->setModel(other);
        if (row.names == kDefault) sourceShape->setModel(original);
        if (row.names == kNothing) source->removeAttribute(sourceShape);
        classtest::installKeysOf({source.get()});
        msgpack::zone zone;
        if (row.fromPack) {
            component->unpackConnections(classtest::readBack(zone, [&](QVPackMap& m) { source->packConnections(m); }));
        } else {
            component->connectionsFromDictionary(source->connectionsToDictionary());
        }
        EXPECT_EQ(shape->model(), row.names == kOther ? other : original);
        EXPECT_EQ(controller()->getModel(other->id()), other);
        const std::shared_ptr<QVModel> kept = row.names == kOther ? nullptr : original;
        EXPECT_EQ(controller()->getModel(original->id()), row.colliding ? colliding : kept);
    }
}

struct ValueChanges : QVModelListener {
    int count = 0;
    void attributeChanged(QVAttribute*, int kind) override { count += kind == QVBaseAttribute::kChangeValue; }
};

// Each edit runs twice: only a first call that changes the value notifies.
TEST_F(ComponentsTest, SettersNotifyOnlyOnARealChange) {
    auto damage = QVModelComponentDamage::create();
    auto spawner = QVModelComponentSpawner::create();
    struct Row {
        const char* what;
        QVModel* model;
        std::function<void()> edit;
        int changes;
    };
    const Row rows[] = {
        {"damage, the current value", damage.get(), [&] { damage->setDamage(1); }, 0},
        {"damage, a new value", damage.get(), [&] { damage->setDamage(3); }, 1},
        {"damage, silent", damage.get(), [&] { damage->setDamage(7, true); }, 0},
        {"damage delay", damage.get(), [&] { damage->setDamageDelay(0.5f); }, 1},
        {"spawn rate, the current value", spawner.get(), [&] { spawner->setSpawnRate(1.0f); }, 0},
        {"spawn rate", spawner.get(), [&] { spawner->setSpawnRate(2.0f); }, 1},
        {"spawn action", spawner.get(), [&] { spawner->setSpawnAction("kJumpingSpawning"); }, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ValueChanges changes;
        row.model->addListener(&changes);
        row.edit();
        row.edit();
        row.model->removeListener(&changes);
        EXPECT_EQ(changes.count, row.changes);
    }
}

TEST_F(ComponentsTest, AffectedAssetIdsFromText) {
    auto motor = QVModelComponentMotor::create();
    auto move = QVModelComponentMove::create();
    struct Row {
        const char* text;
        int32_t motor;
        uint32_t move;
    };
    for (const Row& row : {Row{"12", 12, 12u}, Row{"", 0, 0u}, Row{" 42ab", 42, 42u}, Row{"ab42", 0, 0u},
                           Row{"-1", -1, 4294967295u}, Row{"99999999999", INT_MAX, 4294967295u}}) {
        SCOPED_TRACE(row.text);
        motor->affectedAssetAttribute()->setValue(row.text);
        move->affectedAssetAttribute()->setValue(row.text);
        EXPECT_EQ(motor->affectedAssetId(), row.motor);
        EXPECT_EQ(move->affectedAssetId(), row.move);
    }
}

// The project generator draws 41 first after srand(1): 2 + 1 × (41 / 32767 × 2 − 1).
TEST_F(ComponentsTest, RandomSpawnRateFromTheProjectGenerator) {
    auto spawner = QVModelComponentSpawner::create();
    spawner->setSpawnRate(2.0f, true);
    spawner->spawnRateAttribute()->setVariableValue(1.0f, true);
    compat::srand(1);
    EXPECT_FLOAT_EQ(spawner->randomSpawnRate(), 1.0025025f);
}

// Packs store floats unclamped; every integer reading is defined.
TEST_F(ComponentsTest, IntegerReadingsOfStoredFloats) {
    auto damage = QVModelComponentDamage::create();
    auto health = QVModelComponentHealth::create();
    classtest::installKeysOf({damage.get()});
    struct Row {
        float stored;
        int read;
    };
    for (const Row& row : {Row{2.9f, 2}, Row{-2.9f, -2}, Row{std::numeric_limits<float>::quiet_NaN(), 0},
                           Row{1e10f, INT_MAX}, Row{-std::numeric_limits<float>::infinity(), INT_MIN}}) {
        SCOPED_TRACE(row.stored);
        msgpack::zone zone;
        const QVPackMap value = classtest::readBack(zone, [&](QVPackMap& map) { map.put("value", row.stored); });
        for (QVAttributeFloat* a : {damage->damageAttribute(), health->healthAttribute(), health->livesAttribute()})
            a->unpack(value);
        EXPECT_TRUE(damage->damage() == row.read && health->health() == row.read && health->lives() == row.read);
    }
    EXPECT_EQ(health->livesLeft(), 1);
}

TEST_F(ComponentsTest, OnlyJumpMoveAndSlideShowTheirAnimation) {
    auto container = QVModelSpriteContainer::create();
    for (const std::string name : {"IsoJump", "Move", "Slide", "RotationMapper"}) {
        SCOPED_TRACE(name);
        auto component = modelKindCast<QVModelComponent>(controller()->createModel("QVModelComponent" + name));
        attributeCast<QVAttributeAnimation>(component->attribute("Animation"))->setAnimation(container);
        EXPECT_EQ(component->animationModel(), name == "RotationMapper" ? nullptr : container);
    }
}

}  // namespace
