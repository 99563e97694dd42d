// QVPObjectAssetLogic: an invisible sensor that changes the units placed from
// one obstacle asset when they touch it: velocities at once, position and
// rotation through the unit's one-shot modifiers, scale on the node only.
//
// Guarantees:
//  - the contact hook sets velocities (allowed while the world steps) and
//    stores modifiers; it never moves a body or changes a fixture;
//  - "kAdd" with 0 and "kMultiply" with 1 change nothing and make no
//    modifier call; an unknown operation changes nothing.
#pragma once

#include <memory>
#include <string>

#include "player/objects/QVPObjectAsset.h"

class QVPObjectAssetLogic : public QVPObjectAsset {
public:
    explicit QVPObjectAssetLogic(std::shared_ptr<QVModelObject> model);

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void createBody(b2World* world, bool skipStill) override;
    // Applies the modifiers; the contact callbacks are not run.
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;

    // Whether the operation with that modifier changes a value.
    static bool changes(const std::string& operation, float modifier);
    // `value` := the operation applied to `value` and `modifier`; false
    // (and `value` kept) when that changes nothing.
    static bool applyOperation(const std::string& operation, float& value, float modifier);
};
