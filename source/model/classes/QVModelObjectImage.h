// QVModelObjectImage: an image placed on a screen, and the base of every
// button. Its "Image" sprite container is its visual model, and renaming the
// image renames that container.
#pragma once

#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVModelGlue.h"

#define QV_OBJECT_IMAGE_ATTRIBUTES(X)         \
    X(QVAttributeSprite, image, "Image")      \
    X(QVAttributeFloat, autohide, "Autohide") \
    X(QVAttributeBool, stickToEdge, "Stick To Edge")

class QVBaseModelObjectImage : public QVModelObject {
public:
    void attributeChanged(QVAttribute* attribute, int kind) override;
    std::shared_ptr<QVModelSpriteContainer> visualModel() const override;

    std::shared_ptr<QVModelSpriteContainer> image() const;
    // Sets "Image" and notifies.
    void setImage(const std::shared_ptr<QVModelSpriteContainer>& image);
    float autohide() const;
    bool stickToEdge() const;
    // Clamped; notifies only when the value changes.
    void setStickToEdge(bool stick);

protected:
    explicit QVBaseModelObjectImage(const std::string& name);
    QVBaseModelObjectImage(const QVBaseModelObjectImage& source);

    QV_OBJECT_IMAGE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectImage : public QVBaseModelObjectImage {
    QV_MODEL_GLUE(QVModelObjectImage, "Image", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectImage(const std::string& name);
    QVModelObjectImage(const QVModelObjectImage& source);
};
