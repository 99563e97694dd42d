// Model-reference attributes: reference bookkeeping, copies, pack and
// dictionary links, owned models and the animation's loop flag, over
// stand-ins of the linked classes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "../support/game_stand_ins.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModelController.h"
#include "model/core/QVModelGlue.h"
#include "model/core/QVPackMap.h"

using cocos2d::CCDictionary;
using cocos2d::CCString;

namespace {

// One attribute of each kind of link the tests need.
class Holder : public QVModel {
    QV_MODEL_GLUE(Holder, "Holder", QVModel)
public:
    explicit Holder(const std::string& name) : QVModel(name) {
        sound = new QVAttributeSound("Sound", this);
        target = new QVAttributeObject("Target", this);
        shape = new QVAttributeShape("Shape", this);
        animation = new QVAttributeAnimation("Animation", this);
    }
    Holder(const Holder& source) : QVModel(source) {
        sound = attributeCast<QVAttributeSound>(attribute("Sound"));
        target = attributeCast<QVAttributeObject>(attribute("Target"));
        shape = attributeCast<QVAttributeShape>(attribute("Shape"));
        animation = attributeCast<QVAttributeAnimation>(attribute("Animation"));
    }
    std::shared_ptr<Holder> copy() const { return std::static_pointer_cast<Holder>(clone(false, false)); }

    QVAttributeSound* sound;
    QVAttributeObject* target;
    QVAttributeShape* shape;
    QVAttributeAnimation* animation;
};

std::vector<QVBaseAttribute*> refs(const std::shared_ptr<QVModel>& model) { return model->references(); }

class ReferenceTest : public ::testing::Test {
protected:
    void SetUp() override {
        controller()->clear();
        installKeyTable({{"value", 10}, {"connectedModelId", 11}, {"attributeName", 12}, {"id", 42}});
    }
    void TearDown() override {
        controller()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->finalize();
    }
    static QVModelController* controller() { return QVModelController::shared(); }

    template <class T>
    static std::shared_ptr<T> registered(uint32_t id) {
        auto model = T::create();
        model->setId(id);
        controller()->addModel(model);
        return model;
    }

    // A connections map as the loader hands it over: written, then read back.
    struct Packed {
        msgpack::zone zone;
        msgpack::object object;
        QVPackMap map() const { return QVPackMap(object); }
    };
    static void pack(QVAttribute* attribute, Packed& out) {
        QVPackMap written(out.zone);
        attribute->packConnections(written);
        out.object = written.toObject(out.zone);
    }
    static void packValue(const msgpack::object& value, Packed& out) {
        out.object = msgpack::object(std::map<uint32_t, msgpack::object>{{10u, value}}, out.zone);
    }
    static CCDictionary* dictionaryWithValue(const char* text) {
        CCDictionary* dict = CCDictionary::create();
        if (text) dict->setObject(CCString::create(text), "value");
        return dict;
    }
};

TEST_F(ReferenceTest, LinkRelinkAndDestructionKeepTheReferenceListExact) {
    auto holder = Holder::create();
    auto first = QVModelSound::create(), second = QVModelSound::create();

    holder->sound->setModel(first);
    EXPECT_EQ(refs(first), std::vector<QVBaseAttribute*>{holder->sound});

    holder->sound->setModel(first);  // the same model again: nothing moves
    EXPECT_EQ(refs(first), std::vector<QVBaseAttribute*>{holder->sound});

    holder->sound->setModel(second);
    EXPECT_TRUE(refs(first).empty());
    EXPECT_EQ(refs(second), std::vector<QVBaseAttribute*>{holder->sound});
    EXPECT_EQ(holder->sound->model(), second);

    holder->sound->setModel(nullptr);
    EXPECT_TRUE(refs(second).empty());

    holder->sound->setModel(second);
    auto other = Holder::create();
    other->sound->setModel(second);
    EXPECT_EQ(refs(second), (std::vector<QVBaseAttribute*>{holder->sound, other->sound}));

    // A dying attribute (here with its owner) leaves the list; the model lives on.
    holder.reset();
    EXPECT_EQ(refs(second), std::vector<QVBaseAttribute*>{other->sound});
    other->removeAttribute(other->sound);
    delete other->sound;
    EXPECT_TRUE(refs(second).empty());
}

TEST_F(ReferenceTest, CopiesShareObjectsButCloneShapesAndAnimationsDeep) {
    auto source = Holder::create();
    auto object = registered<QVModelObject>(1200);
    auto polygon = registered<QVModelPolygon>(1500);
    auto animation = registered<QVModelAnimation>(1700);
    source->target->setModel(object);
    source->shape->setModel(polygon);
    source->animation->setModel(animation);
    source->animation->setLoop(false);

    auto copy = source->copy();

    // Shared: the same object, whose references now hold both attributes.
    EXPECT_EQ(copy->target->model(), object);
    EXPECT_EQ(refs(object), (std::vector<QVBaseAttribute*>{source->target, copy->target}));

    // Owned: a new polygon and a new animation, registered like their sources.
    ASSERT_TRUE(copy->shape->model());
    EXPECT_NE(copy->shape->model(), polygon);
    EXPECT_NE(copy->shape->model()->id(), polygon->id());
    EXPECT_EQ(controller()->getModel(copy->shape->model()->id()), copy->shape->model());
    EXPECT_EQ(refs(polygon), std::vector<QVBaseAttribute*>{source->shape});
    ASSERT_TRUE(copy->animation->model());
    EXPECT_NE(copy->animation->model(), animation);
    EXPECT_EQ(controller()->getModel(copy->animation->model()->id()), copy->animation->model());
    EXPECT_FALSE(copy->animation->loop());
    EXPECT_FALSE(copy->animation->sprite());

    // An unregistered shape gives an unregistered copy; an empty link stays empty.
    auto loose = Holder::create();
    loose->shape->setModel(QVModelPolygon::create());
    auto looseCopy = loose->copy();
    ASSERT_TRUE(looseCopy->shape->model());
    EXPECT_EQ(controller()->getModel(looseCopy->shape->model()->id()), nullptr);
    EXPECT_FALSE(looseCopy->animation->model());
    EXPECT_TRUE(looseCopy->animation->loop());
}

TEST_F(ReferenceTest, PackLinksResolveByIdAndKind) {
    auto sound = registered<QVModelSound>(1400);
    auto holder = Holder::create();
    holder->sound->setModel(sound);
    Packed packed;
    pack(holder->sound, packed);

    auto reader = Holder::create();
    reader->sound->unpackConnections(packed.map());
    EXPECT_EQ(reader->sound->model(), sound);

    // A subclass passes the kind test of an object reference.
    auto label = registered<QVModelObjectLabel>(1110);
    holder->target->setModel(label);
    Packed labelPack;
    pack(holder->target, labelPack);
    reader->target->unpackConnections(labelPack.map());
    EXPECT_EQ(reader->target->model(), label);

    // An id of another class unlinks.
    auto polygon = registered<QVModelPolygon>(1500);
    Packed wrongClass;
    packValue(msgpack::object(polygon->id()), wrongClass);
    reader->sound->unpackConnections(wrongClass.map());
    EXPECT_FALSE(reader->sound->model());
    EXPECT_TRUE(refs(sound).size() == 1u);  // only the writer's attribute

    // A wrongly typed value raises the type error.
    Packed text;
    packValue(msgpack::object("1400", text.zone), text);
    EXPECT_THROW(reader->sound->unpackConnections(text.map()), msgpack::type_error);
}

TEST_F(ReferenceTest, PackWithoutValueLinksIdZeroOnlyWhenItIsOfTheKind) {
    auto holder = Holder::create();
    auto sound = registered<QVModelSound>(1400);
    holder->sound->setModel(sound);
    Packed empty;
    empty.object = QVPackMap(empty.zone).toObject(empty.zone);

    // Nothing under id 0: the link empties.
    holder->sound->unpackConnections(empty.map());
    EXPECT_FALSE(holder->sound->model());

    auto zero = registered<QVModelSound>(0);
    holder->sound->unpackConnections(empty.map());
    EXPECT_EQ(holder->sound->model(), zero);

    controller()->removeModel(zero);
    registered<QVModelPolygon>(0);
    holder->sound->unpackConnections(empty.map());
    EXPECT_FALSE(holder->sound->model());
    EXPECT_TRUE(refs(zero).empty());
}

TEST_F(ReferenceTest, DictionaryLinksKeepOnEmptyAndReadTheFullUnsignedRange) {
    auto holder = Holder::create();
    auto high = registered<QVModelSound>(3000000000u);
    auto low = registered<QVModelSound>(1400);

    holder->sound->connectionFromDictionary(dictionaryWithValue("3000000000"));
    EXPECT_EQ(holder->sound->model(), high);

    holder->sound->connectionFromDictionary(dictionaryWithValue(""));
    EXPECT_EQ(holder->sound->model(), high);
    holder->sound->connectionFromDictionary(dictionaryWithValue(nullptr));
    EXPECT_EQ(holder->sound->model(), high);

    // Written back as "%u", so the high id survives a round trip.
    CCDictionary* written = holder->sound->connectionToDictionary();
    EXPECT_EQ(written->valueForKey("value")->str(), "3000000000");
    auto reader = Holder::create();
    reader->sound->connectionFromDictionary(written);
    EXPECT_EQ(reader->sound->model(), high);

    reader->sound->connectionFromDictionary(dictionaryWithValue("1400"));
    EXPECT_EQ(reader->sound->model(), low);
    reader->sound->connectionFromDictionary(dictionaryWithValue("99999"));
    EXPECT_FALSE(reader->sound->model());
    EXPECT_EQ(refs(high), std::vector<QVBaseAttribute*>{holder->sound});
}

TEST_F(ReferenceTest, AnimationLoopFollowsTheLinkedModelsLoopAttribute) {
    auto animation = registered<QVModelAnimation>(1700);
    auto* loop = new QVAttributeBool("Loop", animation.get());
    loop->setValue(false, true);
    auto plain = registered<QVModelAnimation>(1701);  // no "Loop" attribute

    auto holder = Holder::create();
    EXPECT_TRUE(holder->animation->loop());
    Packed packed;
    packValue(msgpack::object(1700u), packed);
    holder->animation->unpackConnections(packed.map());
    EXPECT_EQ(holder->animation->model(), animation);
    EXPECT_FALSE(holder->animation->loop());

    loop->setValue(true, true);
    holder->animation->connectionFromDictionary(dictionaryWithValue(""));  // keeps the link, reads the flag
    EXPECT_TRUE(holder->animation->loop());

    holder->animation->setLoop(false);
    holder->animation->connectionFromDictionary(dictionaryWithValue("1701"));
    EXPECT_EQ(holder->animation->model(), plain);
    EXPECT_FALSE(holder->animation->loop());
}

// Registering a holder registers the shape and animation it owns; they leave
// with it. (The sprite container it would only show stays: tests/model/classes/sprite.)
TEST_F(ReferenceTest, OwnedShapeAndAnimationRegisterAndLeaveWithTheirOwner) {
    auto holder = Holder::create();
    auto shape = QVModelPolygon::create();
    auto animation = QVModelAnimation::create();
    holder->shape->setModel(shape);
    holder->animation->setModel(animation);
    controller()->addModel(holder);
    EXPECT_EQ(controller()->getModel(shape->id()), shape);
    EXPECT_EQ(controller()->getModel(animation->id()), animation);
    controller()->removeModel(holder);
    EXPECT_FALSE(controller()->getModel(shape->id()));
    EXPECT_FALSE(controller()->getModel(animation->id()));
}

}  // namespace
