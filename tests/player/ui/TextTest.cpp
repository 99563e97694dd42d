// Labels: score values with their rounding, modifiers and the global
// session sums, records read without creating any, the loading counter
// over a real load, character counts over the character models, fixed
// texts, autohide across a reset, animation states, and missing fonts.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVKeyTable.h"
#include "player/app/ScoreTable.h"
#include "player/ui/QVPObjectText.h"
#include "ui_test_support.h"

using namespace cocos2d;
using namespace uitest;

namespace {

class Labels : public UiTest {
protected:
    ~Labels() override { scoreRecords().clear(); }

    std::shared_ptr<QVModelObjectLabel> labelModel(const std::string& action) {
        if (!font) font = digitFont();
        auto model = QVModelObjectLabel::create();
        setText(*model, "Font", std::to_string(font->id()));
        setText(*model, "Action", action);
        return model;
    }
    // The text shown after one update.
    static std::string shown(const std::shared_ptr<QVModelObjectLabel>& model) {
        QVPObjectText* text = QVPObjectText::create(model);
        text->update(0.0f);
        return text->label() ? text->label()->getString() : "<no label>";
    }
    static std::shared_ptr<QVModelObjectLabel> score(std::shared_ptr<QVModelObjectLabel> model, const char* world,
                                                     const char* type, const char* amount, int modifier) {
        setText(*model, "World", world);
        setText(*model, "Score Type", type);
        setText(*model, "Amount", amount);
        attributeOf<QVAttributeInt>(*model, "Score Modifier")->setValue(modifier);
        return model;
    }

    std::shared_ptr<QVModelFont> font;
};

}  // namespace

// Distances round to the nearest whole number after the modifier; counters
// are signed sums; "kGlobal" shows the session sums for the current amount
// and the global record otherwise.
TEST_F(Labels, ScoreValuesFollowTheirCountersAndModifiers) {
    ScoreRecord& forest = scoreRecord("Forest");
    scoreRecord("Cave").points.current = 4;
    scoreRecord("").points.current = 100;
    scoreRecord("").points.best = 900;
    forest.points.current = 3;
    forest.coins.best = 7;
    forest.coins.total = 11;
    struct Row {
        float distance;
        const char* world;
        const char* type;
        const char* amount;
        int modifier;
        const char* expected;
    };
    const Row rows[] = {
        {12.4f, "Forest", "kScoreDistance", "kScoreCurrent", 0, "12"},
        {12.6f, "Forest", "kScoreDistance", "kScoreCurrent", 0, "13"},
        {12.4f, "Forest", "kScoreDistance", "kScoreCurrent", 10, "22"},
        {12.6f, "Forest", "kScoreDistance", "kScoreCurrent", 10, "23"},
        {0.0f, "Forest", "kScorePoints", "kScoreCurrent", -8, "-5"},
        {0.0f, "Forest", "kScoreCoins", "kScoreBest", 0, "7"},
        {0.0f, "Forest", "anything", "kScoreTotal", 0, "11"},
        {0.0f, "kGlobal", "kScorePoints", "kScoreCurrent", 0, "7"},
        {0.0f, "kGlobal", "kScorePoints", "kScoreBest", 1, "901"},
        {0.0f, "Forest", "kScorePoints", "kScoreCurrent", 2147483647, "-2147483646"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.world << " " << row.type << " " << row.amount << " " << row.modifier
                                        << " at " << row.distance);
        forest.distance.current = row.distance;
        EXPECT_EQ(shown(score(labelModel("kScoreVector"), row.world, row.type, row.amount, row.modifier)),
                  row.expected);
    }
}

// A "World" that names no record shows the modifier alone and adds no
// record, so nothing new reaches the saved scores.
TEST_F(Labels, UnknownWorldShowsTheModifierAndCreatesNoRecord) {
    scoreRecord("Forest");
    const std::string before = serializeScores();
    for (const char* type : {"kScoreDistance", "kScorePoints", "kScoreCoins"}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(shown(score(labelModel("kScoreVector"), "Forst", type, "kScoreBest", 5)), "5");
    }
    EXPECT_EQ(findScoreRecord("Forst"), nullptr);
    EXPECT_EQ(scoreRecords().size(), 1u);
    EXPECT_EQ(serializeScores(), before);
}

// The counter shows the loader's percent on every update of a real load.
TEST_F(Labels, LoadingCounterFollowsThePercent) {
    QVPObjectText* text = QVPObjectText::create(labelModel("kLoadingCounter"));
    text->retain();
    QVModelController* controller = QVModelController::shared();
    CCFileUtils::sharedFileUtils()->setResourceRoot(std::string(QV_BINARY_DIR) + "/fixtures/load/small");
    controller->loadInitialData("data/data.pkg", qvformat::kStoredArchivePassword);
    ASSERT_EQ(controller->lastError(), "");
    controller->clear();
    std::vector<std::string> seen;
    bool done = false;
    for (int i = 0; i < 10000 && !done; ++i) {
        done = controller->loadNextFromFiles();
        text->update(1.0f / 60.0f);
        EXPECT_EQ(text->label()->getString(), std::to_string(controller->loadingPercent()));
        if (seen.empty() || seen.back() != text->label()->getString()) seen.push_back(text->label()->getString());
    }
    EXPECT_TRUE(done);
    EXPECT_GT(seen.size(), 3u);
    EXPECT_EQ(seen.back(), "100");
    text->release();
    controller->clear();
    installKeyTable({});
}

// Both counts are over the character models: every model counts for "all",
// and "unlocked" asks the settings (stored flag, else a free model) for
// each; stored flags of indices past the models count for neither.
TEST_F(Labels, CharacterCountsAreOverTheCharacterModels) {
    auto unlocked = labelModel("kUnlockedCharactersCount");
    auto all = labelModel("kAllCharactersCount");
    EXPECT_EQ(shown(all), "0");
    EXPECT_EQ(shown(unlocked), "0");
    for (int i = 0; i < 5; ++i) {
        auto character = registered<QVModelAssetCharacter>();
        setText(*character, "Purchase Method", i == 0 ? "kFree" : "kCoins");
    }
    QVPSettingsController* settings = QVPSettingsController::shared();
    settings->unlockCharacter(3);
    settings->unlockCharacter(7);
    EXPECT_EQ(shown(all), "5");
    EXPECT_EQ(shown(unlocked), "2");
}

// A fixed text is set once and kept; an action the label does not know
// shows the font label's "0"; an empty model gives no object and a model
// whose font is missing an object without a label that updates safely.
TEST_F(Labels, FixedTextsUnknownActionsAndMissingFonts) {
    auto custom = labelModel("kCustomVector");
    setText(*custom, "Text", "-42");
    QVPObjectText* fixed = QVPObjectText::create(custom);
    EXPECT_STREQ(fixed->label()->getString(), "-42");
    setText(*custom, "Text", "7");
    fixed->update(1.0f);
    EXPECT_STREQ(fixed->label()->getString(), "-42");
    EXPECT_EQ(fixed->label()->getTag(), QVPObjectText::kLabelTag);
    EXPECT_EQ(fixed->typeFlags(), QVPObject::kTypeText);

    EXPECT_EQ(shown(labelModel("kSomethingElse")), "0");

    EXPECT_EQ(QVPObjectText::create(nullptr), nullptr);
    for (const char* fontText : {"999999", "", "x"}) {
        SCOPED_TRACE(fontText);
        auto orphan = labelModel("kLoadingCounter");
        setText(*orphan, "Font", fontText);
        QVPObjectText* text = QVPObjectText::create(orphan);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->label(), nullptr);
        text->setVisible(true);
        attributeOf<QVAttributeFloat>(*orphan, "Autohide")->setValue(0.5f);
        text->update(1.0f);
        EXPECT_EQ(text->getChildrenCount(), 0u);
    }
}

// "Autohide" 3.0: the label fades over the 2 s after the first update at
// 3 s and stays transparent after a reset, which restarts only the curves.
TEST_F(Labels, AutohideFadesOnceAndSurvivesAReset) {
    auto model = labelModel("kCustomVector");
    attributeOf<QVAttributeFloat>(*model, "Autohide")->setValue(3.0f);
    attributeOf<QVAttributeFloat>(*model, "Opacity")->setValue(0.8f);
    QVPObjectText* text = QVPObjectText::create(model);
    text->retain();
    text->onEnter();  // actions run only on running nodes
    CCLabelBMFont* label = text->label();
    text->update(2.9f);
    EXPECT_FALSE(text->isFadedOut());
    EXPECT_EQ(label->getOpacity(), 204);
    text->update(0.1f);
    EXPECT_TRUE(text->isFadedOut());
    EXPECT_EQ(label->numberOfRunningActions(), 1u);
    step(130);
    EXPECT_EQ(label->getOpacity(), 0);
    text->reset();
    EXPECT_EQ(text->elapsedTime(), 0.0f);
    text->update(0.5f);
    EXPECT_TRUE(text->isFadedOut());
    EXPECT_EQ(label->getOpacity(), 0);
    EXPECT_EQ(label->numberOfRunningActions(), 0u);
    text->onExit();
    text->release();
}

// A new animation state takes effect with the next update, also one of
// dt 0; the animation speed scales the opacity.
TEST_F(Labels, AnimationStateAndSpeedApplyAtTheNextUpdate) {
    auto model = labelModel("kCustomVector");
    model->setPosition(CCPoint(100.0f, 50.0f));
    model->attribute("Position")->setAnimationCurves({curve({{0.0f, 40.0f}, {10.0f, 40.0f}}), nullptr}, 2);
    attributeOf<QVAttributeFloat>(*model, "Opacity")->setValue(0.8f);
    QVPObjectText* text = QVPObjectText::create(model);
    text->update(1.0f);
    EXPECT_EQ(text->label()->getPosition(), CCPoint(100.0f, 50.0f));
    text->setAnimationState(2);
    text->setAnimationSpeed(0.5f);
    text->update(0.0f);
    EXPECT_EQ(text->label()->getPosition(), CCPoint(140.0f, 50.0f));
    EXPECT_EQ(text->label()->getOpacity(), 102);
}
