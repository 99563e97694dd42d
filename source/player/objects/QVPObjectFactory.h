// The object factory's table: which runtime class QVPObjectAsset::create
// builds for each object model class. registerObjectClasses fills every row;
// for a row without a builder (one a test took out) create logs
// "[QVPObjectAsset] no builder installed for %s" once per class name and
// gives null, and the caller skips the model.
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

// nullptr takes the row's builder out. The instance row ignores its builder.
void setObjectBuilder(QVPObjectRow row, QVPObjectBuilder builder);
QVPObjectBuilder objectBuilder(QVPObjectRow row);
