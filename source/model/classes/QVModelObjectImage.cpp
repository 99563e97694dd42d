#include "model/classes/QVModelObjectImage.h"

#include "model/classes/QVModelSpriteContainer.h"

QVBaseModelObjectImage::QVBaseModelObjectImage(const std::string& name)
    : QVModelObject(name) QV_OBJECT_IMAGE_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_stickToEdge->setValue(true, true);
}

QVBaseModelObjectImage::QVBaseModelObjectImage(const QVBaseModelObjectImage& source)
    : QVModelObject(source) QV_OBJECT_IMAGE_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

void QVBaseModelObjectImage::attributeChanged(QVAttribute* attribute, int kind) {
    QVModelObject::attributeChanged(attribute, kind);
    if (attribute != nameAttribute()) return;
    // The container shown takes the image's name.
    if (std::shared_ptr<QVModelSpriteContainer> container = image()) container->setName(name());
}

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectImage::visualModel() const { return image(); }

std::shared_ptr<QVModelSpriteContainer> QVBaseModelObjectImage::image() const {
    return m_image ? m_image->value() : nullptr;
}

void QVBaseModelObjectImage::setImage(const std::shared_ptr<QVModelSpriteContainer>& image) {
    if (m_image) m_image->setValue(image);
}

float QVBaseModelObjectImage::autohide() const { return m_autohide ? m_autohide->value() : 0.0f; }

bool QVBaseModelObjectImage::stickToEdge() const { return m_stickToEdge && m_stickToEdge->value(); }

void QVBaseModelObjectImage::setStickToEdge(bool stick) {
    if (m_stickToEdge) m_stickToEdge->setValue(stick);
}

QVModelObjectImage::QVModelObjectImage(const std::string& name) : QVBaseModelObjectImage(name) {}

QVModelObjectImage::QVModelObjectImage(const QVModelObjectImage& source) : QVBaseModelObjectImage(source) {}
