// The health component: damage, the damage window on the monotonic clock,
// the death delay, and contact damage reaching it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectImage.h"
#include "objects_test_support.h"
#include "platform/RandomAndClock.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectClasses.h"

using cocos2d::CCPoint;

namespace {

constexpr int64_t kSecond = 10000000;  // 100-ns ticks
constexpr float kFrame = 1.0f / 60.0f;

class Health : public objectstest::ObjectsTest {
protected:
    Health() {
        registerComponentClasses();
        compat::setClockForTest([this] { return now; });
    }
    ~Health() override {
        for (QVPObjectAsset* object : m_objects) object->release();
        compat::setClockForTest(nullptr);
    }

    static std::shared_ptr<QVModelComponentHealth> healthModel(float health, float deathDelay = 0.0f) {
        auto model = std::make_shared<QVModelComponentHealth>("Health");
        model->healthAttribute()->setValue(health, true);
        model->deathDelayAttribute()->setValue(deathDelay, true);
        return model;
    }

    // An object of an obstacle asset with the given components, released by
    // the fixture.
    QVPObjectAsset* object(std::initializer_list<std::shared_ptr<QVModelComponent>> components, int32_t destroy = 0,
                           uint32_t flags = QVPObject::kTypeUnit) {
        auto asset = fieldfixtures::obstacleAsset("Thing", 40, 40);
        for (const auto& component : components) asset->addChild(component);
        auto* result = new Destroyable(fieldfixtures::unitPlacement(asset, CCPoint()), destroy);
        result->setTypeFlags(flags);
        m_objects.push_back(result);
        return result;
    }

    int64_t now = 1000 * kSecond;

private:
    class Destroyable : public QVPObjectAsset {
    public:
        Destroyable(const std::shared_ptr<QVModelObjectAsset>& model, int32_t destroy) : QVPObjectAsset(model) {
            m_destroyType = destroy;
        }
    };
    std::vector<QVPObjectAsset*> m_objects;
};

TEST_F(Health, DamageLowersHealthWithinItsBounds) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        const char* name;
        float health;
        int32_t amount;
        bool taken;
        int32_t left;
        bool dying;
    };
    const Row rows[] = {
        {"health 0 starts at 1, the first hit kills", 0.0f, 1, true, 0, true},
        {"negative health starts at 1", -7.0f, 1, true, 0, true},
        {"NaN health starts at 1", nan, 1, true, 0, true},
        {"3 on 2 leaves 0, not -1", 2.0f, 3, true, 0, true},
        {"1 on 3 leaves 2", 3.0f, 1, true, 2, false},
        {"2.9 reads as 2", 2.9f, 1, true, 1, false},
        {"a huge amount does not wrap", 5.0f, std::numeric_limits<int32_t>::max(), true, 0, true},
        {"a negative amount never heals past the start", 5.0f, std::numeric_limits<int32_t>::min(), true, 5, false},
        {"damage 0 is taken and opens a window", 3.0f, 0, true, 3, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAsset* owner = object({healthModel(row.health)});
        QVComponentHealth* health = owner->getHealthComponent();
        ASSERT_NE(health, nullptr);
        EXPECT_EQ(health->takeDamage(row.amount, 1.0f), row.taken);
        EXPECT_EQ(health->health(), row.left);
        EXPECT_EQ(health->isDying(), row.dying);
        // The window (or death) refuses a second hit at the same time.
        EXPECT_FALSE(health->takeDamage(1, 0.0f));
    }
}

TEST_F(Health, WindowEndsExactlyAtTheDelayInWholeMilliseconds) {
    struct Row {
        const char* name;
        float delay;
        int64_t after;  // ticks after the first hit
        bool taken;
    };
    const Row rows[] = {
        {"inside the window", 0.5f, kSecond / 2 - 1, false},
        {"exactly at the limit", 0.5f, kSecond / 2, true},
        {"0.0005 s truncates to 0 ms", 0.0005f, 0, true},
        {"1.0015 s truncates to 1001 ms", 1.0015f, 10010000 - 1, false},
        {"negative delay opens no window", -3.0f, 0, true},
        {"NaN delay opens no window", std::numeric_limits<float>::quiet_NaN(), 0, true},
        {"infinite delay blocks without overflow", std::numeric_limits<float>::infinity(), 1000 * kSecond, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVComponentHealth* health = object({healthModel(10.0f)})->getHealthComponent();
        ASSERT_TRUE(health->takeDamage(1, row.delay));
        now += row.after;
        EXPECT_EQ(health->takeDamage(1, row.delay), row.taken);
        EXPECT_EQ(health->health(), row.taken ? 8 : 9);
    }
}

// A wall clock set back by an hour must not make the owner immune for that
// hour.
TEST_F(Health, ClockStepBack) {
    QVComponentHealth* health = object({healthModel(3.0f)})->getHealthComponent();
    ASSERT_TRUE(health->takeDamage(1, 1.0f));
    now -= 3600 * kSecond;
    EXPECT_FALSE(health->takeDamage(1, 1.0f));
    now += kSecond;
    EXPECT_TRUE(health->takeDamage(1, 1.0f));
    EXPECT_EQ(health->health(), 1);
}

// Under a fixed frame step the window counts frames, not real time, so a
// scripted run takes the same hits every time.
TEST_F(Health, FixedStepWindowCountsFrames) {
    compat::setClockForTest(nullptr);
    compat::setFrameClock(true);
    QVComponentHealth* health = object({healthModel(5.0f)})->getHealthComponent();
    ASSERT_TRUE(health->takeDamage(1, 0.5f));
    for (int frame = 1; frame <= 29; ++frame) compat::advanceFrameClock(1.0 / 60.0);
    EXPECT_FALSE(health->takeDamage(1, 0.5f));
    compat::advanceFrameClock(1.0 / 60.0);
    EXPECT_TRUE(health->takeDamage(1, 0.5f));
    compat::setFrameClock(false);
    EXPECT_EQ(health->health(), 3);
}

TEST_F(Health, DeathDelayThenTheOwnerIsKilled) {
    struct Row {
        const char* name;
        float deathDelay;
        int killFrame;  // the update that asks for the kill, 1-based
    };
    const Row rows[] = {
        {"no delay kills in the first update", 0.0f, 1},
        {"negative delay kills in the first update", -2.0f, 1},
        {"NaN delay kills in the first update", std::numeric_limits<float>::quiet_NaN(), 1},
        {"half a second", 0.5f, 30},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectAsset* owner = object({healthModel(1.0f, row.deathDelay)});
        QVComponentHealth* health = owner->getHealthComponent();
        owner->update(kFrame);
        EXPECT_FALSE(owner->isKillRequested());
        ASSERT_TRUE(health->takeDamage(1, 0.0f));
        int frame = 0;
        while (!owner->isKillRequested() && frame < 120) {
            ++frame;
            owner->update(kFrame);
            // Dying refuses every further hit, whatever the clock says.
            now += kSecond;
            EXPECT_FALSE(health->takeDamage(1, 0.0f));
        }
        // Float steps of 1/60 may land on either side of the exact frame.
        EXPECT_NEAR(frame, row.killFrame, row.killFrame > 1 ? 1 : 0);
        EXPECT_FALSE(health->isDying());
    }
}

TEST_F(Health, DamageAnimationShowsOnTopUntilItEndsOrTheOwnerDies) {
    auto animation = QVModelAnimation::create();
    QVModelController::shared()->addModel(animation);
    animation->addChild(QVModelObjectImage::create());
    animation->setDuration(0.1f);
    animation->setLoop(false);
    auto model = healthModel(5.0f);
    model->takingDamageAnimationAttribute()->setModel(animation);
    auto underneath = QVModelAnimation::create();
    underneath->addChild(QVModelObjectImage::create());
    QVPAnimationObject* idle = QVPAnimationObject::create(underneath);

    QVPObjectAsset* owner = object({model});
    QVComponentHealth* health = owner->getHealthComponent();
    QVPAnimationObject* damage = health->damageAnimation();
    ASSERT_NE(damage, nullptr);
    EXPECT_FALSE(damage->isVisible());
    owner->addAnimation(5, idle, nullptr);

    struct Step {
        const char* name;
        bool dies;  // else the animation runs to its end
    };
    for (const Step& step : {Step{"runs to its end", false}, Step{"the owner dies", true}}) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(health->takeDamage(1, 0.0f));
        owner->update(kFrame);
        EXPECT_EQ(owner->currentPriority(), 0);
        EXPECT_EQ(owner->currentAnimation(), damage);
        if (step.dies) {
            owner->setState(QVPObject::kStateDying);
        } else {
            for (int frame = 0; frame < 30 && owner->currentAnimation() == damage; ++frame) owner->update(kFrame);
        }
        EXPECT_EQ(owner->currentAnimation(), idle);
        EXPECT_FALSE(damage->isVisible());
    }
}

// A model without frames makes no animation; a hit still counts.
TEST_F(Health, DamageAnimationWithoutFramesIsLeftOut) {
    auto model = healthModel(5.0f);
    model->takingDamageAnimationAttribute()->setModel(QVModelAnimation::create());
    QVPObjectAsset* owner = object({model});
    EXPECT_EQ(owner->getHealthComponent()->damageAnimation(), nullptr);
    EXPECT_TRUE(owner->getHealthComponent()->takeDamage(1, 0.0f));
    owner->update(kFrame);
    EXPECT_EQ(owner->currentPriority(), -1);
}

TEST_F(Health, ContactDamageGoesThroughTheHealthComponent) {
    auto damage = std::make_shared<QVModelComponentDamage>("Damage");
    damage->setDamage(1, true);
    damage->setDamageDelay(0.5f, true);
    QVPObjectAsset* enemy = object({damage}, 3);
    // The first health component counts; a second one is never asked.
    QVPObjectAsset* hero = object({healthModel(3.0f), healthModel(50.0f)}, 0, QVPObject::kTypeCharacter);
    QVComponentHealth* health = hero->getHealthComponent();
    ASSERT_NE(health, nullptr);
    ASSERT_EQ(health->health(), 3);

    struct Step {
        int64_t advance;
        int32_t left;
    };
    // Contacts inside one window count once; the third window's hit is fatal.
    const Step steps[] = {{0, 2}, {kSecond / 10, 2}, {kSecond / 2, 1}, {kSecond / 4, 1}, {kSecond / 4, 0}};
    for (const Step& step : steps) {
        now += step.advance;
        QVPObjectAsset::applyContactDamage(enemy, hero);
        EXPECT_EQ(health->health(), step.left);
        EXPECT_FALSE(hero->isKillRequested());
    }
    EXPECT_TRUE(health->isDying());
    hero->update(kFrame);
    EXPECT_TRUE(hero->isKillRequested());

    // Without a health component the hit still kills at once.
    QVPObjectAsset* plain = object({}, 0, QVPObject::kTypeCharacter);
    EXPECT_EQ(plain->getHealthComponent(), nullptr);
    QVPObjectAsset::applyContactDamage(enemy, plain);
    EXPECT_TRUE(plain->isKillRequested());
}

}  // namespace
