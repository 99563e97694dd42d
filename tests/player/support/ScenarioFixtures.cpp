#include "ScenarioFixtures.h"

#include "FieldFixtures.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"

using cocos2d::CCPoint;

namespace fieldfixtures {

namespace {

template <class T>
std::shared_ptr<T> registered(std::shared_ptr<T> model) {
    QVModelController::shared()->addModel(model);
    return model;
}

template <class A, class V>
void set(const QVModel& model, const char* name, const V& value) {
    if (auto* attribute = attributeCast<A>(model.attribute(name))) attribute->setValue(value);
}

}  // namespace

std::shared_ptr<QVModelAssetObstacle> boxAsset(const std::string& name, float width, float height) {
    auto asset = obstacleAsset(name, width, height);
    linkAnimation(*asset, "Idle Animation", framedAnimation(name, 1));
    return asset;
}

std::shared_ptr<QVModelAnimation> spriteAnimation(const std::shared_ptr<QVModelSpriteContainer>& sprites, int frames,
                                                  float duration) {
    auto animation = registered(QVModelAnimation::create());
    set<QVAttributeFloat>(*animation, "Speed", 1.0f);
    animation->setDuration(duration);
    animation->setLoop(true);
    for (int i = 0; i < frames; ++i) {
        auto image = registered(QVModelObjectImage::create());
        attributeCast<QVAttributeSprite>(image->attribute("Image"))->setValue(sprites);
        animation->addChild(image);
    }
    return animation;
}

std::shared_ptr<QVModelObjectAssetUnit> groundUnit(const CCPoint& centre, float width, float height) {
    auto unit = unitPlacement(boxAsset("Ground", width, height), centre);
    // The object type brings its own defaults; these follow it.
    set<QVAttributeString>(*unit, "Object Type", std::string("kPlatformObjectType"));
    unit->setMovementType("kNoMovement");
    unit->setCollisionType("kCharacterCollision");
    unit->setDestroyType("kDestroyNo");
    return unit;
}

std::shared_ptr<QVModelObjectAssetUnit> enemyUnit(const CCPoint& centre, float width, float height, int damage,
                                                  float damageDelay) {
    auto unit = unitEnemy(boxAsset("Enemy", width, height), centre);
    if (damage > 0) {
        auto component = registered(QVModelComponentDamage::create());
        component->setDamage(damage);
        component->setDamageDelay(damageDelay);
        unit->asset()->addChild(component);
    }
    return unit;
}

std::shared_ptr<QVModelComponentHealth> healthModel(float health, float lives, float deathDelay) {
    auto model = registered(QVModelComponentHealth::create());
    model->healthAttribute()->setValue(health);
    model->livesAttribute()->setValue(lives);
    model->deathDelayAttribute()->setValue(deathDelay);
    return model;
}

std::shared_ptr<QVModelComponentCharacterGameplaySettings> gameplaySettings(const Gameplay& values) {
    auto model = registered(QVModelComponentCharacterGameplaySettings::create());
    setGameplay(*model, values);
    return model;
}

void setGameplay(QVModelComponentCharacterGameplaySettings& component, const Gameplay& values) {
    QVModelComponentCharacterGameplaySettings* model = &component;
    model->maxSpeedAttribute()->setValue(values.maxSpeed);
    model->jumpForceAttribute()->setValue(values.jumpForce);
    model->jumpTimeoutAttribute()->setValue(values.jumpTimeout);
    model->jumpCounterAttribute()->setValue(values.jumpCounter);
    model->groundThresholdAttribute()->setValue(values.groundThreshold);
    model->jumpFromGroundAttribute()->setValue(values.jumpFromGround);
    model->airDragAttribute()->setValue(values.airDrag);
    model->platformFrictionAttribute()->setValue(values.platformFriction);
    model->rotationDragAttribute()->setValue(values.rotationDrag);
    model->fixedRotationAttribute()->setValue(values.fixedRotation);
    model->bounceForceAttribute()->setValue(CCPoint(0.0f, 0.0f));
    model->directMovementAttribute()->setValue(false);
    model->forcedMovementAttribute()->setValue(false);
    model->imageDirectionAttribute()->setValue(false);
}

std::shared_ptr<QVModelAssetCharacter> playerAsset(const std::string& name, float width, float height,
                                                   const Gameplay& values) {
    auto asset = characterAsset(name, width, height);
    linkAnimation(*asset, "Default Animation", framedAnimation(name, 1));
    asset->addChild(gameplaySettings(values));
    return asset;
}

}  // namespace fieldfixtures
