#include "model/classes/QVModelSpriteContainer.h"

namespace {
const char* const kAnimationSpeed = "Animation Speed";
const char* const kDuration = "Duration";
const char* const kExcludedFromAtlas = "Excluded From Atlas";
}  // namespace

QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const std::string& name) : QVModel(name) {
    m_animationSpeed = new QVAttributeFloat(kAnimationSpeed, this);
    m_animationSpeed->setValue(1.0f, true);
    m_duration = new QVAttributeFloat(kDuration, this);
    m_excludedFromAtlas = new QVAttributeBool(kExcludedFromAtlas, this);
}

QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const QVBaseModelSpriteContainer& source) : QVModel(source) {
    m_animationSpeed = attributeCast<QVAttributeFloat>(attribute(kAnimationSpeed));
    m_duration = attributeCast<QVAttributeFloat>(attribute(kDuration));
    m_excludedFromAtlas = attributeCast<QVAttributeBool>(attribute(kExcludedFromAtlas));
}

float QVBaseModelSpriteContainer::animationSpeed() const {
    return m_animationSpeed ? m_animationSpeed->value() : 1.0f;
}

float QVBaseModelSpriteContainer::duration() const { return m_duration ? m_duration->value() : 0.0f; }

bool QVBaseModelSpriteContainer::excludedFromAtlas() const {
    return m_excludedFromAtlas && m_excludedFromAtlas->value();
}

void QVBaseModelSpriteContainer::setExcludedFromAtlas(bool excluded, bool silent) {
    if (m_excludedFromAtlas) m_excludedFromAtlas->setValue(excluded, silent);
}

QVModelSpriteContainer::QVModelSpriteContainer(const std::string& name) : QVBaseModelSpriteContainer(name) {}

QVModelSpriteContainer::QVModelSpriteContainer(const QVModelSpriteContainer& source)
    : QVBaseModelSpriteContainer(source) {}
