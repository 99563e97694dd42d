#include "player/app/QVSwitchStates.h"

#include <map>

#include "model/core/QVModel.h"

namespace {

using SwitchStates = std::map<std::weak_ptr<const QVModel>, bool, std::owner_less<std::weak_ptr<const QVModel>>>;

SwitchStates& states() {
    static SwitchStates table;
    return table;
}

}  // namespace

std::optional<bool> switchState(const std::shared_ptr<const QVModel>& model) {
    if (!model) return std::nullopt;
    const auto found = states().find(model);
    if (found == states().end()) return std::nullopt;
    return found->second;
}

void setSwitchState(const std::shared_ptr<const QVModel>& model, bool on) {
    if (model) states()[model] = on;
}

void flipAllSwitchStates() {
    for (auto& entry : states()) entry.second = !entry.second;
}

void clearSwitchStates() { states().clear(); }

std::size_t switchStateCount() { return states().size(); }
