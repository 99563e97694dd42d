// QVModel: base of every data model. A model is a named bag of attributes with
// a 32-bit id, children held strongly and parents weakly, references from
// attributes of other models, and listeners.
// Guarantees: parent and child links always come in pairs; no model is a
// child twice, nor its own child or ancestor's child (such links are refused
// silently, as is a general-settings child); ids that a model takes or is
// given keep the controller's id counter ahead of them; destruction never
// notifies the dying model's owner hooks, and releasing a tree of models takes
// children out with a work list, never one stack frame per level.
// Reading packs: a wrongly typed entry raises msgpack::type_error and the
// model keeps what it read before; missing keys are never errors.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/core/QVAttributeValue.h"
#include "model/core/QVMessagePackInterface.h"
#include "model/core/QVModelListener.h"
#include "model/core/QVTypeId.h"

namespace cocos2d {
class CCDictionary;
}  // namespace cocos2d

// A model's attribute list: the first kInline pointers live inside the model
// (most models have fewer, so the list costs no allocation), a longer list
// moves to the heap. Iterates like a vector of QVAttribute*.
class QVAttributeList {
public:
    static constexpr size_t kInline = 8;

    QVAttributeList() = default;
    QVAttributeList(const QVAttributeList&) = delete;
    QVAttributeList& operator=(const QVAttributeList&) = delete;

    size_t size() const { return m_spilled ? m_heap.size() : m_size; }
    bool empty() const { return size() == 0; }
    QVAttribute* operator[](size_t i) const { return data()[i]; }
    QVAttribute* const* begin() const { return data(); }
    QVAttribute* const* end() const { return data() + size(); }
    std::vector<QVAttribute*> toVector() const { return std::vector<QVAttribute*>(begin(), end()); }

    // Inserts before `index` (index <= size()).
    void insert(size_t index, QVAttribute* attribute);
    void push_back(QVAttribute* attribute) { insert(size(), attribute); }
    void erase(size_t index);
    void assign(const std::vector<QVAttribute*>& attributes);
    void clear();
    // Empties the list without allocating: the items go to `inlineOut` (room
    // for kInline) or, for a long list, to `heapOut`. Returns where they are.
    QVAttribute* const* takeAll(QVAttribute** inlineOut, std::vector<QVAttribute*>& heapOut, size_t& count);

private:
    QVAttribute* const* data() const { return m_spilled ? m_heap.data() : m_inline; }

    QVAttribute* m_inline[kInline] = {};
    size_t m_size = 0;  // used while not spilled
    bool m_spilled = false;
    std::vector<QVAttribute*> m_heap;
};

// A model's parent records: the first inside the model (most models have one
// parent or none, so the record costs no allocation), more on the heap.
class QVParentList {
public:
    using Entry = std::weak_ptr<QVModel>;

    size_t size() const { return m_spilled ? m_more.size() : (m_hasFirst ? 1 : 0); }
    bool empty() const { return size() == 0; }
    const Entry* begin() const { return m_spilled ? m_more.data() : &m_first; }
    const Entry* end() const { return begin() + size(); }
    // True when the next push_back would have to grow the storage.
    bool full() const { return m_spilled ? m_more.size() == m_more.capacity() : m_hasFirst; }

    void push_back(const std::shared_ptr<QVModel>& parent);
    void erase(size_t index);
    // Drops the records of parents that have died.
    void purgeDead();

private:
    Entry m_first;
    bool m_hasFirst = false;
    bool m_spilled = false;
    std::vector<Entry> m_more;
};

class QVModel : public QVMessagePackInterface, public std::enable_shared_from_this<QVModel> {
public:
    // The id read when a pack has none; never handed out and never counted.
    static constexpr uint32_t kNoId = 4294967295u;

    // Takes the controller's next id (or the id the loader is building the
    // model for) and creates the "Name" attribute silently.
    explicit QVModel(const std::string& name);
    // A fresh id and clones of every attribute that is not one of the
    // source's members (those are copied by the class's copy constructor);
    // no children, parents, references or listeners.
    QVModel(const QVModel& source);
    QVModel& operator=(const QVModel&) = delete;
    ~QVModel() override;

    // "id", "Class Name", "children" (with children), then per attribute its
    // own keys and its name.
    void collectKeys() override;
    // Throws "Zone not set" / "A key is not present" from the writers.
    void pack(QVPackMap& map) override;
    void unpack(const QVPackMap& map) override;
    void packConnections(QVPackMap& map) override;
    void unpackConnections(const QVPackMap& map) override;

    virtual const char* className() const { return "QVModel"; }
    virtual uint32_t type() const { return typeId<QVModel>(); }
    virtual void fromDictionary(cocos2d::CCDictionary* dict);
    virtual void connectionsFromDictionary(cocos2d::CCDictionary* dict);
    // New autoreleased dictionaries.
    virtual cocos2d::CCDictionary* toDictionary() const;
    virtual cocos2d::CCDictionary* connectionsToDictionary() const;
    // Called by an attribute of this model (kind 0 value, 1 links).
    virtual void attributeChanged(QVAttribute* attribute, int kind);
    // Appends the children of `source` (clones when deep; registered clones
    // only when registerCopies and their source is registered).
    virtual void copyChildren(const std::shared_ptr<QVModel>& source, bool deep, bool registerCopies, bool silent);
    virtual std::shared_ptr<QVModel> clone(bool deep, bool registerCopy) const = 0;
    virtual bool isKindOf(uint32_t id) const { return id == typeId<QVModel>(); }
    // True for the game's one settings model (QVSettingsModel).
    virtual bool isSettingsModel() const { return false; }
    virtual void childAdded(const std::shared_ptr<QVModel>& child);
    virtual void childRemoved(const std::shared_ptr<QVModel>& child);
    virtual void childrenCleared();

    // Identity.
    uint32_t id() const { return m_id; }
    // Re-keys the controller's id map and raises its id counter.
    void setId(uint32_t id);
    // Empty when the model is not held by a shared pointer (or is dying).
    std::shared_ptr<QVModel> sharedFromThis() const;
    std::string name() const;
    void setName(const std::string& name);
    QVAttributeString* nameAttribute() const { return m_nameAttribute; }

    // Attributes.
    QVAttribute* attribute(const std::string& name) const;
    int attributeIndex(const QVAttribute* attribute) const;
    // Inserts at `index` (appends when index >= count; -1 appends) and makes
    // this model the owner. Nothing when already present.
    void addAttribute(QVAttribute* attribute, unsigned index = static_cast<unsigned>(-1));
    void removeAttribute(QVAttribute* attribute);
    const QVAttributeList& attributes() const { return m_attributes; }

    // Children and parents; `silent` skips only the model-changed notification.
    void insertChild(const std::shared_ptr<QVModel>& child, unsigned index, bool silent = false);
    void addChild(const std::shared_ptr<QVModel>& child, bool silent = false);
    void removeChild(const std::shared_ptr<QVModel>& child, bool silent = false);
    void removeAllChildren(bool silent = false);
    bool hasChild(const std::shared_ptr<QVModel>& child) const;
    // The position, or the child count when absent.
    unsigned childIndex(const std::shared_ptr<QVModel>& child) const;
    const std::vector<std::shared_ptr<QVModel>>& children() const { return m_children; }
    // First live parent in list order, else empty.
    std::shared_ptr<QVModel> parent() const;
    std::vector<std::shared_ptr<QVModel>> parents() const;
    bool hasParent(const std::shared_ptr<QVModel>& model) const;
    // Records `parent` only when the parent accepts this model as a child.
    void addParent(const std::shared_ptr<QVModel>& parent, bool silent = false);
    void removeParent(const std::shared_ptr<QVModel>& parent, bool silent = false);
    // True when `model` is this model or one of its live ancestors.
    bool isSelfOrAncestor(const QVModel* model) const;

    // Typed lookups (exact class, or class and subclasses "OfKind").
    template <class T>
    std::vector<std::shared_ptr<T>> children() const;
    template <class T>
    std::vector<std::shared_ptr<T>> childrenOfKind() const;
    template <class T>
    std::shared_ptr<T> child() const;
    template <class T>
    std::shared_ptr<T> firstOfKind() const;
    template <class T>
    std::shared_ptr<T> parent() const;

    // References from attributes of other models; each at most once, in the
    // order added. O(1) add and remove.
    void addReference(QVBaseAttribute* attribute);
    void removeReference(QVBaseAttribute* attribute);
    bool hasReference(const QVBaseAttribute* attribute) const;
    const std::vector<QVBaseAttribute*>& references() const;

    // Listeners (not owned).
    void addListener(QVModelListener* listener);
    void removeListener(QVModelListener* listener);
    const std::vector<QVModelListener*>& listeners() const { return m_listeners; }

    // Registers this model when `source` itself is registered.
    void registerCopy(const QVModel& source);
    // Listeners' modelChanged, then the controller's notifyModelChanged.
    void notifyChanged();

protected:
    // Detaches every attribute (no notification reaches this model again)
    // and deletes those that are not members; the members die with the
    // object. The glue's destructor calls it before any member dies.
    void releaseAttributes();
    // After a copy constructor: the attribute list in `source`'s order, the
    // members that `source` does not list taken out. `source` is of this
    // model's class (the glue's createCopy).
    void adoptAttributeOrder(const QVModel& source);

    // For a copy constructor: the copy's member `mine` when this model (the
    // source) lists its own member `member`, else null.
    template <class A>
    A* listed(const QVMember<A>& member, QVMember<A>& mine) const {
        return attributeIndex(&member) >= 0 ? &mine : nullptr;
    }

    // Appends every model named by `ids` that the controller knows, skipping
    // ids it lacks and models already children (a mark on each child instead
    // of a set). Otherwise as addChild, silent.
    void appendChildrenById(const std::vector<uint32_t>& ids);

private:
    // insertChild after the duplicate test, with this model's shared owner.
    void insertCheckedChild(const std::shared_ptr<QVModel>& self, const std::shared_ptr<QVModel>& child, unsigned index,
                            bool silent);
    // The parent half of a link the parent has just made (so not recorded
    // yet); the child half is the caller's.
    void recordParent(const std::shared_ptr<QVModel>& parent);
    // A child may be linked under this model: not the settings, not this
    // model nor one of its ancestors.
    bool acceptsChild(const QVModel& child) const;
    // A hint: the parts of `model` that linking it as a child reads.
    static void prefetchModel(const QVModel* model);
    void forgetParent(const QVModel* parent);
    void purgeDeadParents();
    void compactReferences() const;
    static constexpr size_t kNoReference = static_cast<size_t>(-1);
    // Position in m_references, or kNoReference.
    size_t findReference(const QVBaseAttribute* attribute) const;

    QVAttributeString* m_nameAttribute = nullptr;
    uint32_t m_id = 0;
    QVAttributeList m_attributes;
    QVParentList m_parents;
    // Removal leaves a hole (null) so that order is kept in O(1); holes are
    // squeezed out once they are the majority, and before the list is read.
    mutable std::vector<QVBaseAttribute*> m_references;
    // Kept only once the list has grown long (m_referencesIndexed).
    mutable std::unordered_map<const QVBaseAttribute*, size_t> m_referenceIndex;
    bool m_referencesIndexed = false;
    mutable size_t m_referenceHoles = 0;
    std::vector<std::shared_ptr<QVModel>> m_children;
    std::vector<QVModelListener*> m_listeners;
    // Generation marks of the linking walks (see QVModel.cpp).
    mutable uint32_t m_childMark = 0;
    mutable uint32_t m_ancestorMark = 0;
    // Last: it joins m_attributes, which must exist first.
    QVMember<QVAttributeString> m_name;
};

template <class T>
std::vector<std::shared_ptr<T>> QVModel::children() const {
    std::vector<std::shared_ptr<T>> result;
    for (const auto& c : m_children) {
        if (auto t = modelCast<T>(c)) result.push_back(std::move(t));
    }
    return result;
}

template <class T>
std::vector<std::shared_ptr<T>> QVModel::childrenOfKind() const {
    std::vector<std::shared_ptr<T>> result;
    for (const auto& c : m_children) {
        if (auto t = modelKindCast<T>(c)) result.push_back(std::move(t));
    }
    return result;
}

template <class T>
std::shared_ptr<T> QVModel::child() const {
    for (const auto& c : m_children) {
        if (auto t = modelCast<T>(c)) return t;
    }
    return std::shared_ptr<T>();
}

template <class T>
std::shared_ptr<T> QVModel::firstOfKind() const {
    for (const auto& c : m_children) {
        if (auto t = modelKindCast<T>(c)) return t;
    }
    return std::shared_ptr<T>();
}

template <class T>
std::shared_ptr<T> QVModel::parent() const {
    for (const auto& weak : m_parents) {
        if (auto t = modelCast<T>(weak.lock())) return t;
    }
    return std::shared_ptr<T>();
}
