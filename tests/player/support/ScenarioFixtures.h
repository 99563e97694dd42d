// Model builders for whole-world runs with the real object classes: ground,
// enemies with their damage, health models, the character's gameplay
// values and plain animations. Every model is registered with the model
// controller, as a loaded game's are.
#pragma once

#include <memory>
#include <string>

#include "math/CCGeometry.h"

class QVModelAnimation;
class QVModelAssetCharacter;
class QVModelAssetObstacle;
class QVModelComponentCharacterGameplaySettings;
class QVModelComponentHealth;
class QVModelObjectAssetUnit;
class QVModelSpriteContainer;

namespace fieldfixtures {

// A looping animation of `frames` images showing `sprites`: unlike plain
// frames, its first object has a visual model, so an asset built from it
// (a gun's bullet) gets a collision box.
std::shared_ptr<QVModelAnimation> spriteAnimation(const std::shared_ptr<QVModelSpriteContainer>& sprites,
                                                  int frames = 1, float duration = 1.0f);

// An obstacle asset with a box and a one-frame idle animation, so that its
// units get a body.
std::shared_ptr<QVModelAssetObstacle> boxAsset(const std::string& name, float width, float height);

// A static platform of that size centred at `centre`: character collision,
// never destroyed, with a one-frame idle animation.
std::shared_ptr<QVModelObjectAssetUnit> groundUnit(const cocos2d::CCPoint& centre, float width, float height);

// A static enemy that destroys what it touches ("kDestroyCollision"). With
// `damage` above 0 its asset carries a damage component with that "Damage"
// and "Damage delay"; without one a touch kills outright.
std::shared_ptr<QVModelObjectAssetUnit> enemyUnit(const cocos2d::CCPoint& centre, float width, float height,
                                                  int damage = 0, float damageDelay = 0.0f);

// A health model with those "Health", "Lives" and "Death Delay".
std::shared_ptr<QVModelComponentHealth> healthModel(float health, float lives, float deathDelay);

// The gameplay values a character asset hands to the game field.
struct Gameplay {
    cocos2d::CCPoint maxSpeed{10.0f, 0.0f};
    cocos2d::CCPoint jumpForce{0.0f, 10.0f};
    float jumpTimeout = 0.1f;
    float jumpCounter = 1.0f;
    float groundThreshold = 0.1f;
    bool jumpFromGround = true;
    cocos2d::CCPoint airDrag{1.0f, 1.0f};
    float platformFriction = 0.0f;
    float rotationDrag = 1.0f;
    bool fixedRotation = true;
};
std::shared_ptr<QVModelComponentCharacterGameplaySettings> gameplaySettings(const Gameplay& values);
// Writes the values into an existing component.
void setGameplay(QVModelComponentCharacterGameplaySettings& component, const Gameplay& values);

// A character asset with a collision box of that size, a one-frame
// "Default Animation" and the gameplay values as its component. The field
// builds every character from the selected asset (the first one by
// default): runs that change values change this asset's component.
std::shared_ptr<QVModelAssetCharacter> playerAsset(const std::string& name, float width, float height,
                                                   const Gameplay& values);

}  // namespace fieldfixtures
