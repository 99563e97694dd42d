#include "model/classes/QVModelAnimation.h"

#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVModelController.h"

QVBaseModelAnimation::QVBaseModelAnimation(const std::string& name)
    : QVModel(name) QV_ANIMATION_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_speed->setValue(1.0f, true);
    m_loop->setValue(true, true);
}

// The object list fills again as the children are copied into the copy.
QVBaseModelAnimation::QVBaseModelAnimation(const QVBaseModelAnimation& source)
    : QVModel(source) QV_ANIMATION_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

QVBaseModelAnimation::~QVBaseModelAnimation() { m_objects.clear(); }

QV_CHILD_LIST_HOOKS(QVBaseModelAnimation, QVModel, m_objects)

float QVBaseModelAnimation::speed() const { return m_speed ? m_speed->value() : 0.0f; }
float QVBaseModelAnimation::duration() const { return m_duration ? m_duration->value() : 0.0f; }
bool QVBaseModelAnimation::loop() const { return m_loop && m_loop->value(); }

void QVBaseModelAnimation::setDuration(float duration) {
    if (m_duration) m_duration->setValue(duration);
}

void QVBaseModelAnimation::setLoop(bool loop, bool silent) {
    if (m_loop) m_loop->setValue(loop, silent);
}

std::shared_ptr<QVModelObject> QVBaseModelAnimation::objectAt(unsigned index) const {
    const auto& objects = m_objects.items();
    return index < objects.size() ? objects[index] : nullptr;
}

void QVBaseModelAnimation::removeAllObjects() {
    // A copy: each removal erases its entry from the list.
    const std::vector<std::shared_ptr<QVModelObject>> objects = m_objects.items();
    for (const auto& object : objects) removeChild(object);
    m_objects.clear();
}

QVModelAnimation::QVModelAnimation(const std::string& name) : QVBaseModelAnimation(name) {}

QVModelAnimation::QVModelAnimation(const QVModelAnimation& source) : QVBaseModelAnimation(source) {}

void QVBaseAttributeAnimation::setAnimation(const std::shared_ptr<QVModelSpriteContainer>& sprite) {
    QVModelController* controller = QVModelController::shared();
    std::shared_ptr<QVModelAnimation> animation = model();
    if (animation) {
        animation->removeAllObjects();
    } else {
        animation = QVModelAnimation::create();
        controller->addModel(animation, -1);
        animation->setLoop(m_loop, true);
        animation->setDuration(3.0f);
        setModel(animation);
    }
    m_sprite = sprite;
    if (!sprite) return;
    std::shared_ptr<QVModelObjectImage> image = QVModelObjectImage::create();
    controller->addModel(image, -1);
    image->setImage(sprite);
    animation->addChild(image);
    animation->setDuration(static_cast<float>(sprite->sprites().size()) / 30.0f);
}
