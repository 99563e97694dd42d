// Particle systems, seeded and stepped by hand: emission against rate, total
// and duration, stop versus reset, the three position types, the owner's
// update after unscheduling, the count bounds, the per-particle maths and the
// quads handed to the batcher.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "../platform/platform_test_support.h"
#include "actions/CCScheduler.h"
#include "base/CCAutoreleasePool.h"
#include "gl/QuadBatcher.h"
#include "particles/CCParticleSystem.h"
#include "platform/RandomAndClock.h"
#include "scene/CCNode.h"

using namespace cocos2d;

namespace {

constexpr float kDt = 1.0f / 60.0f;

std::array<int, 4> rgba(const ccColor4B& c) { return {c.r, c.g, c.b, c.a}; }

class Particles : public ::testing::Test {
protected:
    Particles() { compat::srand(1); }
    ~Particles() override {
        for (CCParticleSystemQuad* s : owned) {
            CCScheduler::sharedScheduler()->unscheduleAllForTarget(s);
            s->release();
        }
        CCPoolManager::sharedPoolManager()->finalize();
    }
    // The demo's emitter: red, size 8, speed 60 +- 20 in every direction;
    // a still one gives its particles no speed.
    CCParticleSystemQuad* system(int total, float rate, float life, bool still = false) {
        CCParticleSystemQuad* s = CCParticleSystemQuad::create();
        s->retain();
        owned.push_back(s);
        s->initWithTotalParticles(total);
        s->setEmitterMode(kCCParticleModeGravity);
        s->setDuration(-1);
        s->setEmissionRate(rate);
        s->setLife(life);
        s->setSpeed(still ? 0 : 60);
        s->setSpeedVar(still ? 0 : 20);
        s->setAngle(90);
        s->setAngleVar(180);
        s->setStartSize(8);
        s->setStartColor(ccc4f(1, 0, 0, 1));
        s->setEndColor(ccc4f(1, 0, 0, 1));
        return s;
    }
    static void run(CCParticleSystem* s, float seconds) {
        const int steps = static_cast<int>(std::lround(seconds / kDt));
        for (int i = 0; i < steps; ++i) s->update(kDt);
    }
    std::vector<CCParticleSystemQuad*> owned;
};

}  // namespace

// --- emission -------------------------------------------------------------------

TEST_F(Particles, CountFollowsTheRateUpToTheTotalAndDrainsAtRateZero) {
    CCParticleSystemQuad* s = system(500, 200, 5);
    run(s, 1.0f);
    EXPECT_NEAR(s->getParticleCount(), 200u, 1u);
    run(s, 2.0f);
    EXPECT_EQ(s->getParticleCount(), 500u);  // full at 2.5 s
    EXPECT_TRUE(s->isFull());

    // With a life of 1 s the count settles at the rate.
    CCParticleSystemQuad* steady = system(500, 200, 1);
    run(steady, 3.0f);
    EXPECT_NEAR(steady->getParticleCount(), 200u, 4u);

    // A full system does not save up emissions for a burst once some die.
    CCParticleSystemQuad* small = system(10, 200, 0.5f);
    for (int i = 0; i < 120; ++i) {
        small->update(kDt);
        ASSERT_LE(small->getParticleCount(), 10u);
    }
    EXPECT_GE(small->getParticleCount(), 6u);  // refilled as they die

    // At rate 0 the live ones drain and the system stays active.
    small->setEmissionRate(0);
    for (unsigned int i = 0, previous = small->getParticleCount(); i < 60; ++i) {
        small->update(kDt);
        EXPECT_LE(small->getParticleCount(), previous);
        previous = small->getParticleCount();
    }
    EXPECT_EQ(small->getParticleCount(), 0u);
    EXPECT_TRUE(small->isActive());
    for (float bad : {std::nanf(""), -5.0f}) {  // non-finite or negative rates from data
        small->setEmissionRate(bad);
        run(small, 0.5f);
    }
    EXPECT_EQ(small->getParticleCount(), 0u);
    small->setEmissionRate(60);
    small->update(kDt);
    EXPECT_LE(small->getParticleCount(), 2u);
}

TEST_F(Particles, StopLetsParticlesFinishAndResetStartsAfresh) {
    CCParticleSystemQuad* s = system(500, 100, 1);
    run(s, 0.5f);
    const unsigned int live = s->getParticleCount();
    s->stopSystem();
    EXPECT_FALSE(s->isActive());
    EXPECT_EQ(s->getParticleCount(), live);  // nobody dies of the stop itself
    s->update(kDt);
    EXPECT_LE(s->getParticleCount(), live);  // and nobody new is born
    run(s, 1.0f);
    EXPECT_EQ(s->getParticleCount(), 0u);

    run(s, 0.2f);
    EXPECT_EQ(s->getParticleCount(), 0u);
    s->resetSystem();
    EXPECT_TRUE(s->isActive());
    run(s, 0.5f);
    EXPECT_NEAR(s->getParticleCount(), 50u, 1u);
    s->resetSystem();  // live particles go at once
    EXPECT_EQ(s->getParticleCount(), 0u);
}

TEST_F(Particles, APositiveDurationEndsEmissionAndMinusOneNever) {
    CCParticleSystemQuad* timed = system(500, 100, 10);
    timed->setDuration(0.5f);
    run(timed, 2.0f);
    EXPECT_FALSE(timed->isActive());
    EXPECT_NEAR(timed->getParticleCount(), 50u, 2u);

    CCParticleSystemQuad* endless = system(5000, 100, 100);
    run(endless, 20.0f);
    EXPECT_TRUE(endless->isActive());
    EXPECT_NEAR(endless->getParticleCount(), 2000u, 2u);
}

TEST_F(Particles, ZeroStepChangesNothing) {
    CCParticleSystemQuad* s = system(500, 100, 1);
    run(s, 0.3f);
    const unsigned int count = s->getParticleCount();
    const CCPoint first = s->getParticle(0).pos;
    const float ttl = s->getParticle(0).timeToLive;
    for (int i = 0; i < 5; ++i) s->update(0);
    s->update(-1);
    s->update(std::numeric_limits<float>::infinity());
    EXPECT_EQ(s->getParticleCount(), count);
    EXPECT_EQ(s->getParticle(0).pos, first);
    EXPECT_EQ(s->getParticle(0).timeToLive, ttl);
}

TEST_F(Particles, SeededRunsRepeatExactly) {
    auto positions = [this](unsigned int seed) {
        compat::srand(seed);
        CCParticleSystemQuad* s = system(500, 200, 1);
        s->setPosVar(ccp(5, 5));
        s->setStartSizeVar(2);
        run(s, 0.5f);
        std::vector<float> out;
        for (unsigned int i = 0; i < s->getParticleCount(); ++i) {
            out.push_back(s->getParticle(i).pos.x);
            out.push_back(s->getParticle(i).pos.y);
            out.push_back(s->getParticle(i).size);
        }
        return out;
    };
    const std::vector<float> a = positions(1);
    EXPECT_EQ(a, positions(1));
    EXPECT_NE(a, positions(2));
}

// --- scheduling and bounds ----------------------------------------------------------

TEST_F(Particles, InitSchedulesTheSystemAndTheOwnerMayTakeOver) {
    CCScheduler* scheduler = CCScheduler::sharedScheduler();
    CCParticleSystemQuad* s = system(500, 100, 10);
    s->initWithTotalParticles(500);  // a second init keeps one entry
    EXPECT_TRUE(scheduler->isUpdateScheduled(s));
    s->onEnter();
    for (int i = 0; i < 30; ++i) scheduler->update(kDt);
    EXPECT_NEAR(s->getParticleCount(), 50u, 1u);

    scheduler->unscheduleUpdateForTarget(s);
    for (int i = 0; i < 30; ++i) scheduler->update(kDt);
    EXPECT_NEAR(s->getParticleCount(), 50u, 1u);  // the scheduler no longer advances it
    run(s, 0.5f);                                  // the owner's update does
    EXPECT_NEAR(s->getParticleCount(), 100u, 1u);
    s->onExit();
    EXPECT_FALSE(scheduler->isUpdateScheduled(s));
}

TEST_F(Particles, CountsAreBounded) {
    qvtest::StderrCapture log;
    CCParticleSystemQuad* none = system(0, 100, 1);
    CCParticleSystemQuad* negative = system(-7, 100, 1);
    run(none, 1.0f);
    run(negative, 1.0f);
    EXPECT_EQ(none->getParticleCount(), 0u);
    EXPECT_EQ(negative->getTotalParticles(), 0u);
    EXPECT_EQ(negative->getParticleCount(), 0u);

    CCParticleSystemQuad* huge = system(2000000000, 100000, 100);
    EXPECT_EQ(huge->getTotalParticles(), 10000u);
    run(huge, 1.0f);
    EXPECT_EQ(huge->getParticleCount(), 10000u);
    EXPECT_NE(log.text().find("clamped to 10000"), std::string::npos);

    huge->setTotalParticles(50000);
    EXPECT_EQ(huge->getTotalParticles(), 10000u);
    huge->setTotalParticles(3);  // live particles beyond the new total go
    EXPECT_EQ(huge->getParticleCount(), 3u);
    huge->setTotalParticles(-1);
    EXPECT_EQ(huge->getParticleCount(), 0u);
    run(huge, 0.5f);
    EXPECT_EQ(huge->getParticleCount(), 0u);
}

// --- simulation -----------------------------------------------------------------------

TEST_F(Particles, GravityRadialAccelerationAndLifeInterpolation) {
    CCParticleSystemQuad* s = system(1, 60, 1, true);
    s->setAngleVar(0);
    s->setGravity(ccp(0, -10));
    s->setStartColor(ccc4f(1, 0, 0, 1));
    s->setEndColor(ccc4f(0, 0, 1, 0));
    s->setStartSize(8);
    s->setEndSize(16);
    s->setStartSpin(0);
    s->setEndSpin(90);
    s->update(kDt);
    ASSERT_EQ(s->getParticleCount(), 1u);
    for (int i = 1; i < 30; ++i) s->update(kDt);  // 0.5 s in all
    const tCCParticle& p = s->getParticle(0);
    // velocity += g dt, then position += velocity dt, every step.
    EXPECT_NEAR(p.dir.y, -5.0f, 1e-3);
    EXPECT_NEAR(p.pos.y, -10.0f * kDt * kDt * 30 * 31 / 2, 1e-3);
    EXPECT_NEAR(p.pos.x, 0.0f, 1e-6);
    for (float halfway : {p.color.r, p.color.b, p.color.a}) EXPECT_NEAR(halfway, 0.5f, 1e-3);
    EXPECT_NEAR(p.size, 12.0f, 1e-3);
    EXPECT_NEAR(p.rotation, 45.0f, 1e-3);

    // Radial acceleration pushes away from the emitter's origin.
    CCParticleSystemQuad* radial = system(1, 60, 10);
    radial->setSpeed(10);
    radial->setSpeedVar(0);
    radial->setAngle(0);
    radial->setAngleVar(0);
    radial->setRadialAccel(5);
    run(radial, 1.0f);
    EXPECT_NEAR(radial->getParticle(0).dir.x, 15.0f, 0.2f);
    EXPECT_NEAR(radial->getParticle(0).dir.y, 0.0f, 1e-4);
}

TEST_F(Particles, ColoursAreClampedAndEndSizeMinusOneKeepsTheStart) {
    CCParticleSystemQuad* s = system(100, 60, 1);
    s->setStartColor(ccc4f(2, -1, 0.5f, 1));
    EXPECT_FLOAT_EQ(s->getStartColor().r, 1.0f);
    EXPECT_FLOAT_EQ(s->getStartColor().g, 0.0f);
    s->setStartColorVar(ccc4f(1, 1, 1, 1));
    s->setStartSizeVar(4);
    s->setEndSize(kCCParticleStartSizeEqualToEndSize);
    run(s, 0.5f);
    for (unsigned int i = 0; i < s->getParticleCount(); ++i) {
        const tCCParticle& p = s->getParticle(i);
        for (float c : {p.color.r, p.color.g, p.color.b, p.color.a}) {
            EXPECT_GE(c, 0.0f);
            EXPECT_LE(c, 1.0f);
        }
        EXPECT_EQ(p.deltaSize, 0.0f);
    }
}

TEST_F(Particles, PositionTypesAfterMovingTheEmitterAndThenItsParent) {
    struct Expect {
        tCCPositionType type;
        CCPoint afterEmitterMove;
        CCPoint afterParentMove;
    };
    const Expect cases[] = {
        {kCCPositionTypeFree, ccp(110, 100), ccp(110, 100)},
        {kCCPositionTypeRelative, ccp(110, 100), ccp(110, 200)},
        {kCCPositionTypeGrouped, ccp(130, 100), ccp(130, 200)},
    };
    for (const Expect& e : cases) {
        CCNode* parent = CCNode::create();
        parent->setPosition(ccp(100, 100));
        CCParticleSystemQuad* s = system(1, 60, 100, true);
        s->setPositionType(e.type);
        s->setPosition(ccp(10, 0));
        parent->addChild(s);
        s->update(kDt);
        ASSERT_EQ(s->getParticleCount(), 1u);
        EXPECT_EQ(s->getParticleWorldPosition(0), ccp(110, 100)) << e.type;

        s->setPosition(ccp(30, 0));
        s->update(kDt);
        EXPECT_EQ(s->getParticleWorldPosition(0), e.afterEmitterMove) << e.type;
        parent->setPosition(ccp(100, 200));
        s->update(kDt);
        EXPECT_EQ(s->getParticleWorldPosition(0), e.afterParentMove) << e.type;
        s->removeFromParent();
    }
}

// --- drawing ------------------------------------------------------------------------------

TEST_F(Particles, DrawHandsOneQuadPerParticleWithTheBlendsColours) {
    QuadBatcher* batcher = QuadBatcher::sharedBatcher();
    batcher->flush();
    CCParticleSystemQuad* s = system(1, 60, 10, true);
    s->setStartColor(ccc4f(1, 0.5f, 0, 0.5f));
    s->setEndColor(ccc4f(1, 0.5f, 0, 0.5f));
    s->setStartSpin(90);
    s->setEndSpin(90);
    s->setPositionType(kCCPositionTypeFree);
    s->update(kDt);
    s->setPosition(ccp(-40, 0));  // a free particle stays put: drawn 40 further right in node space

    s->draw();
    ASSERT_EQ(batcher->pendingQuads(), 1u);
    ccV3F_C4B_T2F_Quad q = batcher->pendingVertices()[0];
    EXPECT_EQ(batcher->pendingBlend(), ccBlendFuncMake(GL_ONE, GL_ONE_MINUS_SRC_ALPHA));
    EXPECT_EQ(rgba(q.tl.colors), (std::array<int, 4>{128, 64, 0, 128}));  // premultiplied
    // Turned a quarter clockwise: the top-left corner comes to the top right.
    EXPECT_NEAR(q.tl.vertices.x, 44.0f, 1e-4);
    EXPECT_NEAR(q.tl.vertices.y, 4.0f, 1e-4);
    EXPECT_NEAR(q.br.vertices.x, 36.0f, 1e-4);
    EXPECT_NEAR(q.br.vertices.y, -4.0f, 1e-4);
    batcher->flush();

    s->setBlendAdditive(true);
    EXPECT_TRUE(s->isBlendAdditive());
    s->draw();
    q = batcher->pendingVertices().at(0);
    EXPECT_EQ(batcher->pendingBlend(), ccBlendFuncMake(GL_SRC_ALPHA, GL_ONE));
    EXPECT_EQ(q.tl.colors.r, 255);  // straight colour: the blend applies alpha
    EXPECT_EQ(q.tl.colors.a, 128);
    batcher->flush();

    s->setScale(0);  // nothing to show, and nothing to log either
    qvtest::StderrCapture log;
    s->draw();
    EXPECT_EQ(batcher->pendingQuads(), 0u);
    EXPECT_TRUE(log.text().empty()) << log.text();
}
