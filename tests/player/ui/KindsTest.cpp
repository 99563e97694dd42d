// Switch, link, lock and character-unlock buttons: the switch's actions and
// its state across rebuilt screens, links that reach xdg-open as one
// argument and never run the button's action, coin unlocks, navigation,
// images that follow the lock table, and character unlock modes.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "buttons_test_support.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelSound.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButtonLinks.h"
#include "player/ui/QVPObjectButtonLock.h"
#include "player/ui/QVPObjectButtonSwitch.h"
#include "player/ui/QVPObjectButtonUnlockCharacter.h"
#include "sprite/CCSprite.h"

using namespace uitest;
using Lines = std::vector<std::string>;

namespace {

struct ActionRecorder : cocos2d::CCObject {
    Lines seen;
    cocos2d::CCObject* expectedSource = nullptr;
    void on11(cocos2d::CCObject* source) { seen.push_back(source == expectedSource ? "11" : "11?"); }
    void on12(cocos2d::CCObject* source) { seen.push_back(source == expectedSource ? "12" : "12?"); }
};

using Kinds = ButtonsTest;

// Off first, then on, each told with the button as source; a rebuilt
// switch goes on from the stored state and sees a flip of them all.
TEST_F(Kinds, SwitchTogglesAndKeepsItsState) {
    ActionRecorder recorder;
    QVPInputController* input = QVPInputController::shared();
    input->subscribeAction(11, &recorder, callfuncO_selector(ActionRecorder::on11), 0);
    input->subscribeAction(12, &recorder, callfuncO_selector(ActionRecorder::on12), 0);
    auto model = registered<QVModelObjectButtonSwitch>();
    auto* first = build<QVPObjectButtonSwitch>(model);
    recorder.expectedSource = first;
    first->selected();
    first->unselected();
    first->activate();
    first->selected();
    auto* rebuilt = build<QVPObjectButtonSwitch>(model);
    recorder.expectedSource = rebuilt;
    rebuilt->selected();  // stored on: turns off
    flipAllSwitchStates();
    rebuilt->selected();  // flipped to on, so off again
    EXPECT_EQ(recorder.seen, (Lines{"12", "11", "12", "12"}));
    input->unsubscribeAction(&recorder);
    QVPInputController::destroy();
}

// The release sound plays only while the switch is enabled.
TEST_F(Kinds, SwitchReleaseSoundOnlyWhileEnabled) {
    auto release = registered<QVModelSound>();
    auto playing = [&] {
        return std::count_if(QVSound::liveSounds().begin(), QVSound::liveSounds().end(),
                             [&](QVSound* sound) { return sound->model() == release; });
    };
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        auto model = registered<QVModelObjectButtonSwitch>();
        attr<QVAttributeSound>(*model, "Release Sound")->setModel(release);
        auto* button = build<QVPObjectButtonSwitch>(model);
        button->setEnabled(enabled);
        const auto before = playing();
        button->unselected();
        EXPECT_EQ(playing() - before, enabled ? 1 : 0);
    }
}

// A switch looks as every button, whatever its state: "Image" before a
// press and after its release, "Image Selected" while held, on a rebuilt
// switch and after a flip of them all too. Its state shows by what it does.
TEST_F(Kinds, SwitchLooksTheSameWhateverItsState) {
    auto model = registered<QVModelObjectButtonSwitch>();
    auto normal = spriteContainer(1), pressed = spriteContainer(1);
    attr<QVAttributeSprite>(*model, "Image")->setValue(normal);
    attr<QVAttributeSprite>(*model, "Image Selected")->setValue(pressed);
    auto texture = [](cocos2d::CCNode* image) {
        auto* sprite = dynamic_cast<cocos2d::CCSprite*>(image);
        return sprite ? sprite->getTexture() : nullptr;
    };
    auto* button = build<QVPObjectButtonSwitch>(model);
    button->retain();
    cocos2d::CCTexture2D* normalLook = texture(button->getNormalImage());
    cocos2d::CCTexture2D* pressedLook = texture(button->getSelectedImage());
    ASSERT_NE(normalLook, nullptr);
    ASSERT_NE(pressedLook, nullptr);
    ASSERT_NE(normalLook, pressedLook);
    const struct {
        const char* name;
        std::function<QVPObjectButtonSwitch*()> next;
    } rows[] = {
        {"turned off", [&] { return button; }},
        {"turned on again", [&] { return button; }},
        {"rebuilt while on", [&] { return build<QVPObjectButtonSwitch>(model); }},
        {"after a flip of them all",
         [&] {
             flipAllSwitchStates();
             return button;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QVPObjectButtonSwitch* item = row.next();
        const bool before = item->state();
        EXPECT_EQ(texture(item->getNormalImage()), normalLook);
        item->selected();
        item->update(0.0f);
        EXPECT_EQ(texture(item->getSelectedImage()), pressedLook);
        item->unselected();
        item->update(0.0f);
        EXPECT_NE(item->state(), before);
        EXPECT_EQ(texture(item->getNormalImage()), normalLook);
        EXPECT_EQ(texture(item->getSelectedImage()), pressedLook);
    }
    button->release();
}

// The URL reaches a fake xdg-open as one argument; empty data only logs;
// neither kind runs the button's action.
TEST_F(Kinds, LinksOpenThroughXdgOpenOnly) {
    modeltest::TempDir bin;
    const std::string record = bin.path + "/record", oldPath = getenv("PATH");
    std::ofstream(bin.path + "/xdg-open") << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" << record << "'\n";
    ASSERT_EQ(chmod((bin.path + "/xdg-open").c_str(), 0755), 0);
    setenv("PATH", (bin.path + ":" + oldPath).c_str(), 1);

    auto url = registered<QVModelObjectButtonUrl>(), emptyUrl = registered<QVModelObjectButtonUrl>();
    auto social = registered<QVModelObjectButtonFacebook>(), noId = registered<QVModelObjectButtonFacebook>();
    setText(*url, "URL", "https://example.org");
    setText(*noId, "Facebook URL", "https://example.org/page");
    Receiver receiver;
    for (const std::shared_ptr<QVModelObjectButton>& model :
         std::initializer_list<std::shared_ptr<QVModelObjectButton>>{url, emptyUrl, social, noId}) {
        QVPObjectButton* button = QVPObjectButton::createFromModel(model, nullptr);
        button->setActionTarget(&receiver, menu_selector(Receiver::onAction));
        button->activate();
    }
    EXPECT_EQ(receiver.actions, 0);
    Lines lines;
    for (int i = 0; i < 500 && lines.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(record);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
    }
    EXPECT_EQ(lines, Lines{"1|https://example.org"});
    EXPECT_TRUE(log.has("Button URL is empty"));
    EXPECT_EQ(std::count(log.all().begin(), log.all().end(), "Facebook button URL and ID is empty"), 2);
    setenv("PATH", oldPath.c_str(), 1);
}

class LockButton : public ButtonsTest {
protected:
    std::shared_ptr<QVModelObjectLockButton> model(const std::string& name, float price, const char* destination,
                                                   bool autoFollow = false, bool autoLock = false) {
        auto lock = registered<QVModelObjectLockButton>();
        lock->setName(name);
        setText(*lock, "Unlock", "kInGameCurrency");
        setText(*lock, "Destination", destination);
        setText(*lock, "Scene", "5");
        attr(*lock, "Price")->setValue(price);
        attr<QVAttributeBool>(*lock, "Auto Follow")->setValue(autoFollow);
        attr<QVAttributeBool>(*lock, "Auto Lock")->setValue(autoLock);
        return lock;
    }
};

// Coins against the truncated price; navigation (with the start section it
// sets) only once unlocked, in the same press with "Auto Follow"; "Auto
// Lock" locks again after it.
TEST_F(LockButton, UnlocksWithCoinsAndNavigates) {
    struct Row {
        const char* name;
        int coins;
        float price;
        const char* destination;
        bool autoFollow, autoLock;
        int coinsAfter, actions;
        bool lockedAfter;
        uint32_t startSection;
    } rows[] = {
        {"Exact", 20, 20.9f, "kSceneDestination", false, false, 0, 0, false, 7},
        {"Short", 19, 20.0f, "kSceneDestination", false, false, 19, 0, true, 7},
        {"Follow", 20, 20.0f, "kSceneDestination", true, false, 0, 1, false, 5},
        {"Relock", 20, 20.0f, "kSceneDestination", true, true, 0, 1, true, 5},
        {"Next", 20, 20.0f, "kNextSceneDestination", true, false, 0, 1, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        setCoins(row.coins);
        ScreenManager::shared()->setStartSectionId(7);
        auto* button =
            build<QVPObjectButtonLock>(model(row.name, row.price, row.destination, row.autoFollow, row.autoLock));
        Receiver receiver;
        button->setActionTarget(&receiver, menu_selector(Receiver::onAction));
        button->activate();
        EXPECT_EQ(coins().total, row.coinsAfter);
        EXPECT_EQ(receiver.actions, row.actions);
        EXPECT_EQ(LockStateStore::lockState(row.name), row.lockedAfter);
        EXPECT_EQ(ScreenManager::shared()->getStartSectionId(), row.startSection);
    }
}

// The images follow the table when something else changes it, and the
// button keeps reading its entry by name after a reload and a reset empty
// the table under it.
TEST_F(LockButton, FlagSurvivesReload) {
    auto lock = model("Gate", 10.0f, "kSceneDestination");
    attr<QVAttributeSprite>(*lock, "Locked Image")->setValue(spriteContainer(1));
    auto* button = build<QVPObjectButtonLock>(lock);
    button->retain();
    auto normalSize = [button] { return button->getNormalImage()->getContentSize().width; };
    EXPECT_EQ(normalSize(), 8.0f);
    LockStateStore::setLockState("Gate", false);
    button->update(0.0f);
    EXPECT_EQ(normalSize(), 100.0f);
    QVPSettingsController::shared()->save();
    reload();
    button->update(0.0f);
    EXPECT_FALSE(button->isLocked());
    LockStateStore::parseLockStates("");
    button->update(0.0f);
    EXPECT_TRUE(button->isLocked());
    EXPECT_EQ(normalSize(), 8.0f);
    setCoins(10);
    button->activate();
    EXPECT_FALSE(LockStateStore::lockState("Gate"));
    button->release();
}

class CharacterUnlock : public ButtonsTest {
protected:
    std::shared_ptr<QVModelAssetCharacter> character(const char* method, float price = 0.0f) {
        auto made = registered<QVModelAssetCharacter>();
        setText(*made, "Purchase Method", method);
        attr(*made, "Price")->setValue(price);
        return made;
    }
    QVPObjectButtonUnlockCharacter* button(const std::string& characterId) {
        auto model = registered<QVModelObjectButtonCharacterUnlock>();
        setText(*model, "Character", characterId);
        auto* made = build<QVPObjectButtonUnlockCharacter>(model);
        made->setActionTarget(&receiver, menu_selector(Receiver::onAction));
        made->update(0.0f);
        return made;
    }
    Receiver receiver;
};

// Free unselected (1), locked (2) and selected (3); a press selects an
// unlocked one and buys a locked one with exactly enough coins, and a short
// balance is refused with its log line.
TEST_F(CharacterUnlock, ModesFollowTheSettings) {
    auto red = character("kFree"), blue = character("kInGameCurrency", 50.0f);
    auto* redButton = button(std::to_string(red->id()));
    auto* blueButton = button(std::to_string(blue->id()));
    QVPSettingsController::shared()->setSelectedCharacter(1);
    redButton->update(0.0f);
    EXPECT_EQ(redButton->mode(), QVPObjectButtonUnlockCharacter::kModeUnlocked);
    EXPECT_EQ(blueButton->mode(), QVPObjectButtonUnlockCharacter::kModeLocked);
    setCoins(49);
    blueButton->activate();
    EXPECT_TRUE(log.has("not enought coins to unlock"));
    EXPECT_FALSE(QVPSettingsController::shared()->isCharacterUnlocked(1));
    setCoins(50);
    blueButton->activate();
    blueButton->update(0.0f);
    EXPECT_EQ(blueButton->mode(), QVPObjectButtonUnlockCharacter::kModeSelected);
    EXPECT_EQ(coins().total, 0);
    redButton->activate();
    EXPECT_EQ(QVPSettingsController::shared()->selectedCharacter(), 0);
    EXPECT_EQ(redButton->mode(), QVPObjectButtonUnlockCharacter::kModeSelected);
    EXPECT_EQ(receiver.actions, 3);
}

// A web link unlocks on the tenth update after the press, even when empty.
TEST_F(CharacterUnlock, WebLinkCompletesOnTheTenthUpdate) {
    character("kFree");
    auto gold = character("kWebLink");
    auto* goldButton = button(std::to_string(gold->id()));
    goldButton->activate();
    for (int update = 1; update <= 10; ++update) {
        SCOPED_TRACE(update);
        EXPECT_FALSE(QVPSettingsController::shared()->isCharacterUnlocked(1));
        goldButton->update(0.0f);
    }
    EXPECT_TRUE(QVPSettingsController::shared()->isCharacterUnlocked(1));
    EXPECT_EQ(QVPSettingsController::shared()->selectedCharacter(), 1);
}

// With an image, "Show When Selected" hides the button when no selector
// shows its character; without the flag its own update never hides it.
TEST_F(CharacterUnlock, ShowWhenSelectedWithoutSelectorHides) {
    character("kFree");
    auto blue = character("kInGameCurrency", 50.0f);
    for (bool showWhenSelected : {false, true}) {
        SCOPED_TRACE(showWhenSelected);
        auto model = registered<QVModelObjectButtonCharacterUnlock>();
        setText(*model, "Character", std::to_string(blue->id()));
        attr<QVAttributeSprite>(*model, "Image")->setValue(spriteContainer(1));
        attr<QVAttributeBool>(*model, "Show When Selected")->setValue(showWhenSelected);
        auto* made = build<QVPObjectButtonUnlockCharacter>(model);
        made->update(0.0f);
        EXPECT_EQ(made->mode(), QVPObjectButtonUnlockCharacter::kModeLocked);
        EXPECT_EQ(made->isVisible(), !showWhenSelected);
        EXPECT_TRUE(made->getNormalImage()->isVisible());
    }
}

// An id that names no character (a character's index, 0, is none) leaves
// only the base activation, and says so in the log.
TEST_F(CharacterUnlock, UnknownCharacterOnlyActivates) {
    auto blue = character("kInGameCurrency", 1.0f);
    setCoins(10);
    for (const std::string& id : {std::string("4999"), std::string("x"), std::string("0")}) {
        SCOPED_TRACE(id);
        auto* made = button(id);
        made->activate();
        EXPECT_EQ(made->characterIndex(), -1);
        EXPECT_EQ(made->mode(), QVPObjectButtonUnlockCharacter::kModeNone);
        EXPECT_TRUE(log.hasPrefix("[QVPObjectButtonUnlockCharacter] \"Character\" " + id + " of "));
    }
    EXPECT_EQ(receiver.actions, 3);
    EXPECT_EQ(coins().total, 10);
}

}  // namespace
