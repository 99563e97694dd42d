#include "player/objects/QVPObjectGroup.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "base/CCArray.h"
#include "model/classes/QVModelObjectGroup.h"

using cocos2d::CCObject;

QVPObjectGroup* QVPObjectGroup::create(const std::shared_ptr<QVModelObjectGroup>& model) {
    if (!model) return nullptr;
    auto* group = new QVPObjectGroup(model);
    group->autorelease();
    return group;
}

QVPObjectGroup::QVPObjectGroup(std::shared_ptr<QVModelObjectGroup> model)
    : QVPObject(model), m_groupModel(std::move(model)) {
    setTypeFlags(kTypeGroup);
}

void QVPObjectGroup::update(float) {
    if (!m_groupModel || !m_groupModel->autoDepthSorting() || m_groupModel->children().empty()) return;
    if (!m_gameLayer || m_gameLayer->getChildrenCount() == 0) return;

    const bool axisX = m_groupModel->sortDirection() == "gAxisX";
    const bool ascending = m_groupModel->sortOrder() == "gSortAsc";
    const bool withCharacters = m_groupModel->characterCount() != 0;

    // (key, member): the sort reads each coordinate once, and a NaN
    // coordinate gets a key that still orders strictly.
    std::vector<std::pair<float, QVPObject*>> members;
    int base = 10000;
    for (CCObject* child : m_gameLayer->getChildren()->data()) {
        auto* object = dynamic_cast<QVPObject*>(child);
        if (!object) continue;
        const std::shared_ptr<QVModelObject> model = object->getModel();
        const bool member =
            (model && m_groupModel->hasChild(model)) || (withCharacters && object->typeFlags() == kTypeCharacter);
        if (!member) continue;
        const cocos2d::CCPoint& p = object->getPosition();
        const float key = axisX ? p.y : p.x;
        members.emplace_back(std::isnan(key) ? -std::numeric_limits<float>::infinity() : key, object);
        base = std::min(base, object->getZOrder());
    }
    // Ascending order draws the largest coordinate first.
    std::stable_sort(members.begin(), members.end(), [ascending](const auto& a, const auto& b) {
        return ascending ? a.first > b.first : b.first > a.first;
    });
    for (size_t i = 0; i < members.size(); ++i) {
        const int z = base + static_cast<int>(i);
        if (members[i].second->getZOrder() != z) m_gameLayer->reorderChild(members[i].second, z);
    }
}
