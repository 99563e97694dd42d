// Button models: the repetition counter on every stored interval, touch
// emulation, back targets among the flow-graph nodes, ids in text, and
// copies of the kinds whose constructors rename inherited attributes.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "../pack_keys.h"
#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVNode.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVModelController.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

template <class A>
A* attributeOf(const QVModel& model, const char* name) {
    return attributeCast<A>(model.attribute(name));
}

// Strings and string lists alike.
void setText(const QVModel& model, const char* name, const std::string& text) {
    static_cast<QVAttributeString*>(model.attribute(name))->setValue(text);
}

// As a pack stores it: unclamped.
void setInterval(const QVModelObjectButton& button, float interval) {
    classtest::storeUnclamped(attributeOf<QVAttributeFloat>(button, "Interval"), interval);
}

std::vector<std::string> names(const QVModel& model) {
    std::vector<std::string> out;
    for (const QVAttribute* attribute : model.attributes()) out.push_back(attribute->name());
    return out;
}

class Buttons : public ::testing::Test {
protected:
    void TearDown() override {
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
};

}  // namespace

// "Interval" 3: reached on the first press and then on every third.
TEST_F(Buttons, IntervalCountsEveryThirdPress) {
    auto button = QVModelObjectButton::create();
    setInterval(*button, 3.0f);
    button->resetIntervalCounter();
    EXPECT_FALSE(button->intervalReached());
    const bool expected[] = {false, true, false, false, true, false, false, true};  // counters 2 .. -5
    for (size_t i = 0; i < sizeof expected; ++i) {
        SCOPED_TRACE(testing::Message() << "decrement " << i + 1);
        button->decrementIntervalCounter();
        EXPECT_EQ(button->intervalReached(), expected[i]);
    }
    button->blockInterval();
    EXPECT_FALSE(button->intervalReached());
    button->decrementIntervalCounter();  // -6: unblocked, not a third
    button->blockInterval();
    button->resetIntervalCounter();
    setInterval(*button, 1.0f);
    EXPECT_TRUE(button->intervalReached());
}

// Intervals with no whole part above 0 are always reached; huge or infinite
// ones saturate instead of overflowing, and nothing divides by zero.
TEST_F(Buttons, StoredIntervalsOfEveryKindNeitherTrapNorOverflow) {
    struct Row {
        float interval;
        bool reached;
    };
    const Row rows[] = {{0.5f, true},  {0.0f, true},  {-1.0f, true}, {kNaN, true},
                        {-kInf, true}, {-3e9f, true}, {kInf, false}, {3e9f, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "interval " << row.interval);
        auto button = QVModelObjectButton::create();
        setInterval(*button, row.interval);
        button->resetIntervalCounter();
        EXPECT_EQ(button->intervalReached(), row.reached);
        button->decrementIntervalCounter();
        button->decrementIntervalCounter();
        EXPECT_EQ(button->intervalReached(), row.reached);
        button->blockInterval();
        EXPECT_FALSE(button->intervalReached());
    }
    // A counter at INT_MIN stays there (wrapped to INT_MAX, it would make
    // (counter - 1) mod 2 zero), and counter - 1 must not overflow (the
    // sanitizer build traps it).
    auto button = QVModelObjectButton::create();
    setInterval(*button, -3e9f);
    button->resetIntervalCounter();
    button->decrementIntervalCounter();
    setInterval(*button, 2.0f);
    EXPECT_FALSE(button->intervalReached());
}

TEST_F(Buttons, TouchEmulationAddsTheStatesCurve) {
    struct Row {
        float base;
        int state;
        float time;
        bool emulated;
    };
    const Row rows[] = {{0.5f, 0, 0.0f, true}, {0.49f, 0, 0.0f, false}, {0.2f, 1, 0.0f, false},
                        {0.2f, 1, 1.0f, true}, {0.2f, 0, 1.0f, false},  {1.0f, 2, 1.0f, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.base << " state " << row.state << " at " << row.time);
        auto button = QVModelObjectButton::create();
        auto* touch = attributeOf<QVAttributeFloat>(*button, "Touch Emulation");
        touch->setValue(row.base);
        auto* up = new QVAnimationCurve();  // state 1: 0 at time 0, 0.3 at 1
        up->addKey(0.0f, 0.0f);
        up->addKey(0.3f, 1.0f);
        touch->setAnimationCurves({up}, 1);
        auto* down = new QVAnimationCurve();  // state 2: -1 throughout
        down->addKey(-1.0f, 0.0f);
        touch->setAnimationCurves({down}, 2);
        EXPECT_EQ(button->isTouchEmulated(row.time, row.state), row.emulated);
    }
}

// "Back To" serves both kinds of target; a start node is not one, and names
// match byte for byte.
TEST_F(Buttons, BackTargetsFollowTheRegisteredNodes) {
    QVModelController* controller = QVModelController::shared();
    for (const auto& node : std::vector<std::shared_ptr<QVModel>>{std::make_shared<QVNodeUI>("Menu"),
                                                                  std::make_shared<QVNodeScene>("World"),
                                                                  std::make_shared<QVNodeUIStart>("Start")}) {
        controller->addModel(node);
    }
    struct Row {
        const char* backTo;
        const char* backToWorld;
        const char* ui;
        const char* world;
    };
    const Row rows[] = {{"Menu", "", "Menu", ""},
                        {"World", "", "", "World"},
                        {"Start", "", "", ""},
                        {"Menu ", "", "", ""},
                        {"Nowhere", "Other", "Nowhere", "Other"},
                        {"", "", "", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << '"' << row.backTo << "\" / \"" << row.backToWorld << '"');
        auto button = QVModelObjectButton::create();
        setText(*button, "Back To", row.backTo);
        setText(*button, "Back To World", row.backToWorld);
        EXPECT_EQ(button->backToUi(), row.ui);
        EXPECT_EQ(button->backToWorld(), row.world);
    }
}

TEST_F(Buttons, IdsInTextAndKeyBindings) {
    struct Row {
        const char* text;
        int32_t id;
    };
    const Row rows[] = {{"12abc", 12}, {"abc", 0}, {"  -7", -7}, {"", 0}, {"99999999999", INT_MAX}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        auto powerup = QVModelObjectButtonPowerup::create();
        auto purchase = QVModelObjectButtonPurchase::create();
        auto lock = QVModelObjectLockButton::create();
        setText(*powerup, "Powerup Selection", row.text);
        setText(*purchase, "Powerup Selection", row.text);
        setText(*lock, "Scene", row.text);
        EXPECT_EQ(powerup->powerupSelectionId(), row.id);
        EXPECT_EQ(purchase->powerupSelectionId(), row.id);
        EXPECT_EQ(lock->sceneId(), row.id);
    }
    for (const auto& key : std::vector<std::pair<int, bool>>{{0, false}, {-1, false}, {5, true}}) {
        SCOPED_TRACE(key.first);
        auto button = QVModelObjectButton::create();
        attributeOf<QVAttributeKey>(*button, "Keyboard Key")->setValue(key.first);
        EXPECT_EQ(button->hasKeyboardKey(), key.second);
    }
}

// Copies keep the new names of renamed members, and every getter of those
// members answers in the copy.
TEST_F(Buttons, CopiesKeepRenamedMembersBound) {
    auto image = QVModelSpriteContainer::create();
    auto pressed = QVModelSpriteContainer::create();

    auto facebook = QVModelObjectButtonFacebook::create();
    setText(*facebook, "Facebook URL", "https://example.org");
    setText(*facebook, "Facebook ID", "page");
    auto sound = QVModelObjectButtonSoundControl::create();
    attributeOf<QVAttributeSprite>(*sound, "Sound is ON")->setValue(image);
    attributeOf<QVAttributeSprite>(*sound, "Sound is OFF")->setValue(pressed);
    auto powerup = QVModelObjectButtonPowerup::create();
    setText(*powerup, "Powerup Selection", "41");
    auto purchase = QVModelObjectButtonPurchase::create();
    setText(*purchase, "Powerup Selection", "42");

    auto facebookCopy = QVModelObjectButtonFacebook::createCopy(*facebook);
    auto soundCopy = QVModelObjectButtonSoundControl::createCopy(*sound);
    auto powerupCopy = QVModelObjectButtonPowerup::createCopy(*powerup);
    auto purchaseCopy = QVModelObjectButtonPurchase::createCopy(*purchase);

    EXPECT_EQ(facebookCopy->url(), "https://example.org");
    EXPECT_EQ(facebookCopy->facebookId(), "page");
    EXPECT_EQ(soundCopy->image(), image);
    EXPECT_EQ(soundCopy->imageSelected(), pressed);
    EXPECT_EQ(soundCopy->visualModel(), image);
    EXPECT_EQ(powerupCopy->powerupSelectionId(), 41);
    EXPECT_EQ(purchaseCopy->powerupSelectionId(), 42);
    // Same names as the source: no copy falls back to an old name.
    for (const auto& pair :
         std::vector<std::pair<const QVModel*, const QVModel*>>{{facebook.get(), facebookCopy.get()},
                                                                {sound.get(), soundCopy.get()},
                                                                {powerup.get(), powerupCopy.get()},
                                                                {purchase.get(), purchaseCopy.get()}}) {
        SCOPED_TRACE(pair.first->className());
        EXPECT_EQ(names(*pair.second), names(*pair.first));
    }
    // A switch starts with its own action; a plain copy of it keeps it.
    auto switchButton = QVModelObjectButtonSwitch::create();
    EXPECT_EQ(QVModelObjectButtonSwitch::createCopy(*switchButton)->action(), "kInputControllerActionButton");
}
