// Model-reference attributes: an attribute whose value is another model (the
// objects a linker joins, an object's asset, a sound, an animation, a shape).
// Guarantees: while a model is linked, the attribute stands exactly once in
// that model's reference list, and a relink moves it (the old model forgets it
// before the new one learns it); a dying attribute leaves the list. Links are
// stored as the linked model's id on the connections side only, so they
// resolve after every model of a game exists.
// The animation and shape attributes own their model: copying them links a
// deep clone (registered when the source's model is), and the controller
// registers and unregisters that model together with the owner.
// Reading: a pack without "value" links the model of id 0 when it is of the
// right kind and unlinks otherwise; a dictionary with a missing or empty
// "value" keeps the link. Ids use the full unsigned 32-bit range. An id that
// names nothing of the right kind empties the link without a message; a
// wrongly typed "value" raises msgpack::type_error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/core/QVAttribute.h"
#include "model/core/QVTypeId.h"

class QVModelAnimation;
class QVModelAsset;
class QVModelObject;
class QVModelObjectAsset;
class QVModelPolygon;
class QVModelSound;
class QVModelSpriteContainer;

// The untyped half of the family: the link, its bookkeeping and the encodings.
// Answers className "QVAttribute" and the type of QVAttribute, like the typed
// bases; only the concrete classes below have names of their own.
class QVAttributeModelLink : public QVAttribute {
public:
    ~QVAttributeModelLink() override;

    // The base link keys, then "value" when a model is linked.
    void collectKeys() override;
    // The base entries, then "value" = the linked model's id when linked.
    void packConnections(QVPackMap& map) override;
    void unpackConnections(const QVPackMap& map) override;
    void connectionFromDictionary(cocos2d::CCDictionary* dict) override;
    // The base dictionary plus "value" ("%u") when linked.
    cocos2d::CCDictionary* connectionToDictionary() const override;
    void valueFromDictionary(cocos2d::CCDictionary* dict) override { (void)dict; }

    // The linked model as a plain model (the controller's registration hooks
    // use it); empty when nothing is linked.
    const std::shared_ptr<QVModel>& linkedModel() const { return m_model; }
    // Type id of the class a linked model must be (or derive from).
    uint32_t linkedType() const { return m_linkedType; }

protected:
    enum class CopyLink { kShare, kDeepClone };

    QVAttributeModelLink(QVNameArg name, QVModel* owner, uint32_t linkedType);
    QVAttributeModelLink(QVNameArg name, QVModel* owner, const QVAttributeModelLink& source, CopyLink copy);

    // Links `model` when it is of the linked kind, else unlinks. Keeps the
    // reference lists in step; a relink to the held model changes nothing.
    void link(std::shared_ptr<QVModel> model);
    // After a link was read from a pack or a dictionary.
    virtual void linkRead() {}

private:
    // The registered model of `id`; link() applies the kind test.
    std::shared_ptr<QVModel> lookUp(uint32_t id) const;

    std::shared_ptr<QVModel> m_model;
    uint32_t m_linkedType;
};

// A typed reference to a model of class T (or a subclass). The typed
// accessors need T's full class where they are used.
template <class T>
class QVBaseAttributeModel : public QVAttributeModelLink {
public:
    std::shared_ptr<T> model() const { return std::static_pointer_cast<T>(linkedModel()); }
    // Links without notification (loading, copying and the owners' setters
    // use it); nothing happens when the model is already linked.
    void setModel(const std::shared_ptr<T>& model) { link(model); }

protected:
    QVBaseAttributeModel(QVNameArg name, QVModel* owner) : QVAttributeModelLink(name, owner, typeId<T>()) {}
    QVBaseAttributeModel(QVNameArg name, QVModel* owner, const QVBaseAttributeModel& source,
                         CopyLink copy = CopyLink::kShare)
        : QVAttributeModelLink(name, owner, source, copy) {}
};

// The animation shown by a component or asset; owns its animation model.
class QVBaseAttributeAnimation : public QVBaseAttributeModel<QVModelAnimation> {
public:
    ~QVBaseAttributeAnimation() override;

    // Rebuilds the linked animation from the frames of the container
    // `sprite` (defined with the animation and image models).
    void setAnimation(const std::shared_ptr<QVModelSpriteContainer>& sprite);
    // The container last given to setAnimation; empty until then (and in
    // copies).
    virtual std::shared_ptr<QVModelSpriteContainer> sprite() const { return m_sprite; }

    bool loop() const { return m_loop; }
    void setLoop(bool loop) { m_loop = loop; }

protected:
    QVBaseAttributeAnimation(QVNameArg name, QVModel* owner);
    QVBaseAttributeAnimation(QVNameArg name, QVModel* owner, const QVBaseAttributeAnimation& source);

    // The loop flag follows the linked animation's "Loop".
    void linkRead() override;

    std::shared_ptr<QVModelSpriteContainer> m_sprite;
    bool m_loop = true;
};

// A collision shape; owns its polygon model.
class QVBaseAttributeShape : public QVBaseAttributeModel<QVModelPolygon> {
protected:
    QVBaseAttributeShape(QVNameArg name, QVModel* owner);
    QVBaseAttributeShape(QVNameArg name, QVModel* owner, const QVBaseAttributeShape& source);
};

class QVAttributeObject : public QVBaseAttributeModel<QVModelObject> {
    QV_ATTRIBUTE_GLUE(QVAttributeObject)
public:
    QVAttributeObject(QVNameArg name, QVModel* owner);
    QVAttributeObject(QVNameArg name, QVModel* owner, const QVAttributeObject& source);
};

class QVAttributeObjectAsset : public QVBaseAttributeModel<QVModelObjectAsset> {
    QV_ATTRIBUTE_GLUE(QVAttributeObjectAsset)
public:
    QVAttributeObjectAsset(QVNameArg name, QVModel* owner);
    QVAttributeObjectAsset(QVNameArg name, QVModel* owner, const QVAttributeObjectAsset& source);
};

class QVAttributeAsset : public QVBaseAttributeModel<QVModelAsset> {
    QV_ATTRIBUTE_GLUE(QVAttributeAsset)
public:
    QVAttributeAsset(QVNameArg name, QVModel* owner);
    QVAttributeAsset(QVNameArg name, QVModel* owner, const QVAttributeAsset& source);
};

class QVAttributeSound : public QVBaseAttributeModel<QVModelSound> {
    QV_ATTRIBUTE_GLUE(QVAttributeSound)
public:
    QVAttributeSound(QVNameArg name, QVModel* owner);
    QVAttributeSound(QVNameArg name, QVModel* owner, const QVAttributeSound& source);
};

class QVAttributeAnimation : public QVBaseAttributeAnimation {
    QV_ATTRIBUTE_GLUE(QVAttributeAnimation)
public:
    QVAttributeAnimation(QVNameArg name, QVModel* owner);
    QVAttributeAnimation(QVNameArg name, QVModel* owner, const QVAttributeAnimation& source);
};

class QVAttributeShape : public QVBaseAttributeShape {
    QV_ATTRIBUTE_GLUE(QVAttributeShape)
public:
    QVAttributeShape(QVNameArg name, QVModel* owner);
    QVAttributeShape(QVNameArg name, QVModel* owner, const QVAttributeShape& source);
};
