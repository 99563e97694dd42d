#include "model/core/QVModel.h"

#include <algorithm>
#include <utility>

#include "base/CCArray.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/core/QVAttribute.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVSettingsModel.h"

using cocos2d::CCArray;
using cocos2d::CCDictionary;
using cocos2d::CCObject;
using cocos2d::CCString;

namespace {

const char* const kIdKey = "id";
const char* const kClassNameKey = "Class Name";
const char* const kChildrenKey = "children";
constexpr char kNameAttribute[] = "Name";
const QVKey kId(kIdKey);
const QVKey kChildren(kChildrenKey);

// Squeezing the reference list is linear, so it waits until holes are the
// majority; below this size holes are left alone.
constexpr size_t kReferenceCompactMinimum = 32;
// Reference lists up to this size are searched linearly; a longer one gets a
// hash index. Most models are referenced a few times, and an index for each
// was a large share of a load's allocations.
constexpr size_t kReferenceIndexMinimum = 16;
// A fresh generation for one walk's marks; 0 never comes back, so a model
// that was never visited is never taken for a visited one.
uint32_t nextMark(uint32_t& counter) {
    if (++counter == 0) counter = 1;
    return counter;
}
uint32_t g_childMarks = 0;
uint32_t g_ancestorMarks = 0;

// The children of dying models while the outermost release drains them: a
// model that dies inside another's release leaves its children here instead of
// releasing them in its own destructor, so a chain of any depth needs one
// stack frame, not one per level.
std::vector<std::shared_ptr<QVModel>>* g_releasing = nullptr;

void releaseChildren(std::vector<std::shared_ptr<QVModel>>& children) {
    if (children.empty()) return;
    if (g_releasing) {
        for (auto& child : children) g_releasing->push_back(std::move(child));
        children.clear();
        return;
    }
    std::vector<std::shared_ptr<QVModel>> pending;
    pending.swap(children);
    g_releasing = &pending;
    // In list order, as a vector releases its elements.
    for (size_t i = 0; i < pending.size(); ++i) {
        std::shared_ptr<QVModel> next = std::move(pending[i]);
        next.reset();  // may append its own children to `pending`
    }
    g_releasing = nullptr;
}

template <class Listener, class Call>
void callListeners(const std::vector<Listener*>& listeners, Call call) {
    // A copy, so listeners may add or remove listeners while being called.
    const std::vector<Listener*> copy = listeners;
    for (Listener* listener : copy) call(listener);
}

// Each attribute writes into its own map on the same zone, stored under its
// name unless empty; collecting mode records the name even then.
template <class Write>
void packAttributes(const QVAttributeList& attributes, QVPackMap& map, Write write) {
    for (QVAttribute* attribute : attributes) {
        QVPackMap nested(map.zone());
        write(attribute, nested);
        if (!nested.empty()) {
            map.put(attribute->name(), nested);
        } else if (isCollectingKeys()) {
            collectedKeys().insert(attribute->name());
        }
    }
}

// Attribute lists up to this size are copied onto the stack.
constexpr size_t kInlineAttributes = 32;

// An object whose storage the outermost user reuses from call to call (a load
// reads hundreds of thousands of models); a nested user, reached from inside
// the outer one's work, gets a fresh one.
template <class T>
class Scratch {
public:
    Scratch() : m_reused(!busy()) {
        if (m_reused) busy() = true;
    }
    ~Scratch() {
        if (m_reused) busy() = false;
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    T& get() { return m_reused ? shared() : m_own; }

private:
    static T& shared() {
        thread_local T value;
        return value;
    }
    static bool& busy() {
        thread_local bool flag = false;
        return flag;
    }
    bool m_reused;
    T m_own;
};

// Reads from a copy of the list: a reader must not see the list change under it.
template <class Read>
void unpackAttributes(const QVAttributeList& list, const QVPackMap& map, Read read) {
    QVAttribute* inlineCopy[kInlineAttributes];
    std::vector<QVAttribute*> heapCopy;
    QVAttribute* const* attributes = inlineCopy;
    const size_t count = list.size();
    if (count <= kInlineAttributes) {
        std::copy(list.begin(), list.end(), inlineCopy);
    } else {
        heapCopy = list.toVector();
        attributes = heapCopy.data();
    }
    Scratch<QVPackMap> scratch;  // its storage serves every attribute and model
    QVPackMap& nested = scratch.get();
    for (size_t i = 0; i < count; ++i) {
        QVAttribute* attribute = attributes[i];
        const msgpack::object* entry = map.findCode(attribute->nameKeyCode());
        if (!entry) continue;
        nested.assign(*entry);
        read(attribute, nested);
    }
}

template <class Read>
void readAttributes(const QVAttributeList& list, CCDictionary* dict, Read read) {
    // A copy: a reader must not see the list change under it.
    for (QVAttribute* attribute : list.toVector()) {
        // An entry of another kind than a dictionary is malformed; skip it.
        if (auto* entry = dynamic_cast<CCDictionary*>(dict->objectForKey(attribute->name()))) {
            read(attribute, entry);
        }
    }
}

template <class Write>
void writeAttributes(const QVAttributeList& attributes, CCDictionary* dict, Write write) {
    for (const QVAttribute* attribute : attributes) {
        CCDictionary* entry = write(attribute);
        if (entry && entry->count() > 0) dict->setObject(entry, attribute->name());
    }
}

}  // namespace

void QVParentList::push_back(const std::shared_ptr<QVModel>& parent) {
    if (!m_spilled && !m_hasFirst) {
        m_first = parent;
        m_hasFirst = true;
        return;
    }
    if (!m_spilled) {
        m_more.reserve(4);
        m_more.push_back(std::move(m_first));
        m_first.reset();
        m_hasFirst = false;
        m_spilled = true;
    }
    m_more.push_back(parent);
}

void QVParentList::erase(size_t index) {
    if (m_spilled) {
        m_more.erase(m_more.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
        m_first.reset();
        m_hasFirst = false;
    }
}

void QVParentList::purgeDead() {
    if (m_spilled) {
        m_more.erase(std::remove_if(m_more.begin(), m_more.end(), [](const Entry& w) { return w.expired(); }),
                     m_more.end());
    } else if (m_hasFirst && m_first.expired()) {
        m_first.reset();
        m_hasFirst = false;
    }
}

void QVAttributeList::insert(size_t index, QVAttribute* attribute) {
    if (!m_spilled && m_size < kInline) {
        std::copy_backward(m_inline + index, m_inline + m_size, m_inline + m_size + 1);
        m_inline[index] = attribute;
        ++m_size;
        return;
    }
    if (!m_spilled) {
        m_heap.reserve(2 * kInline);
        m_heap.assign(m_inline, m_inline + m_size);
        m_spilled = true;
    }
    m_heap.insert(m_heap.begin() + static_cast<std::ptrdiff_t>(index), attribute);
}

void QVAttributeList::erase(size_t index) {
    if (m_spilled) {
        m_heap.erase(m_heap.begin() + static_cast<std::ptrdiff_t>(index));
        return;
    }
    std::copy(m_inline + index + 1, m_inline + m_size, m_inline + index);
    --m_size;
}

void QVAttributeList::assign(const std::vector<QVAttribute*>& attributes) {
    clear();
    for (QVAttribute* attribute : attributes) push_back(attribute);
}

QVAttribute* const* QVAttributeList::takeAll(QVAttribute** inlineOut, std::vector<QVAttribute*>& heapOut,
                                             size_t& count) {
    count = size();
    if (m_spilled) {
        heapOut.swap(m_heap);
        m_spilled = false;
        m_size = 0;
        return heapOut.data();
    }
    std::copy(m_inline, m_inline + m_size, inlineOut);
    m_size = 0;
    return inlineOut;
}

void QVAttributeList::clear() {
    m_size = 0;
    m_spilled = false;
    std::vector<QVAttribute*>().swap(m_heap);
}

QVModel::QVModel(const std::string& name)
    : m_id(QVModelController::shared()->constructionId()), m_name(kNameAttribute, this) {
    m_nameAttribute = &m_name;
    m_name.setValue(name, true);
}

QVModel::QVModel(const QVModel& source)
    : QVMessagePackInterface(),
      std::enable_shared_from_this<QVModel>(),
      m_id(QVModelController::shared()->nextId()),
      m_name(kNameAttribute, this, source.m_name) {
    // Members are copied by the constructors of their classes.
    for (QVAttribute* attribute : source.m_attributes) {
        if (attribute->memberOf() != &source) attribute->clone(this);
    }
    m_nameAttribute = attributeCast<QVAttributeString>(attribute(kNameAttribute));
}

QVModel::~QVModel() {
    releaseAttributes();
    releaseChildren(m_children);
}

void QVModel::releaseAttributes() {
    // The list is taken out and every owner cleared first: a dying attribute
    // then neither edits the list being walked nor calls back into this
    // half-destroyed model. Attributes of other models linked to ours still
    // hear about the lost links.
    QVAttribute* held[QVAttributeList::kInline];
    std::vector<QVAttribute*> spilled;
    size_t count = 0;
    QVAttribute* const* attributes = m_attributes.takeAll(held, spilled, count);
    for (size_t i = 0; i < count; ++i) attributes[i]->m_owner = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (!attributes[i]->memberOf()) delete attributes[i];
    }
    m_nameAttribute = nullptr;
}

void QVModel::adoptAttributeOrder(const QVModel& source) {
    // The copy lists its members in construction order and then the clones
    // of the others in source order; a member sits at the same place in
    // both objects.
    std::vector<QVAttribute*> clones;
    for (QVAttribute* attribute : m_attributes) {
        if (attribute->memberOf() != this) clones.push_back(attribute);
    }
    std::vector<QVAttribute*> ordered;
    ordered.reserve(source.m_attributes.size());
    size_t nextClone = 0;
    const char* const sourceBase = reinterpret_cast<const char*>(&source);
    for (QVAttribute* attribute : source.m_attributes) {
        if (attribute->memberOf() == &source) {
            const std::ptrdiff_t offset = reinterpret_cast<const char*>(attribute) - sourceBase;
            ordered.push_back(reinterpret_cast<QVAttribute*>(reinterpret_cast<char*>(this) + offset));
        } else if (nextClone < clones.size()) {
            ordered.push_back(clones[nextClone++]);
        }
    }
    for (QVAttribute* attribute : m_attributes) {
        if (std::find(ordered.begin(), ordered.end(), attribute) == ordered.end()) attribute->m_owner = nullptr;
    }
    m_attributes.assign(ordered);
    m_nameAttribute = attributeCast<QVAttributeString>(attribute(kNameAttribute));
}

void QVModel::collectKeys() {
    std::set<std::string>& keys = collectedKeys();
    keys.insert(kIdKey);
    keys.insert(kClassNameKey);
    if (!m_children.empty()) keys.insert(kChildrenKey);
    for (QVAttribute* attribute : m_attributes) {
        attribute->collectKeys();
        keys.insert(attribute->name());
    }
}

void QVModel::pack(QVPackMap& map) {
    map.put(kIdKey, m_id);
    map.put(kClassNameKey, className());
    packAttributes(m_attributes, map, [](QVAttribute* a, QVPackMap& nested) { a->pack(nested); });
}

void QVModel::packConnections(QVPackMap& map) {
    map.put(kIdKey, m_id);
    packAttributes(m_attributes, map, [](QVAttribute* a, QVPackMap& nested) { a->packConnections(nested); });
    if (!m_children.empty()) {
        std::vector<uint32_t> ids;
        ids.reserve(m_children.size());
        for (const auto& child : m_children) ids.push_back(child->id());
        map.put(kChildrenKey, ids);
    }
}

void QVModel::unpack(const QVPackMap& map) {
    uint32_t id = kNoId;
    map.get(kId, id);
    setId(id);
    unpackAttributes(m_attributes, map, [](QVAttribute* a, const QVPackMap& nested) { a->unpack(nested); });
}

void QVModel::unpackConnections(const QVPackMap& map) {
    unpackAttributes(m_attributes, map, [](QVAttribute* a, const QVPackMap& nested) { a->unpackConnections(nested); });
    const msgpack::object* children = map.find(kChildren);
    if (!children) return;
    // All ids are read before any is linked, so a bad one links nothing.
    if (children->type != msgpack::type::ARRAY) throw msgpack::type_error();
    Scratch<std::vector<uint32_t>> scratch;
    std::vector<uint32_t>& ids = scratch.get();
    ids.resize(children->via.array.size);
    for (uint32_t i = 0; i < children->via.array.size; ++i) QVPackMap::read(children->via.array.ptr[i], ids[i]);
    appendChildrenById(ids);
}

CCDictionary* QVModel::toDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::createWithFormat("%u", m_id), "id");
    dict->setObject(CCString::create(className()), "className");
    writeAttributes(m_attributes, dict, [](const QVAttribute* a) { return a->valueToDictionary(); });
    return dict;
}

CCDictionary* QVModel::connectionsToDictionary() const {
    CCDictionary* dict = CCDictionary::create();
    dict->setObject(CCString::createWithFormat("%u", m_id), "id");
    writeAttributes(m_attributes, dict, [](const QVAttribute* a) { return a->connectionToDictionary(); });
    if (!m_children.empty()) {
        CCArray* ids = CCArray::createWithCapacity(static_cast<unsigned>(m_children.size()));
        for (const auto& child : m_children) ids->addObject(CCString::createWithFormat("%u", child->id()));
        dict->setObject(ids, kChildrenKey);
    }
    return dict;
}

void QVModel::fromDictionary(CCDictionary* dict) {
    if (!dict) return;
    setId(dict->valueForKey("id")->uintValue());
    readAttributes(m_attributes, dict, [](QVAttribute* a, CCDictionary* value) { a->valueFromDictionary(value); });
}

void QVModel::connectionsFromDictionary(CCDictionary* dict) {
    if (!dict) return;
    readAttributes(m_attributes, dict, [](QVAttribute* a, CCDictionary* link) { a->connectionFromDictionary(link); });
    if (auto* children = dynamic_cast<CCArray*>(dict->objectForKey(kChildrenKey))) {
        std::vector<uint32_t> ids;
        ids.reserve(children->count());
        for (CCObject* object : children->data()) {
            auto* text = dynamic_cast<CCString*>(object);
            ids.push_back(text ? text->uintValue() : 0);
        }
        appendChildrenById(ids);
    }
}

void QVModel::attributeChanged(QVAttribute* attribute, int kind) {
    callListeners(m_listeners, [&](QVModelListener* l) { l->attributeChanged(attribute, kind); });
    QVModelController::shared()->notifyAttributeChanged(attribute, kind);
}

void QVModel::copyChildren(const std::shared_ptr<QVModel>& source, bool deep, bool registerCopies, bool silent) {
    if (!source) return;
    // Taken first: a shallow copy of a model into itself must not walk a
    // list that grows.
    const std::vector<std::shared_ptr<QVModel>> sourceChildren = source->m_children;
    for (const auto& child : sourceChildren) {
        addChild(deep ? child->clone(true, registerCopies) : child, silent);
    }
}

void QVModel::childAdded(const std::shared_ptr<QVModel>& child) {
    if (m_listeners.empty()) return;
    std::shared_ptr<QVModel> self = sharedFromThis();
    callListeners(m_listeners, [&](QVModelListener* l) { l->childAdded(self, child); });
}

void QVModel::childRemoved(const std::shared_ptr<QVModel>& child) {
    if (m_listeners.empty()) return;
    std::shared_ptr<QVModel> self = sharedFromThis();
    callListeners(m_listeners, [&](QVModelListener* l) { l->childRemoved(self, child); });
}

void QVModel::childrenCleared() {
    if (m_listeners.empty()) return;
    std::shared_ptr<QVModel> self = sharedFromThis();
    callListeners(m_listeners, [&](QVModelListener* l) { l->childrenCleared(self); });
}

void QVModel::setId(uint32_t id) {
    QVModelController* controller = QVModelController::shared();
    controller->raiseLastId(id);
    if (id == m_id) return;
    uint32_t oldId = m_id;
    m_id = id;
    controller->replaceModelId(sharedFromThis(), oldId);
}

std::shared_ptr<QVModel> QVModel::sharedFromThis() const {
    return std::const_pointer_cast<QVModel>(weak_from_this().lock());
}

std::string QVModel::name() const { return m_nameAttribute ? m_nameAttribute->value() : std::string(); }

void QVModel::setName(const std::string& name) {
    if (!m_nameAttribute) return;
    // Notifies even when the name is unchanged; listeners rely on it.
    const std::string old = m_nameAttribute->value();
    m_nameAttribute->setValue(name, false);
    if (m_nameAttribute->value() == old) m_nameAttribute->valueChanged(QVBaseAttribute::kChangeValue);
}

QVAttribute* QVModel::attribute(const std::string& name) const {
    for (QVAttribute* attribute : m_attributes) {
        if (attribute->name() == name) return attribute;
    }
    return nullptr;
}

int QVModel::attributeIndex(const QVAttribute* attribute) const {
    auto it = std::find(m_attributes.begin(), m_attributes.end(), attribute);
    return it == m_attributes.end() ? -1 : static_cast<int>(it - m_attributes.begin());
}

void QVModel::addAttribute(QVAttribute* attribute, unsigned index) {
    if (!attribute || attributeIndex(attribute) >= 0) return;
    if (index < m_attributes.size()) {
        m_attributes.insert(index, attribute);
    } else {
        m_attributes.push_back(attribute);
    }
    // setOwner finds the attribute present and does not come back here.
    attribute->setOwner(this);
}

void QVModel::removeAttribute(QVAttribute* attribute) {
    auto it = std::find(m_attributes.begin(), m_attributes.end(), attribute);
    if (it == m_attributes.end()) return;
    m_attributes.erase(static_cast<size_t>(it - m_attributes.begin()));
    if (attribute == m_nameAttribute) m_nameAttribute = nullptr;
    if (attribute->m_owner == this) attribute->m_owner = nullptr;
}

void QVModel::insertChild(const std::shared_ptr<QVModel>& child, unsigned index, bool silent) {
    if (!child || hasChild(child)) return;
    insertCheckedChild(sharedFromThis(), child, index, silent);
}

void QVModel::addChild(const std::shared_ptr<QVModel>& child, bool silent) {
    insertChild(child, static_cast<unsigned>(-1), silent);
}

bool QVModel::acceptsChild(const QVModel& child) const {
    // The general settings are never anybody's child, and a model that is
    // this one or above it would close a cycle: a leak and endless walks.
    return !child.isSettingsModel() && !isSelfOrAncestor(&child);
}

void QVModel::insertCheckedChild(const std::shared_ptr<QVModel>& self, const std::shared_ptr<QVModel>& child,
                                 unsigned index, bool silent) {
    // A parent link needs a shared owner to point back at.
    if (!self || !acceptsChild(*child)) return;
    if (index < m_children.size()) {
        m_children.insert(m_children.begin() + index, child);
    } else {
        m_children.push_back(child);
    }
    child->recordParent(self);
    childAdded(child);
    if (!silent) notifyChanged();
}

void QVModel::prefetchModel(const QVModel* model) {
    if (!model) return;
    // The start (the shared owner's count lies just before it), the parent
    // records and the marks.
    __builtin_prefetch(reinterpret_cast<const char*>(model) - 16, 1);
    __builtin_prefetch(&model->m_parents, 1);
    __builtin_prefetch(&model->m_children);
    __builtin_prefetch(&model->m_childMark, 1);
}

void QVModel::appendChildrenById(const std::vector<uint32_t>& ids) {
    QVModelController* controller = QVModelController::shared();
    const std::shared_ptr<QVModel> self = sharedFromThis();
    if (!self || ids.empty()) return;
    // Present children carry this walk's mark; a model is linked only the
    // first time it is named.
    const uint32_t mark = nextMark(g_childMarks);
    for (const auto& child : m_children) child->m_childMark = mark;
    m_children.reserve(m_children.size() + ids.size());
    // Children lie scattered in memory: the id slots and then the models a
    // few steps ahead are fetched early, so their cache misses overlap. Only
    // hints: every child is looked up again when its turn comes.
    constexpr size_t kAhead = 8;
    const size_t count = ids.size();
    for (size_t i = 0; i < std::min(count, 2 * kAhead); ++i) controller->prefetchModelId(ids[i]);
    for (size_t i = 0; i < std::min(count, kAhead); ++i) prefetchModel(controller->findModel(ids[i]));
    for (size_t i = 0; i < count; ++i) {
        if (i + 2 * kAhead < count) controller->prefetchModelId(ids[i + 2 * kAhead]);
        if (i + kAhead < count) prefetchModel(controller->findModel(ids[i + kAhead]));
        QVModel* child = controller->findModel(ids[i]);
        if (!child || child->m_childMark == mark) continue;
        child->m_childMark = mark;
        if (!acceptsChild(*child)) continue;
        // Registered, so owned by the controller (see getModel).
        m_children.push_back(child->shared_from_this());
        child->recordParent(self);
        childAdded(m_children.back());
    }
}

void QVModel::removeChild(const std::shared_ptr<QVModel>& child, bool silent) {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) return;
    std::shared_ptr<QVModel> keep = child;  // the caller may pass our own entry
    m_children.erase(it);
    keep->forgetParent(this);
    childRemoved(keep);
    if (!silent) notifyChanged();
}

void QVModel::removeAllChildren(bool silent) {
    if (m_children.empty()) return;
    std::vector<std::shared_ptr<QVModel>> former;
    former.swap(m_children);
    for (const auto& child : former) child->forgetParent(this);
    childrenCleared();
    if (!silent) notifyChanged();
    former.clear();  // released last, after the notifications
}

bool QVModel::hasChild(const std::shared_ptr<QVModel>& child) const {
    return std::find(m_children.begin(), m_children.end(), child) != m_children.end();
}

unsigned QVModel::childIndex(const std::shared_ptr<QVModel>& child) const {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    return static_cast<unsigned>(it - m_children.begin());
}

std::shared_ptr<QVModel> QVModel::parent() const {
    for (const auto& weak : m_parents) {
        if (auto p = weak.lock()) return p;
    }
    return std::shared_ptr<QVModel>();
}

std::vector<std::shared_ptr<QVModel>> QVModel::parents() const {
    std::vector<std::shared_ptr<QVModel>> result;
    for (const auto& weak : m_parents) {
        if (auto p = weak.lock()) result.push_back(std::move(p));
    }
    return result;
}

bool QVModel::hasParent(const std::shared_ptr<QVModel>& model) const {
    if (!model) return false;
    for (const auto& weak : m_parents) {
        if (weak.lock() == model) return true;
    }
    return false;
}

void QVModel::addParent(const std::shared_ptr<QVModel>& parent, bool silent) {
    purgeDeadParents();
    if (!parent || hasParent(parent)) return;
    // The parent decides; its insertChild records the parent here only when
    // it accepts, so a refused link changes neither side.
    std::shared_ptr<QVModel> self = sharedFromThis();
    if (self) parent->addChild(self, silent);
}

void QVModel::removeParent(const std::shared_ptr<QVModel>& parent, bool silent) {
    purgeDeadParents();
    if (!parent || !hasParent(parent)) return;
    std::shared_ptr<QVModel> self = sharedFromThis();
    forgetParent(parent.get());
    if (self) parent->removeChild(self, silent);
}

void QVModel::recordParent(const std::shared_ptr<QVModel>& parent) {
    // Links come in pairs, so a parent that has just linked this model is not
    // listed yet. Dead entries are squeezed out only when the list would
    // grow, which keeps appending O(1) amortised.
    if (m_parents.full()) purgeDeadParents();
    m_parents.push_back(parent);
}

void QVModel::forgetParent(const QVModel* parent) {
    purgeDeadParents();
    for (size_t i = 0; i < m_parents.size(); ++i) {
        if (m_parents.begin()[i].lock().get() == parent) {
            m_parents.erase(i);
            return;
        }
    }
}

void QVModel::purgeDeadParents() { m_parents.purgeDead(); }

bool QVModel::isSelfOrAncestor(const QVModel* model) const {
    if (!model) return false;
    if (model == this) return true;
    // Only a model with children is anybody's ancestor: linking a chain from
    // the top down asks this of fresh models only, and costs no walk.
    if (model->m_children.empty()) return false;
    // Every live ancestor once (shared ancestors carry this walk's mark), with
    // one reused work list: linear in the ancestors, whatever the depth.
    static std::vector<const QVModel*> pending;
    const uint32_t mark = nextMark(g_ancestorMarks);
    pending.clear();
    pending.push_back(this);
    m_ancestorMark = mark;
    while (!pending.empty()) {
        const QVModel* current = pending.back();
        pending.pop_back();
        for (const auto& weak : current->m_parents) {
            const std::shared_ptr<QVModel> parent = weak.lock();
            if (!parent || parent->m_ancestorMark == mark) continue;
            if (parent.get() == model) return true;
            parent->m_ancestorMark = mark;
            pending.push_back(parent.get());
        }
    }
    return false;
}

size_t QVModel::findReference(const QVBaseAttribute* attribute) const {
    if (!attribute) return kNoReference;
    if (m_referencesIndexed) {
        auto it = m_referenceIndex.find(attribute);
        return it == m_referenceIndex.end() ? kNoReference : it->second;
    }
    for (size_t i = 0; i < m_references.size(); ++i) {
        if (m_references[i] == attribute) return i;
    }
    return kNoReference;
}

void QVModel::addReference(QVBaseAttribute* attribute) {
    if (!attribute || findReference(attribute) != kNoReference) return;
    m_references.push_back(attribute);
    if (m_referencesIndexed) {
        m_referenceIndex.emplace(attribute, m_references.size() - 1);
    } else if (m_references.size() > kReferenceIndexMinimum) {
        for (size_t i = 0; i < m_references.size(); ++i) {
            if (m_references[i]) m_referenceIndex.emplace(m_references[i], i);
        }
        m_referencesIndexed = true;
    }
}

void QVModel::removeReference(QVBaseAttribute* attribute) {
    const size_t position = findReference(attribute);
    if (position == kNoReference) return;
    m_references[position] = nullptr;
    if (m_referencesIndexed) m_referenceIndex.erase(attribute);
    ++m_referenceHoles;
    while (!m_references.empty() && m_references.back() == nullptr) {
        m_references.pop_back();
        --m_referenceHoles;
    }
    if (m_referenceHoles >= kReferenceCompactMinimum && m_referenceHoles * 2 > m_references.size()) {
        compactReferences();
    }
}

bool QVModel::hasReference(const QVBaseAttribute* attribute) const { return findReference(attribute) != kNoReference; }

const std::vector<QVBaseAttribute*>& QVModel::references() const {
    if (m_referenceHoles > 0) compactReferences();
    return m_references;
}

void QVModel::compactReferences() const {
    size_t out = 0;
    for (QVBaseAttribute* attribute : m_references) {
        if (!attribute) continue;
        if (m_referencesIndexed) m_referenceIndex[attribute] = out;
        m_references[out++] = attribute;
    }
    m_references.resize(out);
    m_referenceHoles = 0;
}

void QVModel::addListener(QVModelListener* listener) {
    if (!listener || std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end()) return;
    m_listeners.push_back(listener);
}

void QVModel::removeListener(QVModelListener* listener) {
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void QVModel::registerCopy(const QVModel& source) {
    QVModelController* controller = QVModelController::shared();
    // Registered means the source itself is in the id map, not merely some
    // model under its id.
    if (controller->getModel(source.id()).get() == &source) {
        controller->addModel(sharedFromThis(), -1);
    }
}

void QVModel::notifyChanged() {
    std::shared_ptr<QVModel> self = sharedFromThis();
    callListeners(m_listeners, [&](QVModelListener* l) { l->modelChanged(self); });
    QVModelController::shared()->notifyModelChanged(self);
}
