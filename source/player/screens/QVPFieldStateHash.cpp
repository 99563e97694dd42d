#include "player/screens/QVPFieldStateHash.h"

#include <cstring>

#include "base/CCArray.h"
#include "model/classes/QVModelComponents.h"
#include "physics/PhysicsGuard.h"
#include "player/app/QVPInputController.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVPObject.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPGameFieldSettings.h"
#include "player/screens/QVPScreenScene.h"

namespace {

class Fnv1a {
public:
    void bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            m_hash ^= p[i];
            m_hash *= 0x100000001b3ULL;
        }
    }
    void i32(int32_t v) { bytes(&v, sizeof v); }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        bytes(&bits, sizeof bits);
    }
    void flag(bool v) {
        const unsigned char b = v ? 1 : 0;
        bytes(&b, 1);
    }
    uint64_t value() const { return m_hash; }

private:
    uint64_t m_hash = 0xcbf29ce484222325ULL;
};

}  // namespace

uint64_t fieldStateHash(const QVPScreenScene& scene) {
    Fnv1a h;
    QVPGameFieldCamera* camera = scene.getGameFieldCamera();
    if (camera) {
        cocos2d::CCArray* children = camera->getChildren();
        for (unsigned int i = 0; children && i < children->count(); ++i) {
            auto* object = dynamic_cast<QVPObject*>(static_cast<cocos2d::CCNode*>(children->objectAtIndex(i)));
            if (!object) continue;
            h.i32(object->getTag());
            h.i32(static_cast<int32_t>(object->typeFlags()));
            h.i32(object->getState());
            h.f32(object->getPositionX());
            h.f32(object->getPositionY());
            h.f32(object->getRotation());
            if (b2Body* body = object->getBody()) {
                h.f32(body->GetPosition().x);
                h.f32(body->GetPosition().y);
                h.f32(body->GetAngle());
                h.f32(body->GetLinearVelocity().x);
                h.f32(body->GetLinearVelocity().y);
                h.f32(body->GetAngularVelocity());
            }
        }
        h.f32(camera->getPositionX());
        h.f32(camera->getPositionY());
    } else {
        h.f32(0.0f);
        h.f32(0.0f);
    }
    h.f32(QVPGameFieldSettings::shared()->gameSpeed());
    h.f32(scene.getNextSectionStart());
    h.f32(scene.getScrolledDistance());
    h.f32(scene.getLastDistance());
    const ScoreRecord& record = currentScoreRecord();
    h.f32(record.distance.current);
    h.i32(record.points.current);
    h.i32(record.coins.current);
    h.flag(scene.isGameOver());
    h.flag(scene.isPaused());
    QVPInputController* input = scene.getInputController();
    auto health = input ? input->characterHealth() : nullptr;
    h.i32(health ? health->livesLeft() : -1);
    return h.value();
}
