// The model classes as the controller's factory registry sees them.
// registerModelClasses attaches the create function of every model class that
// exists to the registry, under its class name, and the general settings'
// reset as the controller's settings reset. Whoever owns the controller calls
// it once before the first load (the player, the tools, the benchmarks, the
// fuzz targets and the tests that load packs); calling it again changes
// nothing, since a name keeps its first factory.
#pragma once

#include <memory>
#include <vector>

class QVModel;
class QVModelController;

struct QVModelClassFactory {
    const char* className;
    std::shared_ptr<QVModel> (*create)();
};

// Every class that has a create function, in the registry's order.
const std::vector<QVModelClassFactory>& modelClassFactories();

// Uses QVModelController::shared() when `controller` is null.
void registerModelClasses(QVModelController* controller = nullptr);
