#include "player/screens/ScreenManager.h"

#include <memory>
#include <vector>

#include "model/classes/QVModelLevelSection.h"
#include "model/core/QVModelController.h"

ScreenManager* ScreenManager::shared() {
    static ScreenManager manager;
    return &manager;
}

uint32_t ScreenManager::nextSectionId(uint32_t id) const {
    if (id == 0) return 0;
    const std::vector<std::shared_ptr<QVModel>> sections =
        QVModelController::shared()->getModels(typeId<QVModelLevelSection>());
    std::shared_ptr<QVModel> found;
    for (const std::shared_ptr<QVModel>& section : sections) {
        if (!found) {
            if (section->id() == id) found = section;
        } else if (section->hasParent(found) && section->id() > 0) {
            return section->id();
        }
    }
    return 0;
}
