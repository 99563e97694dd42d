// Fundamental attributes: an int, unsigned int, bool or float value with a
// random variance, a permitted range, an optional empty mark and one animation
// curve per object state.
// Guarantees: setters and dictionary readers clamp into [min, max]; values read
// from packs are stored exactly as read; the attribute owns its curves and a
// copy shares none of them; an empty curve list changes nothing.
// Refuses: a wrongly typed pack entry raises msgpack::type_error, leaving the
// fields read before it changed and the rest untouched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/core/QVAnimationCurve.h"
#include "model/core/QVAttribute.h"

template <typename T>
class QVBaseAttributeFundamental : public QVAttribute {
public:
    typedef T ValueType;

    ~QVBaseAttributeFundamental() override;

    // "value", "variableValue", "isEmpty", "animations" (no link keys).
    void collectKeys() override;
    // "isEmpty" is true only while empties are allowed; "animations" only when
    // the curve map has an entry (a null curve gives an empty array).
    void pack(QVPackMap& map) override;
    // Unclamped; a non-empty "animations" array replaces every curve.
    void unpack(const QVPackMap& map) override;
    // Clamped, silent; an absent "isEmpty" clears the mark.
    void valueFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* valueToDictionary() const override;
    // The state's curve, or nothing when the state has none (or a null one).
    std::vector<QVAnimationCurve*> animationCurves(int state) const override;
    // Keeps curves[0] for the state, taking ownership of it (a different old
    // curve is deleted; the rest of the list stays the caller's), and
    // notifies. An empty list changes nothing and notifies nobody.
    void setAnimationCurves(const std::vector<QVAnimationCurve*>& curves, int state) override;

    T value() const { return m_value; }
    T variableValue() const { return m_variableValue; }
    T minValue() const { return m_min; }
    T maxValue() const { return m_max; }
    bool allowEmpty() const { return m_allowEmpty; }
    bool isEmpty() const { return m_isEmpty; }
    // False exactly when the attribute is allowed to be empty and is.
    bool hasValue() const { return !(m_allowEmpty && m_isEmpty); }
    // The state's curve at `time`, 0 when the state has no curve.
    float curveValue(float time, int state) const;
    // value plus the state's curve at `time` (value alone without a curve).
    T animatedValue(int state, float time) const;
    const QVCurveMap& curves() const { return m_curves; }

    // Clamps into [min, max]; stores and notifies (unless silent) only on a
    // change. Returns whether the value changed.
    bool setValue(T value, bool silent = false);
    bool setVariableValue(T value, bool silent = false);
    // Declaration of the model: new bounds, the value clamped silently; the
    // variance is left as it is.
    void setRange(T min, T max);
    void setAllowEmpty(bool allow) { m_allowEmpty = allow; }
    // Notifies (unless silent) only on a change that counts (empties allowed).
    void setEmpty(bool empty, bool silent = false);

    T clamp(T value) const;

protected:
    QVBaseAttributeFundamental(QVNameArg name, QVModel* owner, uint32_t flags, T min, T max);
    QVBaseAttributeFundamental(QVNameArg name, QVModel* owner, const QVBaseAttributeFundamental& source);

private:
    T m_value{};
    T m_variableValue{};
    T m_min;
    T m_max;
    bool m_allowEmpty = false;
    bool m_isEmpty = false;
    QVCurveMap m_curves;
};

extern template class QVBaseAttributeFundamental<int>;
extern template class QVBaseAttributeFundamental<unsigned int>;
extern template class QVBaseAttributeFundamental<bool>;
extern template class QVBaseAttributeFundamental<float>;

class QVAttributeInt : public QVBaseAttributeFundamental<int> {
    QV_ATTRIBUTE_GLUE(QVAttributeInt)
public:
    QVAttributeInt(QVNameArg name, QVModel* owner, uint32_t flags = 0);
    QVAttributeInt(QVNameArg name, QVModel* owner, const QVAttributeInt& source);
};

// A key code of the authoring tool (0: no key).
class QVAttributeKey : public QVAttributeInt {
    QV_ATTRIBUTE_GLUE(QVAttributeKey)
public:
    QVAttributeKey(QVNameArg name, QVModel* owner);
    QVAttributeKey(QVNameArg name, QVModel* owner, const QVAttributeKey& source);
};

class QVAttributeUInt : public QVBaseAttributeFundamental<unsigned int> {
    QV_ATTRIBUTE_GLUE(QVAttributeUInt)
public:
    QVAttributeUInt(QVNameArg name, QVModel* owner, uint32_t flags = 0);
    QVAttributeUInt(QVNameArg name, QVModel* owner, const QVAttributeUInt& source);
};

class QVAttributeBool : public QVBaseAttributeFundamental<bool> {
    QV_ATTRIBUTE_GLUE(QVAttributeBool)
public:
    QVAttributeBool(QVNameArg name, QVModel* owner);
    QVAttributeBool(QVNameArg name, QVModel* owner, const QVAttributeBool& source);
};

// Range -FLT_MAX..FLT_MAX unless the declaring model narrows it.
class QVAttributeFloat : public QVBaseAttributeFundamental<float> {
    QV_ATTRIBUTE_GLUE(QVAttributeFloat)
public:
    QVAttributeFloat(QVNameArg name, QVModel* owner, uint32_t flags = 0);
    QVAttributeFloat(QVNameArg name, QVModel* owner, const QVAttributeFloat& source);
};
