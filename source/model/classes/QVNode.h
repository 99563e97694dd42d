// Flow-graph nodes: one per screen of the game, its screen model as a child.
// A link from node N to node M named X is a follower attribute X of N whose
// source is M's "Load"; the connections pack (and dictionary) creates the
// link attributes it names that the node lacks, in the order it holds them.
// A start node has no source attribute ("---" is unlinked), so nothing can
// link to it.
// Reading links: a key number the key table lacks is logged and skipped, the
// other links still load; a link entry that is not a map throws
// msgpack::type_error. A link to an unknown model stays unlinked.
#pragma once

#include <memory>
#include <string>

#include "model/classes/QVAttributeTable.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelGlue.h"

class QVModelScreen;
class QVModelScreenScene;
class QVNode;

#define QV_NODE_ATTRIBUTES(X)                 \
    X(QVAttributePoint, position, "Position") \
    X(QVAttribute, load, "Load")

class QVBaseNode : public QVModel {
public:
    // The first child that is a kind of QVModelScreen, else empty.
    std::shared_ptr<QVModelScreen> screenModel() const;
    // The node the first attribute named `name` leads to: its source's owner
    // when that is a node, else empty.
    std::shared_ptr<QVNode> linkTarget(const std::string& name) const;
    // False only for drawn links (followers); everything else is the class's.
    virtual bool isFixedAttribute(const QVBaseAttribute* attribute) const;

    QVAttributePoint* position() const { return m_position; }
    // The attribute named "Load" at construction; in a new start node the
    // one renamed "---", in a copy of one its follower "Load".
    QVAttribute* load() const { return m_load; }

    // Adds "attributesCount".
    void collectKeys() override;
    void packConnections(QVPackMap& map) override;
    void unpackConnections(const QVPackMap& map) override;
    void connectionsFromDictionary(cocos2d::CCDictionary* dict) override;
    cocos2d::CCDictionary* connectionsToDictionary() const override;

protected:
    explicit QVBaseNode(const std::string& name);
    QVBaseNode(const QVBaseNode& source);

    // A plain follower named `name`, owned by this node's list.
    QVAttribute* addLink(const std::string& name);

    QV_NODE_ATTRIBUTES(QV_ATTRIBUTE_MEMBER)
};

class QVNode : public QVBaseNode {
    QV_MODEL_GLUE_NO_CREATE(QVNode, QVModel)
public:
    explicit QVNode(const std::string& name);
    QVNode(const QVNode& source);
};

// A world: its "UI" links it to its HUD.
class QVNodeScene : public QVNode {
    QV_MODEL_GLUE(QVNodeScene, "", QVNode, QVModel)
public:
    // An empty name becomes defaultName().
    explicit QVNodeScene(const std::string& name);
    QVNodeScene(const QVNodeScene& source);

    // "New World " and the first number no registered world node is named with.
    static std::string defaultName();
    std::shared_ptr<QVModelScreenScene> screenScene() const;
    bool isFixedAttribute(const QVBaseAttribute* attribute) const override;

private:
    QVMember<QVAttribute> m_uiMember;
};

// A menu or HUD screen.
class QVNodeUI : public QVNode {
    QV_MODEL_GLUE(QVNodeUI, "", QVNode, QVModel)
public:
    // An empty name becomes defaultName().
    explicit QVNodeUI(const std::string& name);
    QVNodeUI(const QVNodeUI& source);

    // "New UI " and the first number no registered UI node (start nodes
    // aside) is named with.
    static std::string defaultName();
};

// Where the game begins: "Load" is its link to the first screen.
class QVNodeUIStart : public QVNodeUI {
    QV_MODEL_GLUE(QVNodeUIStart, "", QVNodeUI, QVNode, QVModel)
public:
    explicit QVNodeUIStart(const std::string& name);
    QVNodeUIStart(const QVNodeUIStart& source);

private:
    QVMember<QVAttribute> m_startMember;
};
