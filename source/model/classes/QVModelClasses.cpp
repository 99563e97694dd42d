#include "model/classes/QVModelClasses.h"

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelAtlas.h"
#include "model/classes/QVModelComponents.h"
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
#include "model/core/QVModelController.h"

namespace {
template <class T>
std::shared_ptr<QVModel> createAs() {
    return T::create();
}
}  // namespace

const std::vector<QVModelClassFactory>& modelClassFactories() {
    // New classes add their line here, in the registry's order.
    static const std::vector<QVModelClassFactory> factories{
        {"QVModelGeneralSettings", &createAs<QVModelGeneralSettings>},
        {"QVModelSprite", &createAs<QVModelSprite>},
        {"QVModelSound", &createAs<QVModelSound>},
        {"QVModelFont", &createAs<QVModelFont>},
        {"QVModelPolygon", &createAs<QVModelPolygon>},
        {"QVModelCircle", &createAs<QVModelCircle>},
        {"QVModelSpriteContainer", &createAs<QVModelSpriteContainer>},
        {"QVModelAnimation", &createAs<QVModelAnimation>},
        {"QVModelAtlas", &createAs<QVModelAtlas>},
        {"QVModelAsset", &createAs<QVModelAsset>},
        {"QVModelAssetCharacter", &createAs<QVModelAssetCharacter>},
        {"QVModelAssetObstacle", &createAs<QVModelAssetObstacle>},
        {"QVModelAssetPowerup", &createAs<QVModelAssetPowerup>},
        {"QVModelLinker", &createAs<QVModelLinker>},
        {"QVModelObject", &createAs<QVModelObject>},
        {"QVModelObjectAccelerometer", &createAs<QVModelObjectAccelerometer>},
        {"QVModelObjectAsset", &createAs<QVModelObjectAsset>},
        {"QVModelObjectAssetCharacter", &createAs<QVModelObjectAssetCharacter>},
        {"QVModelObjectAssetPowerup", &createAs<QVModelObjectAssetPowerup>},
        {"QVModelObjectAssetUnit", &createAs<QVModelObjectAssetUnit>},
        {"QVModelObjectBackground", &createAs<QVModelObjectBackground>},
        {"QVModelObjectButton", &createAs<QVModelObjectButton>},
        {"QVModelObjectButtonCharacterUnlock", &createAs<QVModelObjectButtonCharacterUnlock>},
        {"QVModelObjectButtonControl", &createAs<QVModelObjectButtonControl>},
        {"QVModelObjectButtonFacebook", &createAs<QVModelObjectButtonFacebook>},
        {"QVModelObjectButtonPowerup", &createAs<QVModelObjectButtonPowerup>},
        {"QVModelObjectButtonPurchase", &createAs<QVModelObjectButtonPurchase>},
        {"QVModelObjectButtonSoundControl", &createAs<QVModelObjectButtonSoundControl>},
        {"QVModelObjectButtonSwitch", &createAs<QVModelObjectButtonSwitch>},
        {"QVModelObjectButtonUrl", &createAs<QVModelObjectButtonUrl>},
        {"QVModelObjectCharacterSelector", &createAs<QVModelObjectCharacterSelector>},
        {"QVModelObjectEventObserver", &createAs<QVModelObjectEventObserver>},
        {"QVModelObjectFlag", &createAs<QVModelObjectFlag>},
        {"QVModelObjectGatekeeper", &createAs<QVModelObjectGatekeeper>},
        {"QVModelObjectGroup", &createAs<QVModelObjectGroup>},
        {"QVModelObjectImage", &createAs<QVModelObjectImage>},
        {"QVModelObjectInstance", &createAs<QVModelObjectInstance>},
        {"QVModelObjectLight", &createAs<QVModelObjectLight>},
        {"QVModelObjectLoadingBar", &createAs<QVModelObjectLoadingBar>},
        {"QVModelObjectLockButton", &createAs<QVModelObjectLockButton>},
        {"QVModelObjectLogic", &createAs<QVModelObjectLogic>},
        {"QVModelObjectManipulator", &createAs<QVModelObjectManipulator>},
        {"QVModelObjectMirror", &createAs<QVModelObjectMirror>},
        {"QVModelObjectParticles", &createAs<QVModelObjectParticles>},
        {"QVModelObjectParticlesEmitter", &createAs<QVModelObjectParticlesEmitter>},
        {"QVModelObjectPath", &createAs<QVModelObjectPath>},
        {"QVModelObjectScreenJump", &createAs<QVModelObjectScreenJump>},
        {"QVModelObjectSwipeControl", &createAs<QVModelObjectSwipeControl>},
        {"QVModelObjectTeleport", &createAs<QVModelObjectTeleport>},
        {"QVModelObjectTrail", &createAs<QVModelObjectTrail>},
        {"QVModelObjectUnlocker", &createAs<QVModelObjectUnlocker>},
        {"QVModelObjectLabel", &createAs<QVModelObjectLabel>},
        {"QVModelLevelSection", &createAs<QVModelLevelSection>},
        {"QVModelScreen", &createAs<QVModelScreen>},
        {"QVModelScreenScene", &createAs<QVModelScreenScene>},
        {"QVNodeScene", &createAs<QVNodeScene>},
        {"QVNodeUI", &createAs<QVNodeUI>},
        {"QVNodeUIStart", &createAs<QVNodeUIStart>},
        {"QVModelComponentCharacterGameplaySettings", &createAs<QVModelComponentCharacterGameplaySettings>},
        {"QVModelComponentCharacterIcon", &createAs<QVModelComponentCharacterIcon>},
        {"QVModelComponentDamage", &createAs<QVModelComponentDamage>},
        {"QVModelComponentDeletionThreshold", &createAs<QVModelComponentDeletionThreshold>},
        {"QVModelComponentForcedMovement", &createAs<QVModelComponentForcedMovement>},
        {"QVModelComponentHealth", &createAs<QVModelComponentHealth>},
        {"QVModelComponentIsoJump", &createAs<QVModelComponentIsoJump>},
        {"QVModelComponentMotor", &createAs<QVModelComponentMotor>},
        {"QVModelComponentMove", &createAs<QVModelComponentMove>},
        {"QVModelComponentRotationMapper", &createAs<QVModelComponentRotationMapper>},
        {"QVModelComponentSlide", &createAs<QVModelComponentSlide>},
        {"QVModelComponentSpawner", &createAs<QVModelComponentSpawner>},
        {"QVModelComponentWakeup", &createAs<QVModelComponentWakeup>},
        {"QVModelComponentScore", &createAs<QVModelComponentScore>},
    };
    return factories;
}

void registerModelClasses(QVModelController* controller) {
    if (!controller) controller = QVModelController::shared();
    for (const QVModelClassFactory& factory : modelClassFactories()) {
        controller->registerFactory(factory.className, factory.create);
    }
    controller->setSettingsReset(&QVModelGeneralSettings::reset);
}
