// QVModelLinker: joins two object models of a level section; the game field
// builds a motorised joint between them from "Speed", "Torque" and
// "Button Activated".
// Guarantees: each object lists the linker's attribute among its references
// while it is linked (setObjects moves the references); linkersOf walks with a
// work list, so a chain of any length costs no stack, and returns each linker
// once in discovery order (breadth-first from the object).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVBaseModelLinker : public QVModel {
public:
    std::shared_ptr<QVModelObject> objectA() const;
    std::shared_ptr<QVModelObject> objectB() const;
    float speed() const;
    float torque() const;
    bool buttonActivated() const;

    // Links both objects (an empty pointer unlinks); notifies once unless
    // silent.
    void setObjects(const std::shared_ptr<QVModelObject>& a, const std::shared_ptr<QVModelObject>& b,
                    bool silent = false);

    QVAttributeObject* objectAAttribute() const { return m_objectA; }
    QVAttributeObject* objectBAttribute() const { return m_objectB; }

protected:
    explicit QVBaseModelLinker(const std::string& name);
    QVBaseModelLinker(const QVBaseModelLinker& source);

    QVMember<QVAttributeObject> m_objectAMember;
    QVMember<QVAttributeObject> m_objectBMember;
    QVMember<QVAttributeFloat> m_speedMember;
    QVMember<QVAttributeFloat> m_torqueMember;
    QVMember<QVAttributeBool> m_buttonActivatedMember;
    // The members, or null in a copy whose source did not list them.
    QVAttributeObject* m_objectA = nullptr;
    QVAttributeObject* m_objectB = nullptr;
    QVAttributeFloat* m_speed = nullptr;
    QVAttributeFloat* m_torque = nullptr;
    QVAttributeBool* m_buttonActivated = nullptr;
};

class QVModelLinker : public QVBaseModelLinker {
    QV_MODEL_GLUE(QVModelLinker, "", QVModel)
public:
    explicit QVModelLinker(const std::string& name);
    QVModelLinker(const QVModelLinker& source);

    // The linkers whose attributes reference `object`. With `connected`, also
    // every linker reached through their objects, transitively: the linkers
    // of the whole connected group.
    static std::vector<std::shared_ptr<QVModelLinker>> linkersOf(const std::shared_ptr<QVModel>& object,
                                                                 bool connected);
};
