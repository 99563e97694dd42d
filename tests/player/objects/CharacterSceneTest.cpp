// The character's defeat inside a running world: the scene is asked for its
// flash and shake, and a character without a defeat animation leaves the
// field so that the world counts down to game over.
#include "../../engine/log/log_capture.h"
#include "model/core/QVAttributeFundamental.h"
#include "scenario_test_support.h"

namespace {

using namespace scenariotest;

class CharacterInScene : public ScenarioTest {};

TEST_F(CharacterInScene, DefeatAsksFlashAndShakeThenLeavesTheField) {
    placeFloor();
    auto asset = ff::characterAsset("Runner", 40.0f, 60.0f);
    attributeCast<QVAttributeFloat>(asset->attribute("Camera Flash"))->setValue(0.5f);
    attributeCast<QVAttributeFloat>(asset->attribute("Camera Shake"))->setValue(0.25f);
    placeCharacter(asset, CCPoint(200.0f, 30.0f));
    ASSERT_NE(enter(), nullptr);
    QVPObjectAssetCharacter* character = hero();
    ASSERT_NE(character, nullptr);
    ASSERT_NE(character->getBody(), nullptr);
    character->retain();
    idle(10);
    EXPECT_TRUE(character->isOnGround());
    const int bodies = scene->getWorld()->GetBodyCount();

    LogCapture log;
    character->setState(QVPObject::kStateDying);
    EXPECT_EQ(character->getState(), QVPObject::kStateFinished);
    EXPECT_TRUE(LogCapture::has("[QVPScreenScene] - flash: 0.500000"));
    EXPECT_TRUE(LogCapture::has("[QVPScreenScene] - shake: 0.250000"));
    EXPECT_FLOAT_EQ(scene->getShakeTime(), 0.25f);
    EXPECT_FALSE(scene->getInputController()->hasLiveCharacters());
    idle(1);
    EXPECT_EQ(character->getBody(), nullptr);
    EXPECT_EQ(scene->getWorld()->GetBodyCount(), bodies - 1);
    character->release();
}

}  // namespace
