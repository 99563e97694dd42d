// Class tests that pack models need a key table naming every key they write.
#pragma once

#include <initializer_list>
#include <string>

#include <msgpack.hpp>

#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVPackMap.h"

namespace classtest {

// Every key the models collect, plus the link keys a linked reference adds.
inline void installKeysOf(std::initializer_list<QVModel*> models) {
    collectedKeys().clear();
    for (QVModel* model : models) model->collectKeys();
    QVKeyTableMap table;
    std::int32_t next = 0;
    for (const char* link : {"value", "connectedModelId", "attributeName", "children"}) table[link] = next++;
    for (const std::string& name : collectedKeys()) table.emplace(name, next++);
    installKeyTable(table);
}

// What `write` puts into a map, as the loader reads it back from a pack.
template <class Write>
QVPackMap readBack(msgpack::zone& zone, Write write) {
    QVPackMap written(zone);
    write(written);
    return QVPackMap(written.toObject(zone));
}

// Stores `value` in a float attribute as a pack does: unclamped, so NaN,
// infinities and values beyond the range get past the setter.
template <class A>
void storeUnclamped(A* attribute, float value) {
    installKeysOf({attribute->owner()});
    msgpack::zone zone;
    attribute->unpack(readBack(zone, [&](QVPackMap& map) { map.put("value", value); }));
}

}  // namespace classtest
