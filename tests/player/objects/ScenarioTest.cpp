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

void setFloat(const QVModel& model, const char* name, float value) {
    attributeCast<QVAttributeFloat>(model.attribute(name))->setValue(value);
}

class Scenario : public ScenarioTest {
protected:
    // A player of the given gameplay values standing at x on the floor. One
    // asset serves every run of a test: the field builds characters from
    // the selected (first) character asset.
    std::shared_ptr<QVModelAssetCharacter> placePlayer(const ff::Gameplay& values, float x = 200.0f,
                                                       float y = kStandY) {
        if (!m_hero) {
            m_hero = ff::playerAsset("Hero", kHeroSize, kHeroSize, values);
            setFloat(*m_hero, "Game Over Delay", 0.0f);
            setFloat(*m_hero, "Camera Flash", 0.0f);
        } else {
            ff::setGameplay(*m_hero->findComponent<QVModelComponentCharacterGameplaySettings>(), values);
        }
        placeCharacter(m_hero, CCPoint(x, y));
        return m_hero;
    }
    // Enters the world and lets the character settle on the floor.
    QVPObjectAssetCharacter* start(int settleFrames = 20) {
        if (!enter()) return nullptr;
        idle(settleFrames);
        return hero();
    }

private:
    std::shared_ptr<QVModelAssetCharacter> m_hero;
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
        bool flightOfFirstRow;
    };
    const Row rows[] = {
        {"one press", base, {{0, Cue::kPress, 5}, {12, Cue::kRelease, 5}}, true},
        {"a second press in the air with counter 1",
         base,
         {{0, Cue::kPress, 5}, {12, Cue::kRelease, 5}, {20, Cue::kPress, 5}, {24, Cue::kRelease, 5}},
         true},
        {"the pad's jump, the push clamped by a positive max speed",
         clamped,
         {{0, Cue::kPadDown, 0}, {12, Cue::kPadUp, 0}},
         false},
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
        } else if (row.flightOfFirstRow) {
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
        frames.push_back(
            {touching(character, ground), height > values.groundThreshold + 0.02f, character->controlBits()});
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
        for (std::size_t i = start; i <= start + 2 && i < frames.size(); ++i)
            set |= (frames[i].bits & Bits::kBitOnGround) != 0;
        EXPECT_TRUE(set);
    }
    // The jump did push, and left the ground.
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(), [](const Frame& f) { return f.bits & Bits::kBitJumping; }));
    EXPECT_TRUE(frames.back().bits & Bits::kBitOnGround);
}

// ---------------------------------------------------------------- coins

TEST_F(Scenario, CoinAddsToCountersAndRecords) {
    digitFont();
    placeFloor();
    placePlayer(ff::Gameplay{});
    auto coinModel = place(ff::powerupCoin(CCPoint(320.0f, kStandY), 5));
    // Saved values the world starts from: the global best above its current
    // value, the world's record empty.
    ScoreCounter<int32_t>& global = scoreRecord("").coins;
    global.current = 3;
    global.best = 4;
    global.total = 50;
    scoreRecord("").refreshSavedCopies();

    QVPObjectAssetCharacter* character = start();
    ASSERT_NE(character, nullptr);
    QVPObject* coin = keep(objectOf(coinModel));
    ASSERT_NE(coin, nullptr);
    const ScoreCounter<int32_t>& world = currentScoreRecord().coins;
    ASSERT_EQ(world.current, 0);
    ASSERT_EQ(global.current, 3);

    // Run right into the coin.
    int collected = -1;
    play({{0, Cue::kPress, 3}}, 240, [&](int i) {
        if (global.current != 3) {
            collected = i;
            return false;
        }
        return true;
    });
    ASSERT_GE(collected, 0) << "the coin was never collected";
    EXPECT_EQ(global.current, 8);
    EXPECT_EQ(global.total, 55);
    EXPECT_EQ(global.best, 8);
    EXPECT_EQ(world.current, 5);
    EXPECT_EQ(world.total, 5);
    EXPECT_EQ(world.best, 5);

    // The coin stays on the field while its "5" flies for a second, then
    // goes; the rewards are counted once.
    int gone = -1;
    play({}, 120, [&](int i) {
        if (coin->getParent() != scene->getGameFieldCamera()) {
            gone = i + 1;
            return false;
        }
        return true;
    });
    EXPECT_GE(gone, 59) << "the coin left before its label's flight ended";
    EXPECT_LE(gone, 62) << "the coin outstayed its label's flight";
    EXPECT_EQ(global.current, 8);
    EXPECT_EQ(world.current, 5);
}

// ---------------------------------------------------------------- magnet

TEST_F(Scenario, MagnetPullsCoins) {
    for (const bool magnet : {true, false}) {
        SCOPED_TRACE(magnet ? "with the magnet" : "without the magnet");
        section->removeAllChildren();
        placeFloor();
        placePlayer(ff::Gameplay{});
        // The magnet lies where the character stands; the coin 300 points
        // ahead, within the magnet's reach.
        if (magnet) place(ff::powerupMagnet(CCPoint(200.0f, kStandY), 10.0f));
        auto coinModel = place(ff::powerupCoin(CCPoint(500.0f, kStandY), 5));

        QVPObjectAssetCharacter* character = start(2);
        ASSERT_NE(character, nullptr);
        const int before = scoreRecord("").coins.current;
        QVPObject* coin = keep(objectOf(coinModel));
        ASSERT_NE(coin, nullptr);
        const float startX = character->getPositionX();
        idle(240);
        EXPECT_NEAR(character->getPositionX(), startX, 1.0f);
        EXPECT_EQ(scoreRecord("").coins.current - before, magnet ? 5 : 0);
        if (!magnet) {
            EXPECT_EQ(coin->getParent(), scene->getGameFieldCamera());
            EXPECT_EQ(coin->getState(), QVPObject::kStateIdle);
            EXPECT_NEAR(coin->getPositionX(), 500.0f, 1.0f);
        }
    }
}

// ---------------------------------------------------------------- enemies

// Records what the input controller tells the objects bound to an action.
class ActionProbe : public QVPObjectAsset {
public:
    ActionProbe() : QVPObjectAsset(std::make_shared<QVModelObjectAsset>("probe")) {}
    void setActionPressed(bool pressed) override { calls.push_back(pressed); }
    std::vector<bool> calls;
};

TEST_F(Scenario, EnemyContactKills) {
    placeFloor();
    auto asset = placePlayer(ff::Gameplay{});
    ff::linkAnimation(*asset, "Defeated Animation", ff::framedAnimation("Defeat", 3, 2.0f));
    auto enemyModel = place(ff::enemyUnit(CCPoint(320.0f, kStandY), 40.0f, 40.0f));
    QVPObjectAssetCharacter* character = keep(start());
    ASSERT_NE(character, nullptr);
    QVPObject* enemy = keep(objectOf(enemyModel));
    ASSERT_NE(enemy, nullptr);
    ActionProbe probe;
    scene->getInputController()->registerActionObject(8, &probe);

    // Shoot held on the pad, the stick pushed right, into the enemy.
    int contact = -1;
    play({{0, Cue::kPadDown, 1}, {1, Cue::kPadAxis, 1, 32767}}, 180, [&](int i) {
        if (contact < 0 && touching(character, enemy)) contact = i;
        if (contact < 0) {
            EXPECT_NE(character->getState(), QVPObject::kStateDying) << "dead before the touch, frame " << i;
        }
        return contact < 0;
    });
    scene->getInputController()->unregisterActionObject(&probe);
    ASSERT_GE(contact, 0) << "the character never reached the enemy";
    EXPECT_EQ(character->getState(), QVPObject::kStateDying);
    ASSERT_NE(character->defeatAnimation(), nullptr);
    EXPECT_TRUE(character->defeatAnimation()->isVisible());
    EXPECT_EQ(character->defeatAnimation()->getParent(), character);
    ASSERT_NE(character->defaultAnimation(), nullptr);
    EXPECT_FALSE(character->defaultAnimation()->isVisible());
    // Pressed with the pad button, released by the defeat while the button
    // is still down.
    ASSERT_FALSE(probe.calls.empty());
    EXPECT_TRUE(probe.calls.front());
    EXPECT_FALSE(probe.calls.back());
    // The enemy is untouched.
    EXPECT_NE(enemy->getState(), QVPObject::kStateDying);
    EXPECT_NE(enemy->getState(), QVPObject::kStateFinished);
}

TEST_F(Scenario, InvincibilityProtects) {
    placeFloor();
    placePlayer(ff::Gameplay{});
    // Picked up at once; the first enemy is met while it lasts, the second
    // after it ended.
    constexpr float kFirstX = 320.0f;
    constexpr float kSecondX = 900.0f;
    constexpr float kEnemySize = 40.0f;
    place(ff::powerupInvincibility(CCPoint(200.0f, kStandY), 1.0f));
    auto firstModel = place(ff::enemyUnit(CCPoint(kFirstX, kStandY), kEnemySize, kEnemySize));
    auto secondModel = place(ff::enemyUnit(CCPoint(kSecondX, kStandY), kEnemySize, kEnemySize));
    // The character's front edge when it stands against an enemy at x.
    const auto against = [](float x) { return x - kEnemySize / 2.0f - 2.0f; };
    QVPObjectAssetCharacter* character = keep(start(0));
    ASSERT_NE(character, nullptr);
    // Not held: a dead enemy must leave with its body.
    ASSERT_NE(objectOf(firstModel), nullptr);
    ASSERT_NE(objectOf(secondModel), nullptr);

    int firstGone = -1;
    float firstGoneAt = 0.0f;
    int death = -1;
    float deathAt = 0.0f;
    int protectedFrom = -1;
    int protectedUntil = -1;
    play({{0, Cue::kPress, 3}}, 400, [&](int i) {
        if (character->isInvincible()) {
            if (protectedFrom < 0) protectedFrom = i;
            protectedUntil = i;
        }
        if (firstGone < 0 && !objectOf(firstModel)) {
            firstGone = i;
            firstGoneAt = character->getPositionX();
        }
        if (death < 0 && character->getState() >= QVPObject::kStateDying) {
            death = i;
            deathAt = character->getPositionX();
        }
        return death < 0 || i < death + 2;
    });
    ASSERT_GE(protectedFrom, 0) << "the invincibility was never picked up";
    // The protected touch killed the first enemy (at once: it has no defeat
    // animation), with the character against it, and spared the character.
    ASSERT_GE(firstGone, 0) << "the first enemy was never killed";
    EXPECT_GE(firstGoneAt + kHeroSize / 2.0f, against(kFirstX)) << "the first enemy died before the touch";
    ASSERT_LT(firstGone, protectedUntil) << "the first enemy was met unprotected";
    // The same touch after the Duration kills the character, not the enemy.
    ASSERT_GE(death, 0) << "the second enemy never killed the character";
    EXPECT_GT(death, protectedUntil) << "the character died protected";
    EXPECT_GE(deathAt + kHeroSize / 2.0f, against(kSecondX)) << "the character died before it met the second enemy";
    EXPECT_NEAR(protectedUntil - protectedFrom + 1, 60, 2) << "protection should last its Duration of 1 s";
    EXPECT_EQ(character->getState(), QVPObject::kStateFinished);
    QVPObject* second = objectOf(secondModel);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->getState(), QVPObject::kStateIdle);
}

// ---------------------------------------------------------------- health

TEST_F(Scenario, HealthDamageDelayWindow) {
    placeFloor();
    auto asset = placePlayer(ff::Gameplay{});
    asset->addChild(ff::healthModel(3.0f, 1.0f, 0.5f));
    auto enemyModel = place(ff::enemyUnit(CCPoint(280.0f, kStandY), 40.0f, 40.0f, 1, 0.5f));
    QVPObjectAssetCharacter* character = keep(start());
    ASSERT_NE(character, nullptr);
    QVPObject* enemy = keep(objectOf(enemyModel));
    ASSERT_NE(enemy, nullptr);
    QVComponentHealth* health = character->getHealthComponent();
    ASSERT_NE(health, nullptr);
    ASSERT_EQ(health->health(), 3);

    // Into the enemy, back a little, into it again: a touch about every 12
    // frames, windows of 30 frames.
    Script script;
    for (int k = 0; k < 12; ++k) {
        script.push_back({12 * k, Cue::kPress, 3});
        script.push_back({12 * k + 8, Cue::kRelease, 3});
        script.push_back({12 * k + 8, Cue::kPress, 4});
        script.push_back({12 * k + 12, Cue::kRelease, 4});
    }
    constexpr int kWindow = 30;
    int expected = 3;
    int lastHit = -1000;
    int refused = 0;
    int fatal = -1;
    int dead = -1;
    bool was = false;
    play(script, 12 * 12 + 60, [&](int i) {
        const bool now = touching(character, enemy);
        if (now && !was && fatal < 0) {
            SCOPED_TRACE(i);
            if (i - lastHit >= kWindow) {
                --expected;
                lastHit = i;
            } else {
                ++refused;
            }
            if (expected == 0) {
                fatal = i;
                EXPECT_TRUE(health->isDying());
            }
        }
        // Nothing but a counted touch changes it.
        EXPECT_EQ(health->health(), expected) << "frame " << i;
        if (dead < 0 && character->getState() >= QVPObject::kStateDying) dead = i;
        was = now;
        return dead < 0;
    });
    EXPECT_GE(refused, 2) << "too few touches inside a window to tell";
    ASSERT_GE(fatal, 0) << "the third window's hit never came";
    ASSERT_GE(dead, 0) << "the death delay never ended";
    EXPECT_GE(dead, fatal + 28) << "killed before the death delay";
    EXPECT_LE(dead, fatal + 32) << "the death delay overran";
}

// ---------------------------------------------------------------- bullets

TEST_F(Scenario, BulletsSpawnedAndRemoved) {
    constexpr float kEnemyX = 700.0f;
    auto bulletSprites = spriteContainer(1);
    for (const bool withEnemy : {false, true}) {
        SCOPED_TRACE(withEnemy ? "an enemy in the line of fire" : "open field");
        section->removeAllChildren();
        placeFloor();
        auto asset = placePlayer(ff::Gameplay{});
        ff::linkAnimation(*asset, "Bullet Animation", ff::spriteAnimation(bulletSprites));
        std::shared_ptr<QVModelObjectAssetUnit> enemyModel;
        if (withEnemy) enemyModel = place(ff::enemyUnit(CCPoint(kEnemyX, kStandY), 40.0f, 40.0f));
        QVPObjectAssetCharacter* character = start();
        ASSERT_NE(character, nullptr);
        // Not held: a dead enemy must leave with its body.
        const bool enemyPlaced = withEnemy && objectOf(enemyModel) != nullptr;
        EXPECT_EQ(enemyPlaced, withEnemy);
        const int bodies = bodyCount();

        // Each copy is held while it is on the field, so that it can be read
        // at the frame it leaves; then let go, so that its body can go.
        std::vector<QVPObject*> held;
        std::set<QVPObject*> seen;
        std::size_t spawned = 0;
        std::size_t removed = 0;
        cocos2d::CCNode* camera = scene->getGameFieldCamera();
        const cocos2d::CCSize view = cocos2d::CCDirector::sharedDirector()->getWinSize();
        int spawnedWhileHeld = 0;
        play({{0, Cue::kPress, 8}, {60, Cue::kRelease, 8}}, 180, [&](int i) {
            for (QVPObject* object : objects()) {
                if ((object->typeFlags() & QVPObject::kTypeSpawned) && seen.insert(object).second) {
                    object->retain();
                    held.push_back(object);
                    ++spawned;
                    if (i < 60) ++spawnedWhileHeld;
                }
            }
            for (auto it = held.begin(); it != held.end();) {
                QVPObject* copy = *it;
                if (copy->getParent() == camera) {
                    ++it;
                    continue;
                }
                SCOPED_TRACE(i);
                ++removed;
                const CCPoint at = onScreen(copy);
                // A copy that struck the enemy goes where it struck.
                const bool struck = withEnemy && std::fabs(copy->getPositionX() - kEnemyX) < 40.0f;
                EXPECT_TRUE(struck || at.x < 0.0f || at.x > view.width || at.y < 0.0f || at.y > view.height)
                    << "a copy left the field in view, at " << at.x << ", " << at.y;
                // Let go: its address may come back as a new copy.
                seen.erase(copy);
                copy->release();
                it = held.erase(it);
            }
            return true;
        });
        EXPECT_GE(spawnedWhileHeld, 4);
        EXPECT_LE(spawnedWhileHeld, 5);
        EXPECT_EQ(spawned, static_cast<std::size_t>(spawnedWhileHeld)) << "copies spawned after the release";
        EXPECT_EQ(removed, spawned) << "copies left on the field";
        for (QVPObject* copy : held) copy->release();
        EXPECT_NE(character->getState(), QVPObject::kStateDying);
        for (QVPObject* object : objects()) {
            EXPECT_FALSE(object->typeFlags() & QVPObject::kTypeSpawned) << "a copy is still on the field";
        }
        if (withEnemy) {
            EXPECT_EQ(objectOf(enemyModel), nullptr) << "the enemy survived the bullets";
        } else {
            EXPECT_EQ(bodyCount(), bodies);
        }
    }
}

// ---------------------------------------------------------------- game over

TEST_F(Scenario, GameOverCountdown) {
    placeFloor();
    auto asset = placePlayer(ff::Gameplay{});
    place(ff::enemyUnit(CCPoint(320.0f, kStandY), 40.0f, 40.0f));
    struct Row {
        const char* name;
        bool defeatAnimation;
        float delay;  // a whole number of frames
    };
    const Row rows[] = {
        {"with a defeat animation", true, 1.0f},
        {"without a defeat animation", false, 0.25f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ff::linkAnimation(*asset, "Defeated Animation",
                          row.defeatAnimation ? ff::framedAnimation("Defeat", 3, 5.0f) : nullptr);
        setFloat(*asset, "Game Over Delay", row.delay);
        QVPObjectAssetCharacter* character = keep(start());
        ASSERT_NE(character, nullptr);
        const int frames = static_cast<int>(std::ceil(row.delay * 60.0f));
        int death = -1;
        int over = -1;
        play({{0, Cue::kPress, 3}}, 600, [&](int i) {
            if (death < 0 && character->getState() >= QVPObject::kStateDying) death = i;
            if (over < 0 && scene->isGameOver()) over = i;
            return over < 0;
        });
        ASSERT_GE(death, 0) << "the character never died";
        EXPECT_EQ(character->getState(), row.defeatAnimation ? QVPObject::kStateDying : QVPObject::kStateFinished);
        ASSERT_GE(over, 0) << "no game over";
        EXPECT_GE(over - death, frames) << "game over came early";
        EXPECT_LE(over - death, frames + 2) << "game over came late";
    }
}

}  // namespace
