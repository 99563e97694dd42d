#include "player/objects/QVComponent.h"

#include <utility>

#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObjectAsset.h"
#include "player/app/QVPInputController.h"
#include "player/app/QVSound.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVRuntimeClassTable.h"

namespace {

// Owner tag of the game scene, so that pausing and resetting the field reach
// the components' sounds.
constexpr unsigned int kGameSceneSounds = 1;

constexpr int kKindCount = static_cast<int>(QVComponentKind::Health);
using Table = QVRuntimeClassTable<QVComponentBuilder, kKindCount>;

Table& builders() {
    static Table table;
    return table;
}

int kindOf(const QVModel& model) {
    return Table::rowOf(model.type(), {typeId<QVModelComponentMotor>(), typeId<QVModelComponentIsoJump>(),
                                       typeId<QVModelComponentSlide>(), typeId<QVModelComponentMove>(),
                                       typeId<QVModelComponentRotationMapper>(), typeId<QVModelComponentHealth>()});
}

}  // namespace

QVComponent::QVComponent() = default;

QVComponent::~QVComponent() {
    if (QVPInputController* input = QVPInputController::current()) input->unsubscribeAction(this);
}

void QVComponent::setComponentBuilder(QVComponentKind kind, QVComponentBuilder builder) {
    builders().set(static_cast<int>(kind), builder);
}

QVComponentBuilder QVComponent::componentBuilder(QVComponentKind kind) {
    return builders().get(static_cast<int>(kind));
}

QVComponent* QVComponent::create(const std::shared_ptr<QVModelComponent>& model) {
    if (!model) return nullptr;
    const int kind = kindOf(*model);
    if (kind == 0) return nullptr;
    QVComponentBuilder builder = builders().get(kind);
    if (!builder) {
        logNoBuilder("QVComponent", model->className());
        return nullptr;
    }
    QVComponent* component = builder();
    if (component) component->setModel(model);
    return component;
}

void QVComponent::setModel(std::shared_ptr<QVModelComponent> model) { m_model = std::move(model); }

void QVComponent::setOwner(QVPObject* owner) { m_owner = owner; }

void QVComponent::setActive(bool active) { m_active = active; }

QVPAnimationObject* QVComponent::makeOwnerAnimation(const std::shared_ptr<QVBaseModelAnimation>& model) const {
    if (!model || model->objects().empty()) return nullptr;
    QVPAnimationObject* animation = QVPAnimationObject::create(model);
    if (m_owner) animation->setZOrder(m_owner->getZOrder());
    animation->retain();
    animation->setVisible(false);
    return animation;
}

std::unique_ptr<QVSound> QVComponent::makeSound(const std::shared_ptr<QVModelSound>& model) {
    return model ? std::make_unique<QVSound>(model, kGameSceneSounds) : nullptr;
}

QVPObjectAsset* QVComponent::assetOwner() const { return dynamic_cast<QVPObjectAsset*>(m_owner); }

std::optional<uint32_t> QVComponent::placedAssetId(const QVPObject* object) {
    const auto placed = object ? modelKindCast<QVModelObjectAsset>(object->getModel()) : nullptr;
    const auto asset = placed ? placed->asset() : nullptr;
    if (!asset) return std::nullopt;
    return asset->id();
}
