// QVModelFont: a bitmap font of the game, named by its id.
#pragma once

#include <string>

#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

namespace cocos2d {
class CCLabelBMFont;
}  // namespace cocos2d

class QVBaseModelFont : public QVModel {
public:
    // data path + "/fonts/QVModelFont_ID<id>.fnt".
    virtual std::string filePath() const;

protected:
    explicit QVBaseModelFont(const std::string& name);
    QVBaseModelFont(const QVBaseModelFont& source);
};

class QVModelFont : public QVBaseModelFont {
    QV_MODEL_GLUE(QVModelFont, "Default Font", QVModel)
public:
    explicit QVModelFont(const std::string& name);
    QVModelFont(const QVModelFont& source);

    // A new label showing "0", left aligned, anchored at (0, 0.5); owned by
    // the caller (not autoreleased). Null when the font cannot be read.
    cocos2d::CCLabelBMFont* createLabel() const;
};
