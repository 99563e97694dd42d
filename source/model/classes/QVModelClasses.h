// The model classes as the controller's factory registry sees them.
// registerModelClasses attaches the create function of every model class that
// exists to the registry, under its class name. Call it once at start-up
// (the player, the tools and the tests that load packs do); calling it again
// changes nothing, since a name keeps its first factory.
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
