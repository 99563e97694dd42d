#include "model/classes/QVModelLinker.h"

#include <unordered_set>

namespace {
constexpr char kObjectA[] = "Object A";
constexpr char kObjectB[] = "Object B";
constexpr char kSpeed[] = "Speed";
constexpr char kTorque[] = "Torque";
constexpr char kButtonActivated[] = "Button Activated";
}  // namespace

QVBaseModelLinker::QVBaseModelLinker(const std::string& name)
    : QVModel(name),
      m_objectAMember(kObjectA, this),
      m_objectBMember(kObjectB, this),
      m_speedMember(kSpeed, this),
      m_torqueMember(kTorque, this),
      m_buttonActivatedMember(kButtonActivated, this),
      m_objectA(&m_objectAMember),
      m_objectB(&m_objectBMember),
      m_speed(&m_speedMember),
      m_torque(&m_torqueMember),
      m_buttonActivated(&m_buttonActivatedMember) {
    m_torque->setValue(200.0f, true);
}

QVBaseModelLinker::QVBaseModelLinker(const QVBaseModelLinker& source)
    : QVModel(source),
      m_objectAMember(kObjectA, this, source.m_objectAMember),
      m_objectBMember(kObjectB, this, source.m_objectBMember),
      m_speedMember(kSpeed, this, source.m_speedMember),
      m_torqueMember(kTorque, this, source.m_torqueMember),
      m_buttonActivatedMember(kButtonActivated, this, source.m_buttonActivatedMember) {
    // A member the source does not list is left out of the copy's list by
    // the glue; the copy then answers as if it lacked the attribute.
    m_objectA = source.listed(source.m_objectAMember, m_objectAMember);
    m_objectB = source.listed(source.m_objectBMember, m_objectBMember);
    m_speed = source.listed(source.m_speedMember, m_speedMember);
    m_torque = source.listed(source.m_torqueMember, m_torqueMember);
    m_buttonActivated = source.listed(source.m_buttonActivatedMember, m_buttonActivatedMember);
}

std::shared_ptr<QVModelObject> QVBaseModelLinker::objectA() const { return m_objectA ? m_objectA->model() : nullptr; }

std::shared_ptr<QVModelObject> QVBaseModelLinker::objectB() const { return m_objectB ? m_objectB->model() : nullptr; }

float QVBaseModelLinker::speed() const { return m_speed ? m_speed->value() : 0.0f; }

float QVBaseModelLinker::torque() const { return m_torque ? m_torque->value() : 0.0f; }

bool QVBaseModelLinker::buttonActivated() const { return m_buttonActivated && m_buttonActivated->value(); }

void QVBaseModelLinker::setObjects(const std::shared_ptr<QVModelObject>& a, const std::shared_ptr<QVModelObject>& b,
                                   bool silent) {
    if (m_objectA) m_objectA->setModel(a);
    if (m_objectB) m_objectB->setModel(b);
    if (!silent) notifyChanged();
}

QVModelLinker::QVModelLinker(const std::string& name) : QVBaseModelLinker(name) {}

QVModelLinker::QVModelLinker(const QVModelLinker& source) : QVBaseModelLinker(source) {}

std::vector<std::shared_ptr<QVModelLinker>> QVModelLinker::linkersOf(const std::shared_ptr<QVModel>& object,
                                                                     bool connected) {
    std::vector<std::shared_ptr<QVModelLinker>> result;
    if (!object) return result;
    // Breadth-first over objects with visited sets: a long chain of linkers
    // grows the work list, never the stack, and each model is seen once.
    std::unordered_set<const QVModel*> seenObjects{object.get()};
    std::unordered_set<const QVModel*> seenLinkers;
    std::vector<std::shared_ptr<QVModel>> pending{object};
    for (size_t next = 0; next < pending.size(); ++next) {
        // A copy: the walk must not depend on the list staying put.
        const std::vector<QVBaseAttribute*> references = pending[next]->references();
        for (QVBaseAttribute* reference : references) {
            QVModel* owner = reference->owner();
            if (!owner || owner->type() != typeId<QVModelLinker>() || !seenLinkers.insert(owner).second) continue;
            auto linker = std::static_pointer_cast<QVModelLinker>(owner->sharedFromThis());
            if (!linker) continue;
            result.push_back(linker);
            if (!connected) continue;
            for (const std::shared_ptr<QVModel>& joined :
                 {std::shared_ptr<QVModel>(linker->objectA()), std::shared_ptr<QVModel>(linker->objectB())}) {
                if (joined && seenObjects.insert(joined.get()).second) pending.push_back(joined);
            }
        }
    }
    return result;
}
