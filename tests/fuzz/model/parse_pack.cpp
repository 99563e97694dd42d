// Fuzzes the loader's pack parser: the bytes are read as an attributes pack
// and then as a connections pack, under the key table of the small fixture
// game. A malformed pack may only fail with a std::exception (msgpack's
// unpack and type errors), which the loader catches at its boundary.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "model/core/QVKeyTable.h"
#include "model/classes/QVModelClasses.h"
#include "model/core/QVModelController.h"

namespace {

void installFixtureKeys() {
    // The names and numbers of the small fixture's Keys.pack.
    const std::vector<std::string> names = {
        "Application Name", "Last ID", "Name", "Object A", "Object B", "Speed", "ZK Version", "children", "desktop",
        "platformSpecificValues", "value", "volume"};
    QVKeyTableMap table;
    for (size_t i = 0; i < names.size(); ++i) table.emplace(names[i], static_cast<int32_t>(i));
    table.emplace("Class Name", 33);
    table.emplace("id", 42);
    table.emplace("User ID", 50);
    installKeyTable(table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = (installFixtureKeys(), true);
    (void)ready;
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);
    for (bool connections : {false, true}) {
        try {
            controller->parsePack(data, size, connections);
        } catch (const std::exception&) {
            // The loader reports these as a failed pack.
        }
    }
    controller->clear();
    return 0;
}
