// QVComponent: the base of the runtime behaviour components an object builds
// from the component models of its asset, and drives in model order: update
// every frame, onStateChanged after each state change, onTransformChanged
// after an outside transform change.
//
// Guarantees: create builds only the kinds whose builder is installed (exact
// class of the model, not kind-of; registerComponentClasses installs every
// kind); a model of any other class, or of a kind whose builder a test took
// out, gives null, the latter with one log line per class name
// ("[QVComponent] no builder installed for %s"). create neither retains nor
// autoreleases and does not set the owner: the owner's list owns the
// component and deletes it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "base/CCObject.h"

class QVBaseModelAnimation;
class QVModelComponent;
class QVModelSound;
class QVPAnimationObject;
class QVPObject;
class QVPObjectAsset;
class QVSound;

// The component model classes with a runtime kind, in the factory's order.
enum class QVComponentKind { Motor = 1, IsoJump, Slide, Move, RotationMapper, Health };

class QVComponent;
// Returns a new component (reference count 1) with its default state.
using QVComponentBuilder = QVComponent* (*)();

class QVComponent : public cocos2d::CCObject {
public:
    QVComponent();
    // Unsubscribes from every input action (without making a controller).
    ~QVComponent() override;

    static QVComponent* create(const std::shared_ptr<QVModelComponent>& model);
    // nullptr takes the kind's builder out.
    static void setComponentBuilder(QVComponentKind kind, QVComponentBuilder builder);
    static QVComponentBuilder componentBuilder(QVComponentKind kind);

    void update(float dt) override { (void)dt; }

    // Operations every kind answers, in this order.
    virtual void setModel(std::shared_ptr<QVModelComponent> model);
    virtual void setOwner(QVPObject* owner);
    // The owner's state changed (read it from the owner).
    virtual void onStateChanged() {}
    // The owner's position or rotation was set from outside.
    virtual void onTransformChanged() {}
    virtual void setActive(bool active);
    virtual bool isActive() const { return m_active; }

    std::shared_ptr<QVModelComponent> getModel() const { return m_model; }
    QVPObject* owner() const { return m_owner; }

protected:
    // An animation the component shows on its owner: retained (the caller
    // releases it), hidden, with the owner's z order; null without a model
    // or frames.
    QVPAnimationObject* makeOwnerAnimation(const std::shared_ptr<QVBaseModelAnimation>& model) const;
    // A sound of the game scene the component keeps and plays itself; null
    // without a model.
    static std::unique_ptr<QVSound> makeSound(const std::shared_ptr<QVModelSound>& model);
    // The owner when it is an asset object (animations, fixtures), else null.
    QVPObjectAsset* assetOwner() const;
    // The model id of the asset `object` places; none without one.
    static std::optional<uint32_t> placedAssetId(const QVPObject* object);

    std::shared_ptr<QVModelComponent> m_model;
    bool m_active = false;
    QVPObject* m_owner = nullptr;
};
