#include "model/classes/QVModelObjectLabel.h"

#include "model/classes/QVModelFont.h"
#include "model/classes/QVModelLevelSection.h"
#include "model/classes/QVNeutralRead.h"
#include "model/core/QVModelController.h"
#include "model/core/QVNumeric.h"
#include "player/screens/ScreenManager.h"

using cocos2d::CCLabelBMFont;
using cocos2d::CCPoint;
using cocos2d::CCSize;
using cocos2d::CCTextAlignment;

QVBaseModelObjectLabel::QVBaseModelObjectLabel(const std::string& name)
    : QVModelObject(name) QV_OBJECT_LABEL_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_calculatedSize->setValue(CCSize(100.0f, 100.0f), true);
}

QVBaseModelObjectLabel::QVBaseModelObjectLabel(const QVBaseModelObjectLabel& source)
    : QVModelObject(source) QV_OBJECT_LABEL_ATTRIBUTES(QV_ATTRIBUTE_COPY) {}

const std::string& QVBaseModelObjectLabel::action() const { return qvread::text(m_action); }
const std::string& QVBaseModelObjectLabel::world() const { return qvread::text(m_world); }
const std::string& QVBaseModelObjectLabel::scoreType() const { return qvread::text(m_scoreType); }
const std::string& QVBaseModelObjectLabel::amount() const { return qvread::text(m_amount); }
int32_t QVBaseModelObjectLabel::scoreModifier() const { return qvread::value(m_scoreModifier); }
const std::string& QVBaseModelObjectLabel::text() const { return qvread::text(m_text); }
float QVBaseModelObjectLabel::autohide() const { return qvread::value(m_autohide); }
bool QVBaseModelObjectLabel::stickToEdge() const { return qvread::value(m_stickToEdge); }

std::string QVBaseModelObjectLabel::alignment() const {
    if (action() == "kCustomVector") return "kCCTextAlignmentCenter";
    return qvread::text(m_alignment);
}

CCTextAlignment QVBaseModelObjectLabel::textAlignment() const {
    const std::string chosen = alignment();
    if (chosen == "kCCTextAlignmentLeft") return cocos2d::kCCTextAlignmentLeft;
    if (chosen == "kCCTextAlignmentRight") return cocos2d::kCCTextAlignmentRight;
    return cocos2d::kCCTextAlignmentCenter;
}

int32_t QVBaseModelObjectLabel::fontId() const { return parseDecimal<int32_t>(qvread::text(m_font)); }

CCLabelBMFont* QVBaseModelObjectLabel::createLabel() const {
    QVModelController* controller = QVModelController::shared();
    const std::shared_ptr<QVModelFont> font = controller->getModel<QVModelFont>(static_cast<uint32_t>(fontId()));
    CCLabelBMFont* label = font ? font->createLabel() : nullptr;
    if (!label) return nullptr;
    switch (textAlignment()) {
        case cocos2d::kCCTextAlignmentLeft:
            label->setAnchorPoint(CCPoint(0.0f, 0.5f));
            break;
        case cocos2d::kCCTextAlignmentRight:
            label->setAnchorPoint(CCPoint(1.0f, 0.5f));
            break;
        default:
            label->setAnchorPoint(CCPoint(0.5f, 0.5f));
            break;
    }
    label->setTracking(truncToInt(qvread::value(m_tracking)));
    if (action() == "kCustomVector") {
        label->setString(qvread::text(m_text));
    } else if (action() == "kStartSceneName") {
        const uint32_t sectionId = ScreenManager::shared()->getStartSectionId();
        const std::shared_ptr<QVModelLevelSection> section =
            sectionId != 0 ? controller->getModel<QVModelLevelSection>(sectionId) : nullptr;
        if (section) label->setString(section->name());
    }
    return label;
}

CCSize QVBaseModelObjectLabel::placeholderSize(float) const { return qvread::value(m_calculatedSize); }

QVModelObjectLabel::QVModelObjectLabel(const std::string& name) : QVBaseModelObjectLabel(name) {}

QVModelObjectLabel::QVModelObjectLabel(const QVModelObjectLabel& source) : QVBaseModelObjectLabel(source) {}
