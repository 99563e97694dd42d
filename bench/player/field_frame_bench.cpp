// BM_FieldFrame/N: one game-field frame (QVPScreenScene::update with 1/60)
// against a raw b2World::Step of the same bodies, at N dynamic crates on a
// static ground. Each iteration builds both afresh (not timed), runs 60
// warm-up frames of each, then times 240 frames of each. Counters: ratio
// (field / raw), field_us and raw_us per frame, bodies (the field's).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "FieldFixtures.h"
#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/objects/QVPObjectClasses.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "view/CCEGLView.h"

using cocos2d::CCPoint;

namespace {

constexpr int kWarmUpFrames = 60;
constexpr int kTimedFrames = 240;
constexpr float kStep = 1.0f / 60.0f;
constexpr float kPixelToMetre = 0.05f;
constexpr float kGroundWidth = 2000.0f;
constexpr float kGroundHeight = 40.0f;
constexpr float kCrate = 20.0f;
constexpr float kSpacing = 22.0f;
constexpr int kPerRow = 50;
constexpr float kFriction = 0.3f;
const b2Vec2 kGravity(0.0f, -10.0f);

CCPoint groundCentre() { return CCPoint(kGroundWidth / 2, kGroundHeight / 2); }

// Rows of 50 from just above the ground.
CCPoint crateCentre(int i) {
    return CCPoint(kGroundWidth / 2 - kSpacing * (kPerRow - 1) / 2 + kSpacing * static_cast<float>(i % kPerRow),
                   kGroundHeight + kSpacing / 2 + kSpacing * static_cast<float>(i / kPerRow));
}

void setFloat(const QVModel& model, const char* name, float value) {
    if (auto* attribute = attributeCast<QVAttributeFloat>(model.attribute(name))) attribute->setValue(value, true);
}

// The field world's models: one Init section with the ground and n crates.
void buildWorldModels(int n) {
    auto world = fieldfixtures::world("Bench");
    if (auto* gravity = attributeCast<QVAttributePoint>(world->attribute("Gravity"))) {
        gravity->setValue(CCPoint(kGravity.x, kGravity.y), true);
    }
    setFloat(*world, "Game Speed Min", 0.0f);
    setFloat(*world, "Game Speed Max", 0.0f);
    setFloat(*world, "Velocity Drag", 1.0f);
    setFloat(*world, "Time Warp", 1.0f);
    setFloat(*world, "Friction", kFriction);
    setFloat(*world, "Bounce", 0.0f);
    setFloat(*world, "Back Deletion Threshold", 10000.0f);
    setFloat(*world, "Sides Deletion Threshold", 10000.0f);
    auto section = fieldfixtures::section(world, "Pile", kGroundWidth, true);
    auto ground = fieldfixtures::obstacleAsset("Ground", kGroundWidth, kGroundHeight);
    auto crate = fieldfixtures::obstacleAsset("Crate", kCrate, kCrate);
    section->addChild(fieldfixtures::unitPlacement(ground, groundCentre()));
    for (int i = 0; i < n; ++i) section->addChild(fieldfixtures::unitPlacement(crate, crateCentre(i), true));
}

// The same bodies made with the same calls, in the same order, as the
// field's objects make them.
std::unique_ptr<b2World> buildRawWorld(int n) {
    auto world = std::make_unique<b2World>(kGravity);
    auto addBox = [&](const CCPoint& centre, float w, float h, bool dynamic) {
        b2BodyDef def;
        def.type = b2_staticBody;
        def.position.Set(centre.x * kPixelToMetre, centre.y * kPixelToMetre);
        // The fixture builder's corners: a box's points in its order, y up.
        const b2Vec2 corners[4] = {{-w / 2 * kPixelToMetre, h / 2 * kPixelToMetre},
                                   {w / 2 * kPixelToMetre, h / 2 * kPixelToMetre},
                                   {w / 2 * kPixelToMetre, -h / 2 * kPixelToMetre},
                                   {-w / 2 * kPixelToMetre, -h / 2 * kPixelToMetre}};
        b2PolygonShape box;
        physics::setPolygon(&box, corners, 4);
        b2FixtureDef fixture;
        fixture.shape = &box;
        fixture.density = 0.1f;
        fixture.friction = kFriction;
        fixture.restitution = 0.0f;
        b2Body* body = physics::createBody(world.get(), def);
        physics::createFixture(body, fixture);
        body->SetSleepingAllowed(false);
        if (dynamic) physics::setType(body, b2_dynamicBody);
    };
    addBox(groundCentre(), kGroundWidth, kGroundHeight, false);
    for (int i = 0; i < n; ++i) addBox(crateCentre(i), kCrate, kCrate, true);
    return world;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_FieldFrame(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    setLogSink([](const char*, std::size_t) {});
    registerModelClasses();
    registerObjectClasses();
    registerComponentClasses();
    cocos2d::CCEGLView* view = cocos2d::CCEGLView::sharedOpenGLView();
    view->setFrameSize(1136, 640);
    cocos2d::CCDirector::sharedDirector()->setOpenGLView(view);
    view->setDesignResolutionSize(1136, 640, cocos2d::kResolutionExactFit);
    QVModelController::shared()->clear();
    buildWorldModels(n);
    fieldfixtures::FieldFixtures fixtures;
    ScreenManager::shared()->setScene("Bench");

    double fieldSeconds = 0.0;
    double rawSeconds = 0.0;
    int bodies = 0;
    for (auto _ : state) {
        QVPScreenScene* scene = QVPScreenScene::create();
        if (!scene) {
            state.SkipWithError("the field scene cannot be made");
            break;
        }
        scene->retain();
        scene->onEnter();
        cocos2d::CCPoolManager::sharedPoolManager()->drain();
        std::unique_ptr<b2World> raw = buildRawWorld(n);
        for (int i = 0; i < kWarmUpFrames; ++i) scene->update(kStep);
        for (int i = 0; i < kWarmUpFrames; ++i) raw->Step(kStep, 6, 6);
        bodies = scene->getWorld() ? scene->getWorld()->GetBodyCount() : 0;

        const auto fieldStart = std::chrono::steady_clock::now();
        for (int i = 0; i < kTimedFrames; ++i) scene->update(kStep);
        const double field = secondsSince(fieldStart);
        const auto rawStart = std::chrono::steady_clock::now();
        for (int i = 0; i < kTimedFrames; ++i) raw->Step(kStep, 6, 6);
        const double rawTime = secondsSince(rawStart);
        state.SetIterationTime(field);
        fieldSeconds += field;
        rawSeconds += rawTime;

        scene->onExit();
        scene->cleanup();
        scene->release();
        cocos2d::CCPoolManager::sharedPoolManager()->drain();
    }
    const double frames = static_cast<double>(state.iterations()) * kTimedFrames;
    if (frames > 0 && rawSeconds > 0) {
        state.counters["ratio"] = fieldSeconds / rawSeconds;
        state.counters["field_us"] = fieldSeconds / frames * 1e6;
        state.counters["raw_us"] = rawSeconds / frames * 1e6;
    }
    state.counters["bodies"] = bodies;
    ScreenManager::shared()->reset();
    QVModelController::shared()->clear();
    setLogSink(nullptr);
}
BENCHMARK(BM_FieldFrame)->Arg(50)->Arg(300)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
