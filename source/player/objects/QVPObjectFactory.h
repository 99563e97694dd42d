// The object factory's table: which runtime class QVPObjectAsset::create
// builds for each object model class. A row without a builder is not built
// yet: create logs "[QVPObjectAsset] no runtime class for %s yet" once per
// class name and gives null, and the caller skips the model.
//
// Guarantees: create autoreleases the object it returns exactly once (a
// builder hands over a new object with reference count 1); rows are tested
// by exact model class, in row order; a constructed character joins the
// input controller's characters.
#pragma once

#include <memory>

class QVModelObject;
class QVPObjectAsset;

// In the factory's order.
enum class QVPObjectRow {
    Instance = 1,
    Unit,
    Character,
    Powerup,
    Light,
    Logic,
    Trail,
    Flag,
    Path,
    Teleport,
    Gatekeeper,
    Mirror,
    Particles,
    ScreenJump
};

// Returns a new object (reference count 1, not autoreleased), or null.
using QVPObjectBuilder = QVPObjectAsset* (*)(const std::shared_ptr<QVModelObject>&);

// nullptr: the row is not built. The instance row ignores its builder.
void setObjectBuilder(QVPObjectRow row, QVPObjectBuilder builder);
QVPObjectBuilder objectBuilder(QVPObjectRow row);
