// QVModelObjectGroup: a group layer, an object whose child objects are placed
// and drawn together; the game field's group may re-sort their drawing depth.
// It counts its direct children of exact class QVModelObjectAssetCharacter
// (0 after construction and after a copy). Its clone copies no children:
// whoever copies a group gives it its members (a level section's copy).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

#define QV_OBJECT_GROUP_ATTRIBUTES(X)                          \
    X(QVAttributeBool, autoDepthSorting, "Auto Depth Sorting") \
    X(QVAttributeStringList, sortDirection, "Sort Direction")  \
    X(QVAttributeStringList, sortOrder, "Sort Order")

class QVBaseModelObjectGroup : public QVModelObject {
public:
    bool autoDepthSorting() const;
    // "gAxisX" or any other axis choice.
    const std::string& sortDirection() const;
    // "gSortAsc" or any other order.
    const std::string& sortOrder() const;
    // Direct children of exact class QVModelObjectAssetCharacter.
    int32_t characterCount() const { return m_characterCount; }

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

protected:
    explicit QVBaseModelObjectGroup(const std::string& name);
    QVBaseModelObjectGroup(const QVBaseModelObjectGroup& source);

    QV_OBJECT_GROUP_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
    int32_t m_characterCount = 0;
};

class QVModelObjectGroup : public QVBaseModelObjectGroup {
    QV_MODEL_GLUE_OWN_CLONE(QVModelObjectGroup, "My Group Layer", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectGroup(const std::string& name);
    QVModelObjectGroup(const QVModelObjectGroup& source);
};
