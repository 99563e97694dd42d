// Whole-world scenarios: the real character, units, powerups and health on
// the real scene, physics world and contact listener, driven by scripted
// actions and gamepad events.
#include <algorithm>
#include <cmath>
#include <set>

#include "model/classes/QVModelAnimation.h"
#include "model/core/QVAttributeModel.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVComponentHealth.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "scenario_test_support.h"

namespace {

using namespace scenariotest;
using Bits = QVPObjectAssetCharacter;

// A character 40 x 40 points standing on the floor at x.
constexpr float kHeroSize = 40.0f;
constexpr float kStandY = kHeroSize / 2.0f;

void link(const QVModel& model, const char* name, const std::shared_ptr<QVModelAnimation>& animation) {
    relinkNotifying(attributeCast<QVAttributeAnimation>(model.attribute(name)), animation);
}
void setFloat(const QVModel& model, const char* name, float value) {
    attributeCast<QVAttributeFloat>(model.attribute(name))->setValue(value);
}

class Scenario : public ScenarioTest {
protected:
    // A player of the given gameplay values standing at x on the floor.
    std::shared_ptr<QVModelAssetCharacter> placePlayer(const ff::Gameplay& values, float x = 200.0f,
                                                       float y = kStandY) {
        auto asset = ff::playerAsset("Hero", kHeroSize, kHeroSize, values);
        setFloat(*asset, "Game Over Delay", 0.0f);
        setFloat(*asset, "Camera Flash", 0.0f);
        placeCharacter(asset, CCPoint(x, y));
        return asset;
    }
    // Enters the world and lets the character settle on the floor.
    QVPObjectAssetCharacter* start(int settleFrames = 20) {
        if (!enter()) return nullptr;
        idle(settleFrames);
        return hero();
    }
};

// ---------------------------------------------------------------- jump

// The reference flight of a jump started from rest on the floor, from the
// movement rules: every frame the world step (gravity, then position, semi-
// implicit Euler at 1/60), then the character's update: while pushing the
// y velocity is set to upForce.y and upForce is added again, the sum is
// clamped by a positive maxSpeed.y, and in the air it is scaled by the air
// drag. The floor holds the body during the first step. Landing is the
// first frame after the push whose step leaves the body's bottom within the
// ground threshold.
struct Flight {
    float apex = 0.0f;  // metres above the resting height
    int airFrames = 0;  // steps from the press until the ground bit is back
};
Flight referenceFlight(const ff::Gameplay& g, float gravity) {
    Flight flight;
    float y = 0.0f;
    float v = 0.0f;
    float timer = 0.0f;
    bool pushing = true;
    for (int frame = 1; frame < 2000; ++frame) {
        if (frame > 1) {
            v += gravity * kFrame;
            y += v * kFrame;
        }
        flight.apex = std::max(flight.apex, y);
        if (!pushing && y <= g.groundThreshold) {
            flight.airFrames = frame;
            return flight;
        }
        float push = 0.0f;
        if (pushing) {
            v = g.jumpForce.y;
            push = g.jumpForce.y;
            timer += kFrame;
            if (timer >= g.jumpTimeout) pushing = false;
        }
        v += push;
        if (g.maxSpeed.y > 0.0f) v = std::clamp(v, -g.maxSpeed.y, g.maxSpeed.y);
        v *= g.airDrag.y;
    }
    return flight;
}

TEST_F(Scenario, JumpHeightAndAirTime) {
    ff::Gameplay base;
    base.jumpForce = CCPoint(0.0f, 10.0f);
    base.jumpTimeout = 0.1f;
    base.jumpCounter = 1.0f;
    base.maxSpeed = CCPoint(10.0f, 0.0f);
    base.airDrag = CCPoint(1.0f, 0.99f);
    base.groundThreshold = 0.1f;
    ff::Gameplay clamped = base;
    clamped.maxSpeed = CCPoint(10.0f, 12.0f);

    struct Row {
        const char* name;
        ff::Gameplay values;
        Script script;
    };
    const Row rows[] = {
        {"one press", base, {{0, Cue::kPress, 5}, {12, Cue::kRelease, 5}}},
        {"a second press in the air with counter 1",
         base,
         {{0, Cue::kPress, 5}, {12, Cue::kRelease, 5}, {20, Cue::kPress, 5}, {24, Cue::kRelease, 5}}},
        {"the push clamped by a positive max speed", clamped, {{0, Cue::kPadDown, 0}, {12, Cue::kPadUp, 0}}},
    };
    std::vector<float> firstPath;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        section->removeAllChildren();
        placeFloor();
        placePlayer(row.values);
        QVPObjectAssetCharacter* character = start(30);
        ASSERT_NE(character, nullptr);
        ASSERT_TRUE(character->isOnGround());
        const float restY = character->getPositionY();
        const Flight expected = referenceFlight(row.values, scene->getWorld()->GetGravity().y);
        ASSERT_GT(expected.apex, 1.0f);

        std::vector<float> path;
        float apex = 0.0f;
        int airFrames = 0;
        play(row.script, 600, [&](int i) {
            path.push_back(character->getPositionY());
            apex = std::max(apex, (character->getPositionY() - restY) / kPointsPerMetre);
            if (i == 0) {
                EXPECT_FALSE(character->isOnGround());
            }
            if (i > 0 && character->isOnGround()) {
                airFrames = i + 1;
                return false;
            }
            return true;
        });
        EXPECT_NEAR(apex, expected.apex, expected.apex * 0.02f);
        EXPECT_NEAR(airFrames, expected.airFrames, 2);
        EXPECT_EQ(character->jumpCount(), 0);  // landed
        if (firstPath.empty()) {
            firstPath = path;
        } else if (row.values.maxSpeed.y == 0.0f) {
            // The refused second jump leaves the flight exactly as it was.
            ASSERT_EQ(path.size(), firstPath.size());
            for (std::size_t i = 0; i < path.size(); ++i) EXPECT_NEAR(path[i], firstPath[i], 1e-3f) << i;
        }
    }
}

// ---------------------------------------------------------------- landing

TEST_F(Scenario, LandingFlipsGroundBit) {
    placeFloor();
    ff::Gameplay values;
    values.jumpForce = CCPoint(0.0f, 8.0f);
    values.jumpTimeout = 0.15f;
    values.groundThreshold = 0.1f;
    placePlayer(values, 200.0f, kStandY + 100.0f);
    ASSERT_NE(enter(), nullptr);
    QVPObjectAssetCharacter* character = hero();
    ASSERT_NE(character, nullptr);
    QVPObject* ground = nullptr;
    for (QVPObject* object : objects()) {
        if (object != character && object->getBody() && object->typeFlags() == QVPObject::kTypeUnit) ground = object;
    }
    ASSERT_NE(ground, nullptr);
    ASSERT_FALSE(touching(character, ground));

    struct Frame {
        bool touching;
        bool high;  // the bottom more than the ground threshold above the floor
        uint32_t bits;
    };
    std::vector<Frame> frames;
    play({{70, Cue::kPress, 5}, {100, Cue::kRelease, 5}}, 200, [&](int) {
        const float height = (character->getPositionY() - kStandY) / kPointsPerMetre;
        frames.push_back({touching(character, ground), height > values.groundThreshold + 0.02f,
                          character->controlBits()});
        return true;
    });

    std::vector<std::size_t> touchStarts;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const Frame& f = frames[i];
        if (f.touching && (i == 0 || !frames[i - 1].touching)) touchStarts.push_back(i);
        if (f.high) {
            EXPECT_FALSE(f.bits & Bits::kBitOnGround) << "in the air at frame " << i;
        }
        if (f.bits & Bits::kBitJumping) {
            EXPECT_FALSE(f.bits & Bits::kBitOnGround) << "pushing at frame " << i;
        }
    }
    // The drop and the landing after the jump: the bit is set within 2
    // frames of the first touch.
    ASSERT_EQ(touchStarts.size(), 2u);
    for (std::size_t start : touchStarts) {
        SCOPED_TRACE(start);
        bool set = false;
        for (std::size_t i = start; i <= start + 2 && i < frames.size(); ++i) set |= (frames[i].bits & Bits::kBitOnGround) != 0;
        EXPECT_TRUE(set);
    }
    // The jump did push, and left the ground.
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const Frame& f) { return f.bits & Bits::kBitJumping; }));
    EXPECT_TRUE(frames.back().bits & Bits::kBitOnGround);
}

}  // namespace
