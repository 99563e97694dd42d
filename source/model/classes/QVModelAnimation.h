// QVModelAnimation: a timed group of object models, its frames. The object
// list holds the children that are object models of any class, in child
// order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

#define QV_ANIMATION_ATTRIBUTES(X)            \
    X(QVAttributeFloat, speed, "Speed")       \
    X(QVAttributeFloat, duration, "Duration") \
    X(QVAttributeBool, loop, "Loop")

class QVBaseModelAnimation : public QVModel {
public:
    ~QVBaseModelAnimation() override;

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

    float speed() const;
    float duration() const;
    bool loop() const;
    // Clamped; notify only when the value changes.
    void setDuration(float duration);
    void setLoop(bool loop, bool silent = false);

    const std::vector<std::shared_ptr<QVModelObject>>& objects() const { return m_objects.items(); }
    // Empty past the end.
    std::shared_ptr<QVModelObject> objectAt(unsigned index) const;
    // Removes every object child, one by one in list order.
    void removeAllObjects();

protected:
    explicit QVBaseModelAnimation(const std::string& name);
    QVBaseModelAnimation(const QVBaseModelAnimation& source);

    QV_ANIMATION_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    QVChildList<QVModelObject, QVChildMatch::kKindOf> m_objects;
};

class QVModelAnimation : public QVBaseModelAnimation {
    QV_MODEL_GLUE(QVModelAnimation, "", QVModel)
public:
    explicit QVModelAnimation(const std::string& name);
    QVModelAnimation(const QVModelAnimation& source);
};
