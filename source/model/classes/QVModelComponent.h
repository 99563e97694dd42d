// QVModelComponent: the base of the behaviour-settings models attached as
// children to assets, placed objects and worlds. Compound models keep their
// component children in a list of their own.
#pragma once

#include <memory>
#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVModelSpriteContainer;

class QVModelComponent : public QVModel {
    QV_MODEL_GLUE_NO_CREATE(QVModelComponent, QVModel)
public:
    explicit QVModelComponent(const std::string& name);
    QVModelComponent(const QVModelComponent& source);

    // The sprite container the component is shown with; empty unless a
    // component with an "Animation" overrides it.
    virtual std::shared_ptr<QVModelSpriteContainer> animationModel() const { return nullptr; }
};
