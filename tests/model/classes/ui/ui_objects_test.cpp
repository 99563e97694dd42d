// UI object models: the label node a label model builds (anchor, tracking,
// text, ownership), the unlocker's scene and character unlocks, the
// selector's font under both readings of "Label Name", placeholder sizes.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../../../engine/textures/PngTestUtil.h"
#include "../../core/support/model_test_support.h"
#include "../pack_keys.h"
#include "base/CCAutoreleasePool.h"
#include "label/CCBMFontConfiguration.h"
#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelUIObjects.h"
#include "model/core/QVModelController.h"
#include "platform/CCFileUtils.h"
#include "platform/CCUserDefault.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPSettingsController.h"
#include "player/screens/ScreenManager.h"
#include "textures/CCTextureCache.h"

using namespace cocos2d;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

template <class A>
A* attributeOf(const QVModel& model, const char* name) {
    return attributeCast<A>(model.attribute(name));
}

// Strings and string lists alike.
void setText(const QVModel& model, const char* name, const std::string& text) {
    static_cast<QVAttributeString*>(model.attribute(name))->setValue(text);
}

template <class T>
std::shared_ptr<T> registered(const std::string& name = "") {
    auto model = T::create();
    if (!name.empty()) model->setName(name);
    QVModelController::shared()->addModel(model);
    return model;
}

class UIObjects : public ::testing::Test {
protected:
    UIObjects() : root(std::string("classes_ui_") + testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    ~UIObjects() override {
        ScreenManager::shared()->setStartSectionId(0);
        LockStateStore::parseLockStates("");
        QVPSettingsController::destroy();
        QVPSettingsController::setLoaded(false);
        CCUserDefault::purgeSharedUserDefault();
        CCFileUtils::sharedFileUtils()->setWritablePath("");
        CCTextureCache::purgeSharedTextureCache();
        FNTConfigRemoveCache();
        QVModelGeneralSettings::reset();
        QVModelController::shared()->clear();
        CCPoolManager::sharedPoolManager()->finalize();
    }

    // A registered font whose file can build labels.
    std::shared_ptr<QVModelFont> usableFont() {
        auto font = registered<QVModelFont>();
        pngtest::writeFile(root.path(font->filePath()),
                           std::string("info face=\"T\" size=10\ncommon lineHeight=12 base=10 scaleW=16 scaleH=16 "
                                       "pages=1\npage id=0 file=\"page.png\"\nchars count=1\n"
                                       "char id=48 x=0 y=0 width=8 height=10 xoffset=0 yoffset=0 xadvance=8 page=0\n"));
        pngtest::writeFile(root.path("data/fonts/page.png"), pngtest::solid(16, 16, 255, 255, 255, 255));
        return font;
    }
    static std::shared_ptr<QVModelObjectLabel> labelOf(const QVModelFont& font) {
        auto label = QVModelObjectLabel::create();
        setText(*label, "Font", std::to_string(font.id()));
        return label;
    }

    pngtest::ScratchRoot root;
};

}  // namespace

// The node of a label: anchored by its alignment (a custom text is always
// centred), tracking as a whole number, and the text the model fixes.
TEST_F(UIObjects, LabelNodeFollowsTheModel) {
    auto font = usableFont();
    auto section = registered<QVModelLevelSection>("Forest");
    struct Row {
        const char* action;
        const char* alignment;
        float tracking;
        uint32_t startId;
        float anchorX;
        int appliedTracking;
        const char* shown;
    };
    const Row rows[] = {{"kCustomVector", "kCCTextAlignmentLeft", 2.9f, 0, 0.5f, 2, "Hi"},
                        {"kScoreVector", "kCCTextAlignmentRight", -2.9f, 0, 1.0f, -2, "0"},
                        {"kScoreVector", "kCCTextAlignmentLeft", kNaN, 0, 0.0f, 0, "0"},
                        {"kScoreVector", "", 3e9f, 0, 0.5f, INT_MAX, "0"},
                        {"kScoreVector", "kCCTextAlignmentLeftish", -3e9f, 0, 0.5f, INT_MIN, "0"},
                        {"kStartSceneName", "", 0.0f, section->id(), 0.5f, 0, "Forest"},
                        {"kStartSceneName", "", 0.0f, 0, 0.5f, 0, "0"},
                        {"kStartSceneName", "", 0.0f, font->id(), 0.5f, 0, "0"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.action << " " << row.alignment << " " << row.tracking);
        ScreenManager::shared()->setStartSectionId(row.startId);
        auto label = labelOf(*font);
        setText(*label, "Action", row.action);
        setText(*label, "Alignment", row.alignment);
        setText(*label, "Text", "Hi");
        classtest::storeUnclamped(attributeOf<QVAttributeFloat>(*label, "Tracking"), row.tracking);
        CCLabelBMFont* node = label->createLabel();
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getAnchorPoint().x, row.anchorX);
        EXPECT_EQ(node->getAnchorPoint().y, 0.5f);
        EXPECT_EQ(node->getTracking(), row.appliedTracking);
        EXPECT_STREQ(node->getString(), row.shown);
        node->release();
    }
}

// No usable font gives no node; the node made is the caller's alone, and
// renaming a label renames nothing else.
TEST_F(UIObjects, LabelNodeNeedsAFontAndBelongsToTheCaller) {
    auto unreadable = registered<QVModelFont>();  // no file
    auto sound = registered<QVModelSound>();
    for (const std::string& id : {std::to_string(unreadable->id()), std::to_string(sound->id()), std::string("abc")}) {
        SCOPED_TRACE(id);
        auto label = QVModelObjectLabel::create();
        setText(*label, "Font", id);
        EXPECT_EQ(label->createLabel(), nullptr);
    }
    auto font = usableFont();
    font->setName("Body");
    auto label = labelOf(*font);
    CCLabelBMFont* node = label->createLabel();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->retainCount(), 1u);
    CCPoolManager::sharedPoolManager()->finalize();  // not autoreleased: survives
    node->release();
    label->setName("Score");
    EXPECT_EQ(font->name(), "Body");
}

TEST_F(UIObjects, PlaceholderSizes) {
    auto label = QVModelObjectLabel::create();
    attributeOf<QVAttributeSize>(*label, "Calculated Size")->setValue(CCSize(30.0f, 20.0f));
    const std::pair<std::shared_ptr<QVModelObject>, CCSize> rows[] = {
        {QVModelObjectLabel::create(), CCSize(100.0f, 100.0f)},
        {label, CCSize(30.0f, 20.0f)},
        {QVModelObjectUnlocker::create(), CCSize(60.0f, 60.0f)},
        {QVModelObjectEventObserver::create(), CCSize(60.0f, 60.0f)},
        {QVModelObjectCharacterSelector::create(), CCSize(100.0f, 100.0f)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.first->className());
        EXPECT_TRUE(row.first->placeholderSize(0.0f) == row.second);
    }
}

// Scene unlocks clear a lock key, or the lock keys of the lock buttons
// whose "Scene" is the start section (or the next one) and that open that
// very scene.
TEST_F(UIObjects, SceneUnlockClearsTheMatchingLocks) {
    auto first = registered<QVModelLevelSection>("First");
    auto last = registered<QVModelLevelSection>("Last");
    first->addChild(last);
    const std::string firstId = std::to_string(first->id());
    const std::string lastId = std::to_string(last->id());
    struct Lock {
        const char* name;
        const char* destination;
        std::string scene;
    };
    const Lock locks[] = {{"Lock First", "kSceneDestination", firstId},
                          {"Lock First Next", "kNextSceneDestination", firstId},
                          {"Lock Last", "kSceneDestination", lastId},
                          {"Lock Zero", "kSceneDestination", "0"}};
    for (const Lock& lock : locks) {
        auto button = registered<QVModelObjectLockButton>(lock.name);
        setText(*button, "Destination", lock.destination);
        setText(*button, "Scene", lock.scene);
    }
    struct Row {
        const char* type;
        const char* object;
        uint32_t start;
        std::set<std::string> unlocked;
    };
    const Row rows[] = {{"kButtonUnlock", "kUnlockCurrent", first->id(), {"Lock First"}},
                        {"kButtonUnlock", "kUnlockNext", first->id(), {"Lock Last"}},
                        {"kButtonUnlock", "kUnlockNext", last->id(), {"Lock Zero"}},  // no next: "0"
                        {"kButtonUnlock", "World 2", first->id(), {"World 2"}},
                        {"kCharacterUnlock", "kUnlockCurrent", first->id(), {}},
                        {"kButtonUnlock", "", first->id(), {}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.type << " " << row.object << " from " << row.start);
        LockStateStore::parseLockStates("");
        ScreenManager::shared()->setStartSectionId(row.start);
        auto unlocker = QVModelObjectUnlocker::create();
        setText(*unlocker, "Unlock Type", row.type);
        setText(*unlocker, "Object", row.object);
        unlocker->applySceneUnlock();
        unlocker->applyCharacterUnlock();
        for (const char* key : {"Lock First", "Lock First Next", "Lock Last", "Lock Zero", "World 2"}) {
            SCOPED_TRACE(key);
            EXPECT_EQ(LockStateStore::lockState(key), row.unlocked.count(key) == 0);
        }
    }
}

// Characters are counted over all of them, so two of one name are both
// unlocked; once the data has loaded the unlock reaches the store.
TEST_F(UIObjects, CharacterUnlockUnlocksEveryCharacterOfThatName) {
    modeltest::TempDir dir;
    CCUserDefault::purgeSharedUserDefault();
    CCFileUtils::sharedFileUtils()->setWritablePath(dir.path);
    for (const char* name : {"Villain", "Hero", "Sidekick", "Hero"}) registered<QVModelAssetCharacter>(name);
    auto unlocker = QVModelObjectUnlocker::create();
    setText(*unlocker, "Unlock Type", "kCharacterUnlock");
    setText(*unlocker, "Object", "Hero");
    unlocker->applySceneUnlock();  // not a button unlock: no lock key appears
    EXPECT_EQ(LockStateStore::serializeLockStates(), "");
    QVPSettingsController::shared()->load();  // only an instance that loaded may save
    QVPSettingsController::setLoaded(true);
    unlocker->applyCharacterUnlock();
    const QVPSettingsController* settings = QVPSettingsController::shared();
    EXPECT_TRUE(settings->isCharacterUnlocked(1));
    EXPECT_FALSE(settings->isCharacterUnlocked(2));
    EXPECT_TRUE(settings->isCharacterUnlocked(3));
    // One entry per character model (none is free), in key order.
    EXPECT_EQ(CCUserDefault::sharedUserDefault()->getStringForKey("QVP_Character_3"), "3:1");
    EXPECT_EQ(CCUserDefault::sharedUserDefault()->getIntegerForKey("QVP_Characters_count"), 4);
}

// "Label Name" may name the font itself or a label whose font is meant.
TEST_F(UIObjects, SelectorFontUnderBothReadings) {
    auto font = registered<QVModelFont>();
    auto label = registered<QVModelObjectLabel>();
    setText(*label, "Font", std::to_string(font->id()));
    auto sound = registered<QVModelSound>();
    const int32_t fontId = static_cast<int32_t>(font->id());
    struct Row {
        std::string labelName;
        int32_t nameId;
        int32_t fontId;
    };
    const Row rows[] = {{std::to_string(font->id()), fontId, fontId},
                        {std::to_string(label->id()) + "x", static_cast<int32_t>(label->id()), fontId},
                        {std::to_string(sound->id()), static_cast<int32_t>(sound->id()), 0},
                        {"abc", 0, 0},
                        {"-5", -5, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.labelName);
        auto selector = QVModelObjectCharacterSelector::create();
        setText(*selector, "Label Name", row.labelName);
        EXPECT_EQ(selector->labelNameId(), row.nameId);
        EXPECT_EQ(selector->labelFontId(), row.fontId);
    }
}
