#include "model/classes/QVModelLevelSection.h"

#include <unordered_map>

#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObjectGroup.h"

QVBaseModelLevelSection::QVBaseModelLevelSection(const std::string& name)
    : QVModel(name) QV_LEVEL_SECTION_ATTRIBUTES(QV_ATTRIBUTE_INIT) {
    m_endDistance->setValue(-1.0f, true);
}

QVBaseModelLevelSection::QVBaseModelLevelSection(const QVBaseModelLevelSection& source)
    : QVModel(source) QV_LEVEL_SECTION_ATTRIBUTES(QV_ATTRIBUTE_COPY),
      m_cooldown(source.m_cooldown),
      m_placedAt(source.m_placedAt) {}

bool QVBaseModelLevelSection::initSection() const { return m_initSection && m_initSection->value(); }

bool QVBaseModelLevelSection::muted() const { return m_muted && m_muted->value(); }

bool QVBaseModelLevelSection::solo() const { return m_solo && m_solo->value(); }

float QVBaseModelLevelSection::startDistance() const { return m_startDistance ? m_startDistance->value() : 0.0f; }

float QVBaseModelLevelSection::endDistance() const { return m_endDistance ? m_endDistance->value() : 0.0f; }

float QVBaseModelLevelSection::width() const { return m_width ? m_width->value() : 0.0f; }

float QVBaseModelLevelSection::playCooldown() const { return m_playCooldown ? m_playCooldown->value() : 0.0f; }

std::shared_ptr<QVModelObject> QVBaseModelLevelSection::objectAt(unsigned index) const {
    return index < objects().size() ? objects()[index] : nullptr;
}

void QVBaseModelLevelSection::setMuted(bool muted) {
    if (m_muted) m_muted->setValue(muted);
}

void QVBaseModelLevelSection::setSolo(bool solo) {
    if (m_solo) m_solo->setValue(solo);
}

void QVBaseModelLevelSection::childAdded(const std::shared_ptr<QVModel>& child) {
    QVModel::childAdded(child);
    m_objects.added(child);
}

void QVBaseModelLevelSection::childRemoved(const std::shared_ptr<QVModel>& child) {
    QVModel::childRemoved(child);
    m_objects.removed(child);
}

void QVBaseModelLevelSection::childrenCleared() {
    QVModel::childrenCleared();
    m_objects.clear();
}

void QVBaseModelLevelSection::copySectionContent(const std::shared_ptr<QVModel>& source, bool deep,
                                                 bool registerCopies) {
    // Taken first: the source may be this section itself.
    const std::vector<std::shared_ptr<QVModel>> content =
        source ? source->children() : std::vector<std::shared_ptr<QVModel>>();
    removeAllChildren(true);
    if (!deep) {
        for (const auto& child : content) addChild(child, true);
        return;
    }
    std::unordered_map<const QVModel*, std::shared_ptr<QVModel>> copies(8);
    for (const auto& child : content) {
        if (child->type() == typeId<QVModelLinker>()) continue;
        std::shared_ptr<QVModel> copy = child->clone(true, registerCopies);
        if (!copy) continue;
        addChild(copy, true);
        copies.emplace(child.get(), copy);
    }
    auto copyOf = [&copies](const QVModel* model) {
        auto found = copies.find(model);
        return found == copies.end() ? nullptr : found->second;
    };
    // A group's clone has no members: a member that was copied with the
    // section is replaced by its copy, any other is shared.
    for (const auto& child : content) {
        if (child->type() != typeId<QVModelObjectGroup>()) continue;
        std::shared_ptr<QVModel> group = copyOf(child.get());
        if (!group) continue;
        for (const auto& member : child->children()) {
            std::shared_ptr<QVModel> memberCopy = copyOf(member.get());
            group->addChild(memberCopy ? memberCopy : member, true);
        }
    }
    for (const auto& child : content) {
        std::shared_ptr<QVModelLinker> linker = modelCast<QVModelLinker>(child);
        if (!linker) continue;
        std::shared_ptr<QVModelObject> a = modelKindCast<QVModelObject>(copyOf(linker->objectA().get()));
        std::shared_ptr<QVModelObject> b = modelKindCast<QVModelObject>(copyOf(linker->objectB().get()));
        if (!a || !b) continue;
        std::shared_ptr<QVModelLinker> copy = modelCast<QVModelLinker>(linker->clone(true, registerCopies));
        if (!copy) continue;
        copy->setObjects(a, b, true);
        addChild(copy, true);
    }
}

QVModelLevelSection::QVModelLevelSection(const std::string& name) : QVBaseModelLevelSection(name) {}

QVModelLevelSection::QVModelLevelSection(const QVModelLevelSection& source) : QVBaseModelLevelSection(source) {}

std::shared_ptr<QVModel> QVModelLevelSection::clone(bool deep, bool registerCopy) const {
    std::shared_ptr<QVModelLevelSection> copy = createCopy(*this);
    if (registerCopy) copy->registerCopy(*this);
    copy->copySectionContent(sharedFromThis(), deep, registerCopy);
    return copy;
}
