// QVSettingsModel: what the model core needs of a game's settings model,
// which the game's classes implement (QVModelGeneralSettings).
// Guarantees: the core treats a model of this kind as the one settings
// model: never anybody's child, its User ID unscrambles the key table, its
// Last ID raises the id counter, and the controller's settings reset drops it.
#pragma once

#include <cstdint>
#include <string>

#include "model/core/QVModel.h"

class QVSettingsModel : public QVModel {
public:
    // The author's User ID the key table is unscrambled with.
    virtual const std::string& userId() const = 0;
    // The highest model id the game was saved with.
    virtual uint32_t lastId() const = 0;

protected:
    using QVModel::QVModel;
};
