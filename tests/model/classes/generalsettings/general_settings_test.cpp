// The general settings model: defaults, the single instance, the bootstrap
// read, platformSpecificValues in both forms, and the legacy values.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../../core/support/model_test_support.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"

using cocos2d::CCDictionary;
using cocos2d::CCPoint;
using cocos2d::CCString;

namespace {

using Settings = std::shared_ptr<QVModelGeneralSettings>;

class GeneralSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QVModelGeneralSettings::reset();
        controller()->clear();
        installKeyTable(fullTable());
    }
    void TearDown() override {
        QVModelGeneralSettings::reset();
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
    modeltest::LogCapture log;

    // Every key name a settings model writes, with the four numbers that
    // the bootstrap read relies on where our writers put them.
    static QVKeyTableMap fullTable() {
        QVKeyTableMap table{{"value", 10}, {"Class Name", 33}, {"id", 42}, {"User ID", 50}};
        const std::vector<std::string> extra{
            "desktop", "mobile",        "volume",  "level",      "platformSpecificValues",
            "enum",    "variableValue", "isEmpty", "animations", "Name"};
        std::set<std::string> names(extra.begin(), extra.end());
        collectedKeys().clear();
        installKeyTable(table);
        QVModelGeneralSettings::shared()->collectKeys();
        names.insert(collectedKeys().begin(), collectedKeys().end());
        QVModelGeneralSettings::reset();
        int32_t next = 100;
        for (const std::string& name : names) {
            if (!table.count(name)) table[name] = next++;
        }
        return table;
    }
    static uint32_t number(const std::string& name) { return static_cast<uint32_t>(keyCodeOrThrow(name)); }

    // A model's pack map as the loader reads it back.
    struct Packed {
        msgpack::zone zone;
        msgpack::object object;
        QVPackMap map() const { return QVPackMap(object); }
    };
    static void pack(QVModel& model, Packed& out) {
        QVPackMap written(out.zone);
        model.pack(written);
        out.object = written.toObject(out.zone);
    }
    using RawMap = std::map<uint32_t, msgpack::object>;
    static void packRaw(const RawMap& entries, Packed& out) { out.object = msgpack::object(entries, out.zone); }

    static CCDictionary* platforms(const std::map<std::string, std::map<std::string, std::string>>& values) {
        CCDictionary* dict = CCDictionary::create();
        for (const auto& platform : values) {
            CCDictionary* inner = CCDictionary::create();
            for (const auto& value : platform.second) inner->setObject(CCString::create(value.second), value.first);
            dict->setObject(inner, platform.first);
        }
        return dict;
    }
    static std::map<std::string, std::map<std::string, std::string>> platformsOf(const Settings& settings) {
        std::map<std::string, std::map<std::string, std::string>> out;
        for (const auto& platform : settings->platformSpecificValues()->entries()) {
            auto& inner = out[platform.first];
            if (auto* values = dynamic_cast<CCDictionary*>(platform.second)) {
                for (const auto& value : values->entries())
                    inner[value.first] = values->valueForKey(value.first)->str();
            }
        }
        return out;
    }
    static CCDictionary* entry(const char* value) {
        CCDictionary* dict = CCDictionary::create();
        dict->setObject(CCString::create(value), "value");
        return dict;
    }
};

TEST_F(GeneralSettingsTest, NewInstanceHasExactDefaults) {
    Settings settings = QVModelGeneralSettings::shared();
    EXPECT_EQ(settings->zkVersion(), "");
    EXPECT_EQ(settings->shareScreen(), "Game Field Screen");
    EXPECT_EQ(settings->versionNumber(), "1.0");
    EXPECT_EQ(settings->applicationName(), "Untitled");
    EXPECT_EQ(settings->comments(), "add comments here");
    EXPECT_EQ(settings->resetText(),
              "PLEASE NOTE:  You are about to reset all your game progress and start completely over.  "
              "Are you sure you want to do that?");
    EXPECT_EQ(settings->notEnoughCurrencyText(), "Sorry, you don't have enough currency!");
    EXPECT_EQ(settings->userId(), "");
    EXPECT_EQ(settings->lastId(), 0u);
    EXPECT_EQ(settings->orientation(), kQVOrientationPortrait);
    EXPECT_EQ(settings->designSize().width, 0.0f);
    EXPECT_TRUE(settings->icon()->excludedFromAtlas());
    const std::vector<int> keys{settings->moveUpKey(),     settings->moveDownKey(),    settings->moveLeftKey(),
                                settings->moveRightKey(),  settings->motorCWKey(),     settings->motorCCWKey(),
                                settings->rotateLeftKey(), settings->rotateRightKey(), settings->shootKey(),
                                settings->jumpKey()};
    EXPECT_EQ(keys, (std::vector<int>{16777235, 16777237, 16777234, 16777236, 88, 90, 44, 46, 32, 74}));
    EXPECT_EQ(settings->platformSpecificValues()->count(), 0u);
    // "Last ID" holds the whole unsigned range.
    auto* lastId = attributeCast<QVAttributeUInt>(settings->attribute("Last ID"));
    ASSERT_NE(lastId, nullptr);
    EXPECT_EQ(lastId->maxValue(), 4294967295u);
}

TEST_F(GeneralSettingsTest, SharedResetAndCloneKeepOneRegisteredInstance) {
    Settings first = QVModelGeneralSettings::shared();
    EXPECT_EQ(QVModelGeneralSettings::shared(), first);
    EXPECT_EQ(QVModelGeneralSettings::create(), first);
    EXPECT_EQ(controller()->getModel(first->id()), first);
    EXPECT_EQ(first->clone(true, true), first);
    EXPECT_EQ(first->clone(false, false), first);
    EXPECT_EQ(controller()->modelCount(), 1u);
    EXPECT_STREQ(first->className(), "QVModelGeneralSettings");
    EXPECT_TRUE(first->isKindOf(typeId<QVModel>()));

    static_cast<QVAttributeString*>(first->attribute("Application Name"))->setValue("Changed", true);
    QVModelGeneralSettings::reset();
    EXPECT_EQ(controller()->getModel(first->id()), nullptr);
    EXPECT_EQ(first->applicationName(), "Changed");  // a reader keeps what it held

    Settings second = QVModelGeneralSettings::shared();
    EXPECT_NE(second, first);
    EXPECT_NE(second->id(), first->id());
    EXPECT_EQ(controller()->getModel(second->id()), second);
    EXPECT_EQ(second->applicationName(), "Untitled");
    QVModelGeneralSettings::reset();
    QVModelGeneralSettings::reset();  // nothing held: nothing happens
    EXPECT_EQ(controller()->modelCount(), 0u);

    // The controller's clear() runs the reset the classes register.
    Settings third = QVModelGeneralSettings::shared();
    controller()->clear();
    EXPECT_NE(QVModelGeneralSettings::shared(), third);
}

TEST_F(GeneralSettingsTest, BootstrapReadWithoutKeyTableGetsOnlyIdAndUserId) {
    Settings source = QVModelGeneralSettings::shared();
    source->setId(1001);
    static_cast<QVAttributeString*>(source->attribute("Application Name"))->setValue("Loadcheck", true);
    static_cast<QVAttributeString*>(source->attribute("User ID"))->setValue("12345", true);
    static_cast<QVAttributeString*>(source->attribute("ZK Version"))->setValue("1.0", true);
    source->setPlatformSpecificValues(platforms({{"desktop", {{"volume", "0.5"}}}}));
    Packed packed;
    pack(*source, packed);
    const QVKeyTableMap table = keyTable();
    QVModelGeneralSettings::reset();

    installKeyTable({});
    Settings first = QVModelGeneralSettings::shared();
    first->unpack(packed.map());
    EXPECT_EQ(first->id(), 1001u);
    EXPECT_EQ(first->userId(), "12345");
    EXPECT_EQ(first->applicationName(), "Untitled");
    EXPECT_EQ(first->zkVersion(), "");
    EXPECT_EQ(first->platformSpecificValues()->count(), 0u);
    EXPECT_EQ(controller()->getModel(1001), first);

    installKeyTable(table);
    first->unpack(packed.map());
    EXPECT_EQ(first->id(), 1001u);
    EXPECT_EQ(first->applicationName(), "Loadcheck");
    EXPECT_EQ(first->zkVersion(), "1.0");
    EXPECT_EQ(first->platformValue("desktop", "volume"), "0.5");
}

TEST_F(GeneralSettingsTest, PlatformValuesRoundTripEmptyAndAbsent) {
    Settings source = QVModelGeneralSettings::shared();
    const std::map<std::string, std::map<std::string, std::string>> values{
        {"desktop", {{"volume", "0.5"}, {"level", "3"}}}, {"mobile", {}}};
    source->setPlatformSpecificValues(platforms(values));
    Packed full;
    pack(*source, full);
    source->setPlatformSpecificValues(nullptr);
    Packed empty;
    pack(*source, empty);
    QVModelGeneralSettings::reset();

    Settings reader = QVModelGeneralSettings::shared();
    reader->unpack(full.map());
    EXPECT_EQ(platformsOf(reader), values);

    // A pack without the entry keeps the dictionary.
    Packed absent;
    packRaw({{number("id"), msgpack::object(1001u)}}, absent);
    reader->unpack(absent.map());
    EXPECT_EQ(platformsOf(reader), values);

    // An empty nested map empties it.
    reader->unpack(empty.map());
    EXPECT_EQ(reader->platformSpecificValues()->count(), 0u);
    EXPECT_TRUE(log.lines().empty());

    // The dictionary form shares the same content.
    reader->setPlatformSpecificValues(platforms(values));
    CCDictionary* dict = reader->toDictionary();
    QVModelGeneralSettings::reset();
    Settings other = QVModelGeneralSettings::shared();
    other->fromDictionary(dict);
    EXPECT_EQ(platformsOf(other), values);
}

TEST_F(GeneralSettingsTest, UnknownKeyNumbersAreSkippedAndLoggedWhileTheRestLoads) {
    Settings settings = QVModelGeneralSettings::shared();
    Packed packed;
    RawMap desktop{{number("volume"), msgpack::object("0.5", packed.zone)},
                   {9999u, msgpack::object("lost", packed.zone)}};
    RawMap unknownPlatform{{number("volume"), msgpack::object("1", packed.zone)}};
    RawMap outer{{number("desktop"), msgpack::object(desktop, packed.zone)},
                 {9998u, msgpack::object(unknownPlatform, packed.zone)}};
    packRaw({{number("id"), msgpack::object(1001u)},
             {number("platformSpecificValues"), msgpack::object(outer, packed.zone)}},
            packed);

    EXPECT_NO_THROW(settings->unpack(packed.map()));
    EXPECT_EQ(platformsOf(settings),
              (std::map<std::string, std::map<std::string, std::string>>{{"desktop", {{"volume", "0.5"}}}}));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"[QVModelGeneralSettings] unknown key 9999",
                                                     "[QVModelGeneralSettings] unknown key 9998"}));
}

TEST_F(GeneralSettingsTest, MistypedPlatformValuesRaiseAndKeepTheOldDictionary) {
    Settings settings = QVModelGeneralSettings::shared();
    settings->setPlatformSpecificValues(platforms({{"desktop", {{"volume", "0.5"}}}}));
    const auto before = platformsOf(settings);
    for (bool flat : {true, false}) {  // a platform that is no map; a value that is no text
        SCOPED_TRACE(flat ? "flat platform" : "number value");
        Packed packed;
        RawMap inner{{number("volume"), msgpack::object(5)}};
        RawMap outer{
            {number("mobile"), flat ? msgpack::object("flat", packed.zone) : msgpack::object(inner, packed.zone)}};
        packRaw({{number("platformSpecificValues"), msgpack::object(outer, packed.zone)}}, packed);
        EXPECT_THROW(settings->unpack(packed.map()), msgpack::type_error);
        EXPECT_EQ(platformsOf(settings), before);
    }
}

TEST_F(GeneralSettingsTest, LegacyValuesChangeOnlyThroughTheDictionaryForm) {
    Settings settings = QVModelGeneralSettings::shared();
    EXPECT_EQ(settings->gravity(), CCPoint(0, -50));
    EXPECT_EQ(settings->characterFriction(), CCPoint(0.8f, 1.0f));
    EXPECT_FLOAT_EQ(settings->jumpTimeout(), 0.25f);
    EXPECT_FLOAT_EQ(settings->jumpGroundThreshold(), 0.01f);
    EXPECT_FLOAT_EQ(settings->backDeletionThreshold(), 300.0f);
    EXPECT_FLOAT_EQ(settings->gameSpeedIncrease(), 0.1f);
    EXPECT_TRUE(settings->forcedMovement());
    EXPECT_FALSE(settings->fixedRotation());

    CCDictionary* dict = CCDictionary::create();
    dict->setObject(entry("{1,-20}"), "Gravity");
    dict->setObject(entry("0.5"), "Jump Timeout");
    dict->setObject(entry("true"), "Fixed Rotation");
    dict->setObject(entry("false"), "Forced Movement");
    dict->setObject(entry(""), "Jump Counter");                // empty: unchanged
    dict->setObject(CCString::create("7"), "Game Speed Max");  // not a sub-dictionary: unchanged
    dict->setObject(entry("{2,3}"), "Character Friction");
    settings->fromDictionary(dict);
    EXPECT_EQ(settings->gravity(), CCPoint(1, -20));
    EXPECT_EQ(settings->characterFriction(), CCPoint(2, 3));
    EXPECT_FLOAT_EQ(settings->jumpTimeout(), 0.5f);
    EXPECT_TRUE(settings->fixedRotation());
    EXPECT_FALSE(settings->forcedMovement());
    EXPECT_FLOAT_EQ(settings->jumpCounter(), 0.0f);
    EXPECT_FLOAT_EQ(settings->gameSpeedMax(), 10.0f);

    // Packs never carry them: a pack-loaded instance runs on the defaults.
    Packed packed;
    pack(*settings, packed);
    QVModelGeneralSettings::reset();
    Settings loaded = QVModelGeneralSettings::shared();
    loaded->unpack(packed.map());
    EXPECT_EQ(loaded->gravity(), CCPoint(0, -50));
    EXPECT_TRUE(loaded->forcedMovement());
    EXPECT_FALSE(loaded->toDictionary()->objectForKey("Gravity"));
}

TEST_F(GeneralSettingsTest, EnumerationsAndSizesReadFromPacks) {
    Settings settings = QVModelGeneralSettings::shared();
    static_cast<QVAttributeOrientation*>(settings->attribute("Orientation"))->setValue(kQVOrientationLandscape, true);
    static_cast<QVAttributeScreenAdjustment*>(settings->attribute("Screen Adjustment"))
        ->setValue(kQVScreenAdjustment2, true);

    Packed packed;
    RawMap noEnum;
    RawMap size{{number("value"), msgpack::object(std::vector<float>{1136.0f, 640.0f}, packed.zone)}};
    packRaw({{number("Orientation"), msgpack::object(noEnum, packed.zone)},
             {number("Design Size"), msgpack::object(size, packed.zone)}},
            packed);
    settings->unpack(packed.map());
    // An entry without "enum" means the first value; an absent entry keeps.
    EXPECT_EQ(settings->orientation(), kQVOrientationPortrait);
    EXPECT_EQ(settings->screenAdjustment(), kQVScreenAdjustment2);
    EXPECT_EQ(settings->designSize().width, 1136.0f);
    EXPECT_EQ(settings->designSize().height, 640.0f);
}

}  // namespace
