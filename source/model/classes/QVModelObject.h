// QVModelObject: the base of every object placed on a screen or in a world.
// Shell: identity only; "Position", "Rotation", "Scale", "Opacity",
// "Z Depth", "Hidden" and the object queries come with the object models.
// QVBaseModelObject answers as QVModelCompound and is only built as part of
// a subclass.
#pragma once

#include <string>

#include "model/classes/QVModelCompound.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelObject : public QVModelCompound {
protected:
    explicit QVBaseModelObject(const std::string& name);
    QVBaseModelObject(const QVBaseModelObject& source);
};

class QVModelObject : public QVBaseModelObject {
    QV_MODEL_GLUE(QVModelObject, "Untitled", QVModelCompound, QVModel)
public:
    explicit QVModelObject(const std::string& name);
    QVModelObject(const QVModelObject& source);
};
