// The creation queue, the linkers, teleport transfers and the object queries
// of the game-field scene.
#include "player/screens/QVPScreenScene.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>

#include "menu/CCMenu.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectButton.h"
#include "model/classes/QVModelObjectGroup.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "model/core/QVTypeId.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/app/LockStateStore.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVUtilities.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectAssetPowerup.h"
#include "player/objects/QVPObjectGroup.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectButton.h"
#include "player/ui/QVPObjectText.h"
#include "player/ui/QVUiAnimation.h"
#include "sprite/CCSprite.h"

using cocos2d::CCAffineTransform;
using cocos2d::CCArray;
using cocos2d::CCNode;
using cocos2d::CCObject;
using cocos2d::CCPoint;

namespace {

constexpr int kModelsPerCall = 20;

// Rotation and scales of a transform; atan2 keeps a destination turned
// beyond 90 degrees the right way up and survives a = 0.
void placeByTransform(CCNode* node, const CCAffineTransform& t) {
    node->setPosition(t.tx, t.ty);
    node->setRotation(std::atan2(-t.b, t.a) * kRadiansToDegrees);
    node->setScaleX(std::sqrt(t.a * t.a + t.b * t.b));
    node->setScaleY(std::sqrt(t.c * t.c + t.d * t.d));
}

// As placeByTransform, but with the rotation taken by atan: a mirrored
// frame (negative scale) leaves the node unturned, so the copies a spawner
// makes keep their own direction whichever way the spawner faces.
void placeUnmirrored(CCNode* node, const CCAffineTransform& t) {
    placeByTransform(node, t);
    if (t.a == 0.0f || t.d == 0.0f) {
        node->setRotation(t.c > 0.0f ? 90.0f : (t.c < 0.0f ? -90.0f : 0.0f));
    } else {
        node->setRotation(std::atan(-t.b / t.a) * kRadiansToDegrees);
    }
}

bool isSelfOrAncestor(CCNode* candidate, CCNode* node) {
    for (CCNode* walk = node; walk; walk = walk->getParent()) {
        if (walk == candidate) return true;
    }
    return false;
}

CCNode* lastWithTag(CCArray* created, uint32_t id) {
    const int tag = static_cast<int>(id);
    const std::vector<CCObject*>& items = created->data();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        auto* node = static_cast<CCNode*>(*it);
        if (node->getTag() == tag) return node;
    }
    return nullptr;
}

// A sprite of the container, tinted when asked; autoreleased (getSprite
// hands over an extra reference).
cocos2d::CCSprite* buttonSprite(const QVModelSpriteContainer& container, const cocos2d::ccColor3B* tint) {
    cocos2d::CCSprite* sprite = container.getSprite(1.0f, true);
    if (!sprite) return nullptr;
    sprite->autorelease();
    if (tint) sprite->setColor(*tint);
    return sprite;
}

// A character the factory registered that the field then refuses must not
// stay the controller's "first character".
void forgetCharacter(QVPObject* object) {
    auto* character = dynamic_cast<QVPObjectAssetCharacter*>(object);
    QVPInputController* controller = QVPInputController::current();
    if (character && controller) controller->removeCharacter(character);
}

// The text object of a label model, on the camera at its "Z Depth".
QVPObjectText* addText(CCNode* camera, const std::shared_ptr<QVModelObjectLabel>& label, const CCPoint& position) {
    QVPObjectText* text = QVPObjectText::create(label);
    text->setPosition(text->getPosition() + position);
    text->setTag(static_cast<int>(label->id()));
    camera->addChild(text, label->zDepth());
    text->setGameLayer(camera);
    text->update(0.0f);
    return text;
}

// A menu of one button that runs its own action through the scene.
CCNode* addButtonMenu(QVPScreenScene& scene, const std::shared_ptr<QVModelObjectButton>& model) {
    const int z = model->zDepth();
    cocos2d::CCMenu* menu = cocos2d::CCMenu::create(model->blockTouch());
    menu->setAnchorPoint(cocos2d::CCPointZero);
    menu->setPosition(cocos2d::CCPointZero);
    menu->setTag(QVPScreen::kButtonMenuTag);
    cocos2d::CCSprite* normal = nullptr;
    cocos2d::CCSprite* selected = nullptr;
    cocos2d::CCSprite* disabled = nullptr;
    if (const std::shared_ptr<QVModelSpriteContainer> image = model->visualModel()) {
        static const cocos2d::ccColor3B kSelectedTint = {128, 128, 128};
        static const cocos2d::ccColor3B kDisabledTint = {60, 60, 60};
        normal = buttonSprite(*image, nullptr);
        selected = buttonSprite(*image, &kSelectedTint);
        disabled = buttonSprite(*image, &kDisabledTint);
    }
    if (!normal) {
        // Invisible, but it still takes touches, as on the menu screens.
        normal = createColorSprite(cocos2d::CCSize(100.0f, 100.0f), cocos2d::ccColor4B{0, 0, 0, 0});
        selected = nullptr;
        disabled = nullptr;
    }
    QVPObjectButton* button = QVPObjectButton::create(normal, selected, disabled);
    qvui::placeFromModel(button, *model, 0.0f, 0, model->stickToEdge());
    button->setAutohideDelay(model->autohide());
    button->setActionTarget(&scene, menu_selector(QVPScreen::runButtonAction));
    button->setModel(model);
    button->update(0.0f);
    menu->addChild(button, 0);
    // -INT_MIN does not exist.
    menu->setTouchPriority(z == INT_MIN ? INT_MAX : -z);
    scene.getGameFieldCamera()->addChild(menu, z);
    return menu;
}

// Attaches b to a, or joins their bodies with a revolute joint. A link of an
// object with itself, or one that would hang b below itself, would recurse
// for ever in visit: it is skipped.
bool joinLinked(QVPScreenScene& scene, CCNode* a, CCNode* b, const std::shared_ptr<QVModelLinker>& linker,
                bool logMotor) {
    if (a == b) {
        logMessage("[QVPScreenScene] linker %u skipped: it links an object to itself", linker->id());
        return false;
    }
    auto* objectA = dynamic_cast<QVPObject*>(a);
    auto* objectB = dynamic_cast<QVPObject*>(b);
    auto* assetA = dynamic_cast<QVPObjectAsset*>(a);
    auto* assetB = dynamic_cast<QVPObjectAsset*>(b);
    const bool text = objectB && objectB->typeFlags() == QVPObject::kTypeText;
    if (text || (assetB && assetB->isMovingLinearly()) || (objectB && objectB->isSpawner())) {
        if (isSelfOrAncestor(b, a)) {
            logMessage("[QVPScreenScene] linker %u skipped: it would attach an object below itself", linker->id());
            return false;
        }
        const CCAffineTransform t =
            CCAffineTransformConcat(b->nodeToWorldTransform(), CCAffineTransformInvert(a->nodeToWorldTransform()));
        b->retain();
        b->removeFromParentAndCleanup(false);
        b->setPosition(cocos2d::CCPointZero);
        b->setRotation(0.0f);
        b->setScale(1.0f);
        a->addChild(b);
        b->release();
        b->setAdditionalTransform(t);
        if (!text && assetB) assetB->setMovementDisabled(true);
        return true;
    }
    b2World* world = scene.getWorld();
    if (assetA && !assetA->getBody()) assetA->createBody(world, false);
    if (assetB && !assetB->getBody()) assetB->createBody(world, false);
    b2Body* bodyA = objectA ? objectA->getBody() : nullptr;
    b2Body* bodyB = objectB ? objectB->getBody() : nullptr;
    if (!bodyA || !bodyB) return false;
    const CCPoint anchor = b->getPosition();
    b2RevoluteJointDef def;
    def.Initialize(bodyA, bodyB, b2Vec2(anchor.x * kMetresPerPoint, anchor.y * kMetresPerPoint));
    auto* joint = static_cast<b2RevoluteJoint*>(physics::createJoint(world, def));
    if (!joint) return false;
    joint->SetMaxMotorTorque(linker->torque());
    if (linker->buttonActivated()) {
        joint->EnableMotor(true);
        if (QVPInputController* controller = scene.getInputController()) controller->addMotorJoint(joint, linker);
    } else {
        joint->EnableMotor(linker->speed() != 0.0f);
        joint->SetMotorSpeed(-linker->speed());
    }
    if (logMotor) {
        logMessage("Created motor at: %f %f", static_cast<double>(anchor.x), static_cast<double>(anchor.y));
    }
    return true;
}

// Activates the section's objects, joins its linkers and lets go of the
// created array.
void completeSection(QVPScreenScene& scene, QVPScreenScene::CreationQueueEntry& entry) {
    CCArray* created = entry.created;
    entry.created = nullptr;
    if (!created) return;
    for (CCObject* item : created->data()) {
        auto* object = dynamic_cast<QVPObject*>(item);
        if (!object) continue;
        object->setControllable(true);
        if (b2Body* body = object->getBody()) physics::setEnabled(body, true);
    }
    CCNode* camera = scene.getGameFieldCamera();
    for (const std::shared_ptr<QVModelLinker>& linker : entry.section->children<QVModelLinker>()) {
        const std::shared_ptr<QVModelObject> modelA = linker->objectA();
        const std::shared_ptr<QVModelObject> modelB = linker->objectB();
        if (!modelA || !modelB) continue;
        CCNode* a = lastWithTag(created, modelA->id());
        CCNode* b = lastWithTag(created, modelB->id());
        if (!a || !b) {
            // A linked object whose powerup was not created goes with it.
            if (!a && b && modelCast<QVModelObjectAssetPowerup>(modelA) && b->getParent() == camera) {
                b->removeFromParentAndCleanup(true);
            }
            continue;
        }
        joinLinked(scene, a, b, linker, true);
    }
    created->release();
}

// An object linked to a re-created one, placed at `origin` plus its model
// position.
CCNode* createLinkedObject(QVPScreenScene& scene, const std::shared_ptr<QVModelObject>& model, const CCPoint& origin) {
    if (auto label = modelCast<QVModelObjectLabel>(model)) return addText(scene.getGameFieldCamera(), label, origin);
    QVPObject* object = scene.createObjectFromModel(model, 0, origin, false);
    if (object) object->setControllable(false);
    return object;
}

// Re-creates everything linked (transitively) to the object a teleport
// moved, keeping the authored offsets, and joins the pairs again.
void recreateLinked(QVPScreenScene& scene, QVPObject* created) {
    const auto model =
        QVModelController::shared()->getModelOfKind<QVModelObjectAsset>(static_cast<uint32_t>(created->getTag()));
    if (!model) return;
    const std::vector<std::shared_ptr<QVModelLinker>> linkers = QVModelLinker::linkersOf(model, true);
    std::map<uint32_t, CCNode*> nodes{{model->id(), created}};
    for (const std::shared_ptr<QVModelLinker>& linker : linkers) {
        const std::shared_ptr<QVModelObject> pair[2] = {linker->objectA(), linker->objectB()};
        if (!pair[0] || !pair[1]) continue;
        for (int side = 0; side < 2; ++side) {
            const std::shared_ptr<QVModelObject>& own = pair[side];
            const std::shared_ptr<QVModelObject>& partner = pair[1 - side];
            if (nodes.count(own->id())) continue;
            const auto found = nodes.find(partner->id());
            if (found == nodes.end()) continue;
            const CCPoint origin = found->second->getPosition() - partner->position(0.0f, 0);
            if (CCNode* node = createLinkedObject(scene, own, origin)) nodes[own->id()] = node;
        }
        const auto a = nodes.find(pair[0]->id());
        const auto b = nodes.find(pair[1]->id());
        if (a == nodes.end() || b == nodes.end()) continue;
        joinLinked(scene, a->second, b->second, linker, false);
        for (CCNode* node : {a->second, b->second}) {
            if (auto* object = dynamic_cast<QVPObject*>(node)) object->setControllable(true);
        }
    }
}

void killEnemiesBelow(CCNode* node) {
    CCArray* children = node ? node->getChildren() : nullptr;
    if (!children || children->count() == 0) return;
    // A state change may remove children: walk a retained copy.
    CCArray* snapshot = CCArray::createWithArray(children);
    for (CCObject* child : snapshot->data()) {
        auto* asset = dynamic_cast<QVPObjectAsset*>(child);
        if (asset && (asset->typeFlags() & QVPObject::kTypeUnit) && asset->destroyType() == 1 && asset->isActive() &&
            asset->isVisible() && asset->objectType() == 2) {
            asset->setState(QVPObject::kStateDying);
        }
        killEnemiesBelow(static_cast<CCNode*>(child));
    }
}

}  // namespace

// ---- creation queue

bool QVPScreenScene::updateObjectCreationQueue() {
    if (m_creationQueue.empty()) return true;
    CreationQueueEntry entry = m_creationQueue.front();
    m_creationQueue.erase(m_creationQueue.begin());
    const std::size_t count = entry.section->objects().size();
    const int end = entry.nextObjectIndex + kModelsPerCall;
    for (int i = entry.nextObjectIndex; i < end; ++i) {
        if (i < 0 || static_cast<std::size_t>(i) >= count) {
            completeSection(*this, entry);
            return true;
        }
        const std::shared_ptr<QVModelObject> model = entry.section->objectAt(static_cast<unsigned>(i));
        if (!model || model->hidden()) continue;
        if (auto label = modelCast<QVModelObjectLabel>(model)) {
            entry.created->addObject(addText(m_camera, label, entry.origin));
        } else if (auto button = modelCast<QVModelObjectButton>(model)) {
            entry.created->addObject(addButtonMenu(*this, button));
        } else if (auto groupModel = modelCast<QVModelObjectGroup>(model)) {
            if (QVPObjectGroup* group = QVPObjectGroup::create(groupModel)) {
                m_camera->addChild(group, model->zDepth());
                group->setGameLayer(m_camera);
                entry.created->addObject(group);
            }
        } else if (QVPObject* object = createObjectFromModel(model, entry.section->id(), entry.origin, true)) {
            object->setControllable(false);
            entry.created->addObject(object);
            if (b2Body* body = object->getBody()) physics::setEnabled(body, false);
        }
    }
    entry.nextObjectIndex = end;
    m_creationQueue.push_back(entry);
    return false;
}

void QVPScreenScene::clearQueues() {
    std::vector<CreationQueueEntry> creations;
    creations.swap(m_creationQueue);
    for (CreationQueueEntry& entry : creations) {
        if (entry.created) entry.created->release();
    }
    std::vector<TransferRecord> transfers;
    transfers.swap(m_transferQueue);
    for (TransferRecord& record : transfers) {
        record.object->release();
        if (record.destination) record.destination->release();
    }
    m_mirrors.clear();
}

QVPObject* QVPScreenScene::createObjectFromModel(const std::shared_ptr<QVModelObject>& model, uint32_t sectionId,
                                                 const CCPoint& origin, bool startSectionOnlyForCharacters) {
    QVPObjectAsset* object = QVPObjectAsset::create(model);
    if (!object) return nullptr;
    if (startSectionOnlyForCharacters && object->typeFlags() == QVPObject::kTypeCharacter &&
        sectionId != ScreenManager::shared()->getStartSectionId()) {
        object->setState(QVPObject::kStateFinished);
        forgetCharacter(object);
        return nullptr;
    }
    object->setSpawner(model->hasSpawner());
    object->setSectionId(static_cast<int32_t>(sectionId));
    object->setPosition(object->getPosition() + origin);
    object->setTag(static_cast<int>(model->id()));
    // A checkpoint already taken is not created again; the factory's
    // autorelease frees it.
    if (object->typeFlags() == QVPObject::kTypePowerup) {
        auto powerup = modelCast<QVModelObjectAssetPowerup>(model);
        const CheckpointRecord* record = currentCheckpointRecord();
        if (powerup && record && powerup->powerupType() == "kPowerupCheckpoint" &&
            object->getPosition().equals(CCPoint(record->pointX, record->pointY))) {
            return nullptr;
        }
    }
    m_camera->addChild(object, model->zDepth());
    object->setGameLayer(m_camera);
    object->createBody(m_world, true);
    object->update(0.0f);
    if (object->typeFlags() == QVPObject::kTypeMirror) m_mirrors.push_back(object);
    return object;
}

// ---- teleport transfers

void QVPScreenScene::queueTransfer(QVPObject* object, CCNode* destination) {
    if (!object) return;
    TransferRecord record;
    record.object = object;
    record.destination = destination;
    // A body-less object (a still one, or one of scale 0) moves without
    // velocity.
    if (b2Body* body = object->getBody()) {
        record.linearDamping = body->GetLinearDamping();
        record.velocityX = body->GetLinearVelocity().x;
        record.velocityY = body->GetLinearVelocity().y;
    }
    object->retain();
    // The teleport may finish in the tick before the queue runs.
    if (destination) destination->retain();
    m_transferQueue.push_back(record);
}

void QVPScreenScene::processTransferQueue() {
    std::vector<TransferRecord> records;
    records.swap(m_transferQueue);
    for (const TransferRecord& record : records) {
        QVPObject* old = record.object;
        if (QVPObject* created = recreateObject(old->getModel(), record.destination)) {
            if (b2Body* body = created->getBody()) {
                body->SetLinearDamping(record.linearDamping);
                if (body->GetType() != b2_staticBody) {
                    const b2Vec2 velocity(record.velocityX, record.velocityY);
                    if ((velocity.x != 0.0f || velocity.y != 0.0f) && !body->IsAwake()) body->SetAwake(true);
                    physics::setLinearVelocity(body, velocity);
                }
            }
            created->setTag(old->getTag());
            created->copyComponentStates(old);
            recreateLinked(*this, created);
        }
        old->release();
        if (record.destination) record.destination->release();
    }
}

QVPObject* QVPScreenScene::recreateObject(const std::shared_ptr<QVModelObject>& model, CCNode* destination) {
    QVPObjectAsset* object = QVPObjectAsset::create(model);
    if (!object) return nullptr;
    object->setPosition(cocos2d::CCPointZero);
    m_camera->addChild(object, model->zDepth());
    if (destination) {
        placeByTransform(
            object, CCAffineTransformConcat(object->nodeToParentTransform(), destination->nodeToParentTransform()));
    }
    object->setSpawner(model->hasSpawner());
    object->setGameLayer(m_camera);
    object->createBody(m_world, true);
    if (object->typeFlags() == QVPObject::kTypeCharacter && !object->getBody()) {
        object->setState(QVPObject::kStateFinished);
        forgetCharacter(object);
        // The factory's autorelease frees it.
        object->removeFromParentAndCleanup(true);
        return nullptr;
    }
    object->update(0.0f);
    return object;
}

void QVPScreenScene::transferToGameField(CCNode* node, CCNode* oldParent) {
    if (!node || !m_camera) return;
    int z = 1000;
    if (oldParent) {
        placeUnmirrored(node,
                        CCAffineTransformConcat(oldParent->nodeToWorldTransform(), m_camera->worldToNodeTransform()));
        z = node->getZOrder();
        CCNode* grandParent = oldParent->getParent();
        if (grandParent && grandParent != m_camera) z += grandParent->getZOrder();
    }
    node->retain();
    node->removeFromParentAndCleanup(false);
    m_camera->addChild(node, z);
    node->release();
    if (auto* object = dynamic_cast<QVPObject*>(node)) object->setGameLayer(m_camera);
    if (auto* asset = dynamic_cast<QVPObjectAsset*>(node)) asset->createBody(m_world, true);
}

// ---- queries

QVPObject* QVPScreenScene::findActivePowerup(const std::string& powerupType, QVPObject* except) {
    CCArray* children = m_camera->getChildren();
    if (!children) return {};
    for (CCObject* child : children->data()) {
        auto* object = dynamic_cast<QVPObject*>(child);
        if (!object || object == except || object->typeFlags() != QVPObject::kTypePowerup ||
            object->getState() != QVPObject::kStateMoving) {
            continue;
        }
        auto powerup = modelCast<QVModelObjectAssetPowerup>(object->getModel());
        if (powerup && powerup->powerupType() == powerupType) return object;
    }
    return nullptr;
}

std::vector<QVPObject*> QVPScreenScene::collectTeleports(int groupId) {
    std::vector<QVPObject*> found;
    CCArray* children = m_camera->getChildren();
    if (!children) return {};
    for (CCObject* child : children->data()) {
        auto* object = dynamic_cast<QVPObject*>(child);
        if (!object || object->typeFlags() != QVPObject::kTypeTeleport) continue;
        auto teleport = modelCast<QVModelObjectTeleport>(object->getModel());
        if (teleport && truncToInt(teleport->groupId()) == groupId) found.push_back(object);
    }
    return found;
}

void QVPScreenScene::killAllEnemies() { killEnemiesBelow(m_camera); }

void QVPScreenScene::removeMirror(QVPObject* object) {
    m_mirrors.erase(std::remove(m_mirrors.begin(), m_mirrors.end(), object), m_mirrors.end());
}

void QVPScreenScene::spawnPowerup(const std::shared_ptr<QVModelObjectAssetPowerup>& powerupModel, bool aboveCharacter) {
    if (!powerupModel || !m_camera || !m_inputController) return;
    // A fresh placement of the same asset: nothing of where the given one
    // stands carries over.
    auto placed = QVModelObjectAssetPowerup::create();
    placed->setAsset(powerupModel->asset());
    auto* powerup = new QVPObjectAssetPowerup(placed);
    powerup->autorelease();
    powerup->setPosition(m_inputController->charactersPosition());
    m_camera->addChild(powerup, m_inputController->charactersZOrder() + (aboveCharacter ? 1 : -1));
    powerup->setGameLayer(m_camera);
    CCArray* characters = m_inputController->getCharacters();
    if (characters && characters->count() > 0) {
        powerup->beginContact(static_cast<QVPObject*>(characters->objectAtIndex(0)), nullptr, true);
    }
    powerup->setState(QVPObject::kStateMoving);
    powerup->createBody(m_world, true);
    powerup->update(0.0f);
}
