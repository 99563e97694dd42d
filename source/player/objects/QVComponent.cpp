#include "player/objects/QVComponent.h"

#include <array>
#include <utility>

#include "model/classes/QVModelComponents.h"
#include "player/objects/QVNoRuntimeClass.h"

namespace {

constexpr int kKindCount = static_cast<int>(QVComponentKind::Health);

std::array<QVComponentBuilder, kKindCount>& builders() {
    static std::array<QVComponentBuilder, kKindCount> table{};
    return table;
}

// The kind of a model by its exact class; 0 for a class without one.
int kindOf(const QVModel& model) {
    const uint32_t id = model.type();
    const uint32_t ids[kKindCount] = {typeId<QVModelComponentMotor>(),          typeId<QVModelComponentIsoJump>(),
                                      typeId<QVModelComponentSlide>(),          typeId<QVModelComponentMove>(),
                                      typeId<QVModelComponentRotationMapper>(), typeId<QVModelComponentHealth>()};
    for (int i = 0; i < kKindCount; ++i) {
        if (ids[i] == id) return i + 1;
    }
    return 0;
}

}  // namespace

QVComponent::QVComponent() = default;

QVComponent::~QVComponent() = default;

void QVComponent::setComponentBuilder(QVComponentKind kind, QVComponentBuilder builder) {
    const int k = static_cast<int>(kind);
    if (k >= 1 && k <= kKindCount) builders()[k - 1] = builder;
}

QVComponentBuilder QVComponent::componentBuilder(QVComponentKind kind) {
    const int k = static_cast<int>(kind);
    return k >= 1 && k <= kKindCount ? builders()[k - 1] : nullptr;
}

QVComponent* QVComponent::create(const std::shared_ptr<QVModelComponent>& model) {
    if (!model) return nullptr;
    const int kind = kindOf(*model);
    if (kind == 0) return nullptr;
    QVComponentBuilder builder = builders()[kind - 1];
    if (!builder) {
        logNoRuntimeClass("QVComponent", model->className());
        return nullptr;
    }
    QVComponent* component = builder();
    if (component) component->setModel(model);
    return component;
}

void QVComponent::setModel(std::shared_ptr<QVModelComponent> model) { m_model = std::move(model); }

void QVComponent::setOwner(QVPObject* owner) { m_owner = owner; }

void QVComponent::setActive(bool active) { m_active = active; }
