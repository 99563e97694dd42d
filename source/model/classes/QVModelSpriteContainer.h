// QVModelSpriteContainer: an ordered group of sprites shown as a still or a
// frame animation. This shell carries the class identity and the stored
// attributes ("Animation Speed", "Duration", "Excluded From Atlas"); frames
// and sprite lists come with the resource models.
#pragma once

#include <string>

#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelSpriteContainer : public QVModel {
public:
    float animationSpeed() const;
    float duration() const;
    bool excludedFromAtlas() const;
    // Clamped; notifies only when the value changes.
    void setExcludedFromAtlas(bool excluded, bool silent = false);

protected:
    explicit QVBaseModelSpriteContainer(const std::string& name);
    QVBaseModelSpriteContainer(const QVBaseModelSpriteContainer& source);

    QVMember<QVAttributeFloat> m_animationSpeedMember;
    QVMember<QVAttributeFloat> m_durationMember;
    QVMember<QVAttributeBool> m_excludedFromAtlasMember;
    // The members, or null in a copy whose source did not list them.
    QVAttributeFloat* m_animationSpeed = nullptr;
    QVAttributeFloat* m_duration = nullptr;
    QVAttributeBool* m_excludedFromAtlas = nullptr;
};

class QVModelSpriteContainer : public QVBaseModelSpriteContainer {
    QV_MODEL_GLUE(QVModelSpriteContainer, "", QVModel)
public:
    explicit QVModelSpriteContainer(const std::string& name);
    QVModelSpriteContainer(const QVModelSpriteContainer& source);
};
