#include "TriggerFixtures.h"

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"

using cocos2d::CCPoint;
using cocos2d::CCString;

namespace fieldfixtures {

namespace {

template <class T>
std::shared_ptr<T> placed(const CCPoint& position) {
    auto model = T::create();
    QVModelController::shared()->addModel(model);
    model->setPosition(position);
    return model;
}

template <class A, class V>
void set(const QVModel& model, const char* name, const V& value) {
    if (auto* attribute = attributeCast<A>(model.attribute(name))) attribute->setValue(value);
}

}  // namespace

std::shared_ptr<QVModelObjectTeleport> teleportPlacement(const CCPoint& position, const TeleportOptions& options) {
    auto teleport = placed<QVModelObjectTeleport>(position);
    set<QVAttributeFloat>(*teleport, "Group ID", options.group);
    set<QVAttributeFloat>(*teleport, "Search Radius", options.searchRadius);
    set<QVAttributeBool>(*teleport, "Delete Input Object", options.deleteInput);
    set<QVAttributeBool>(*teleport, "Single Use", options.singleUse);
    set<QVAttributeBool>(*teleport, "Exit Only", options.exitOnly);
    return teleport;
}

std::shared_ptr<QVModelObjectLogic> logicPlacement(const CCPoint& position, uint32_t affectedId,
                                                   const std::string& operation) {
    auto logic = placed<QVModelObjectLogic>(position);
    set<QVAttributeStringList>(*logic, "Affected asset", std::to_string(affectedId));
    set<QVAttributeStringList>(*logic, "Affect operation", operation);
    return logic;
}

void logicPointModifier(const QVModelObjectLogic& logic, const char* attribute, const CCPoint& value, bool xEmpty,
                        bool yEmpty) {
    auto* point = attributeCast<QVAttributePoint>(logic.attribute(attribute));
    if (!point) return;
    // Only the stored form sets one axis empty.
    cocos2d::CCDictionary* dict = cocos2d::CCDictionary::create();
    dict->setObject(CCString::createWithFormat("{%g,%g}", value.x, value.y), "value");
    dict->setObject(CCString::create(xEmpty ? "1" : "0"), "isXEmpty");
    dict->setObject(CCString::create(yEmpty ? "1" : "0"), "isYEmpty");
    point->valueFromDictionary(dict);
}

void logicFloatModifier(const QVModelObjectLogic& logic, const char* attribute, float value) {
    auto* number = attributeCast<QVAttributeFloat>(logic.attribute(attribute));
    if (!number) return;
    number->setEmpty(false, true);
    number->setValue(value);
}

std::shared_ptr<QVModelObjectPath> pathPlacement(const CCPoint& position, const PathOptions& options) {
    auto path = placed<QVModelObjectPath>(position);
    set<QVAttributeStringList>(*path, "Play Mode", options.playMode);
    set<QVAttributeStringList>(*path, "Affected Asset", options.affected);
    set<QVAttributeStringList>(*path, "Object Asset", options.objectAsset);
    set<QVAttributeFloat>(*path, "Search Radius", options.searchRadius);
    set<QVAttributeFloat>(*path, "Speed", options.speed);
    set<QVAttributeFloat>(*path, "Attraction Force", options.attraction);
    set<QVAttributeBool>(*path, "Keep Velocity", options.keepVelocity);
    set<QVAttributeBool>(*path, "Image Direction", options.imageDirection);
    set<QVAttributeStringList>(*path, "Image Transition", options.imageTransition);
    // The points come only from the stored forms; the id goes along so
    // that reading keeps it.
    cocos2d::CCArray* points = cocos2d::CCArray::create();
    for (const CCPoint& point : options.points) {
        points->addObject(CCString::createWithFormat("{%g,%g}", point.x, point.y));
    }
    cocos2d::CCDictionary* dict = cocos2d::CCDictionary::create();
    dict->setObject(CCString::createWithFormat("%u", path->id()), "id");
    dict->setObject(points, "points");
    path->fromDictionary(dict);
    return path;
}

std::shared_ptr<QVModelObjectGatekeeper> gatekeeperPlacement(const CCPoint& position, float passedAmount) {
    auto gatekeeper = placed<QVModelObjectGatekeeper>(position);
    set<QVAttributeFloat>(*gatekeeper, "Passed Amount", passedAmount);
    return gatekeeper;
}

std::shared_ptr<QVModelObjectScreenJump> screenJumpPlacement(const CCPoint& position, const std::string& name,
                                                             const std::string& function, bool pause) {
    auto jump = placed<QVModelObjectScreenJump>(position);
    jump->setName(name);
    set<QVAttributeStringList>(*jump, "Function", function);
    set<QVAttributeBool>(*jump, "Pause Current World", pause);
    return jump;
}

}  // namespace fieldfixtures
