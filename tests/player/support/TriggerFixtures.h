// Model builders for the trigger objects: teleports, logic triggers, paths,
// gatekeepers and screen jumps. Every model is registered with the model
// controller, as a loaded game's are.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/CCGeometry.h"

class QVModelObjectGatekeeper;
class QVModelObjectLogic;
class QVModelObjectPath;
class QVModelObjectScreenJump;
class QVModelObjectTeleport;

namespace fieldfixtures {

struct TeleportOptions {
    float group = 1.0f;
    float searchRadius = 600.0f;
    bool deleteInput = false;
    bool singleUse = false;
    bool exitOnly = false;
};
std::shared_ptr<QVModelObjectTeleport> teleportPlacement(const cocos2d::CCPoint& position,
                                                         const TeleportOptions& options = {});

// A logic trigger for units of the obstacle asset `affectedId`; every
// modifier empty until set below.
std::shared_ptr<QVModelObjectLogic> logicPlacement(const cocos2d::CCPoint& position, uint32_t affectedId,
                                                   const std::string& operation);
// A point modifier ("Position Modifier", "Scale Modifier", "Linear Velocity
// Modifier") with each axis set or left empty.
void logicPointModifier(const QVModelObjectLogic& logic, const char* attribute, const cocos2d::CCPoint& value,
                        bool xEmpty = false, bool yEmpty = false);
// "Rotation Modifier" or "Angular Velocity Modifier".
void logicFloatModifier(const QVModelObjectLogic& logic, const char* attribute, float value);

struct PathOptions {
    std::vector<cocos2d::CCPoint> points;
    std::string playMode = "kPlayModeSingle";
    std::string affected = "kAssets";
    std::string objectAsset = "-1";
    float searchRadius = 150.0f;
    float speed = 6.0f;
    float attraction = 100.0f;
    bool keepVelocity = false;
    bool imageDirection = false;
    std::string imageTransition;
};
std::shared_ptr<QVModelObjectPath> pathPlacement(const cocos2d::CCPoint& position, const PathOptions& options);

std::shared_ptr<QVModelObjectGatekeeper> gatekeeperPlacement(const cocos2d::CCPoint& position, float passedAmount);

// A jump to the screen linked as `name`.
std::shared_ptr<QVModelObjectScreenJump> screenJumpPlacement(const cocos2d::CCPoint& position, const std::string& name,
                                                             const std::string& function, bool pause);

}  // namespace fieldfixtures
