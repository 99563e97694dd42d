// QVModelObjectLabel: a text object (score, loading counter, custom text,
// the start scene's name) drawn with a bitmap font.
#pragma once

#include <cstdint>
#include <string>

#include "label/CCLabelBMFont.h"
#include "model/classes/QVAttributeTable.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelGlue.h"

#define QV_OBJECT_LABEL_ATTRIBUTES(X)                  \
    X(QVAttributeStringList, action, "Action")         \
    X(QVAttributeStringList, world, "World")           \
    X(QVAttributeStringList, scoreType, "Score Type")  \
    X(QVAttributeStringList, amount, "Amount")         \
    X(QVAttributeInt, scoreModifier, "Score Modifier") \
    X(QVAttributeStringList, alignment, "Alignment")   \
    X(QVAttributeString, text, "Text")                 \
    X(QVAttributeStringList, font, "Font")             \
    X(QVAttributeFloat, tracking, "Tracking")          \
    X(QVAttributeBool, stickToEdge, "Stick To Edge")   \
    X(QVAttributeFloat, autohide, "Autohide")          \
    X(QVAttributeSize, calculatedSize, "Calculated Size")

class QVBaseModelObjectLabel : public QVModelObject {
public:
    const std::string& action() const;
    const std::string& world() const;
    const std::string& scoreType() const;
    const std::string& amount() const;
    int32_t scoreModifier() const;
    const std::string& text() const;
    float autohide() const;
    bool stickToEdge() const;
    // A custom text is always centred.
    std::string alignment() const;
    // Left and right by name; anything else centres.
    cocos2d::CCTextAlignment textAlignment() const;
    // The decimal id in "Font", 0 when there is none.
    int32_t fontId() const;
    // A new label of the font, anchored by the alignment, with the text the
    // model fixes; the caller owns it. Null without a usable font.
    cocos2d::CCLabelBMFont* createLabel() const;
    // "Calculated Size".
    cocos2d::CCSize placeholderSize(float time) const override;

protected:
    explicit QVBaseModelObjectLabel(const std::string& name);
    QVBaseModelObjectLabel(const QVBaseModelObjectLabel& source);

    QV_OBJECT_LABEL_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVModelObjectLabel : public QVBaseModelObjectLabel {
    QV_MODEL_GLUE(QVModelObjectLabel, "Untitled", QVModelObject, QVModelCompound, QVModel)
public:
    explicit QVModelObjectLabel(const std::string& name);
    QVModelObjectLabel(const QVModelObjectLabel& source);
};
