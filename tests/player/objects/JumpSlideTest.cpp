// The iso-jump, slide and rotation-mapper components: the jump's sequence
// and picture, the slide's fixture swaps, the frame a rotation shows.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>

#include "components_test_support.h"
#include "model/classes/QVModelPolygon.h"
#include "player/objects/QVComponentIsoJump.h"
#include "player/objects/QVComponentRotationMapper.h"
#include "player/objects/QVComponentSlide.h"
#include "player/objects/QVFieldUnits.h"

using cocos2d::CCPoint;
using componentstest::ComponentsTest;

namespace {

class IsoJump : public ComponentsTest {
protected:
    // Rises at 50 points per second, held for 0.25 s, then 100 of gravity.
    std::shared_ptr<QVModelComponentIsoJump> jumpModel(unsigned frameCount = 6) {
        auto model = std::make_shared<QVModelComponentIsoJump>("Jump");
        model->eventAttribute()->setValue("kButton-Hop-0", true);
        model->animationAttribute()->setModel(framesAnimation(frameCount));
        model->collisionShapeAttribute()->setModel(fieldfixtures::boxPolygon(20, 20));
        return model;
    }
    static QVComponentIsoJump* jumpOf(QVPObject* object) {
        return dynamic_cast<QVComponentIsoJump*>(object->components().at(0));
    }
    void hop() { press(11, control("Hop")); }
};

TEST_F(IsoJump, CountTwoAllowsOneAirJump) {
    auto model = jumpModel();
    model->jumpCountAttribute()->setValue(2.0f, true);
    QVPObjectAsset* object = owner({model});
    QVComponentIsoJump* jump = jumpOf(object);
    const int expected[] = {1, 2, 2};
    for (int done : expected) {
        hop();
        frames(object, 5);
        EXPECT_EQ(jump->jumpsDone(), done);
        EXPECT_TRUE(jump->isActive());
        EXPECT_EQ(object->currentPriority(), QVPObjectAsset::kPriorityIsoJump);
    }
    frames(object, 120);
    EXPECT_FALSE(jump->isActive());
    EXPECT_EQ(jump->jumpsDone(), 0);
    // Every jump's entry left the owner's table.
    EXPECT_EQ(object->currentPriority(), -1);
    EXPECT_TRUE(object->isControllable());
    EXPECT_FALSE(jump->jumpAnimation()->isVisible());
}

// A picture that never comes down lands at "Jump Duration"; a held control
// with "Continuous Jump" jumps again in the next update.
TEST_F(IsoJump, LandsAtDurationAndContinues) {
    struct Row {
        const char* name;
        bool held;
        int jumpsAfterLanding;
    };
    for (const Row& row : {Row{"released", false, 0}, Row{"held", true, 1}}) {
        SCOPED_TRACE(row.name);
        auto model = jumpModel();
        model->jumpGravityAttribute()->setValue(CCPoint(), true);
        model->jumpDurationAttribute()->setValue(0.5f, true);
        model->continuousJumpAttribute()->setValue(true, true);
        QVPObjectAsset* object = owner({model});
        QVComponentIsoJump* jump = jumpOf(object);
        hop();
        if (!row.held) release(12, control("Hop"));
        int landed = 0;
        for (int frame = 1; frame <= 60 && !landed; ++frame) {
            frames(object, 1);
            if (jump->jumpsDone() == 0) landed = frame;
        }
        EXPECT_NEAR(landed, 31, 1);
        EXPECT_FLOAT_EQ(jump->jumpAnimation()->getPositionY(), 0.0f);
        frames(object, 1);
        EXPECT_EQ(jump->jumpsDone(), row.jumpsAfterLanding);
    }
}

// Falling at full speed shows the last frame; the formula alone asks for
// frame n, which the image would wrap to the first (the rising picture).
TEST_F(IsoJump, FullFallLastFrame) {
    auto model = jumpModel(6);
    model->syncronizeAnimationAttribute()->setValue(true, true);
    model->jumpTimeoutAttribute()->setValue(0.5f, true);
    model->jumpDurationAttribute()->setValue(5.0f, true);
    QVPObjectAsset* object = owner({model});
    QVComponentIsoJump* jump = jumpOf(object);
    hop();
    frames(object, 2);
    EXPECT_EQ(shownFrame(jump->jumpAnimation()), 0);
    int lastShown = -1;
    for (int frame = 0; frame < 300 && jump->isActive(); ++frame) {
        lastShown = shownFrame(jump->jumpAnimation());
        frames(object, 1);
    }
    EXPECT_FALSE(jump->isActive());
    EXPECT_EQ(lastShown, 5);
}

// A zero "Jump Velocity".y chooses no frame (the formula would divide by 0)
// and the jump still ends at its duration.
TEST_F(IsoJump, ZeroJumpVelocity) {
    auto model = jumpModel(6);
    model->syncronizeAnimationAttribute()->setValue(true, true);
    model->jumpVelocityAttribute()->setValue(CCPoint(), true);
    model->jumpGravityAttribute()->setValue(CCPoint(0, -100), true);
    model->jumpTimeoutAttribute()->setValue(0.0f, true);
    model->jumpDurationAttribute()->setValue(0.5f, true);
    QVPObjectAsset* object = owner({model});
    QVComponentIsoJump* jump = jumpOf(object);

    // Flat: the picture never leaves the ground.
    hop();
    frames(object, 1);
    EXPECT_EQ(jump->jumpsDone(), 0);

    // Lifted by something else, it rises under the negative gravity.
    jump->startJump();
    jump->jumpAnimation()->setFrame(2);
    jump->jumpAnimation()->setPositionY(10.0f);
    int frame = 0;
    for (; frame < 60 && jump->jumpsDone() > 0; ++frame) {
        frames(object, 1);
        if (jump->jumpsDone() > 0) {
            EXPECT_EQ(shownFrame(jump->jumpAnimation()), 2);
        }
    }
    EXPECT_NEAR(frame, 31, 1);
}

TEST_F(IsoJump, DeathLiftsTheBodyToThePicture) {
    QVPObjectAsset* object = owner({jumpModel()});
    QVComponentIsoJump* jump = jumpOf(object);
    hop();
    frames(object, 20);
    const float h = jump->jumpAnimation()->getPositionY();
    ASSERT_GT(h, 5.0f);
    const float nodeY = object->getPositionY();
    const float bodyY = object->getBody()->GetPosition().y;
    object->setState(QVPObject::kStateDying);
    EXPECT_NEAR(object->getPositionY(), nodeY + h, 1e-3);
    EXPECT_NEAR(object->getBody()->GetPosition().y, bodyY + h * kMetresPerPoint, 1e-4);
    EXPECT_EQ(object->currentPriority(), -1);
    EXPECT_FLOAT_EQ(jump->jumpAnimation()->getPositionY(), 0.0f);
    EXPECT_FALSE(jump->jumpAnimation()->isVisible());
    // A dying owner does not jump again.
    hop();
    frames(object, 1);
    EXPECT_EQ(jump->jumpsDone(), 0);
}

class Slide : public ComponentsTest {
protected:
    static std::shared_ptr<QVModelComponentSlide> slideModel() {
        auto model = std::make_shared<QVModelComponentSlide>("Slide");
        model->eventAttribute()->setValue("kEventButton", true);
        model->collisionShapeAttribute()->setModel(fieldfixtures::boxPolygon(40, 10));
        return model;
    }
    static QVComponentSlide* slideOf(QVPObject* object, size_t index = 0) {
        return dynamic_cast<QVComponentSlide*>(object->components().at(index));
    }
};

TEST_F(Slide, SwapAndRestoreKeepFilterAndSensor) {
    struct Row {
        const char* name;
        const char* collision;
        bool customFilter;
        bool slideShape;
    };
    const Row rows[] = {
        {"solid", "kCharacterCollision", false, true},
        {"a sensor stays a sensor", "kNoCollision", false, true},
        {"the filter is carried over", "kCharacterCollision", true, true},
        {"no slide shape keeps the fixture", "kCharacterCollision", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto model = slideModel();
        if (!row.slideShape) model->collisionShapeAttribute()->setModel(nullptr);
        QVPObjectAsset* object = owner({model}, QVPObject::kTypeUnit, row.collision);
        b2Fixture* first = object->getBody()->GetFixtureList();
        if (row.customFilter) {
            b2Filter filter;
            filter.categoryBits = 0x0004;
            filter.maskBits = 0x0008;
            filter.groupIndex = -3;
            first->SetFilterData(filter);
        }
        const b2Filter filter = first->GetFilterData();
        const bool sensor = first->IsSensor();
        const auto check = [&](float height, bool sliding) {
            EXPECT_EQ(fixtureCount(object), 1);
            EXPECT_NEAR(fixtureHeight(object), height, 0.5f);
            b2Fixture* now = object->getBody()->GetFixtureList();
            const b2Filter& kept = now->GetFilterData();
            EXPECT_EQ(std::tie(kept.categoryBits, kept.maskBits, kept.groupIndex),
                      std::tie(filter.categoryBits, filter.maskBits, filter.groupIndex));
            EXPECT_EQ(now->IsSensor(), sensor);
            EXPECT_EQ(slideOf(object)->isSliding(), sliding);
            EXPECT_EQ(object->isControllable(), !sliding);
        };
        press(11, nullptr);
        check(row.slideShape ? 10.0f : 40.0f, true);
        frames(object, 3);
        release(12, nullptr);
        check(40.0f, false);
        QVPInputController::destroy();
    }
}

// The iso-jump swaps the fixture (and back) while the slide runs: the
// slide's end must not destroy a fixture the owner no longer has.
class FixtureSwap : public Slide {};

TEST_F(FixtureSwap, SlideAfterOtherSwap) {
    auto jump = std::make_shared<QVModelComponentIsoJump>("Jump");
    jump->eventAttribute()->setValue("kButton-Hop-0", true);
    jump->animationAttribute()->setModel(framesAnimation(3));
    jump->collisionShapeAttribute()->setModel(fieldfixtures::boxPolygon(20, 20));
    jump->jumpDurationAttribute()->setValue(0.25f, true);
    QVPObjectAsset* object = owner({slideModel(), jump});
    auto* isoJump = dynamic_cast<QVComponentIsoJump*>(object->components().at(1));
    const int bodies = world.GetBodyCount();

    press(11, nullptr);
    ASSERT_NEAR(fixtureHeight(object), 10.0f, 0.5f);
    // The jump takes the fixture over while the slide runs, then lands.
    isoJump->startJump();
    EXPECT_NEAR(fixtureHeight(object), 20.0f, 0.5f);
    frames(object, 30);
    ASSERT_EQ(isoJump->jumpsDone(), 0);
    EXPECT_NEAR(fixtureHeight(object), 40.0f, 0.5f);
    EXPECT_TRUE(slideOf(object)->isSliding());

    release(12, nullptr);
    EXPECT_FALSE(slideOf(object)->isSliding());
    frames(object, 10);
    EXPECT_EQ(fixtureCount(object), 1);
    EXPECT_EQ(object->getBody()->GetFixtureList(), object->currentFixture());
    EXPECT_NEAR(fixtureHeight(object), 40.0f, 0.5f);
    EXPECT_EQ(world.GetBodyCount(), bodies);
}

TEST_F(Slide, PressedWhileNotControllableStartsLater) {
    QVPObjectAsset* object = owner({slideModel()});
    object->setControllable(false);
    press(11, nullptr);
    frames(object, 2);
    EXPECT_FALSE(slideOf(object)->isSliding());
    EXPECT_NEAR(fixtureHeight(object), 40.0f, 0.5f);
    object->setControllable(true);
    frames(object, 1);
    EXPECT_TRUE(slideOf(object)->isSliding());
    EXPECT_NEAR(fixtureHeight(object), 10.0f, 0.5f);

    // A dying owner stops sliding without a swap, and a release then
    // changes nothing.
    object->setState(QVPObject::kStateDying);
    EXPECT_FALSE(slideOf(object)->isSliding());
    release(12, nullptr);
    EXPECT_EQ(fixtureCount(object), 1);
    EXPECT_NEAR(fixtureHeight(object), 10.0f, 0.5f);
}

class RotationMapper : public ComponentsTest {};

TEST_F(RotationMapper, AngleShowsItsFrame) {
    struct Row {
        const char* name;
        float degrees;
        int64_t index;  // asked of the image
        int shown;      // after the image's wrap
    };
    const Row rows[] = {
        {"-10 degrees", -10.0f, 35, 35},   {"0 degrees", 0.0f, 0, 0},
        {"370 degrees", 370.0f, 1, 1},     {"-360 degrees asks for n", -360.0f, 36, 0},
        {"-370 degrees", -370.0f, 35, 35}, {"180 degrees", 180.0f, 18, 18},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(QVComponentRotationMapper::frameFor(row.degrees, 36), row.index);
        auto model = std::make_shared<QVModelComponentRotationMapper>("Mapper");
        model->animationAttribute()->setModel(framesAnimation(36));
        QVPObjectAsset* object = owner({model});
        auto* mapper = dynamic_cast<QVComponentRotationMapper*>(object->components().at(0));
        object->getBody()->SetFixedRotation(true);
        physics::setTransform(object->getBody(), object->getBody()->GetPosition(), row.degrees * kDegreesToRadians);
        mapper->mapAnimation()->setFrame(7);
        frames(object, 1);
        EXPECT_TRUE(mapper->isActive());
        EXPECT_EQ(object->currentAnimation(), mapper->mapAnimation());
        EXPECT_EQ(shownFrame(mapper->mapAnimation()), row.shown);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float bad : {nan, std::numeric_limits<float>::infinity(), 1e30f}) {
        const int64_t index = QVComponentRotationMapper::frameFor(bad, 36);
        EXPECT_TRUE(index >= 0 && index <= 36) << bad;
    }
}

}  // namespace
