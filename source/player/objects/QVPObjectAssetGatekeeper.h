// QVPObjectAssetGatekeeper and QVPObjectAssetScreenJump: two sensors placed
// in a level. The gatekeeper counts the character's touches and finishes the
// character once the count passes "Passed Amount"; the screen jump, touched
// by a living character, asks the running game scene to switch to the
// screen linked under the model's name.
//
// Guarantees: the contact hooks only count and set pending states; the
// jump itself runs from the next update, outside the world step.
#pragma once

#include <cstdint>
#include <memory>

#include "player/objects/QVPObjectAsset.h"

class QVPObjectAssetGatekeeper : public QVPObjectAsset {
public:
    explicit QVPObjectAssetGatekeeper(std::shared_ptr<QVModelObject> model);

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    int32_t passed() const { return m_passed; }

    void createBody(b2World* world, bool skipStill) override;
    // Counts characters; the contact callbacks are not run.
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;

private:
    int32_t m_passed = 0;
};

class QVPObjectAssetScreenJump : public QVPObjectAsset {
public:
    // Pending actions handed to the scene the jump opens.
    static constexpr int kStartKeepScores = 2;
    static constexpr int kStartCheckpointJump = 0;
    static constexpr int kStartOther = 6;

    explicit QVPObjectAssetScreenJump(std::shared_ptr<QVModelObject> model);

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void createBody(b2World* world, bool skipStill) override;
    // A living character sets the pending state 1; the contact callbacks are
    // not run.
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;
    // State 1 requests the jump and sets the pending state 0.
    void setState(int32_t state) override;
};
