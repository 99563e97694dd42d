// Test-local classes under the game's class names, so tests of the loader,
// the reference attributes and the pack encoding run on the core alone. A
// binary that includes this must not link qv_game (the names would clash).
// Each stand-in has only what the core reads of its namesake.
#pragma once

#include <memory>
#include <string>

#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVSettingsModel.h"

#define QV_STAND_IN(Class, Base, ...)                           \
    class Class : public Base {                                 \
        QV_MODEL_GLUE(Class, #Class, __VA_ARGS__)               \
    public:                                                     \
        explicit Class(const std::string& name) : Base(name) {} \
        Class(const Class& source) : Base(source) {}            \
    };

QV_STAND_IN(QVModelObject, QVModel, QVModel)
QV_STAND_IN(QVModelObjectLabel, QVModelObject, QVModelObject, QVModel)
QV_STAND_IN(QVModelSound, QVModel, QVModel)
QV_STAND_IN(QVModelPolygon, QVModel, QVModel)
QV_STAND_IN(QVModelAnimation, QVModel, QVModel)
#undef QV_STAND_IN

// The fixtures' container: the same three attributes, in the same order.
class QVModelSpriteContainer : public QVModel {
    QV_MODEL_GLUE(QVModelSpriteContainer, "", QVModel)
public:
    explicit QVModelSpriteContainer(const std::string& name) : QVModel(name) {
        (new QVAttributeFloat("Animation Speed", this))->setValue(1.f, true);
        new QVAttributeFloat("Duration", this);
        new QVAttributeBool("Excluded From Atlas", this);
    }
    QVModelSpriteContainer(const QVModelSpriteContainer& source) : QVModel(source) {}
    float animationSpeed() const { return attributeCast<QVAttributeFloat>(attribute("Animation Speed"))->value(); }
    float duration() const { return attributeCast<QVAttributeFloat>(attribute("Duration"))->value(); }
    QVAttributeBool* excluded() const { return attributeCast<QVAttributeBool>(attribute("Excluded From Atlas")); }
    bool excludedFromAtlas() const { return excluded()->value(); }
    void setExcludedFromAtlas(bool value) { excluded()->setValue(value, false); }
};

// The settings the loader reads: the User ID and the Last ID.
class QVModelGeneralSettings : public QVSettingsModel {
    QV_MODEL_GLUE(QVModelGeneralSettings, "Settings", QVModel)
public:
    explicit QVModelGeneralSettings(const std::string& name) : QVSettingsModel(name) {
        new QVAttributeString("User ID", this);
        new QVAttributeUInt("Last ID", this);
    }
    QVModelGeneralSettings(const QVModelGeneralSettings& source) : QVSettingsModel(source) {}
    const std::string& userId() const override {
        return attributeCast<QVAttributeString>(attribute("User ID"))->value();
    }
    uint32_t lastId() const override { return attributeCast<QVAttributeUInt>(attribute("Last ID"))->value(); }
};

// Registers the stand-ins' factories with the shared controller (once).
inline void registerStandIns() {
    auto* controller = QVModelController::shared();
    controller->registerFactory("QVModelObject", [] { return QVModelObject::create(); });
    controller->registerFactory("QVModelSound", [] { return QVModelSound::create(); });
    controller->registerFactory("QVModelPolygon", [] { return QVModelPolygon::create(); });
    controller->registerFactory("QVModelGeneralSettings", [] { return QVModelGeneralSettings::create(); });
}
