// The sample game's model plan, authored with the model classes, and the
// writers of its data folder: Keys.pack, the packs and data.pkg.
#pragma once

#include <string>
#include <vector>

class QVModelController;

namespace samplegame {

// The general settings' "User ID"; Keys.pack is scrambled with it.
constexpr const char* kUserId = "5150";

// Clears the controller and registers every planned model, in ascending id,
// names and values first, links after, all silently. Throws
// std::runtime_error when the plan names an attribute a class lacks.
void authorModels(QVModelController& controller);

// One pack file: its name under data/ and its bytes.
struct PackFile {
    std::string name;
    std::vector<unsigned char> bytes;
};

// Installs the key table of every name the registered models collect and
// returns Keys.pack, then every attributes pack, then every connections pack,
// in registry order and pack number: the package's entry order.
std::vector<PackFile> packGame(const QVModelController& controller);

// The package's bytes: every file as an encrypted, deflated entry, in order.
std::vector<unsigned char> packageBytes(const std::vector<PackFile>& files);

}  // namespace samplegame
