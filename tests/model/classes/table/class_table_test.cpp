// The class table: identity answers of every class with a factory, the
// registry, and which copies clone registers.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelClasses.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelCompound.h"
#include "model/classes/QVModelControls.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelGeneralSettings.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectButtonKinds.h"
#include "model/classes/QVModelObjectGroup.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelObjectLoadingBar.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelScreen.h"
#include "model/classes/QVModelScreenScene.h"
#include "model/classes/QVModelSound.h"
#include "model/classes/QVModelSprite.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/classes/QVModelUIObjects.h"
#include "model/classes/QVNode.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"

namespace {

// One row of the table: what a class answers.
struct Row {
    std::string className;
    uint32_t type;
    std::string defaultName;
    std::set<uint32_t> kinds;  // besides its own id
};

uint32_t model() { return typeId<QVModel>(); }
uint32_t compound() { return typeId<QVModelCompound>(); }
uint32_t object() { return typeId<QVModelObject>(); }

// Later classes add their rows here.
std::vector<Row> tableRows() {
    return {
        {"QVModelGeneralSettings", typeId<QVModelGeneralSettings>(), "", {model()}},
        {"QVModelSprite", typeId<QVModelSprite>(), "", {model()}},
        {"QVModelSound", typeId<QVModelSound>(), "", {model()}},
        {"QVModelFont", typeId<QVModelFont>(), "Default Font", {model()}},
        {"QVModelPolygon", typeId<QVModelPolygon>(), "", {model()}},
        {"QVModelCircle", typeId<QVModelCircle>(), "", {typeId<QVModelPolygon>(), model()}},
        {"QVModelSpriteContainer", typeId<QVModelSpriteContainer>(), "", {model()}},
        {"QVModelAnimation", typeId<QVModelAnimation>(), "", {model()}},
        {"QVModelAtlas", typeId<QVModelAtlas>(), "", {model()}},
        {"QVModelAsset", typeId<QVModelAsset>(), "", {compound(), model()}},
        {"QVModelAssetCharacter", typeId<QVModelAssetCharacter>(), "", {typeId<QVModelAsset>(), compound(), model()}},
        {"QVModelAssetObstacle",
         typeId<QVModelAssetObstacle>(),
         "Obstacle",
         {typeId<QVModelAsset>(), compound(), model()}},
        {"QVModelAssetPowerup",
         typeId<QVModelAssetPowerup>(),
         "Powerup",
         {typeId<QVModelAsset>(), compound(), model()}},
        {"QVModelLinker", typeId<QVModelLinker>(), "", {model()}},
        {"QVModelObject", typeId<QVModelObject>(), "Untitled", {compound(), model()}},
        {"QVModelObjectAccelerometer",
         typeId<QVModelObjectAccelerometer>(),
         "",
         {typeId<QVModelObjectManipulator>(), object(), compound(), model()}},
        {"QVModelObjectAsset", typeId<QVModelObjectAsset>(), "", {object(), compound(), model()}},
        {"QVModelObjectAssetCharacter",
         typeId<QVModelObjectAssetCharacter>(),
         "",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectAssetPowerup",
         typeId<QVModelObjectAssetPowerup>(),
         "",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectAssetUnit",
         typeId<QVModelObjectAssetUnit>(),
         "",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectBackground", typeId<QVModelObjectBackground>(), "Untitled", {object(), compound(), model()}},
        {"QVModelObjectButton",
         typeId<QVModelObjectButton>(),
         "Navigation Button",
         {typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonCharacterUnlock",
         typeId<QVModelObjectButtonCharacterUnlock>(),
         "Single Unlock",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonControl",
         typeId<QVModelObjectButtonControl>(),
         "",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonFacebook",
         typeId<QVModelObjectButtonFacebook>(),
         "Facebook Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonPowerup",
         typeId<QVModelObjectButtonPowerup>(),
         "Action Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonPurchase",
         typeId<QVModelObjectButtonPurchase>(),
         "Purchase Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonSoundControl",
         typeId<QVModelObjectButtonSoundControl>(),
         "Audio Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonSwitch",
         typeId<QVModelObjectButtonSwitch>(),
         "Switch Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectButtonUrl",
         typeId<QVModelObjectButtonUrl>(),
         "Url Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectCharacterSelector",
         typeId<QVModelObjectCharacterSelector>(),
         "",
         {object(), compound(), model()}},
        {"QVModelObjectEventObserver",
         typeId<QVModelObjectEventObserver>(),
         "Event Observer",
         {object(), compound(), model()}},
        {"QVModelObjectFlag",
         typeId<QVModelObjectFlag>(),
         "Flag",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectGatekeeper",
         typeId<QVModelObjectGatekeeper>(),
         "Gatekeeper",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectGroup", typeId<QVModelObjectGroup>(), "My Group Layer", {object(), compound(), model()}},
        {"QVModelObjectImage", typeId<QVModelObjectImage>(), "Image", {object(), compound(), model()}},
        {"QVModelObjectInstance", typeId<QVModelObjectInstance>(), "", {object(), compound(), model()}},
        {"QVModelObjectLight",
         typeId<QVModelObjectLight>(),
         "Light",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectLoadingBar", typeId<QVModelObjectLoadingBar>(), "Loading Bar", {object(), compound(), model()}},
        {"QVModelObjectLockButton",
         typeId<QVModelObjectLockButton>(),
         "Lock Button",
         {typeId<QVModelObjectButton>(), typeId<QVModelObjectImage>(), object(), compound(), model()}},
        {"QVModelObjectLogic",
         typeId<QVModelObjectLogic>(),
         "Transform",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectManipulator", typeId<QVModelObjectManipulator>(), "", {object(), compound(), model()}},
        {"QVModelObjectMirror",
         typeId<QVModelObjectMirror>(),
         "Mirror",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectParticles",
         typeId<QVModelObjectParticles>(),
         "Particle",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectParticlesEmitter",
         typeId<QVModelObjectParticlesEmitter>(),
         "",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectPath",
         typeId<QVModelObjectPath>(),
         "Path",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectScreenJump",
         typeId<QVModelObjectScreenJump>(),
         "Menu Jump",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectSwipeControl", typeId<QVModelObjectSwipeControl>(), "", {object(), compound(), model()}},
        {"QVModelObjectTeleport",
         typeId<QVModelObjectTeleport>(),
         "Portal",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectTrail",
         typeId<QVModelObjectTrail>(),
         "Trail",
         {typeId<QVModelObjectAsset>(), object(), compound(), model()}},
        {"QVModelObjectUnlocker", typeId<QVModelObjectUnlocker>(), "Unlock", {object(), compound(), model()}},
        {"QVModelObjectLabel", typeId<QVModelObjectLabel>(), "Untitled", {object(), compound(), model()}},
        {"QVModelLevelSection", typeId<QVModelLevelSection>(), "", {model()}},
        {"QVModelScreen", typeId<QVModelScreen>(), "", {compound(), model()}},
        {"QVModelScreenScene", typeId<QVModelScreenScene>(), "", {typeId<QVModelScreen>(), compound(), model()}},
        {"QVNodeScene", typeId<QVNodeScene>(), "New World 1", {typeId<QVNode>(), model()}},
        {"QVNodeUI", typeId<QVNodeUI>(), "New UI 1", {typeId<QVNode>(), model()}},
        {"QVNodeUIStart", typeId<QVNodeUIStart>(), "New UI 1", {typeId<QVNodeUI>(), typeId<QVNode>(), model()}},
        {"QVModelComponentCharacterGameplaySettings",
         typeId<QVModelComponentCharacterGameplaySettings>(),
         "Character Gameplay Settings",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentCharacterIcon",
         typeId<QVModelComponentCharacterIcon>(),
         "Character Icon",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentDamage", typeId<QVModelComponentDamage>(), "Damage", {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentDeletionThreshold",
         typeId<QVModelComponentDeletionThreshold>(),
         "Object Deletion Threshold",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentForcedMovement",
         typeId<QVModelComponentForcedMovement>(),
         "Forced Movement",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentHealth", typeId<QVModelComponentHealth>(), "Health", {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentIsoJump",
         typeId<QVModelComponentIsoJump>(),
         "Ghost Jump",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentMotor", typeId<QVModelComponentMotor>(), "Motor", {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentMove",
         typeId<QVModelComponentMove>(),
         "Advanced Move",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentRotationMapper",
         typeId<QVModelComponentRotationMapper>(),
         "Rotation Mapper",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentSlide", typeId<QVModelComponentSlide>(), "Slide", {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentSpawner",
         typeId<QVModelComponentSpawner>(),
         "Spawner",
         {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentWakeup", typeId<QVModelComponentWakeup>(), "Wake Up", {typeId<QVModelComponent>(), model()}},
        {"QVModelComponentScore", typeId<QVModelComponentScore>(), "Score", {typeId<QVModelComponent>(), model()}},
    };
}

// Every id a kind test could be asked about, generated bases included
// (which no class may answer).
std::vector<uint32_t> everyKindId() {
    std::vector<uint32_t> ids{model(),
                              compound(),
                              typeId<QVBaseModelCompound>(),
                              typeId<QVBaseModelObject>(),
                              typeId<QVBaseModelScreen>(),
                              typeId<QVBaseModelObjectLabel>(),
                              typeId<QVBaseModelObjectButton>(),
                              typeId<QVBaseModelObjectButtonPowerup>(),
                              typeId<QVBaseModelObjectButtonPurchase>(),
                              typeId<QVBaseModelObjectButtonCharacterUnlock>(),
                              typeId<QVBaseModelObjectLockButton>(),
                              typeId<QVBaseModelObjectUnlocker>(),
                              typeId<QVBaseModelObjectCharacterSelector>(),
                              typeId<QVBaseModelObjectEventObserver>(),
                              typeId<QVBaseModelFont>(),
                              typeId<QVBaseModelSound>(),
                              typeId<QVBaseModelAnimation>(),
                              typeId<QVBaseModelLinker>(),
                              typeId<QVBaseModelGeneralSettings>(),
                              typeId<QVBaseModelSpriteContainer>(),
                              typeId<QVBaseModelSprite>(),
                              typeId<QVBaseModelAtlas>(),
                              typeId<QVBaseModelObjectImage>(),
                              typeId<QVBaseModelObjectGroup>(),
                              typeId<QVBaseModelObjectRibbon>(),
                              typeId<QVBaseModelObjectLight>(),
                              typeId<QVBaseModelObjectParticles>(),
                              typeId<QVBaseModelObjectInstance>(),
                              typeId<QVBaseModelObjectLogic>(),
                              typeId<QVBaseModelObjectPath>(),
                              typeId<QVBaseModelLevelSection>(),
                              typeId<QVBaseModelScreenScene>(),
                              typeId<QVModelComponent>(),
                              typeId<QVBaseModelComponentCharacterGameplaySettings>(),
                              typeId<QVBaseModelComponentIsoJump>(),
                              typeId<QVBaseModelComponentMotor>(),
                              typeId<QVBaseModelComponentMove>(),
                              typeId<QVBaseModelAssetCharacter>(),
                              typeId<QVBaseModelAssetObstacle>(),
                              typeId<QVBaseModelAssetPowerup>(),
                              typeId<QVBaseModelObjectAssetUnit>(),
                              typeId<QVBaseNode>(),
                              typeId<QVNode>()};
    for (const Row& row : tableRows()) ids.push_back(row.type);
    return ids;
}

class ClassTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        QVModelGeneralSettings::reset();
        controller()->clear();
        installKeyTable({});
        registerModelClasses();
    }
    void TearDown() override {
        QVModelGeneralSettings::reset();
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }
    static std::shared_ptr<QVModel> create(const std::string& className) {
        return controller()->createModel(className);
    }
    static bool isRegistered(const std::shared_ptr<QVModel>& m) { return m && controller()->getModel(m->id()) == m; }
};

// The factories follow the registry's order (its names are the core's data,
// checked there) and each creates its class.
TEST_F(ClassTableTest, RegistryHoldsEveryWrittenClassInOrder) {
    const std::vector<std::string>& order = QVModelController::classNames();
    const std::vector<QVModelClassFactory>& factories = modelClassFactories();
    ASSERT_EQ(factories.size(), tableRows().size());
    size_t previous = 0;
    for (const QVModelClassFactory& factory : factories) {
        auto at = std::find(order.begin(), order.end(), factory.className);
        ASSERT_NE(at, order.end()) << factory.className;
        EXPECT_GE(static_cast<size_t>(at - order.begin()), previous) << factory.className;
        previous = static_cast<size_t>(at - order.begin());
        EXPECT_TRUE(create(factory.className)) << factory.className;
    }
    EXPECT_FALSE(create("QVModelCompound"));  // a base only
    EXPECT_FALSE(create("QVModelNoSuchClass"));
}

// Every registered name has attached a factory that makes its own class.
TEST_F(ClassTableTest, EveryRegisteredNameHasItsFactory) {
    ASSERT_EQ(QVModelController::classNames().size(), 72u);
    for (const std::string& name : QVModelController::classNames()) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(controller()->hasFactory(name));
        std::shared_ptr<QVModel> made = create(name);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->className(), name);
    }
}

TEST_F(ClassTableTest, EveryFactoryAnswersItsRow) {
    const std::vector<uint32_t> kindIds = everyKindId();
    for (const Row& row : tableRows()) {
        SCOPED_TRACE(row.className);
        std::shared_ptr<QVModel> made = create(row.className);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->className(), row.className);
        EXPECT_EQ(made->type(), row.type);
        EXPECT_EQ(made->name(), row.defaultName);
        for (uint32_t id : kindIds) {
            EXPECT_EQ(made->isKindOf(id), id == row.type || row.kinds.count(id) != 0) << "kind id " << id;
        }
        if (row.className == "QVModelGeneralSettings") {
            // The factory hands out the single, registered instance.
            EXPECT_EQ(create(row.className), made);
            EXPECT_TRUE(isRegistered(made));
            continue;
        }
        EXPECT_FALSE(isRegistered(made));
        std::shared_ptr<QVModel> second = create(row.className);
        EXPECT_NE(second, made);
        EXPECT_NE(second->id(), made->id());
    }
}

// Registering the classes again (each SetUp does) keeps the first factories:
// the first registration wins (core.spine Registry.FactoriesKeepTheFirst...).

// Clone of a parent with two children, one registered and one not.
struct CloneCase {
    bool sourceRegistered;
    bool deep;
    bool registerCopy;
    bool copyRegistered;
    bool registeredChildCopyRegistered;
};

TEST_F(ClassTableTest, CloneRegistersCopiesAndSharesOrClonesChildren) {
    const std::vector<CloneCase> cases{
        {true, false, true, true, false},   {true, true, true, true, true},     {true, true, false, false, false},
        {true, false, false, false, false}, {false, false, true, false, false}, {false, true, true, false, true},
        {false, true, false, false, false},
    };
    for (const Row& row : tableRows()) {
        if (row.className == "QVModelGeneralSettings") continue;
        for (const CloneCase& c : cases) {
            SCOPED_TRACE(row.className + (c.sourceRegistered ? " registered" : " loose") +
                         (c.deep ? " deep" : " shallow") + (c.registerCopy ? " registering" : " quiet"));
            std::shared_ptr<QVModel> source = create(row.className);
            auto kept = QVModelObject::create(), loose = QVModelObject::create();
            source->addChild(kept, true);
            source->addChild(loose, true);
            controller()->addModel(kept);
            if (c.sourceRegistered) controller()->addModel(source);
            controller()->removeModel(loose);

            const size_t listed = controller()->getModels(row.type).size();
            std::shared_ptr<QVModel> copy = source->clone(c.deep, c.registerCopy);
            ASSERT_TRUE(copy);
            EXPECT_NE(copy, source);
            EXPECT_EQ(copy->type(), source->type());
            EXPECT_NE(copy->id(), source->id());
            EXPECT_EQ(isRegistered(copy), c.copyRegistered);
            if (c.copyRegistered) {
                // Appended to its class list (child copies of the same class follow it).
                ASSERT_GT(controller()->getModels(row.type).size(), listed);
                EXPECT_EQ(controller()->getModels(row.type)[listed], copy);
            }
            EXPECT_TRUE(copy->parents().empty());
            if (row.type == typeId<QVModelObjectGroup>()) {
                // A group's clone takes no children: its copier gives it members.
                EXPECT_TRUE(copy->children().empty());
                controller()->clear();
                continue;
            }
            ASSERT_EQ(copy->children().size(), 2u);
            if (!c.deep) {
                EXPECT_EQ(copy->children(), source->children());
                EXPECT_EQ(kept->parents().size(), 2u);
            } else {
                EXPECT_NE(copy->children()[0], kept);
                EXPECT_NE(copy->children()[1], loose);
                EXPECT_EQ(copy->children()[0]->type(), typeId<QVModelObject>());
                EXPECT_EQ(isRegistered(copy->children()[0]), c.registeredChildCopyRegistered);
                EXPECT_FALSE(isRegistered(copy->children()[1]));
            }
            controller()->clear();
        }
    }
}

}  // namespace
