// QVAttributeSprite: a link to a sprite container model.
// Guarantees: while linked, the attribute stands once in the container's
// reference list; the container's "Excluded From Atlas" follows this
// attribute's flag whenever a container is linked or the flag is set.
// Reading: a pack "value" that names no sprite container leaves the link as
// it was, while a dictionary "value" that names none empties it.
// The container is held as a QVModel so the core needs no model class; any
// model that is not a QVModelSpriteContainer counts as an empty link.
#pragma once

#include <memory>
#include <string>

#include "model/core/QVAttribute.h"
#include "model/core/QVTypeId.h"

class QVModelSpriteContainer;

class QVAttributeSprite : public QVAttribute {
    QV_ATTRIBUTE_GLUE(QVAttributeSprite)
public:
    QVAttributeSprite(QVNameArg name, QVModel* owner);
    // Shares the source's container and passes the copied flag on to it.
    QVAttributeSprite(QVNameArg name, QVModel* owner, const QVAttributeSprite& source);
    // Leaves the container's reference list and releases it.
    ~QVAttributeSprite() override;

    // The base link keys, then "value" when a container is linked.
    void collectKeys() override;
    void packConnections(QVPackMap& map) override;
    // Throws msgpack::type_error for a wrongly typed "value".
    void unpackConnections(const QVPackMap& map) override;
    void connectionFromDictionary(cocos2d::CCDictionary* dict) override;
    // The base dictionary plus "value" ("%u") when linked.
    cocos2d::CCDictionary* connectionToDictionary() const override;

    // Links the container (a non-container or null unlinks); notifies kind 0
    // unless silent, also when the same container is set again.
    void setValue(const std::shared_ptr<QVModel>& container, bool silent = false);
    // The linked container; the caller needs the container's full type.
    template <class T = QVModelSpriteContainer>
    std::shared_ptr<T> value() const {
        return std::static_pointer_cast<T>(m_value);
    }
    const std::shared_ptr<QVModel>& valueModel() const { return m_value; }

    bool excludedFromAtlas() const { return m_excludedFromAtlas; }
    void setExcludedFromAtlas(bool excluded);

private:
    void link(const std::shared_ptr<QVModel>& container);
    void applyExcludedFromAtlas() const;

    std::shared_ptr<QVModel> m_value;
    bool m_excludedFromAtlas = false;
};
