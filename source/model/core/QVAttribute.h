// QVBaseAttribute / QVAttribute: a named value owned by at most one model,
// encodable into packs and dictionaries, and linkable: a source (mode 1) has
// any number of followers (mode 2), a follower at most one source.
// Guarantees: links are always symmetric (if A lists B, B lists A); an
// attribute is in its owner's attribute list exactly while it names that
// owner; a dying attribute drops every link first (owners hear kind 1).
// Refuses silently: links between equal or zero modes, a second link to the
// same attribute, reading a link to an unknown model or an empty name.
// A plain QVAttribute carries no value and serves as a pure link.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "model/core/QVMessagePackInterface.h"
#include "model/core/QVTypeId.h"

namespace cocos2d {
class CCDictionary;
}  // namespace cocos2d

class QVAnimationCurve;
class QVAttribute;
class QVModel;

// An attribute name and its key number, remembered until the key table
// changes. Names given as text literals share one entry per text for the
// whole process, so a name is looked up in the key table once per table,
// not once per attribute, and no attribute carries a string of its own.
struct QVAttributeName {
    std::string text;
    mutable std::int32_t code = -1;
    mutable std::uint32_t generation = 0;  // 0: not looked up

    std::int32_t keyCode() const;
    // The shared entry of a text (made on first use, kept for the process).
    static const QVAttributeName* shared(const char* text);
};

// The name an attribute is made with: a text literal (or any char array:
// its text is copied into the shared entry) uses the shared entry; any
// other text gets an entry of the attribute's own.
class QVNameArg {
public:
    template <std::size_t N>
    QVNameArg(const char (&text)[N]) : m_shared(QVAttributeName::shared(text)) {}  // NOLINT: implicit by design
    template <class P, std::enable_if_t<std::is_same<P, const char*>::value || std::is_same<P, char*>::value, int> = 0>
    QVNameArg(P text) : m_text(text ? text : "") {}             // NOLINT
    QVNameArg(const std::string& text) : m_text(text) {}        // NOLINT
    QVNameArg(std::string&& text) : m_text(std::move(text)) {}  // NOLINT

private:
    friend class QVBaseAttribute;
    const QVAttributeName* m_shared = nullptr;
    std::string m_text;
};

class QVBaseAttribute : public QVMessagePackInterface {
public:
    enum ConnectionMode : uint32_t { kConnectionNone = 0, kConnectionSource = 1, kConnectionFollower = 2 };
    // Kinds passed to the owner's attributeChanged.
    enum ChangeKind : int { kChangeValue = 0, kChangeLinks = 1 };
    // Declaration flag: the random variance is part of the authored value.
    static constexpr uint32_t kFlagVariableValue = 1;

    QVBaseAttribute(const QVBaseAttribute&) = delete;
    QVBaseAttribute& operator=(const QVBaseAttribute&) = delete;
    ~QVBaseAttribute() override;

    // Base link keys: a follower with a source adds "connectedModelId" and
    // "attributeName"; everything else adds nothing.
    void collectKeys() override;
    // A follower with a source writes "connectedModelId" and "attributeName";
    // others write nothing. Throws what QVPackMap::put throws.
    void packConnections(QVPackMap& map) override;
    // A follower links (silently) to the first source-mode attribute of the
    // named registered model that bears the name. Throws msgpack::type_error
    // for a wrongly typed entry.
    void unpackConnections(const QVPackMap& map) override;

    virtual const char* className() const;
    virtual uint32_t type() const;
    // A new attribute of the same class copied from this one, named `name` and
    // appended to `owner` (which may be null).
    virtual QVAttribute* clone(const std::string& name, QVModel* owner) const = 0;
    // Same name, new owner (used when a whole model is copied).
    virtual QVAttribute* clone(QVModel* owner) const;
    // New name, same owner.
    virtual QVAttribute* clone(const std::string& name) const;
    virtual void valueFromDictionary(cocos2d::CCDictionary* dict);
    // As unpackConnections, reading the id with uintValue and the name as text.
    virtual void connectionFromDictionary(cocos2d::CCDictionary* dict);
    // A new autoreleased dictionary; empty in the base classes.
    virtual cocos2d::CCDictionary* valueToDictionary() const;
    // A new autoreleased dictionary: for a follower with a source
    // "connectedModelId" ("%d") and "attributeName"; otherwise empty.
    virtual cocos2d::CCDictionary* connectionToDictionary() const;
    // The curves kept for an object state (not handed over); none here.
    virtual std::vector<QVAnimationCurve*> animationCurves(int state) const;
    // Keeps curves for a state, taking ownership; the base deletes them.
    virtual void setAnimationCurves(const std::vector<QVAnimationCurve*>& curves, int state);
    // Tells the owner (when there is one) through attributeChanged.
    virtual void valueChanged(int kind) = 0;

    const std::string& name() const { return m_name->text; }
    // keyCode(name()), remembered until the name or the key table changes.
    std::int32_t nameKeyCode() const { return m_name->keyCode(); }
    QVModel* owner() const { return m_owner; }
    // The model this attribute is a member of (see QVMember), else null.
    QVModel* memberOf() const { return m_memberOf; }
    uint32_t flags() const { return m_flags; }
    // A declaration: neither packed nor notified.
    void setFlags(uint32_t flags);
    uint32_t connectionMode() const { return m_connectionMode; }

    // Notifies kind 0 unless silent, also when the name is unchanged.
    void setName(const std::string& name, bool silent = false);
    // The name as made, for a copy that keeps it (a renamed member included).
    QVNameArg nameArg() const;
    // Drops every link (same silent flag) when the mode changes.
    void setConnectionMode(uint32_t mode, bool silent = false);
    void connect(QVBaseAttribute* other, bool silent = false);
    void disconnect(QVBaseAttribute* follower, bool silent = false);
    void disconnectAll(bool silent = false);
    std::vector<QVBaseAttribute*> connections() const { return m_connections; }
    // A follower's source, else null.
    QVBaseAttribute* connectedAttribute() const;
    bool contains(const QVBaseAttribute* attribute) const;

protected:
    QVBaseAttribute(QVNameArg name, uint32_t flags);
    // Copies flags and mode; a follower's copy follows the same source.
    QVBaseAttribute(QVNameArg name, const QVBaseAttribute& source);

    // Finds and connects to the named source of model `modelId`.
    void connectByName(uint32_t modelId, const std::string& attributeName);

private:
    friend class QVModel;
    friend class QVAttribute;
    template <class A>
    friend class QVMember;

    // Takes the entry of `name` (the shared one, or a new own one).
    void adoptName(QVNameArg&& name);

    const QVAttributeName* m_name = nullptr;
    std::unique_ptr<QVAttributeName> m_ownName;  // set for names not shared
    QVModel* m_owner = nullptr;
    QVModel* m_memberOf = nullptr;
    uint32_t m_flags = 0;
    uint32_t m_connectionMode = kConnectionNone;
    std::vector<QVBaseAttribute*> m_connections;
};

class QVAttribute : public QVBaseAttribute {
public:
    // Appends itself to `owner` when it is not null.
    QVAttribute(QVNameArg name, QVModel* owner, uint32_t flags = 0);
    // The copy: flags and mode of `source`, the same source when it follows one.
    QVAttribute(QVNameArg name, QVModel* owner, const QVAttribute& source);
    // Drops every link (not silently), then leaves the owner's list.
    ~QVAttribute() override;

    const char* className() const override { return "QVAttribute"; }
    uint32_t type() const override { return typeId<QVAttribute>(); }
    using QVBaseAttribute::clone;
    QVAttribute* clone(const std::string& name, QVModel* owner) const override {
        return new QVAttribute(name, owner, *this);
    }
    void valueChanged(int kind) override;

    // Leaves the old owner's list, then joins the new owner's (null: none).
    void setOwner(QVModel* owner);
};

// An attribute that is a member of its model, `QVMember<QVAttributeFloat>
// m_speed{"Speed", this};`: built with the model (no allocation of its own),
// listed in the model's attributes in construction order, and destroyed with
// the model, never through the attribute list. removeAttribute takes it out
// of the list and leaves it alive until its model dies; it must never be
// deleted. A class with members uses the model glue (QVModelGlue.h), whose
// destructor detaches every attribute before the members die.
template <class A>
class QVMember final : public A {
public:
    // The attribute's own constructor: (name, model, ...) or, in a copy
    // constructor, (name, model, source member).
    template <class... Args>
    explicit QVMember(QVNameArg name, QVModel* model, Args&&... args)
        : A(std::move(name), model, std::forward<Args>(args)...) {
        this->m_memberOf = model;
    }
};

// The per-class glue of an attribute class: class name, type id and the
// three clones through the copy constructor Class(name, owner, source).
#define QV_ATTRIBUTE_GLUE(Class)                                                           \
public:                                                                                    \
    const char* className() const override { return #Class; }                              \
    uint32_t type() const override { return typeId<Class>(); }                             \
    using QVBaseAttribute::clone;                                                          \
    QVAttribute* clone(const std::string& cloneName, QVModel* cloneOwner) const override { \
        return new Class(cloneName, cloneOwner, *this);                                    \
    }
