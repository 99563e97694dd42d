// QVPObjectGroup: keeps the drawing order of its members (the game-layer
// objects whose models are children of the group model, and characters
// when the group model holds any) sorted by position.
//
// Guarantees: members with equal coordinates keep their game-layer order
// (stable sort), so a run is reproducible; nothing changes with "Auto Depth
// Sorting" off or without a model or members.
#pragma once

#include <memory>

#include "player/objects/QVPObject.h"

class QVModelObjectGroup;

class QVPObjectGroup : public QVPObject {
public:
    // Autoreleased; null for a null model.
    static QVPObjectGroup* create(const std::shared_ptr<QVModelObjectGroup>& model);
    explicit QVPObjectGroup(std::shared_ptr<QVModelObjectGroup> model);

    // Sorts the members instead of the object update.
    void update(float dt) override;

private:
    std::shared_ptr<QVModelObjectGroup> m_groupModel;
};
