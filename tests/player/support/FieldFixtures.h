// Fixture worlds for tests, field_probe and the benchmark (never the player):
// small stand-ins for the unit and character rows of the object factory,
// installed for the lifetime of a FieldFixtures, and model builders in code.
#pragma once

#include <memory>
#include <string>

#include "math/CCGeometry.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/objects/QVPObjectFactory.h"

class QVModelAssetCharacter;
class QVModelAssetObstacle;
class QVModelLevelSection;
class QVModelObjectAssetCharacter;
class QVModelObjectAssetUnit;
class QVModelPolygon;
class QVModelScreenScene;
class QVModelSpriteContainer;

namespace fieldfixtures {

// The unit row: collision, destroy and object type from the unit model;
// "kMovementPhysics" turns the static base body dynamic.
class FixtureBody : public QVPObjectAsset {
public:
    explicit FixtureBody(std::shared_ptr<QVModelObject> model);
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void createBody(b2World* world, bool skipStill) override;

private:
    bool m_physics = false;
};

// The character row: a dynamic body with fixed rotation and the character
// filter, driven at 8 m/s along the direction, jumping at 6 m/s from rest;
// a dying character finishes at the next update.
class FixtureCharacter : public QVPObjectAssetCharacter {
public:
    explicit FixtureCharacter(std::shared_ptr<QVModelObject> model);
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    void createBody(b2World* world, bool skipStill) override;
    void update(float dt) override;
    void setState(int32_t state) override;
    void setDirection(float x, float y) override;
    void jump() override;

    const cocos2d::CCPoint& direction() const { return m_direction; }

private:
    cocos2d::CCPoint m_direction;
};

// Installs both builders; puts back the previous ones when it ends.
class FieldFixtures {
public:
    FieldFixtures();
    ~FieldFixtures();
    FieldFixtures(const FieldFixtures&) = delete;
    FieldFixtures& operator=(const FieldFixtures&) = delete;

private:
    QVPObjectBuilder m_unit;
    QVPObjectBuilder m_character;
};

// Model builders; every model is registered with the model controller, as a
// loaded game's are.
std::shared_ptr<QVModelPolygon> boxPolygon(float width, float height);
std::shared_ptr<QVModelAssetObstacle> obstacleAsset(const std::string& name, float width, float height);
std::shared_ptr<QVModelAssetCharacter> characterAsset(const std::string& name, float width, float height);
// "Movement Type" "kMovementPhysics" when `physics`, else "kMovementLinear".
std::shared_ptr<QVModelObjectAssetUnit> unitPlacement(const std::shared_ptr<QVModelAssetObstacle>& asset,
                                                      const cocos2d::CCPoint& position, bool physics = false,
                                                      const std::string& collisionType = "kCharacterCollision");
std::shared_ptr<QVModelObjectAssetCharacter> characterPlacement(const std::shared_ptr<QVModelAssetCharacter>& asset,
                                                                const cocos2d::CCPoint& position);
// A world with that "Key".
std::shared_ptr<QVModelScreenScene> world(const std::string& key);
// A section of `world` (when given) with that "Width".
std::shared_ptr<QVModelLevelSection> section(const std::shared_ptr<QVModelScreenScene>& world, const std::string& name,
                                             float width, bool initSection = false);

// ---- Units (the unit object's tests)
// An obstacle asset showing `container` as its idle animation, with a
// width x height collision box.
std::shared_ptr<QVModelAssetObstacle> unitAsset(const std::string& name,
                                                const std::shared_ptr<QVModelSpriteContainer>& container, float width,
                                                float height);
// A one-way platform: the asset's collision shape lets objects through
// from the side opposite `vector`.
void unitOneWay(const std::shared_ptr<QVModelAssetObstacle>& asset, const cocos2d::CCPoint& vector);
// A still enemy: "kEnemyObjectType", "kDestroyCollision", "kCharacterCollision".
std::shared_ptr<QVModelObjectAssetUnit> unitEnemy(const std::shared_ptr<QVModelAssetObstacle>& asset,
                                                  const cocos2d::CCPoint& position);
// Attaches a wake-up component with these values.
void unitWakeup(const std::shared_ptr<QVModelObjectAssetUnit>& unit, const std::string& wakeUp, float wakeupDistance,
                const std::string& sleep = "kNoSleep", float sleepDistance = 0.0f);
// Attaches a spawner with that "Spawn Action" and "Spawn Rate".
void unitSpawner(const std::shared_ptr<QVModelObjectAssetUnit>& unit, const std::string& action, float rate);

}  // namespace fieldfixtures
