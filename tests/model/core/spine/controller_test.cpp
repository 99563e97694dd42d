// The controller's registry: registration rules, removal, id changes, the
// tree, clear, factories and loads with none registered (packs of test-local
// classes: core.load; the sprite-container following: sprite_link_test.cpp).
#include <functional>

#include "../support/model_test_support.h"
#include "test_models.h"

namespace {

using Registry = RecordingControllerTest;
using Models = std::vector<std::shared_ptr<QVModel>>;

// The order the loader reads classes in.
const std::vector<std::string> kRegistryOrder{"QVModelGeneralSettings",
                                              "QVModelSprite",
                                              "QVModelSound",
                                              "QVModelFont",
                                              "QVModelPolygon",
                                              "QVModelCircle",
                                              "QVModelSpriteContainer",
                                              "QVModelAnimation",
                                              "QVModelAtlas",
                                              "QVModelAsset",
                                              "QVModelAssetCharacter",
                                              "QVModelAssetObstacle",
                                              "QVModelAssetPowerup",
                                              "QVModelLinker",
                                              "QVModelObject",
                                              "QVModelObjectAccelerometer",
                                              "QVModelObjectAsset",
                                              "QVModelObjectAssetCharacter",
                                              "QVModelObjectAssetPowerup",
                                              "QVModelObjectAssetUnit",
                                              "QVModelObjectBackground",
                                              "QVModelObjectButton",
                                              "QVModelObjectButtonCharacterUnlock",
                                              "QVModelObjectButtonControl",
                                              "QVModelObjectButtonFacebook",
                                              "QVModelObjectButtonPowerup",
                                              "QVModelObjectButtonPurchase",
                                              "QVModelObjectButtonSoundControl",
                                              "QVModelObjectButtonSwitch",
                                              "QVModelObjectButtonUrl",
                                              "QVModelObjectCharacterSelector",
                                              "QVModelObjectEventObserver",
                                              "QVModelObjectFlag",
                                              "QVModelObjectGatekeeper",
                                              "QVModelObjectGroup",
                                              "QVModelObjectImage",
                                              "QVModelObjectInstance",
                                              "QVModelObjectLight",
                                              "QVModelObjectLoadingBar",
                                              "QVModelObjectLockButton",
                                              "QVModelObjectLogic",
                                              "QVModelObjectManipulator",
                                              "QVModelObjectMirror",
                                              "QVModelObjectParticles",
                                              "QVModelObjectParticlesEmitter",
                                              "QVModelObjectPath",
                                              "QVModelObjectScreenJump",
                                              "QVModelObjectSwipeControl",
                                              "QVModelObjectTeleport",
                                              "QVModelObjectTrail",
                                              "QVModelObjectUnlocker",
                                              "QVModelObjectLabel",
                                              "QVModelLevelSection",
                                              "QVModelScreen",
                                              "QVModelScreenScene",
                                              "QVNodeScene",
                                              "QVNodeUI",
                                              "QVNodeUIStart",
                                              "QVModelComponentCharacterGameplaySettings",
                                              "QVModelComponentCharacterIcon",
                                              "QVModelComponentDamage",
                                              "QVModelComponentDeletionThreshold",
                                              "QVModelComponentForcedMovement",
                                              "QVModelComponentHealth",
                                              "QVModelComponentIsoJump",
                                              "QVModelComponentMotor",
                                              "QVModelComponentMove",
                                              "QVModelComponentRotationMapper",
                                              "QVModelComponentSlide",
                                              "QVModelComponentSpawner",
                                              "QVModelComponentWakeup",
                                              "QVModelComponentScore"};

TEST_F(Registry, AddingTwiceSendsOneModelAdded) {
    auto model = TestModel::create();
    recorder.addModel(model);
    recorder.addModel(model);
    recorder.addModel(nullptr);
    EXPECT_EQ(recorder.added, std::vector<QVModel*>{model.get()});
    EXPECT_EQ(recorder.getModels<TestModel>().size(), 1u);
}

TEST_F(Registry, IndexZeroInsertsFirstAndOtherIndexesAppend) {
    for (int index : {0, 3, 7, -1}) {
        recorder.clear();
        for (int i = 0; i < 3; ++i) recorder.addModel(TestModel::create());
        auto extra = TestModel::create();
        recorder.addModel(extra, index);
        const Models list = recorder.getModels(typeId<TestModel>());
        ASSERT_EQ(list.size(), 4u) << index;
        EXPECT_EQ(index == 0 ? list.front() : list.back(), extra) << index;
    }
}

TEST_F(Registry, RemovingARefusedDuplicateLeavesTheRegisteredModel) {
    auto registered = TestModel::create(), impostor = TestModel::create();
    registered->addChild(TestOther::create());
    impostor->addChild(TestOther::create());
    recorder.addModel(registered);
    impostor->setId(registered->id());
    recorder.addModel(impostor);  // refused: the id is taken
    recorder.removeModel(impostor);
    EXPECT_EQ(recorder.getModel(registered->id()), registered);
    EXPECT_EQ(recorder.getModel(registered->children()[0]->id()), registered->children()[0]);
    EXPECT_TRUE(recorder.removed.empty());
    recorder.removeModel(registered);
    EXPECT_TRUE(recorder.getModels<TestModel>().empty());
}

TEST_F(Registry, ReplaceModelIdWithAForeignOldIdChangesNothing) {
    auto a = TestModel::create(), b = TestModel::create();
    recorder.addModel(a);
    recorder.addModel(b);
    recorder.replaceModelId(b, a->id());
    EXPECT_EQ(recorder.getModel(a->id()), a);
    EXPECT_EQ(recorder.getModel(b->id()), b);
    EXPECT_EQ(recorder.modelChanges, 0);
}

TEST_F(Registry, RegisteringATreeRegistersItAndRemovalKeepsSharedChildren) {
    auto first = TestModel::create(), second = TestModel::create();
    auto shared = TestOther::create(), own = TestOther::create(), ownChild = TestOther::create();
    first->addChild(shared);
    first->addChild(own);
    own->addChild(ownChild);
    second->addChild(shared);
    recorder.addModel(first);
    recorder.addModel(second);
    for (const auto& m : Models{first, second, shared, own, ownChild}) EXPECT_EQ(recorder.getModel(m->id()), m);
    EXPECT_EQ(recorder.added.size(), 5u);

    recorder.removeModel(first);
    EXPECT_EQ(recorder.getModel(shared->id()), shared);  // second still holds it
    EXPECT_EQ(recorder.getModel(own->id()), nullptr);
    EXPECT_EQ(recorder.getModel(ownChild->id()), nullptr);  // same rule, one level down
    recorder.removeModel(second);
    EXPECT_EQ(recorder.getModel(shared->id()), nullptr);
}

// A stale model (removed, or a twin carrying a taken id) never unregisters
// the model that holds its id now.
TEST_F(Registry, StaleModelsCannotDisturbTheirReplacement) {
    auto stale = TestModel::create(), replacement = TestModel::create(), twin = TestModel::create();
    recorder.addModel(stale);
    recorder.addModel(replacement);
    const uint32_t id = stale->id();
    recorder.removeModel(stale);
    replacement->setId(id);
    ASSERT_EQ(recorder.getModel(id), replacement);
    recorder.removeModel(stale);
    twin->setId(id);
    recorder.removeModel(twin);
    EXPECT_EQ(recorder.getModel(id), replacement);
    EXPECT_EQ(recorder.getModels<TestModel>().size(), 1u);
}

TEST_F(Registry, FactoriesKeepTheFirstRegistrationAndDoNotRegister) {
    EXPECT_EQ(QVModelController::classNames(), kRegistryOrder);
    EXPECT_TRUE(recorder.registerFactory("TestOnly", [] { return TestModel::create(); }));
    EXPECT_FALSE(recorder.registerFactory("TestOnly", [] { return TestOther::create(); }));
    auto made = recorder.createModel("TestOnly");
    ASSERT_TRUE(made);
    EXPECT_STREQ(made->className(), "TestModel");
    EXPECT_FALSE(recorder.getModel(made->id()));
    EXPECT_FALSE(recorder.createModel("QVModelNoSuchClass"));
}

TEST_F(Registry, ChangeHooksHearOnlyRegisteredModels) {
    auto loose = TestNode::create(), kept = TestNode::create();
    recorder.addModel(kept);
    loose->setName("x");
    loose->notifyChanged();
    EXPECT_EQ(recorder.attributeChanges + recorder.modelChanges, 0);
    kept->setName("y");
    kept->notifyChanged();
    EXPECT_EQ(recorder.attributeChanges, 1);
    EXPECT_EQ(recorder.modelChanges, 1);
    kept->setId(kept->id() + 100);  // re-keying counts as a change
    EXPECT_EQ(recorder.modelChanges, 2);
    recorder.notifyAttributeChanged(kept->attribute("Name"), 2);  // kind 2 is never forwarded
    EXPECT_EQ(recorder.attributeChanges, 1);
    EXPECT_TRUE(recorder.dataChanged());
}

// clear() also runs the settings reset and drains the autorelease pool, and
// keeps the key table, the mode and the factories.
TEST_F(Registry, ClearForgetsEverythingAndRestartsIdsButKeepsConfiguration) {
    auto model = TestModel::create();
    model->setId(400);
    recorder.addModel(model);
    std::weak_ptr<QVModel> watch = model;
    model.reset();
    int resets = 0;
    recorder.setSettingsReset([&resets] { ++resets; });
    ASSERT_TRUE(recorder.registerFactory("TestModel", [] { return TestModel::create(); }));
    installKeyTable({{"Name", 0}});
    recorder.archiveMode = true;
    auto* object = new cocos2d::CCObject;
    object->autorelease();
    object->retain();
    const unsigned int pooledRefs = object->retainCount();

    recorder.clear();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(object->retainCount(), pooledRefs - 1) << "the pool let go of it";
    object->release();
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(recorder.getModel(400), nullptr);
    EXPECT_FALSE(recorder.dataChanged());
    EXPECT_EQ(TestModel::create()->id(), 1u);
    EXPECT_TRUE(recorder.archiveMode);
    EXPECT_EQ(keyCode("Name"), 0);
    EXPECT_TRUE(recorder.hasFactory("TestModel"));
    EXPECT_EQ(recorder.loadingPercent(), 0);
    EXPECT_EQ(recorder.loadingState().className, "QVModelGeneralSettings");
    recorder.setSettingsReset(nullptr);
    recorder.archiveMode = false;
}

TEST_F(Registry, ALoadWithNoClassRegisteredFailsWithOneLogLine) {
    const std::vector<std::pair<const char*, std::function<void(QVModelController&)>>> loads = {
        {"initial data", [](QVModelController& c) { c.loadInitialData("data.pkg", "x"); }},
        {"next from files", [](QVModelController& c) { EXPECT_TRUE(c.loadNextFromFiles()); }},
        {"initial, then next",
         [](QVModelController& c) {
             c.loadInitialData("data.pkg", "x");
             EXPECT_TRUE(c.loadNextFromFiles());
         }},
    };
    modeltest::LogCapture log;
    for (const auto& load : loads) {
        SCOPED_TRACE(load.first);
        recorder.clear();
        log.lines().clear();
        load.second(recorder);
        EXPECT_EQ(recorder.lastError(), QVModelController::kErrorLoad);
        EXPECT_EQ(log.lines(),
                  std::vector<std::string>{"[QVModelController] load data - fail: no model class is registered"});
        EXPECT_EQ(recorder.modelCount(), 0u);
    }
}

}  // namespace
