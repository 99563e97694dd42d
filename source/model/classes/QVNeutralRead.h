// Reading a member attribute through its pointer, which a copy leaves null
// when its source did not list that attribute: each reader then gives the
// neutral value (an empty pointer, "", 0 or false).
#pragma once

#include <string>
#include <type_traits>

#include "model/core/QVAttributeValue.h"

namespace qvread {

// The linked model of a reference attribute.
template <class A>
auto linked(const A* attribute) -> decltype(attribute->model()) {
    return attribute ? attribute->model() : nullptr;
}

// The value of a number, bool or point attribute, by value.
template <class A>
auto value(const A* attribute) -> std::decay_t<decltype(attribute->value())> {
    return attribute ? attribute->value() : std::decay_t<decltype(attribute->value())>();
}

inline const std::string& text(const QVAttributeString* attribute) {
    static const std::string kNoText;
    return attribute ? attribute->value() : kNoText;
}

}  // namespace qvread
