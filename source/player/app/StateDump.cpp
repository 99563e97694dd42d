#include "player/app/StateDump.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "base/CCArray.h"
#include "director/CCDirector.h"
#include "director/EngineHooks.h"
#include "model/classes/QVModelComponents.h"
#include "model/classes/QVModelObject.h"
#include "physics/PhysicsGuard.h"
#include "platform/QVLog.h"
#include "player/app/QVPInputController.h"
#include "player/app/ScoreTable.h"
#include "player/objects/QVFieldUnits.h"
#include "player/objects/QVPAnimationObject.h"
#include "player/objects/QVPObjectAssetCharacter.h"
#include "player/screens/QVPFieldStateHash.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "view/Screenshot.h"

namespace statedump {

namespace {

std::vector<Request> g_requests;
int g_hook = 0;

void appendf(std::string* out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string* out, const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0) out->append(line, static_cast<size_t>(std::min<int>(n, sizeof line - 1)));
}

// "%.3f" without a minus on a value that prints as zero, so a sign that
// flickers below the printed precision does not make two dumps differ.
double shown(float value) {
    const double v = static_cast<double>(value);
    return std::fabs(v) < 0.0005 ? 0.0 : v;
}

template <class T>
void counterLine(std::string* out, const char* what, const char* which, const ScoreCounter<T>& counter);

template <>
void counterLine(std::string* out, const char* what, const char* which, const ScoreCounter<int32_t>& counter) {
    appendf(out, "%s %s %d %d %d\n", what, which, counter.current, counter.best, counter.total);
}

template <>
void counterLine(std::string* out, const char* what, const char* which, const ScoreCounter<float>& counter) {
    appendf(out, "%s %s %.3f %.3f %.3f\n", what, which, shown(counter.current), shown(counter.best),
            shown(counter.total));
}

void characterLine(std::string* out, unsigned int index, QVPObjectAssetCharacter* character) {
    const cocos2d::CCPoint pos = character->positionInGameLayer();
    float vx = 0.0f;
    float vy = 0.0f;
    if (b2Body* body = character->getBody()) {
        vx = body->GetLinearVelocity().x / kMetresPerPoint;
        vy = body->GetLinearVelocity().y / kMetresPerPoint;
    }
    appendf(out, "character %u state %d bits 0x%08x ground %d invincible %d pos %.3f %.3f vel %.3f %.3f\n", index,
            static_cast<int>(character->getState()), static_cast<unsigned int>(character->controlBits()),
            character->isOnGround() ? 1 : 0, character->isInvincible() ? 1 : 0, shown(pos.x), shown(pos.y), shown(vx),
            shown(vy));
}

void objectsLine(std::string* out, const QVPScreenScene& scene) {
    int units = 0;
    int powerups = 0;
    int copies = 0;
    if (QVPGameFieldCamera* camera = scene.getGameFieldCamera()) {
        cocos2d::CCArray* children = camera->getChildren();
        for (unsigned int i = 0; children && i < children->count(); ++i) {
            auto* object = dynamic_cast<QVPObject*>(static_cast<cocos2d::CCNode*>(children->objectAtIndex(i)));
            if (!object) continue;
            const uint32_t flags = object->typeFlags();
            if ((flags & QVPObject::kTypeUnit) && !(flags & QVPObject::kTypeSpawned)) ++units;
            if ((flags & QVPObject::kTypePowerup) && object->getState() >= 0 && object->getState() <= 1) ++powerups;
            if (flags & QVPObject::kTypeSpawned) ++copies;
        }
    }
    const int bodies = scene.getWorld() ? scene.getWorld()->GetBodyCount() : 0;
    appendf(out, "objects units %d powerups %d copies %d bodies %d\n", units, powerups, copies, bodies);
}

// One line per placed unit: where its body is, how it turns and where its
// picture is drawn (an iso-jump lifts the picture, not the body).
void unitLines(std::string* out, const QVPScreenScene& scene) {
    QVPGameFieldCamera* camera = scene.getGameFieldCamera();
    cocos2d::CCArray* children = camera ? camera->getChildren() : nullptr;
    for (unsigned int i = 0; children && i < children->count(); ++i) {
        auto* unit = dynamic_cast<QVPObjectAsset*>(static_cast<cocos2d::CCNode*>(children->objectAtIndex(i)));
        if (!unit || !(unit->typeFlags() & QVPObject::kTypeUnit) || (unit->typeFlags() & QVPObject::kTypeSpawned)) {
            continue;
        }
        const std::shared_ptr<QVModelObject> model = unit->getModel();
        cocos2d::CCPoint pos = unit->getPosition();
        float angle = unit->getRotation();
        float vx = 0.0f;
        float vy = 0.0f;
        if (b2Body* body = unit->getBody()) {
            pos = cocos2d::CCPoint(body->GetPosition().x / kMetresPerPoint, body->GetPosition().y / kMetresPerPoint);
            angle = -body->GetAngle() / kDegreesToRadians;
            vx = body->GetLinearVelocity().x / kMetresPerPoint;
            vy = body->GetLinearVelocity().y / kMetresPerPoint;
        }
        QVPAnimationObject* drawn = unit->currentAnimation();
        const cocos2d::CCPoint picture = drawn ? drawn->getPosition() : cocos2d::CCPoint(0.0f, 0.0f);
        appendf(out, "unit %u state %d pos %.3f %.3f angle %.3f vel %.3f %.3f picture %.3f %.3f\n",
                model ? model->id() : 0u, static_cast<int>(unit->getState()), shown(pos.x), shown(pos.y), shown(angle),
                shown(vx), shown(vy), shown(picture.x), shown(picture.y));
    }
}

void write(unsigned int frame) {
    for (const Request& request : g_requests) {
        if (request.frame != frame) continue;
        const std::string dump = text(frame, ScreenManager::shared()->getGameScene());
        std::string error;
        if (!cocos2d::writeWholeFile(request.path, dump.data(), dump.size(), &error)) {
            // As a missing screenshot: the check reading it must not pass.
            logMessage("[StateDump] frame %u: %s", frame, error.c_str());
            logNotice("QVP_STATE_DUMP: %s", error.c_str());
            cocos2d::markRunHookFailed();
        }
    }
}

}  // namespace

bool parse(const std::string& value, std::vector<Request>* requests, std::string* error) {
    std::vector<cocos2d::ScreenshotRequest> parsed;
    requests->clear();
    if (!cocos2d::parseScreenshotSpec(value, &parsed, error, "dumps")) return false;
    for (const auto& item : parsed) requests->push_back(Request{item.frame, item.path});
    return true;
}

std::string text(unsigned int frame, const QVPScreenScene* scene) {
    std::string out;
    appendf(&out, "frame %u\n", frame);
    if (!scene) {
        out += "world none\nhash 0000000000000000\n";
        return out;
    }
    QVPInputController* input = scene->getInputController();
    const auto health = input ? input->characterHealth() : nullptr;
    const std::string& key = ScreenManager::shared()->getSceneName();
    appendf(&out, "world gameover %d paused %d countdown %.3f lives %d key ", scene->isGameOver() ? 1 : 0,
            scene->isPaused() ? 1 : 0, shown(scene->getGameOverDelay()), health ? health->livesLeft() : -1);
    out += key + "\n";

    cocos2d::CCArray* characters = input ? input->getCharacters() : nullptr;
    for (unsigned int i = 0; characters && i < characters->count(); ++i) {
        characterLine(&out, i, static_cast<QVPObjectAssetCharacter*>(characters->objectAtIndex(i)));
    }

    static const ScoreRecord kNone;
    const ScoreRecord* global = findScoreRecord("");
    const ScoreRecord* world = findScoreRecord(key);
    const ScoreRecord& g = global ? *global : kNone;
    const ScoreRecord& w = world ? *world : kNone;
    counterLine(&out, "coins", "global", g.coins);
    counterLine(&out, "coins", "world", w.coins);
    counterLine(&out, "points", "global", g.points);
    counterLine(&out, "points", "world", w.points);
    counterLine(&out, "distance", "global", g.distance);
    counterLine(&out, "distance", "world", w.distance);
    objectsLine(&out, *scene);
    unitLines(&out, *scene);
    appendf(&out, "hash %016" PRIx64 "\n", fieldStateHash(*scene));
    return out;
}

bool installFromEnvironment() {
    uninstall();
    const char* value = std::getenv("QVP_STATE_DUMP");
    if (!value || !*value) return true;
    std::string error;
    std::vector<Request> requests;
    if (!parse(value, &requests, &error)) {
        const std::string shown = cocos2d::quotedHookValue(value);
        std::fprintf(stderr, "qvplayer: QVP_STATE_DUMP=%s: %s\n", shown.c_str(), error.c_str());
        std::fflush(stderr);
        logMessage("qvplayer: QVP_STATE_DUMP=%s: %s", shown.c_str(), error.c_str());
        return false;
    }
    g_requests = std::move(requests);
    g_hook = cocos2d::CCDirector::sharedDirector()->addFrameHook(write);
    return true;
}

void uninstall() {
    if (g_hook) cocos2d::CCDirector::sharedDirector()->removeFrameHook(g_hook);
    g_hook = 0;
    g_requests.clear();
}

}  // namespace statedump
