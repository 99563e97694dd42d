// Per-class type ids and the casts built on them.
// Guarantees: typeId<T>() is one value for the whole run, distinct per class,
// and safe to call from any thread. Ids come from one counter that starts at 1
// and is taken on each class's first call, so they depend on first-use order
// and are never stored in packs, dictionaries or files.
// The casts never allocate: a hit shares ownership with the argument, a miss
// (or an empty argument) gives an empty pointer.
#pragma once

#include <cstdint>
#include <memory>

namespace qvdetail {
// Next value of the process-wide type-id counter (1, 2, 3 ...).
uint32_t nextTypeId();
}  // namespace qvdetail

template <class T>
uint32_t typeId() {
    static const uint32_t id = qvdetail::nextTypeId();
    return id;
}

// Exact class: a model of a subclass of T gives an empty pointer.
template <class T, class M>
std::shared_ptr<T> modelCast(const std::shared_ptr<M>& model) {
    if (model && model->type() == typeId<T>()) {
        return std::static_pointer_cast<T>(model);
    }
    return std::shared_ptr<T>();
}

// Class or subclass (the model's isKindOf test).
template <class T, class M>
std::shared_ptr<T> modelKindCast(const std::shared_ptr<M>& model) {
    if (model && model->isKindOf(typeId<T>())) {
        return std::static_pointer_cast<T>(model);
    }
    return std::shared_ptr<T>();
}

// Attributes have no kind test: exact class only; null on a miss.
template <class T, class A>
T* attributeCast(A* attribute) {
    if (attribute && attribute->type() == typeId<T>()) {
        return static_cast<T*>(attribute);
    }
    return nullptr;
}
