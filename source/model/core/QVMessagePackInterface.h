// The encode/decode interface shared by models, attributes and animation
// curves. Each object writes its values into, and reads them back from, one
// integer-keyed QVPackMap; where that map sits in a pack is the caller's
// business. Every operation but collectKeys does nothing unless overridden.
#pragma once

class QVPackMap;

class QVMessagePackInterface {
public:
    virtual ~QVMessagePackInterface() = default;

    // Adds every key name this object's packs use to collectedKeys().
    virtual void collectKeys() = 0;
    // Writes the object's own values. Throws what QVPackMap::put throws.
    virtual void pack(QVPackMap& map) { (void)map; }
    // Reads the values back; a wrongly typed entry raises msgpack::type_error.
    virtual void unpack(const QVPackMap& map) { (void)map; }
    // Writes the links to other objects.
    virtual void packConnections(QVPackMap& map) { (void)map; }
    // Reads the links back and connects.
    virtual void unpackConnections(const QVPackMap& map) { (void)map; }
};
