#include "player/ui/QVPObjectEventObserver.h"

#include <cstdint>
#include <string>
#include <utility>

#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVModelUIObjects.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/QVServices.h"
#include "player/app/ScoreTable.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/QVPScreenUi.h"
#include "player/screens/ScreenManager.h"

namespace {

enum class Counter { kDistance, kPoints, kCoins };
enum class Reading { kCurrent, kTotal, kBest };

struct ScoreLimit {
    const char* type;
    Counter counter;
    Reading reading;
    const char* what;  // in the log line
};

const ScoreLimit kScoreLimits[] = {
    {"kScoreSessionDistance", Counter::kDistance, Reading::kCurrent, "session distance"},
    {"kScoreSessionPoints", Counter::kPoints, Reading::kCurrent, "session points"},
    {"kScoreSessionCoins", Counter::kCoins, Reading::kCurrent, "session coins"},
    {"kScoreTotalDistance", Counter::kDistance, Reading::kTotal, "total distance"},
    {"kScoreTotalPoints", Counter::kPoints, Reading::kTotal, "total points"},
    {"kScoreTotalCoins", Counter::kCoins, Reading::kTotal, "total coins"},
    {"kScoreBestDistance", Counter::kDistance, Reading::kBest, "best distance"},
    {"kScoreBestPoints", Counter::kPoints, Reading::kBest, "best points"},
    {"kScoreBestCoins", Counter::kCoins, Reading::kBest, "best coins"},
};

template <class T>
float read(const ScoreCounter<T>& counter, Reading reading) {
    switch (reading) {
        case Reading::kCurrent:
            return static_cast<float>(counter.current);
        case Reading::kTotal:
            return static_cast<float>(counter.total);
        case Reading::kBest:
            return static_cast<float>(counter.best);
    }
    return 0.0f;
}

// Coins are the game's, distance and points the current world's; a record
// that does not exist yet reads 0 and is not made by looking.
float scoreValue(const ScoreLimit& limit) {
    const ScoreRecord* record =
        findScoreRecord(limit.counter == Counter::kCoins ? std::string() : ScreenManager::shared()->getSceneName());
    if (!record) return 0.0f;
    switch (limit.counter) {
        case Counter::kDistance:
            return read(record->distance, limit.reading);
        case Counter::kPoints:
            return read(record->points, limit.reading);
        case Counter::kCoins:
            return read(record->coins, limit.reading);
    }
    return 0.0f;
}

// The start section is the last, in load order, of the sections that share
// its parent.
bool startsInLastSection() {
    const uint32_t id = ScreenManager::shared()->getStartSectionId();
    if (id == 0) return false;
    QVModelController* controller = QVModelController::shared();
    const auto section = modelCast<QVModelLevelSection>(controller->getModel(id));
    const std::shared_ptr<QVModel> parent = section ? section->parent() : nullptr;
    if (!parent) return false;
    uint32_t last = 0;
    for (const auto& sibling : controller->getModels<QVModelLevelSection>()) {
        const std::shared_ptr<QVModel> itsParent = sibling->parent();
        if (itsParent && itsParent->id() == parent->id()) last = sibling->id();
    }
    return last == id;
}

}  // namespace

QVPObjectEventObserver* QVPObjectEventObserver::create(std::shared_ptr<QVModelObjectEventObserver> model) {
    auto* observer = new QVPObjectEventObserver();
    observer->init();
    observer->autorelease();
    observer->setModel(std::move(model));
    return observer;
}

void QVPObjectEventObserver::setModel(std::shared_ptr<QVModelObjectEventObserver> model) {
    m_model = std::move(model);
    // Exact for every unsigned value before the division.
    m_timeLeft = m_model ? static_cast<float>(static_cast<double>(m_model->time()) / 1000.0) : 0.0f;
}

void QVPObjectEventObserver::update(float dt) {
    if (!m_model) return;
    auto* ui = dynamic_cast<QVPScreenUi*>(ScreenManager::shared()->getCurrentUi());
    if (!ui) return;
    const std::string& type = m_model->eventType();
    const bool counted = (type == "kSecondPlay" || type == "kRequestReview") && m_armed;
    // Taken now: the open below may release this observer and its screen.
    const std::string playedKey = counted ? ui->key() : std::string();
    if (occurred(*ui, dt)) {
        open(*ui, QVPScreenUi::pendingFlagsFor(m_model->function()), m_model->pauseCurrentWorld() ? 0 : 1,
             m_model->eventType() == "kGameOver" ? 0 : 1);
    }
    if (counted) QVPSettingsController::shared()->incrementScreenPlayed(playedKey);
}

void QVPObjectEventObserver::open(QVPScreenUi& ui, int pendingFlags, int hudMode, int keepScores) {
    const std::shared_ptr<QVModelObjectEventObserver> model = m_model;
    ui.openConnection(model->name(), 0, pendingFlags, hudMode, keepScores);
}

bool QVPObjectEventObserver::occurred(const QVPScreenUi& ui, float dt) {
    const std::string& type = m_model->eventType();
    if (type == "kGameOver") {
        const QVPScreenScene* scene = ScreenManager::shared()->getGameScene();
        if (!scene || !scene->isGameOver()) return false;
        logMessage("[QVPObjectEventObserver] Got Game OVER in observer");
        return true;
    }
    if (type == "kTimeout") {
        m_timeLeft -= dt;
        return m_timeLeft <= 0.0f;
    }
    if (type == "kSecondPlay" || type == "kRequestReview" || type == "kLastScene") {
        if (!m_armed) return false;
        m_armed = false;
        if (type != "kLastScene") return judgePlays(ui, type == "kSecondPlay");
        if (!startsInLastSection()) return false;
        logMessage("[QVPObjectEventObserver] Got \"Last Scene\" event in observer");
        return true;
    }
    for (const ScoreLimit& limit : kScoreLimits) {
        if (type != limit.type) continue;
        if (!(scoreValue(limit) >= static_cast<float>(truncToInt(m_model->limitNumber())))) return false;
        logMessage("[QVPObjectEventObserver] an event observer got %s limit", limit.what);
        return true;
    }
    return false;
}

bool QVPObjectEventObserver::judgePlays(const QVPScreenUi& ui, bool secondPlay) const {
    const int64_t count = QVPSettingsController::shared()->screenPlayedCount(ui.key());
    const float plays = m_model->playsBeforeRedirect();
    const int64_t every = truncToInt(plays);
    if (secondPlay) return every <= count;
    // 64 bits: a stored count of INT_MIN modulo -1 would trap in 32.
    if (every != 0 && count % every == truncToInt(plays - 1.0f)) QVServices::shared()->requestReview();
    return false;
}
