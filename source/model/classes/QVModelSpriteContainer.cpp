#include "model/classes/QVModelSpriteContainer.h"

namespace {
constexpr char kAnimationSpeed[] = "Animation Speed";
constexpr char kDuration[] = "Duration";
constexpr char kExcludedFromAtlas[] = "Excluded From Atlas";
}  // namespace

QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const std::string& name)
    : QVModel(name),
      m_animationSpeedMember(kAnimationSpeed, this),
      m_durationMember(kDuration, this),
      m_excludedFromAtlasMember(kExcludedFromAtlas, this),
      m_animationSpeed(&m_animationSpeedMember),
      m_duration(&m_durationMember),
      m_excludedFromAtlas(&m_excludedFromAtlasMember) {
    m_animationSpeed->setValue(1.0f, true);
}

QVBaseModelSpriteContainer::QVBaseModelSpriteContainer(const QVBaseModelSpriteContainer& source)
    : QVModel(source),
      m_animationSpeedMember(kAnimationSpeed, this, source.m_animationSpeedMember),
      m_durationMember(kDuration, this, source.m_durationMember),
      m_excludedFromAtlasMember(kExcludedFromAtlas, this, source.m_excludedFromAtlasMember) {
    m_animationSpeed = source.listed(source.m_animationSpeedMember, m_animationSpeedMember);
    m_duration = source.listed(source.m_durationMember, m_durationMember);
    m_excludedFromAtlas = source.listed(source.m_excludedFromAtlasMember, m_excludedFromAtlasMember);
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
