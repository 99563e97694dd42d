#include "model/classes/QVModelFont.h"

#include "label/CCLabelBMFont.h"
#include "model/classes/QVModelMediaPath.h"

using namespace cocos2d;

QVBaseModelFont::QVBaseModelFont(const std::string& name) : QVModel(name) {}

QVBaseModelFont::QVBaseModelFont(const QVBaseModelFont& source) : QVModel(source) {}

std::string QVBaseModelFont::filePath() const { return qvMediaPath("/fonts/QVModelFont_ID", id(), ".fnt"); }

QVModelFont::QVModelFont(const std::string& name) : QVBaseModelFont(name) {}

QVModelFont::QVModelFont(const QVModelFont& source) : QVBaseModelFont(source) {}

CCLabelBMFont* QVModelFont::createLabel() const {
    auto* label = new CCLabelBMFont();
    if (!label->initWithString("0", filePath().c_str(), -1, kCCTextAlignmentLeft, CCPointZero)) {
        delete label;
        return nullptr;
    }
    label->setAlignment(kCCTextAlignmentLeft);
    label->setAnchorPoint(CCPoint(0.0f, 0.5f));
    return label;
}
