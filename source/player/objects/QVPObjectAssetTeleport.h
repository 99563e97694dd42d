// QVPObjectAssetTeleport: a sensor that captures a character touching it and
// hands it to the scene's transfer queue, which re-creates it at every other
// teleport of the same group within the search radius. A target stops
// capturing for good, so each group is a one-way route.
//
// Guarantees:
//  - one passenger is queued once: repeated triggers for the same capture
//    queue nothing and touch no target; a new capture queues again;
//  - the passenger and the teleport never point at each other once either
//    is finished or destroyed, in either order;
//  - the contact hook only records the passenger and a pending state.
#pragma once

#include <cstdint>
#include <memory>

#include "player/objects/QVPObjectAsset.h"

class QVModelObjectTeleport;

class QVPObjectAssetTeleport : public QVPObjectAsset {
public:
    explicit QVPObjectAssetTeleport(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetTeleport() override;

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    // "Group ID" as an integer; 0 without a teleport model.
    int32_t groupId() const;
    QVPObjectAsset* passenger() const { return m_passenger; }

    // Only re-triggers while a passenger is held.
    void update(float dt) override;
    void setState(int32_t state) override;
    void createBody(b2World* world, bool skipStill) override;
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;

private:
    std::shared_ptr<QVModelObjectTeleport> teleportModel() const;
    void onPassengerFinished();
    // Removes this teleport's callbacks from the passenger and forgets it.
    void dropPassenger();

    QVPObjectAsset* m_passenger = nullptr;
    bool m_transferQueued = false;
};
