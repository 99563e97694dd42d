// QVModelCompound: a model whose children include behaviour components.
// Assets, screens and every placed object derive from it. Besides the
// children list it keeps the component children (QVModelComponent or a
// subclass) in a list of their own, in step with the children.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVChildList.h"
#include "model/classes/QVModelComponent.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelCompound : public QVModel {
public:
    ~QVBaseModelCompound() override;

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

    // The component children, in the order they became children.
    const std::vector<std::shared_ptr<QVModelComponent>>& components() const { return m_components.items(); }
    // The first component of exactly class T; empty when none.
    template <class T>
    std::shared_ptr<T> findComponent() const;

protected:
    explicit QVBaseModelCompound(const std::string& name);
    QVBaseModelCompound(const QVBaseModelCompound& source);

private:
    QVChildList<QVModelComponent, QVChildMatch::kKindOf> m_components;
};

class QVModelCompound : public QVBaseModelCompound {
    QV_MODEL_GLUE_NO_CREATE(QVModelCompound, QVModel)
public:
    explicit QVModelCompound(const std::string& name);
    QVModelCompound(const QVModelCompound& source);
};

template <class T>
std::shared_ptr<T> QVBaseModelCompound::findComponent() const {
    for (const auto& component : m_components.items()) {
        if (auto found = modelCast<T>(component)) return found;
    }
    return std::shared_ptr<T>();
}
