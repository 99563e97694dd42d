// Labels: score values (rounding, modifiers, session sums) read without
// creating records, the loading counter over a real load, character counts
// over the models, fixed texts, autohide across a reset, animation states,
// and missing fonts.
#include <set>

#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectLabel.h"
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
    std::shared_ptr<QVModelObjectLabel> label(const std::string& action, const char* world = "", const char* type = "",
                                              const char* amount = "", int modifier = 0) {
        if (!font) font = digitFont();
        auto model = QVModelObjectLabel::create();
        setText(*model, "Font", std::to_string(font->id()));
        for (const auto& [name, text] :
             {std::pair{"Action", action}, {"World", world}, {"Score Type", type}, {"Amount", amount}}) {
            setText(*model, name, text);
        }
        attr<QVAttributeInt>(*model, "Score Modifier")->setValue(modifier);
        return model;
    }
    static std::string shown(const std::shared_ptr<QVModelObjectLabel>& model) {
        QVPObjectText* text = QVPObjectText::create(model);
        text->update(0.0f);
        return text->label() ? text->label()->getString() : "<none>";
    }
    std::shared_ptr<QVModelFont> font;
};

}  // namespace

TEST_F(Labels, ScoreValuesFollowTheirCountersAndModifiers) {
    ScoreRecord& forest = scoreRecord("Forest");
    scoreRecord("Cave").points.current = 4;
    scoreRecord("").points = {100, 900, 0, {}};
    forest.points.current = 3;
    forest.coins = {0, 7, 11, {}};
    const struct {
        float distance;
        const char *world, *type, *amount;
        int modifier;
        const char* expected;
    } rows[] = {
        {12.4f, "Forest", "kScoreDistance", "", 0, "12"},
        {12.6f, "Forest", "kScoreDistance", "", 0, "13"},
        {12.4f, "Forest", "kScoreDistance", "", 10, "22"},
        {12.6f, "Forest", "kScoreDistance", "", 10, "23"},
        {0, "Forest", "kScorePoints", "", -8, "-5"},
        {0, "Forest", "kScoreCoins", "kScoreBest", 0, "7"},
        {0, "Forest", "other", "kScoreTotal", 0, "11"},
        {0, "kGlobal", "kScorePoints", "", 0, "7"},
        {0, "kGlobal", "kScorePoints", "kScoreBest", 1, "901"},
        {0, "Forest", "kScorePoints", "", INT32_MAX, "-2147483646"},
        {0, "Forst", "kScoreDistance", "kScoreBest", 5, "5"},
        {0, "Forst", "kScoreCoins", "", -5, "-5"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.world << ' ' << row.type << ' ' << row.amount << ' ' << row.distance);
        forest.distance.current = row.distance;
        const std::string before = serializeScores();
        EXPECT_EQ(shown(label("kScoreVector", row.world, row.type, row.amount, row.modifier)), row.expected);
        EXPECT_EQ(serializeScores(), before);  // a misspelt world adds no record
    }
    EXPECT_EQ(findScoreRecord("Forst"), nullptr);
}

TEST_F(Labels, LoadingCounterFollowsThePercent) {
    QVPObjectText* text = QVPObjectText::create(label("kLoadingCounter"));
    text->retain();
    std::set<std::string> seen;
    EXPECT_TRUE(loadGame(std::string(QV_BINARY_DIR) + "/fixtures/load/small", [&] {
        text->update(0.1f);
        EXPECT_EQ(text->label()->getString(), std::to_string(QVModelController::shared()->loadingPercent()));
        seen.insert(text->label()->getString());
    }));
    EXPECT_TRUE(seen.size() > 3 && seen.count("100"));
    text->release();
    installKeyTable({});
}

// Over the models: stored flags of indices past them count for neither.
TEST_F(Labels, CharacterCountsAreOverTheCharacterModels) {
    for (int i = 0; i < 5; ++i)
        setText(*registered<QVModelAssetCharacter>(), "Purchase Method", i ? "kCoins" : "kFree");
    QVPSettingsController::shared()->unlockCharacter(3);
    QVPSettingsController::shared()->unlockCharacter(7);
    EXPECT_EQ(shown(label("kAllCharactersCount")), "5");
    EXPECT_EQ(shown(label("kUnlockedCharactersCount")), "2");
}

TEST_F(Labels, FixedTextsUnknownActionsAndMissingFonts) {
    auto custom = label("kCustomVector");
    setText(*custom, "Text", "-42");
    QVPObjectText* fixed = QVPObjectText::create(custom);
    setText(*custom, "Text", "7");
    fixed->update(1.0f);
    EXPECT_STREQ(fixed->label()->getString(), "-42");
    EXPECT_EQ(shown(label("kSomethingElse")), "0");
    EXPECT_EQ(QVPObjectText::create(nullptr), nullptr);
    auto orphan = label("kLoadingCounter");
    setText(*orphan, "Font", "999999");
    attr(*orphan, "Autohide")->setValue(0.5f);
    QVPObjectText* text = QVPObjectText::create(orphan);
    text->update(1.0f);
    EXPECT_EQ(text->getChildrenCount(), 0u);
}

// "Autohide" 3: the fade starts with the first update at 3 s, ends 2 s
// later, and a reset restarts the curves but not the opacity.
TEST_F(Labels, AutohideFadesOnceAndSurvivesAReset) {
    auto model = label("kCustomVector");
    attr(*model, "Autohide")->setValue(3.0f);
    attr(*model, "Opacity")->setValue(0.8f);
    QVPObjectText* text = QVPObjectText::create(model);
    text->retain();
    text->onEnter();  // actions run only on running nodes
    text->update(2.9f);
    EXPECT_EQ(text->label()->getOpacity(), 204);
    text->update(0.1f);
    EXPECT_TRUE(text->isFadedOut());
    step(125);
    EXPECT_EQ(text->label()->getOpacity(), 0);
    text->reset();
    text->update(0.5f);
    EXPECT_EQ(text->elapsedTime(), 0.5f);
    EXPECT_EQ(text->label()->getOpacity(), 0);
    text->onExit();
    text->release();
}

// A new state and speed take effect with the next update, also of dt 0.
TEST_F(Labels, AnimationStateAndSpeedApplyAtTheNextUpdate) {
    auto model = label("kCustomVector");
    model->setPosition(CCPoint(100.0f, 50.0f));
    model->attribute("Position")->setAnimationCurves({curve({{0.0f, 40.0f}, {10.0f, 40.0f}}), nullptr}, 2);
    attr(*model, "Opacity")->setValue(0.8f);
    QVPObjectText* text = QVPObjectText::create(model);
    text->update(1.0f);
    EXPECT_EQ(text->label()->getPosition(), CCPoint(100.0f, 50.0f));
    text->setAnimationState(2);
    text->setAnimationSpeed(0.5f);
    text->update(0.0f);
    EXPECT_EQ(text->label()->getPosition(), CCPoint(140.0f, 50.0f));
    EXPECT_EQ(text->label()->getOpacity(), 102);
}
