// QVModelLevelSection: one piece of a world that the game field places along
// the gameplay direction: its objects, groups and linkers are its children.
// Keeps its object children (kind of QVModelObject) in a list of its own, in
// the order they were added; the list, `cooldown` and `placedAt` are never
// packed, and a copy takes the two run-time values from its source.
// Its clone copies the content with copySectionContent: a deep copy clones
// every object, gives copied groups their members and keeps a linker only
// when both its objects were copied; every change is silent.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVChildList.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

#define QV_LEVEL_SECTION_ATTRIBUTES(X)                   \
    X(QVAttributeBool, initSection, "Init Section")      \
    X(QVAttributeBool, muted, "Muted")                   \
    X(QVAttributeBool, solo, "Solo")                     \
    X(QVAttributeFloat, startDistance, "Start Distance") \
    X(QVAttributeFloat, endDistance, "End Distance")     \
    X(QVAttributeFloat, width, "Width")                  \
    X(QVAttributeFloat, playCooldown, "Play Cooldown")

class QVBaseModelLevelSection : public QVModel {
public:
    bool initSection() const;
    bool muted() const;
    bool solo() const;
    float startDistance() const;
    float endDistance() const;
    float width() const;
    // Read as a whole number with truncToInt by whoever picks the section.
    float playCooldown() const;

    const std::vector<std::shared_ptr<QVModelObject>>& objects() const { return m_objects.items(); }
    // Empty at or past the end.
    std::shared_ptr<QVModelObject> objectAt(unsigned index) const;

    // Run-time values of the game field.
    int32_t cooldown() const { return m_cooldown; }
    void setCooldown(int32_t cooldown) { m_cooldown = cooldown; }
    float placedAt() const { return m_placedAt; }
    void setPlacedAt(float distance) { m_placedAt = distance; }

    // Notify only on a change, never silently.
    virtual void setMuted(bool muted);
    virtual void setSolo(bool solo);

    // Replaces the children by the source's content: shared when not deep;
    // when deep, clones (registered only with registerCopies), copied
    // groups refilled, then the linkers whose two objects were copied.
    void copySectionContent(const std::shared_ptr<QVModel>& source, bool deep, bool registerCopies);

    void childAdded(const std::shared_ptr<QVModel>& child) override;
    void childRemoved(const std::shared_ptr<QVModel>& child) override;
    void childrenCleared() override;

protected:
    explicit QVBaseModelLevelSection(const std::string& name);
    QVBaseModelLevelSection(const QVBaseModelLevelSection& source);

    QV_LEVEL_SECTION_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)

private:
    QVChildList<QVModelObject, QVChildMatch::kKindOf> m_objects;
    int32_t m_cooldown = 0;
    float m_placedAt = 0.0f;
};

class QVModelLevelSection : public QVBaseModelLevelSection {
    QV_MODEL_GLUE_OWN_CLONE(QVModelLevelSection, "", QVModel)
public:
    explicit QVModelLevelSection(const std::string& name);
    QVModelLevelSection(const QVModelLevelSection& source);
};
