#include "player/objects/QVPObjectFactory.h"

#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelLogicObjects.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelObjectPath.h"
#include "model/core/QVModelController.h"
#include "platform/QVLog.h"
#include "platform/RandomAndClock.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVPSettingsController.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVRuntimeClassTable.h"

namespace {

constexpr int kRowCount = static_cast<int>(QVPObjectRow::ScreenJump);
using Table = QVRuntimeClassTable<QVPObjectBuilder, kRowCount>;

Table& builders() {
    static Table table;
    return table;
}

int rowOf(const QVModel& model) {
    return Table::rowOf(
        model.type(),
        {typeId<QVModelObjectInstance>(), typeId<QVModelObjectAssetUnit>(), typeId<QVModelObjectAssetCharacter>(),
         typeId<QVModelObjectAssetPowerup>(), typeId<QVModelObjectLight>(), typeId<QVModelObjectLogic>(),
         typeId<QVModelObjectTrail>(), typeId<QVModelObjectFlag>(), typeId<QVModelObjectPath>(),
         typeId<QVModelObjectTeleport>(), typeId<QVModelObjectGatekeeper>(), typeId<QVModelObjectMirror>(),
         typeId<QVModelObjectParticles>(), typeId<QVModelObjectScreenJump>()});
}

// The row's builder applied to `model`; a row without one logs once per class.
QVPObjectAsset* build(QVPObjectRow row, const std::shared_ptr<QVModelObject>& model,
                      const std::shared_ptr<QVModelObject>& logged) {
    QVPObjectBuilder builder = objectBuilder(row);
    if (!builder) {
        logNoBuilder("QVPObjectAsset", logged->className());
        return nullptr;
    }
    return builder(model);
}

QVPObjectAsset* buildCharacter(const std::shared_ptr<QVModelObjectAssetCharacter>& placed) {
    if (!objectBuilder(QVPObjectRow::Character)) return build(QVPObjectRow::Character, placed, placed);
    const cocos2d::CCPoint scale = placed->scale(0.0f, 0);
    const int index = QVPSettingsController::shared()->selectedCharacter();
    const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();

    QVPObjectAsset* object = nullptr;
    if (index >= 0 && static_cast<size_t>(index) < characters.size()) {
        const std::shared_ptr<QVModelAssetCharacter>& selected = characters[static_cast<size_t>(index)];
        if (!selected || !selected->hasValidCollisionShape(scale.x, scale.y)) return nullptr;
        std::shared_ptr<QVModelObjectAssetCharacter> working = placed;
        if (placed->assetCharacter() != selected) {
            working = modelCast<QVModelObjectAssetCharacter>(placed->clone(true, false));
            if (!working) return nullptr;
            working->setAsset(selected);
        }
        object = build(QVPObjectRow::Character, QVModelObjectAssetCharacter::createCopy(*working), placed);
    } else {
        const std::shared_ptr<QVModelAsset> asset = placed->asset();
        if (!asset || !asset->hasValidCollisionShape(scale.x, scale.y)) return nullptr;
        object = build(QVPObjectRow::Character, placed, placed);
    }
    if (!object) return nullptr;
    if (auto* character = dynamic_cast<QVPObjectAssetCharacter*>(object)) {
        QVPInputController::shared()->addCharacter(character);
    }
    logMessage("character created");
    return object;
}

}  // namespace

void setObjectBuilder(QVPObjectRow row, QVPObjectBuilder builder) { builders().set(static_cast<int>(row), builder); }

QVPObjectBuilder objectBuilder(QVPObjectRow row) { return builders().get(static_cast<int>(row)); }

QVPObjectAsset* QVPObjectAsset::create(const std::shared_ptr<QVModelObject>& model) {
    if (!model) return nullptr;
    const int row = rowOf(*model);
    if (row == 0) return nullptr;

    QVPObjectAsset* object = nullptr;
    switch (static_cast<QVPObjectRow>(row)) {
        case QVPObjectRow::Instance: {
            auto instance = modelCast<QVModelObjectInstance>(model);
            // Already autoreleased by the inner call.
            QVPObjectAsset* inner = create(instance->reference());
            if (inner) {
                inner->setPosition(instance->position(0.0f, 0));
                inner->setRotation(instance->rotation(0.0f, 0));
                const cocos2d::CCPoint scale = instance->scale(0.0f, 0);
                inner->setScaleX(scale.x);
                inner->setScaleY(scale.y);
                inner->updateBounds();
            }
            return inner;
        }
        case QVPObjectRow::Unit:
            if (!modelCast<QVModelObjectAssetUnit>(model)->obstacleAsset()) return nullptr;
            object = build(QVPObjectRow::Unit, model, model);
            break;
        case QVPObjectRow::Character:
            object = buildCharacter(modelCast<QVModelObjectAssetCharacter>(model));
            break;
        case QVPObjectRow::Powerup: {
            // As stored games expect: a chance of c appears when c >= r % 100.
            const int chance = modelCast<QVModelObjectAssetPowerup>(model)->appearanceChance();
            if (chance < 100 && chance < compat::rand() % 100) return nullptr;
            object = build(QVPObjectRow::Powerup, model, model);
            break;
        }
        default:
            object = build(static_cast<QVPObjectRow>(row), model, model);
            break;
    }
    if (object) object->autorelease();
    return object;
}
