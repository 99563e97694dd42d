// The glue every model class carries: create, createCopy, className, type,
// isKindOf, the standard clone and the destructor, written once.
// Attributes a class always has are members of it (QVMember in
// QVAttribute.h), constructed with the model in declaration order, so a model
// costs one allocation; the copy constructor copies each member from the
// source's, e.g. m_speed(kSpeed, this, source.m_speed).
// Use inside the class body, followed by the class's constructor by name and
// its copy constructor:
//   class QVModelFont : public QVBaseModelFont {
//       QV_MODEL_GLUE(QVModelFont, "Default Font", QVModel)
//       explicit QVModelFont(const std::string& name);
//       QVModelFont(const QVModelFont& source);
//   };
// The list after the default name is what isKindOf answers besides the class's
// own id, nearest ancestor first; it need not follow the C++ bases.
#pragma once

#include <memory>
#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVTypeId.h"

namespace qvglue {

template <class... Ancestors>
bool isAnyOf(uint32_t id) {
    return ((id == typeId<Ancestors>()) || ...);
}

// The standard clone: a copy by the copy constructor, registered when asked
// and the source is registered; then the source's children, cloned when deep.
// Child copies register only when registerCopy is set (and their own source
// is registered), so a throw-away clone never grows the registry.
template <class T>
std::shared_ptr<QVModel> standardClone(const T& source, bool deep, bool registerCopy) {
    std::shared_ptr<T> copy = T::createCopy(source);
    if (registerCopy) {
        copy->registerCopy(source);
    }
    copy->copyChildren(source.sharedFromThis(), deep, registerCopy, false);
    return copy;
}

}  // namespace qvglue

// className, type and isKindOf, and the destructor that detaches the
// attributes before member attributes die (classes never copied by clone).
#define QV_MODEL_IDENTITY(Class, ...)                                             \
public:                                                                           \
    ~Class() override { releaseAttributes(); }                                    \
    const char* className() const override { return #Class; }                     \
    uint32_t type() const override { return typeId<Class>(); }                    \
    bool isKindOf(uint32_t kindId) const override {                               \
        return kindId == typeId<Class>() || qvglue::isAnyOf<__VA_ARGS__>(kindId); \
    }

// Identity and createCopy, without clone.
#define QV_MODEL_COPY_GLUE(Class, ...)                              \
    QV_MODEL_IDENTITY(Class, __VA_ARGS__)                           \
    static std::shared_ptr<Class> createCopy(const Class& source) { \
        std::shared_ptr<Class> copy(new Class(source));             \
        copy->adoptAttributeOrder(source);                          \
        return copy;                                                \
    }

// Everything but create (classes that are never registered by name).
#define QV_MODEL_GLUE_NO_CREATE(Class, ...)                                       \
    QV_MODEL_COPY_GLUE(Class, __VA_ARGS__)                                        \
    std::shared_ptr<QVModel> clone(bool deep, bool registerCopy) const override { \
        return qvglue::standardClone(*this, deep, registerCopy);                  \
    }

#define QV_MODEL_CREATE(Class, DefaultName) \
    static std::shared_ptr<Class> create() { return std::make_shared<Class>(std::string(DefaultName)); }

// The full glue; create gives a new, unregistered instance named DefaultName.
#define QV_MODEL_GLUE(Class, DefaultName, ...)  \
    QV_MODEL_GLUE_NO_CREATE(Class, __VA_ARGS__) \
    QV_MODEL_CREATE(Class, DefaultName)

// The full glue for a class whose clone differs from the standard one (a
// level section copies its content its own way, a group copies no
// children): the class defines clone itself.
#define QV_MODEL_GLUE_OWN_CLONE(Class, DefaultName, ...) \
    QV_MODEL_COPY_GLUE(Class, __VA_ARGS__)               \
    QV_MODEL_CREATE(Class, DefaultName)                  \
    std::shared_ptr<QVModel> clone(bool deep, bool registerCopy) const override;
