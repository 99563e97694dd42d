#include "player/ui/QVPObjectText.h"

#include <cstdint>
#include <cstdio>
#include <locale>
#include <sstream>
#include <utility>

#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/core/QVModelController.h"
#include "player/app/QVPSettingsController.h"
#include "player/app/ScoreTable.h"
#include "player/ui/QVUiAnimation.h"

namespace {

std::string formatInt(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return text;
}

std::string formatCount(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return text;
}

// Wraps like the 32-bit sum it stands for, without overflowing.
int32_t wrappingSum(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

template <class T>
T chosenAmount(const ScoreCounter<T>& counter, const std::string& amount) {
    if (amount == "kScoreBest") return counter.best;
    if (amount == "kScoreTotal") return counter.total;
    return counter.current;
}

}  // namespace

QVPObjectText* QVPObjectText::create(std::shared_ptr<QVModelObjectLabel> model) {
    if (!model) return nullptr;
    auto* text = new QVPObjectText(std::move(model));
    text->autorelease();
    return text;
}

QVPObjectText::QVPObjectText(std::shared_ptr<QVModelObjectLabel> model)
    : QVPObject(model), m_labelModel(std::move(model)) {
    init();
    setTypeFlags(kTypeText);
    if (!m_labelModel) return;
    if (cocos2d::CCLabelBMFont* node = m_labelModel->createLabel()) {
        addChild(node, m_labelModel->zDepth(), kLabelTag);
        node->release();
    }
}

QVPObjectText::~QVPObjectText() = default;

cocos2d::CCLabelBMFont* QVPObjectText::label() {
    return dynamic_cast<cocos2d::CCLabelBMFont*>(getChildByTag(kLabelTag));
}

void QVPObjectText::update(float dt) {
    if (!m_labelModel) return;
    const QVModelObjectLabel& model = *m_labelModel;
    m_elapsed += dt;
    if (qvui::autohideDue(this, model.autohide(), m_fadedOut, m_elapsed)) {
        qvui::fadeOutChildren(this, qvui::Fade::kToZero);
        m_fadedOut = true;
    }
    cocos2d::CCLabelBMFont* node = label();
    if (!node) return;
    qvui::placeFromModel(node, model, m_elapsed, m_animationState, model.stickToEdge());
    if (!m_fadedOut) {
        node->setOpacity(qvui::opacityByte(model.opacity(m_elapsed, m_animationState) * m_animationSpeed));
    }
    std::string text;
    if (liveText(text)) node->setString(text);
}

bool QVPObjectText::liveText(std::string& text) const {
    const std::string& action = m_labelModel->action();
    if (action == "kScoreVector") {
        text = scoreText();
    } else if (action == "kLoadingCounter") {
        text = formatInt(QVModelController::shared()->loadingPercent());
    } else if (action == "kUnlockedCharactersCount" || action == "kAllCharactersCount") {
        // Counted over the character models: the settings map holds only
        // the characters touched so far.
        const auto characters = QVModelController::shared()->getModels<QVModelAssetCharacter>();
        unsigned count = static_cast<unsigned>(characters.size());
        if (action == "kUnlockedCharactersCount") {
            const QVPSettingsController* settings = QVPSettingsController::shared();
            count = 0;
            for (uint32_t i = 0; i < characters.size(); ++i) {
                if (settings->isCharacterUnlocked(i)) ++count;
            }
        }
        text = formatCount(count);
    } else {
        return false;
    }
    return true;
}

std::string QVPObjectText::scoreText() const {
    const QVModelObjectLabel& model = *m_labelModel;
    const std::string& world = model.world();
    const std::string& type = model.scoreType();
    const std::string& amount = model.amount();
    const bool global = world == "kGlobal";
    const bool sessionSum = global && amount != "kScoreBest" && amount != "kScoreTotal";

    // A snapshot; a world without a record reads as zeros and gets none.
    ScoreRecord record;
    if (world == "kCurrentWorld") {
        record = currentScoreRecord();
    } else if (global) {
        record = scoreRecord("");
    } else if (const ScoreRecord* found = findScoreRecord(world)) {
        record = *found;
    }

    if (type == "kScoreDistance") {
        const float value = sessionSum ? sessionDistance() : chosenAmount(record.distance, amount);
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out.setf(std::ios::fixed, std::ios::floatfield);
        out.precision(0);
        out << static_cast<float>(model.scoreModifier()) + value;
        return out.str();
    }
    int32_t value = 0;
    if (type == "kScorePoints") {
        value = sessionSum ? sessionPoints() : chosenAmount(record.points, amount);
    } else {
        value = sessionSum ? sessionCoins() : chosenAmount(record.coins, amount);
    }
    return formatInt(wrappingSum(model.scoreModifier(), value));
}
