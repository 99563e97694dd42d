// The game-field camera: the scroll at the game speed, the frame edges that
// push, kill or follow, the ad margin, the frame rectangle from the model.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "base/CCAutoreleasePool.h"
#include "director/CCDirector.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPInputController.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "view/CCEGLView.h"

using cocos2d::CCPoint;
using cocos2d::CCRect;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class GameFieldCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        cocos2d::CCDirector::resetForTest();
        cocos2d::CCEGLView* view = cocos2d::CCDirector::sharedDirector()->getOpenGLView();
        view->setFrameSize(1136, 640);
        view->setDesignResolutionSize(1136, 640, cocos2d::kResolutionExactFit);
    }
    void TearDown() override {
        QVPGameFieldSettings::destroy();
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
        cocos2d::CCDirector::resetForTest();
    }
};

struct CameraCase {
    const char* name;
    int states[4];  // "Object Frame State 1" (above) to "4" (left)
    float speed, angle;
    bool align;
    float smoothing;
    CCRect frame;
    CCPoint target;
    bool zeroTargetAfter;
    CCPoint position;       // of the camera after one update from (0, 0)
    CCPoint characterMove;  // of the one live character
    bool killed;
};

const CCRect kWhole(0.0f, 0.0f, 1.0f, 1.0f);
const CCRect kMiddle(0.25f, 0.5f, 0.5f, 0.5f);  // x 284..852, y 280..640

// Window 1136 x 640, camera at (0, 0): the visible rectangle is x 0..1136,
// y -40..640 (the ad margin reaches 40 points below the window).
const CameraCase kCases[] = {
    {"speed 2 scrolls -2 per 1/60 s", {0, 0, 0, 0}, 2, 0, false, 1, kWhole, {500, 300}, false, {-2, 0}, {0, 0}, false},
    {"angle 90 scrolls up", {0, 0, 0, 0}, 2, 90, false, 1, kWhole, {500, 300}, false, {0, 2}, {0, 0}, false},
    {"above pushes down", {1, 0, 0, 0}, 0, 0, false, 1, kWhole, {500, 670}, false, {0, 0}, {0, -30}, false},
    {"above kills", {2, 0, 0, 0}, 0, 0, false, 1, kWhole, {500, 670}, false, {0, 0}, {0, 0}, true},
    {"above follows, smoothed", {0, 0, 0, 0}, 0, 0, false, 0.5f, kWhole, {500, 670}, false, {0, -15}, {0, 0}, false},
    {"20 below is inside the margin", {0, 0, 2, 0}, 0, 0, false, 1, kWhole, {500, -20}, false, {0, 0}, {0, 0}, false},
    {"50 below kills", {0, 0, 2, 0}, 0, 0, false, 1, kWhole, {500, -50}, false, {0, 0}, {0, 0}, true},
    {"50 below follows", {0, 0, 0, 0}, 0, 0, false, 1, kWhole, {500, -50}, false, {0, 10}, {0, 0}, false},
    {"right pushes left", {0, 1, 0, 0}, 0, 0, false, 1, kWhole, {1200, 300}, false, {0, 0}, {-64, 0}, false},
    {"left pushes right", {0, 0, 0, 1}, 0, 0, false, 1, kWhole, {-10, 300}, false, {0, 0}, {10, 0}, false},
    // The bottom edge comes first; its kill leaves nothing for the right one.
    {"a kill ends the edge rules", {0, 1, 2, 0}, 0, 0, false, 1, kWhole, {1200, -100}, false, {0, 0}, {0, 0}, true},
    {"push below, follow right", {0, 0, 1, 0}, 0, 0, false, 1, kWhole, {1200, -100}, false, {-64, 0}, {0, 60}, false},
    {"aligned borders turn it", {0, 0, 0, 0}, 0, 90, true, 1, kWhole, {500, 670}, false, {-30, 0}, {0, 0}, false},
    {"(0, 0) target ignored", {0, 0, 0, 0}, 0, 0, false, 1, kWhole, {500, 700}, true, {0, -60}, {0, 0}, false},
    {"scaled frame", {0, 0, 0, 0}, 0, 0, false, 1, kMiddle, {100, 300}, false, {184, 0}, {0, 0}, false},
    {"NaN: the window", {0, 0, 0, 0}, 0, 0, false, 1, {kNaN, 0, 1, 1}, {100, 300}, false, {0, 0}, {0, 0}, false},
};

TEST_F(GameFieldCameraTest, ScrollsAndAppliesTheFrameEdges) {
    for (const CameraCase& c : kCases) {
        SCOPED_TRACE(c.name);
        QVPGameFieldSettings::shared()->setGameSpeed(c.speed);
        QVPGameFieldSettings::shared()->setGameplayAngleDirection(c.angle);
        QVPInputController* controller = QVPInputController::shared();
        auto* character = new QVPObjectAssetCharacter(nullptr);
        character->autorelease();
        character->setPosition(CCPoint(400.0f, 300.0f));
        controller->addCharacter(character);

        auto model = std::make_shared<QVModelScreenScene>("world");
        attributeCast<QVAttributeRect>(model->attribute("Object Frame Rect"))->setValue(c.frame);
        for (int i = 0; i < 4; ++i) {
            const std::string name = "Object Frame State " + std::to_string(i + 1);
            attributeCast<QVAttributeFrameEdgeState>(model->attribute(name))
                ->setValue(static_cast<QVObjectFrameEdgeState>(c.states[i]));
        }
        attributeCast<QVAttributeBool>(model->attribute("Align Camera Borders"))->setValue(c.align);

        QVPGameFieldCamera* camera = QVPGameFieldCamera::create();
        ASSERT_NE(camera, nullptr);
        camera->setModel(model);
        camera->setSmoothing(c.smoothing);
        camera->setTargetOffset(c.target);
        if (c.zeroTargetAfter) camera->setTargetOffset(CCPoint(0.0f, 0.0f));
        camera->update(1.0f / 60.0f);

        EXPECT_NEAR(camera->getPosition().x, c.position.x, 1e-3f);
        EXPECT_NEAR(camera->getPosition().y, c.position.y, 1e-3f);
        EXPECT_TRUE(camera->getLastMove().fuzzyEquals(-c.position, 1e-3f));
        EXPECT_NEAR(character->getPosition().x - 400.0f, c.characterMove.x, 1e-3f);
        EXPECT_NEAR(character->getPosition().y - 300.0f, c.characterMove.y, 1e-3f);
        // Without a defeat animation a killed character finishes at once.
        EXPECT_EQ(character->getState() >= QVPObject::kStateDying, c.killed);
        QVPInputController::destroy();
    }
}

}  // namespace
