// Behaviour components: the default shapes of the jump and move components
// and what a connection read does with them, change notifications, ids in
// text, the spawner's random rate and integer readings of stored floats.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "../../core/support/model_test_support.h"
#include "../pack_keys.h"
#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelListener.h"
#include "platform/RandomAndClock.h"

namespace {

using cocos2d::CCPoint;

class ComponentsTest : public ::testing::Test {
protected:
    void SetUp() override { controller()->clear(); }
    void TearDown() override {
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
};

struct ValueChanges : QVModelListener {
    int count = 0;
    void attributeChanged(QVAttribute* attribute, int kind) override {
        (void)attribute;
        if (kind == QVBaseAttribute::kChangeValue) ++count;
    }
};

TEST_F(ComponentsTest, JumpAndMoveStartWithTheirOwnEmptyPolygon) {
    auto jump = QVModelComponentIsoJump::create();
    auto move = QVModelComponentMove::create();
    for (const auto& shape : {jump->collisionShape(), move->collisionShapeAttribute()->model()}) {
        ASSERT_TRUE(shape);
        EXPECT_EQ(shape->type(), typeId<QVModelPolygon>());
        EXPECT_TRUE(shape->isEmpty());
    }
    EXPECT_NE(jump->collisionShape(), move->collisionShapeAttribute()->model());
    EXPECT_FALSE(QVModelComponentSlide::create()->collisionShapeAttribute()->model());

    // Registering the component registers the shape it owns.
    controller()->addModel(jump);
    EXPECT_EQ(controller()->getModel(jump->collisionShape()->id()), jump->collisionShape());

    EXPECT_FALSE(move->hasLinearVelocityX());
    EXPECT_FALSE(move->hasLinearVelocityY());
    EXPECT_FALSE(move->hasAngularVelocity());
    move->linearVelocityAttribute()->setEmptyAllowed(false, true);
    move->angularVelocityAttribute()->setAllowEmpty(false);
    EXPECT_TRUE(move->hasLinearVelocityX());
    EXPECT_TRUE(move->hasLinearVelocityY());
    EXPECT_TRUE(move->hasAngularVelocity());
}

// As a load does it: the component is registered with its default shape,
// then its connections name a shape.
TEST_F(ComponentsTest, AConnectionThatNamesAnotherShapeDropsTheDefault) {
    enum Names { kOther, kDefault, kNothing };
    struct Row { const char* what; bool move, fromPack; Names names; bool collidingModel; };
    const Row rows[] = {
        {"jump, pack", false, true, kOther, false},
        {"jump, dictionary", false, false, kOther, false},
        {"move, pack", true, true, kOther, false},
        {"move, dictionary", true, false, kOther, false},
        {"the default itself", false, true, kDefault, false},
        {"no shape entry", true, true, kNothing, false},
        {"another model under the default's id", false, true, kOther, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        controller()->clear();
        std::shared_ptr<QVModelComponent> component;
        QVAttributeShape* shape = nullptr;
        if (row.move) {
            auto move = QVModelComponentMove::create();
            shape = move->collisionShapeAttribute();
            component = move;
        } else {
            auto jump = QVModelComponentIsoJump::create();
            shape = jump->collisionShapeAttribute();
            component = jump;
        }
        const std::shared_ptr<QVModelPolygon> original = shape->model();
        std::shared_ptr<QVModelPolygon> colliding;
        if (row.collidingModel) {
            // The default is not registered; an unrelated model holds its id.
            colliding = QVModelPolygon::create();
            colliding->setId(original->id());
            controller()->addModel(colliding);
        } else {
            controller()->addModel(component);
        }
        auto other = QVModelPolygon::create();
        controller()->addModel(other);

        // The source of the connections: a component of the same class
        // linking the shape the row names.
        std::shared_ptr<QVModel> source = component->clone(false, false);
        auto* sourceShape = attributeCast<QVAttributeShape>(source->attribute("Collision Shape"));
        ASSERT_TRUE(sourceShape);
        if (row.names == kOther) sourceShape->setModel(other);
        if (row.names == kDefault) sourceShape->setModel(original);
        if (row.names == kNothing) source->removeAttribute(sourceShape);
        classtest::installKeysOf({source.get()});
        msgpack::zone zone;
        if (row.fromPack) {
            component->unpackConnections(
                classtest::readBack(zone, [&](QVPackMap& map) { source->packConnections(map); }));
        } else {
            component->connectionsFromDictionary(source->connectionsToDictionary());
        }

        const std::shared_ptr<QVModelPolygon> expected = row.names == kOther ? other : original;
        EXPECT_EQ(shape->model(), expected);
        EXPECT_EQ(controller()->getModel(other->id()), other);
        if (row.collidingModel) {
            EXPECT_EQ(controller()->getModel(original->id()), colliding);
        } else {
            EXPECT_EQ(controller()->getModel(original->id()) == original, row.names != kOther);
        }
    }
}

TEST_F(ComponentsTest, SettersNotifyOnlyOnARealChange) {
    using Edit = std::function<void(QVModel&)>;
    auto damage = [](QVModel& m) -> QVModelComponentDamage& { return static_cast<QVModelComponentDamage&>(m); };
    auto spawner = [](QVModel& m) -> QVModelComponentSpawner& { return static_cast<QVModelComponentSpawner&>(m); };
    struct Row { const char* what; bool isSpawner; Edit edit; int changes; };
    const Row rows[] = {
        {"damage, the current value", false, [&](QVModel& m) { damage(m).setDamage(1); }, 0},
        {"damage, a new value twice", false, [&](QVModel& m) { damage(m).setDamage(3); damage(m).setDamage(3); }, 1},
        {"damage, silent", false, [&](QVModel& m) { damage(m).setDamage(7, true); }, 0},
        {"damage delay twice", false,
         [&](QVModel& m) { damage(m).setDamageDelay(0.5f); damage(m).setDamageDelay(0.5f); }, 1},
        {"spawn rate, the current value", true, [&](QVModel& m) { spawner(m).setSpawnRate(1.0f); }, 0},
        {"spawn rate twice", true, [&](QVModel& m) { spawner(m).setSpawnRate(2.0f); spawner(m).setSpawnRate(2.0f); }, 1},
        {"spawn action twice", true,
         [&](QVModel& m) { spawner(m).setSpawnAction("kPermanentSpawning"); spawner(m).setSpawnAction("kPermanentSpawning"); },
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::shared_ptr<QVModel> model = row.isSpawner ? std::shared_ptr<QVModel>(QVModelComponentSpawner::create())
                                                       : std::shared_ptr<QVModel>(QVModelComponentDamage::create());
        ValueChanges changes;
        model->addListener(&changes);
        row.edit(*model);
        model->removeListener(&changes);
        EXPECT_EQ(changes.count, row.changes);
    }
}

TEST_F(ComponentsTest, AffectedAssetIdsFromText) {
    struct Row { const char* text; int32_t motor; uint32_t move; };
    for (const Row& row : {Row{"12", 12, 12u}, Row{"", 0, 0u}, Row{" 42ab", 42, 42u}, Row{"ab42", 0, 0u},
                           Row{"-1", -1, 4294967295u}, Row{"99999999999", INT_MAX, 4294967295u}}) {
        SCOPED_TRACE(row.text);
        auto motor = QVModelComponentMotor::create();
        auto move = QVModelComponentMove::create();
        motor->affectedAssetAttribute()->setValue(row.text);
        move->affectedAssetAttribute()->setValue(row.text);
        EXPECT_EQ(motor->affectedAssetId(), row.motor);
        EXPECT_EQ(move->affectedAssetId(), row.move);
    }
}

// The project generator after srand(1) draws 41 first: 2 + 1 × (41 / 32767 × 2 − 1).
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
    classtest::installKeysOf({damage.get(), health.get()});
    struct Row { float stored; int read; };
    for (const Row& row : {Row{2.9f, 2}, Row{-2.9f, -2}, Row{std::numeric_limits<float>::quiet_NaN(), 0},
                           Row{1e10f, INT_MAX}, Row{-std::numeric_limits<float>::infinity(), INT_MIN}}) {
        SCOPED_TRACE(row.stored);
        msgpack::zone zone;
        const QVPackMap value = classtest::readBack(zone, [&](QVPackMap& map) { map.put("value", row.stored); });
        for (QVAttributeFloat* attribute :
             {damage->damageAttribute(), health->healthAttribute(), health->livesAttribute()}) {
            attribute->unpack(value);
        }
        EXPECT_EQ(damage->damage(), row.read);
        EXPECT_EQ(health->health(), row.read);
        EXPECT_EQ(health->lives(), row.read);
    }
    EXPECT_EQ(health->livesLeft(), 1);
}

TEST_F(ComponentsTest, OnlyJumpMoveAndSlideShowTheirAnimation) {
    auto container = QVModelSpriteContainer::create();
    auto jump = QVModelComponentIsoJump::create();
    auto move = QVModelComponentMove::create();
    auto slide = QVModelComponentSlide::create();
    auto mapper = QVModelComponentRotationMapper::create();
    struct Row { const char* what; QVModelComponent* component; QVAttributeAnimation* animation; bool shown; };
    for (const Row& row : {Row{"jump", jump.get(), jump->animationAttribute(), true},
                           Row{"move", move.get(), move->animationAttribute(), true},
                           Row{"slide", slide.get(), slide->animationAttribute(), true},
                           Row{"rotation mapper", mapper.get(), mapper->animationAttribute(), false}}) {
        SCOPED_TRACE(row.what);
        EXPECT_FALSE(row.component->animationModel());
        row.animation->setAnimation(container);
        EXPECT_EQ(row.component->animationModel(), row.shown ? container : nullptr);
    }
}

}  // namespace
