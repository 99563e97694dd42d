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

class QVModelAnimation;
class QVModelAsset;
class QVModelAssetCharacter;
class QVModelAssetObstacle;
class QVModelAssetPowerup;
class QVModelComponentCharacterGameplaySettings;
class QVModelLevelSection;
class QVModelObjectBackground;
class QVModelObjectFlag;
class QVModelObjectTrail;
class QVModelObjectAssetCharacter;
class QVModelObjectAssetPowerup;
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

    // The plain asset object's rules, not the real character's.
    void createBody(b2World* world, bool skipStill) override;
    void update(float dt) override;
    void setState(int32_t state) override;
    void setVisible(bool visible) override;
    bool castsShadow() override { return false; }
    void setControllable(bool controllable) override;
    b2AABB getBodyAABB() override;
    void beginContact(QVPObject* other, b2Contact* contact, bool flag) override;
    void preSolve(QVPObject* other, b2Contact* contact, const b2Manifold* oldManifold) override;
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

// An animation of `frames` plain objects (each its own frame) lasting
// `duration` seconds.
std::shared_ptr<QVModelAnimation> framedAnimation(const std::string& name, unsigned frames, float duration = 1.0f);
// Links `animation` into the asset's animation attribute `attribute`
// ("Default Animation", "Bullet Animation", "Defeated Animation" ...).
void linkAnimation(const QVModelAsset& asset, const char* attribute,
                   const std::shared_ptr<QVModelAnimation>& animation);
// A gameplay-settings component added to the character asset; the runtime
// character applies it when it is built.
std::shared_ptr<QVModelComponentCharacterGameplaySettings> gameplaySettings(
    const std::shared_ptr<QVModelAssetCharacter>& asset);
// Powerups: a `size` x `size` collision box, "Appearance Chance" 100, an idle
// animation built from `idle` (an empty one, without frames, when null),
// the given "Powerup Type" and "Duration".
std::shared_ptr<QVModelAssetPowerup> powerupAsset(const std::string& name, const std::string& type, float duration,
                                                  float size = 40.0f,
                                                  const std::shared_ptr<QVModelSpriteContainer>& idle = nullptr);
std::shared_ptr<QVModelObjectAssetPowerup> powerupPlacement(const std::shared_ptr<QVModelAssetPowerup>& asset,
                                                            const cocos2d::CCPoint& position);
// A coin worth `coins` with "Show coin reward" on and "Duration" 0.
std::shared_ptr<QVModelObjectAssetPowerup> powerupCoin(const cocos2d::CCPoint& position, int coins = 5);
std::shared_ptr<QVModelObjectAssetPowerup> powerupMagnet(const cocos2d::CCPoint& position, float duration = 5.0f);
std::shared_ptr<QVModelObjectAssetPowerup> powerupInvincibility(const cocos2d::CCPoint& position,
                                                                float duration = 5.0f);

// ---- Background layers and ribbons
// A background placement showing `image`, a child of `world` when given.
std::shared_ptr<QVModelObjectBackground> backgroundPlacement(const std::shared_ptr<QVModelScreenScene>& world,
                                                             const std::shared_ptr<QVModelSpriteContainer>& image,
                                                             const cocos2d::CCPoint& position, float speed,
                                                             float tilingOffset = 0.0f);
// The ribbon attributes of a trail or a flag, without "Texture".
struct RibbonValues {
    float startWidth = 12.0f;
    float endWidth = 4.0f;
    float speed = 0.0f;
    float length = 200.0f;
    float waveHeight = 0.0f;
    float waveLength = 50.0f;
};
std::shared_ptr<QVModelObjectTrail> trailPlacement(const cocos2d::CCPoint& position, const RibbonValues& values);
std::shared_ptr<QVModelObjectFlag> flagPlacement(const cocos2d::CCPoint& position, const RibbonValues& values);

}  // namespace fieldfixtures
