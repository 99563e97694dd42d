// QVObjectModelHolder: makes a model reachable from an engine node, set as
// the node's user object (the node retains it, it shares the model).
#pragma once

#include <memory>
#include <utility>

#include "base/CCObject.h"
#include "model/core/QVModel.h"
#include "scene/CCNode.h"

class QVObjectModelHolder : public cocos2d::CCObject {
public:
    // Autoreleased.
    static QVObjectModelHolder* create(std::shared_ptr<QVModel> model) {
        auto* holder = new QVObjectModelHolder(std::move(model));
        holder->autorelease();
        return holder;
    }

    const std::shared_ptr<QVModel>& getModel() const { return m_model; }

    // The model held by `node`'s user object; empty when it holds none.
    static std::shared_ptr<QVModel> modelOf(cocos2d::CCNode* node) {
        auto* holder = node ? dynamic_cast<QVObjectModelHolder*>(node->getUserObject()) : nullptr;
        return holder ? holder->m_model : nullptr;
    }

private:
    explicit QVObjectModelHolder(std::shared_ptr<QVModel> model) : m_model(std::move(model)) {}

    std::shared_ptr<QVModel> m_model;
};
