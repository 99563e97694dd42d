// Observer of one model's changes. The model never owns its listeners and
// calls them from a copy of its list, so a listener may add or remove
// listeners (itself included) while it is being called.
// Every callback has an empty default, so an observer overrides only what it needs.
#pragma once

#include <memory>

class QVModel;
class QVAttribute;

class QVModelListener {
public:
    virtual ~QVModelListener() = default;
    virtual void modelChanged(const std::shared_ptr<QVModel>& model) { (void)model; }
    // kind 0: a value or name changed; kind 1: links changed.
    virtual void attributeChanged(QVAttribute* attribute, int kind) { (void)attribute; (void)kind; }
    virtual void childAdded(const std::shared_ptr<QVModel>& model, const std::shared_ptr<QVModel>& child) {
        (void)model;
        (void)child;
    }
    virtual void childRemoved(const std::shared_ptr<QVModel>& model, const std::shared_ptr<QVModel>& child) {
        (void)model;
        (void)child;
    }
    virtual void childrenCleared(const std::shared_ptr<QVModel>& model) { (void)model; }
};
