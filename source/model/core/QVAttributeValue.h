// Value attributes: texts, choices, rectangles, sizes, points, colours and
// colour gradients.
// Guarantees: values read from packs are stored whole and unclamped (a string
// is not cut to maxLength); setters and dictionary readers cut or clamp; the
// point keeps one curve map per axis and owns its curves; gradient keys stay
// ordered by position, with -0.0 stored as 0.0.
// Refuses: a pack "value" of the wrong shape (a rect of 3 numbers, a string
// that is neither str nor bin ...) raises msgpack::type_error; a NaN gradient
// position is skipped (it could never be found again); a point's
// setAnimationCurves with fewer than two curves raises std::out_of_range.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "math/CCGeometry.h"
#include "math/ccTypes.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVAttribute.h"

// One value of T packed under "value".
template <typename T>
class QVAttributeValue : public QVAttribute {
public:
    typedef T ValueType;

    // "value".
    void collectKeys() override;
    void pack(QVPackMap& map) override;
    // Stores "value" as read, without notification.
    void unpack(const QVPackMap& map) override;

    const T& value() const { return m_value; }

protected:
    QVAttributeValue(QVNameArg name, QVModel* owner, uint32_t flags = 0) : QVAttribute(name, owner, flags) {}
    QVAttributeValue(QVNameArg name, QVModel* owner, const QVAttributeValue& source)
        : QVAttribute(name, owner, source), m_value(source.m_value) {}

    // Stores a different value and notifies (unless silent); returns whether
    // it changed.
    bool assign(const T& value, bool silent);

    T m_value{};
};

class QVAttributeString : public QVAttributeValue<std::string> {
    QV_ATTRIBUTE_GLUE(QVAttributeString)
public:
    static constexpr uint32_t kUnlimitedLength = 2147483647u;

    QVAttributeString(QVNameArg name, QVModel* owner);
    QVAttributeString(QVNameArg name, QVModel* owner, const QVAttributeString& source);

    // Cuts the text to maxLength bytes; stores and notifies (unless silent)
    // only when the result differs. Returns whether it changed.
    bool setValue(const std::string& text, bool silent = false);
    uint32_t maxLength() const { return m_maxLength; }
    // Later setValue calls cut to the new length; the held text stays.
    void setMaxLength(uint32_t length) { m_maxLength = length; }

    // A "value" of non-zero length goes through setValue silently.
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;

private:
    uint32_t m_maxLength = kUnlimitedLength;
};

// The chosen name of an enumerated setting; holds what a string holds.
class QVAttributeStringList : public QVAttributeString {
    QV_ATTRIBUTE_GLUE(QVAttributeStringList)
public:
    QVAttributeStringList(QVNameArg name, QVModel* owner);
    QVAttributeStringList(QVNameArg name, QVModel* owner, const QVAttributeStringList& source);
};

// Packed as [x, y, width, height]; dictionary "{{x,y},{w,h}}".
class QVAttributeRect : public QVAttributeValue<cocos2d::CCRect> {
    QV_ATTRIBUTE_GLUE(QVAttributeRect)
public:
    QVAttributeRect(QVNameArg name, QVModel* owner);
    QVAttributeRect(QVNameArg name, QVModel* owner, const QVAttributeRect& source);

    bool setValue(const cocos2d::CCRect& rect, bool silent = false) { return assign(rect, silent); }
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;
};

// Packed as [width, height]; dictionary "{w,h}".
class QVAttributeSize : public QVAttributeValue<cocos2d::CCSize> {
    QV_ATTRIBUTE_GLUE(QVAttributeSize)
public:
    QVAttributeSize(QVNameArg name, QVModel* owner);
    QVAttributeSize(QVNameArg name, QVModel* owner, const QVAttributeSize& source);

    bool setValue(const cocos2d::CCSize& size, bool silent = false) { return assign(size, silent); }
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;
};

// A point with variance, a range and an empty mark per axis, and per object
// state one curve per axis.
class QVBaseAttributePoint : public QVAttributeValue<cocos2d::CCPoint> {
public:
    ~QVBaseAttributePoint() override;

    void collectKeys() override;
    // "value", "variableValue", the two marks as stored, then "animationsX"
    // and "animationsY" for each axis that has curve entries.
    void pack(QVPackMap& map) override;
    // Unclamped; each "animationsX"/"animationsY" with elements replaces only
    // its own axis.
    void unpack(const QVPackMap& map) override;
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;
    // The state's x curve, then its y curve, each only when present.
    std::vector<QVAnimationCurve*> animationCurves(int state) const override;
    // curves[0] becomes the state's x curve and curves[1] its y curve, each
    // axis notifying. Throws std::out_of_range for a list shorter than two,
    // after storing curves[0] when there is one.
    void setAnimationCurves(const std::vector<QVAnimationCurve*>& curves, int state) override;

    const cocos2d::CCPoint& variableValue() const { return m_variableValue; }
    const cocos2d::CCPoint& minValue() const { return m_min; }
    const cocos2d::CCPoint& maxValue() const { return m_max; }
    bool allowEmpty() const { return m_allowEmpty; }
    bool isXEmpty() const { return m_isXEmpty; }
    bool isYEmpty() const { return m_isYEmpty; }
    const QVCurveMap& curvesX() const { return m_curvesX; }
    const QVCurveMap& curvesY() const { return m_curvesY; }

    // Each axis clamped into its range; stores and notifies (unless silent)
    // only on a change. Returns whether it changed.
    bool setValue(const cocos2d::CCPoint& point, bool silent = false);
    bool setVariableValue(const cocos2d::CCPoint& point, bool silent = false);
    // Declaration of the model: new bounds, the value clamped silently; the
    // variance is left as it is.
    void setRange(const cocos2d::CCPoint& min, const cocos2d::CCPoint& max);
    // Both marks take the flag; notifies only while empties are allowed.
    void setEmpty(bool empty, bool silent = false);
    void setEmptyAllowed(bool allow, bool silent = false);
    // value + variance * (2r/32767 - 1) per axis, drawing y first, then x,
    // from the project generator.
    cocos2d::CCPoint randomValue() const;
    // Per axis the state's curve at `time`, 0 for an axis without one.
    cocos2d::CCPoint curveValue(float time, int state) const;
    // value plus curveValue.
    cocos2d::CCPoint animatedValue(int state, float time) const;

    cocos2d::CCPoint clamp(const cocos2d::CCPoint& point) const;

protected:
    QVBaseAttributePoint(QVNameArg name, QVModel* owner, uint32_t flags = 0);
    QVBaseAttributePoint(QVNameArg name, QVModel* owner, const QVBaseAttributePoint& source);

private:
    void setAxisCurve(QVCurveMap& curves, QVAnimationCurve* curve, int state);

    cocos2d::CCPoint m_variableValue;
    cocos2d::CCPoint m_min{-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
    cocos2d::CCPoint m_max{std::numeric_limits<float>::max(), std::numeric_limits<float>::max()};
    bool m_allowEmpty = false;
    bool m_isXEmpty = false;
    bool m_isYEmpty = false;
    QVCurveMap m_curvesX;
    QVCurveMap m_curvesY;
};

class QVAttributePoint : public QVBaseAttributePoint {
    QV_ATTRIBUTE_GLUE(QVAttributePoint)
public:
    QVAttributePoint(QVNameArg name, QVModel* owner, uint32_t flags = 0);
    QVAttributePoint(QVNameArg name, QVModel* owner, const QVAttributePoint& source);
};

// Packed as [r, g, b, a]; the dictionary holds "r", "g", "b", "a" itself.
class QVBaseAttributeColor : public QVAttributeValue<cocos2d::ccColor4F> {
public:
    bool setValue(const cocos2d::ccColor4F& color, bool silent = false);
    // All four components are stored when any differs; absent ones read 0.
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;

protected:
    QVBaseAttributeColor(QVNameArg name, QVModel* owner) : QVAttributeValue(name, owner) {}
    QVBaseAttributeColor(QVNameArg name, QVModel* owner, const QVBaseAttributeColor& source)
        : QVAttributeValue(name, owner, source) {}
};

class QVAttributeColor : public QVBaseAttributeColor {
    QV_ATTRIBUTE_GLUE(QVAttributeColor)
public:
    QVAttributeColor(QVNameArg name, QVModel* owner);
    QVAttributeColor(QVNameArg name, QVModel* owner, const QVAttributeColor& source);
};

// Colour keys at positions; merged, never cleared, by the readers.
class QVAttributeGradient : public QVAttribute {
    QV_ATTRIBUTE_GLUE(QVAttributeGradient)
public:
    typedef std::map<float, cocos2d::ccColor4F> Colors;

    QVAttributeGradient(QVNameArg name, QVModel* owner);
    QVAttributeGradient(QVNameArg name, QVModel* owner, const QVAttributeGradient& source);

    // The link keys, then "pos", "color", "gradients".
    void collectKeys() override;
    // "gradients" in ascending position, only when there is a key.
    void pack(QVPackMap& map) override;
    // Each element's position gets its "color", or black transparent when it
    // names none and the key is new. Keys not named stay.
    void unpack(const QVPackMap& map) override;
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;

    // Creates or overwrites the key and notifies (unless silent), also when
    // the colour was already there. A NaN position is ignored.
    void setColor(float position, const cocos2d::ccColor4F& color, bool silent = false);
    const Colors& colors() const { return m_colors; }
    // The key at exactly `position` (0.0 and -0.0 are one key), or null.
    const cocos2d::ccColor4F* colorAt(float position) const;

    bool marker() const { return m_marker; }
    void setMarker(bool marker) { m_marker = marker; }

private:
    Colors m_colors;
    bool m_marker = false;
};
