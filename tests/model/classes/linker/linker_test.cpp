// The linker: moving its object references and finding linker groups, also
// along a chain far longer than a recursive walk could take.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "model/classes/QVModelLinker.h"
#include "model/classes/QVModelObject.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVModelListener.h"

namespace {

// References an object without being a linker.
class Holder : public QVModel {
    QV_MODEL_GLUE(Holder, "Holder", QVModel)
public:
    explicit Holder(const std::string& name) : QVModel(name) { target = new QVAttributeObject("Target", this); }
    Holder(const Holder& source) : QVModel(source) {}
    QVAttributeObject* target;
};

class CountingListener : public QVModelListener {
public:
    void modelChanged(const std::shared_ptr<QVModel>&) override { ++changes; }
    int changes = 0;
};

std::vector<QVBaseAttribute*> refs(const std::shared_ptr<QVModel>& model) { return model->references(); }

class LinkerTest : public ::testing::Test {
protected:
    void TearDown() override {
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
};

TEST_F(LinkerTest, SetObjectsMovesReferencesAndNotifiesUnlessSilent) {
    auto linker = QVModelLinker::create();
    auto a = QVModelObject::create(), b = QVModelObject::create(), c = QVModelObject::create();
    CountingListener listener;
    linker->addListener(&listener);

    EXPECT_FALSE(linker->objectA());
    EXPECT_FLOAT_EQ(linker->torque(), 200.0f);
    linker->setObjects(a, b);
    EXPECT_EQ(linker->objectA(), a);
    EXPECT_EQ(linker->objectB(), b);
    EXPECT_EQ(refs(a), std::vector<QVBaseAttribute*>{linker->objectAAttribute()});
    EXPECT_EQ(refs(b), std::vector<QVBaseAttribute*>{linker->objectBAttribute()});
    EXPECT_EQ(listener.changes, 1);

    linker->setObjects(c, b, true);
    EXPECT_TRUE(refs(a).empty());
    EXPECT_EQ(refs(c), std::vector<QVBaseAttribute*>{linker->objectAAttribute()});
    EXPECT_EQ(refs(b).size(), 1u);
    EXPECT_EQ(listener.changes, 1);
    linker->removeListener(&listener);
}

TEST_F(LinkerTest, LinkersOfFindsDirectLinkersAndTheConnectedGroup) {
    auto x = QVModelObject::create(), y = QVModelObject::create(), z = QVModelObject::create();
    auto lone = QVModelObject::create();
    auto l1 = QVModelLinker::create(), l2 = QVModelLinker::create(), self = QVModelLinker::create();
    l1->setObjects(x, y, true);
    l2->setObjects(y, z, true);
    self->setObjects(lone, lone, true);
    auto holder = Holder::create();  // references x, but is no linker
    holder->target->setModel(x);

    using Linkers = std::vector<std::shared_ptr<QVModelLinker>>;
    EXPECT_EQ(QVModelLinker::linkersOf(x, false), Linkers{l1});
    EXPECT_EQ(QVModelLinker::linkersOf(x, true), (Linkers{l1, l2}));
    EXPECT_EQ(QVModelLinker::linkersOf(z, true), (Linkers{l2, l1}));
    EXPECT_EQ(QVModelLinker::linkersOf(y, false), (Linkers{l1, l2}));
    EXPECT_EQ(QVModelLinker::linkersOf(lone, true), Linkers{self});
    EXPECT_TRUE(QVModelLinker::linkersOf(QVModelObject::create(), true).empty());
    EXPECT_TRUE(QVModelLinker::linkersOf(nullptr, true).empty());

    // A linker copy shares its objects, so it joins the group.
    auto copy = std::static_pointer_cast<QVModelLinker>(l2->clone(false, false));
    EXPECT_EQ(copy->objectB(), z);
    EXPECT_EQ(QVModelLinker::linkersOf(z, false), (Linkers{l2, copy}));
}

TEST_F(LinkerTest, ALongChainOfLinkersIsWalkedWithoutRecursion) {
    const size_t count = 100000;
    std::vector<std::shared_ptr<QVModelObject>> objects;
    std::vector<std::shared_ptr<QVModelLinker>> linkers;
    objects.reserve(count + 1);
    linkers.reserve(count);
    objects.push_back(QVModelObject::create());
    for (size_t i = 0; i < count; ++i) {
        objects.push_back(QVModelObject::create());
        linkers.push_back(QVModelLinker::create());
        linkers.back()->setObjects(objects[i], objects[i + 1], true);
    }
    auto found = QVModelLinker::linkersOf(objects.front(), true);
    ASSERT_EQ(found.size(), count);
    EXPECT_EQ(found.front(), linkers.front());
    EXPECT_EQ(found.back(), linkers.back());
    EXPECT_EQ(QVModelLinker::linkersOf(objects[count / 2], true).size(), count);
}

}  // namespace
