// Placeholder: level streaming and the field reset are written next.
#include "player/screens/QVPScreenScene.h"

std::vector<std::size_t> QVPScreenScene::eligibleSections(float, bool) { return {}; }

void QVPScreenScene::decrementSectionCooldowns() {}

std::shared_ptr<QVModelLevelSection> QVPScreenScene::levelSectionAt(float) { return nullptr; }

float QVPScreenScene::addLevelSection(const std::shared_ptr<QVModelLevelSection>&, float) { return 0.0f; }

void QVPScreenScene::addStartSection() {}

void QVPScreenScene::resetGameField() {}

void QVPScreenScene::ensureCharacters(uint32_t) {}
