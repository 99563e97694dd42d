// Level streaming and the field reset: which sections stream, the widths
// that would grow or hang the field, the queue a reset leaves behind and
// where the characters come from.
#include <cmath>

#include "field_scene_support.h"
#include "player/app/QVPInputController.h"

namespace fieldtest {
namespace {

using StreamingTest = FieldTest;

TEST_F(StreamingTest, EligibilityTable) {
    auto w = ff::world("Eligible");
    ff::section(w, "init", 1136.0f, true);
    auto open = ff::section(w, "open", 100.0f);  // start 0, end -1
    auto ranged = ff::section(w, "ranged", 100.0f);
    setFloat(*ranged, "Start Distance", 1000.0f);
    setFloat(*ranged, "End Distance", 2000.0f);
    auto solo = ff::section(w, "solo", 100.0f);
    setFloat(*solo, "Start Distance", 5000.0f);
    setFloat(*solo, "End Distance", 6000.0f);
    setBool(*solo, "Solo", true);
    auto muted = ff::section(w, "muted", 100.0f);
    setBool(*muted, "Muted", true);
    ff::section(w, "zero", 0.0f);
    ff::section(w, "negative", -200.0f);
    auto nan = ff::section(w, "nan", 100.0f);
    setFloat(*nan, "Width", std::nanf(""));
    enter("Eligible");
    for (const auto& section : scene->getLevelSections()) section->setCooldown(0);
    open->setCooldown(2);

    using Indices = std::vector<std::size_t>;
    const struct {
        float distance;
        bool useCooldown;
        Indices expected;
    } rows[] = {
        {0.0f, false, {1, 3}},    {999.0f, false, {1, 3}}, {1000.0f, false, {1, 2, 3}}, {1999.0f, false, {1, 2, 3}},
        {2000.0f, false, {1, 3}}, {-1.0f, false, {3}},     {1500.0f, true, {2, 3}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "distance " << row.distance << " cooldown " << row.useCooldown);
        EXPECT_EQ(scene->eligibleSections(row.distance, row.useCooldown), row.expected);
    }
}

TEST_F(StreamingTest, CooldownPicksAndEmptyCandidates) {
    // One section with cooldown 3 is still placed at every pick.
    auto w = ff::world("Cooldown");
    auto only = ff::section(w, "only", 500.0f);
    setFloat(*only, "Play Cooldown", 3.0f);
    auto later = ff::section(w, "later", 500.0f);
    setFloat(*later, "Start Distance", 1e6f);
    enter("Cooldown");
    for (int pick = 0; pick < 5; ++pick) {
        SCOPED_TRACE(pick);
        EXPECT_EQ(scene->levelSectionAt(100.0f), only);
        EXPECT_EQ(only->cooldown(), 3);
    }
    // Nothing eligible before the start: empty after the release passes,
    // and the same slot is tried again on later ticks.
    setBool(*only, "Muted", true);
    EXPECT_EQ(scene->levelSectionAt(100.0f), nullptr);
    const float next = scene->getNextSectionStart();
    for (int i = 0; i < 60; ++i) scene->update(1.0f / 60.0f);
    EXPECT_EQ(scene->getNextSectionStart(), next);
    setBool(*only, "Muted", false);
    only->setCooldown(0);
    EXPECT_EQ(scene->levelSectionAt(next), only);
}

TEST_F(StreamingTest, LookAheadFilledBeforeTheFirstFrame) {
    auto w = ff::world("Ahead");
    crates(ff::section(w, "start", 300.0f, true), 2);
    crates(ff::section(w, "piece", 300.0f), 3);
    enter("Ahead");
    EXPECT_GE(scene->getNextSectionStart(), 1400.0f);
    EXPECT_EQ(scene->getCreationQueueLength(), 0u);
    EXPECT_EQ(objects().size(), 2u + 3u * 4u);
}

TEST_F(StreamingTest, SectionsWithoutWidthNeverStream) {
    // Without the rule, Width 0 is queued at every tick and Width -200 keeps
    // the reset's look-ahead loop going for ever.
    for (float width : {0.0f, -200.0f}) {
        SCOPED_TRACE(width);
        auto w = ff::world("Flat" + std::to_string(static_cast<int>(width)));
        crates(ff::section(w, "start", 1136.0f, true), 2);
        auto bad = ff::section(w, "bad", width);
        crates(bad, 3);
        LogCapture log;
        enter(w->key());
        EXPECT_EQ(scene->getNextSectionStart(), 1136.0f);
        const std::size_t count = objects().size();
        QVPGameFieldSettings::shared()->setGameSpeedMin(10.0f);
        for (int frame = 0; frame < 600; ++frame) scene->update(1.0f / 60.0f);
        EXPECT_EQ(objects().size(), count);
        EXPECT_EQ(scene->getCreationQueueLength(), 0u);
        EXPECT_EQ(scene->getNextSectionStart(), 1136.0f);
        EXPECT_EQ(linesWith("not streamed"), 1);
        leave();
    }
}

TEST_F(StreamingTest, ResetDuringCreationLeavesNothingOld) {
    auto w = ff::world("Half");
    crates(ff::section(w, "start", 1136.0f, true), 1);
    auto big = ff::section(w, "big", 1136.0f);
    setFloat(*big, "Start Distance", 1e6f);
    auto old = crates(big, 45, true);
    enter("Half");
    scene->addLevelSection(big, 5000.0f);
    EXPECT_FALSE(scene->updateObjectCreationQueue());
    ASSERT_NE(objectOf(old.front()), nullptr);
    // The camera holds the last reference to each object (ASan).
    drainPool();

    scene->resetGameField();
    EXPECT_EQ(scene->getCreationQueueLength(), 0u);
    for (const auto& model : old) EXPECT_EQ(objectOf(model), nullptr);
    // Every body left in the world belongs to an object of the new field.
    int withBodies = 0;
    for (QVPObject* object : objects()) withBodies += object->getBody() ? 1 : 0;
    EXPECT_EQ(bodyCount(), withBodies);
    for (b2Body* body = scene->getWorld()->GetBodyList(); body; body = body->GetNext()) {
        auto* owner = physics::userObject<QVPObject>(body);
        ASSERT_NE(owner, nullptr);
        EXPECT_EQ(owner->getParent(), camera());
    }
    drainPool();
    EXPECT_EQ(QVPObject::liveCount(), static_cast<int64_t>(objects().size()));
}

TEST_F(StreamingTest, CharactersComeFromTheWorldsInitSection) {
    auto hero = ff::characterAsset("Hero", 40.0f, 40.0f);
    // The init section is not the world's first section.
    auto w = ff::world("Second");
    crates(ff::section(w, "first", 1136.0f), 1);
    auto init = ff::section(w, "init", 1136.0f, true);
    init->addChild(ff::characterPlacement(hero, CCPoint(200.0f, 60.0f)));
    // Another world, whose init section also holds a character.
    auto other = ff::world("Other");
    auto otherInit = ff::section(other, "other init", 1136.0f, true);
    otherInit->addChild(ff::characterPlacement(hero, CCPoint(100.0f, 60.0f)));
    auto empty = ff::world("Empty");
    crates(ff::section(empty, "only", 1136.0f, true), 1);

    enter("Second");
    EXPECT_EQ(scene->getInputController()->getCharacters()->count(), 1u);

    // A start section id left over from the other world.
    manager()->setStartSectionId(otherInit->id());
    enter("Empty");
    EXPECT_EQ(scene->getInputController()->getCharacters()->count(), 0u);
    for (QVPObject* object : objects()) EXPECT_NE(object->typeFlags(), QVPObject::kTypeCharacter);
}

TEST_F(StreamingTest, CheckpointRestore) {
    auto hero = ff::characterAsset("Hero", 40.0f, 40.0f);
    auto w = ff::world("Check");
    auto start = ff::section(w, "start", 1136.0f, true);
    start->addChild(ff::characterPlacement(hero, CCPoint(200.0f, 60.0f)));
    auto middle = ff::section(w, "middle", 1136.0f);
    crates(middle, 2);

    // (0, 0) is no checkpoint, whatever else the record says.
    CheckpointRecord& record = checkpointRecord("Check");
    record.distance = 5000.0f;
    record.sectionId = static_cast<int32_t>(middle->id());
    record.cameraX = -300.0f;
    {
        LogCapture log;
        enter("Check");
        EXPECT_EQ(linesWith("Restore Camera Positon"), 0);
    }
    record.pointX = 1500.0f;
    record.pointY = 80.0f;
    record.cameraX = -1200.0f;
    record.cameraY = 0.0f;
    record.distance = 1136.0f;
    LogCapture log;
    scene->resetGameField();
    EXPECT_EQ(linesWith("Restore Camera Positon: -1200.000000 0.000000"), 1);
    QVPObject* character = nullptr;
    for (QVPObject* object : objects()) {
        if (object->typeFlags() == QVPObject::kTypeCharacter) character = object;
    }
    ASSERT_NE(character, nullptr);
    EXPECT_NEAR(character->getPositionX(), 1500.0f, 1.0f);
    EXPECT_NEAR(character->getPositionY(), 80.0f, 1.0f);
    EXPECT_NEAR(camera()->getPositionX(), -1200.0f, 1.0f);
    EXPECT_GE(scene->getNextSectionStart(), 1136.0f + 1136.0f);
}

}  // namespace
}  // namespace fieldtest
