// The children of one class, kept in step with a model's children list by
// the model's child hooks: appended when added, first entry (by identity)
// erased when removed, emptied when the children are cleared. Exact lists
// take only class T itself, the others T and its subclasses.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "model/core/QVModel.h"
#include "model/core/QVTypeId.h"

enum class QVChildMatch { kExactClass, kKindOf };

template <class T, QVChildMatch Match>
class QVChildList {
public:
    const std::vector<std::shared_ptr<T>>& items() const { return m_items; }

    void added(const std::shared_ptr<QVModel>& child) {
        if (auto item = cast(child)) m_items.push_back(std::move(item));
    }
    void removed(const std::shared_ptr<QVModel>& child) {
        if (!child) return;
        auto it = std::find_if(m_items.begin(), m_items.end(),
                               [&](const std::shared_ptr<T>& item) { return item.get() == child.get(); });
        if (it != m_items.end()) m_items.erase(it);
    }
    void clear() { m_items.clear(); }

private:
    static std::shared_ptr<T> cast(const std::shared_ptr<QVModel>& child) {
        return Match == QVChildMatch::kExactClass ? modelCast<T>(child) : modelKindCast<T>(child);
    }

    std::vector<std::shared_ptr<T>> m_items;
};

// Defines Class's three child hooks: Base's hook first, then `list` kept in
// step with the children.
#define QV_CHILD_LIST_HOOKS(Class, Base, list)                        \
    void Class::childAdded(const std::shared_ptr<QVModel>& child) {   \
        Base::childAdded(child);                                      \
        list.added(child);                                            \
    }                                                                 \
    void Class::childRemoved(const std::shared_ptr<QVModel>& child) { \
        Base::childRemoved(child);                                    \
        list.removed(child);                                          \
    }                                                                 \
    void Class::childrenCleared() {                                   \
        Base::childrenCleared();                                      \
        list.clear();                                                 \
    }
