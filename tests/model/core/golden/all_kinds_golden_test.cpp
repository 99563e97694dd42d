// Agreement with the independently written pack fixtures, both ways: C++
// packs the fixture models to exactly the fixture bytes, and reading the
// fixtures gives models that pack back to the same bytes. Mistakes an encoder and a
// decoder share (float widths, size classes, entry order) show here. The
// container is a stand-in with the real one's attributes; the real container
// reads the same bytes in tests/model/classes/sprite.
#include <gtest/gtest.h>

#include "../support/game_stand_ins.h"
#include "../support/model_test_support.h"
#include "TestAllKinds.h"
#include "base/CCAutoreleasePool.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"

namespace {

using modeltest::Bytes;

Bytes readFixture(const std::string& name) {
    return modeltest::readFile(std::string(QV_SOURCE_DIR) + "/tests/fixtures/packs/" + name);
}
std::string hex(const Bytes& bytes) { return modeltest::hexText(bytes, 32); }

// One pack file read through the bounded reader: every object with its bytes.
struct PackFile {
    Bytes bytes;
    std::vector<msgpack::object_handle> objects;
    std::vector<Bytes> objectBytes;
    bool endedAtNil = false;

    explicit PackFile(const std::string& name) : bytes(readFixture(name)) {
        QVPackStream stream(bytes.data(), bytes.size());
        msgpack::object_handle handle;
        while (stream.next(handle)) {
            objectBytes.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(stream.objectOffset()),
                                     bytes.begin() + static_cast<std::ptrdiff_t>(stream.offset()));
            objects.push_back(std::move(handle));
        }
        endedAtNil = stream.endedAtNil();
    }
    QVPackMap map(size_t index) const { return QVPackMap(objects.at(index).get()); }
};

// What a model (or attribute) packs, or its connections, as bytes.
template <class Packable>
Bytes packed(Packable& object, bool connections = false) {
    msgpack::zone zone;
    QVPackMap map(zone);
    if (connections) {
        object.packConnections(map);
    } else {
        object.pack(map);
    }
    return map.toBytes();
}

class AllKindsGolden : public ::testing::Test {
protected:
    void SetUp() override {
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->push();
        const Bytes keys = readFixture("Keys.pack");
        ASSERT_FALSE(keys.empty()) << "tests/fixtures/packs/Keys.pack is missing";
        installKeyTable(readKeysPack(keys.data(), keys.size(), "12345"));
    }
    void TearDown() override {
        QVModelController::shared()->clear();
        cocos2d::CCPoolManager::sharedPoolManager()->pop();
        installKeyTable({});
    }

    // The fully set model, the partial one and the container, linked as in
    // the connections fixture.
    void buildFixtureModels() {
        full = TestAllKinds::create();
        full->setId(allkinds::kFullId);
        allkinds::setFullValues(*full);
        partial = TestAllKinds::create();
        partial->setId(allkinds::kPartialId);
        container = QVModelSpriteContainer::create();
        container->setId(allkinds::kContainerId);
        container->setName("Hero Frames");
        attributeCast<QVAttributeFloat>(container->attribute("Animation Speed"))->setValue(1.5f, true);
        attributeCast<QVAttributeFloat>(container->attribute("Duration"))->setValue(0.75f, true);
        full->spriteAttribute()->setValue(container);
        full->targetAttribute()->connect(partial->loadAttribute());
        full->addChild(partial);
        full->addChild(container);
    }

    std::shared_ptr<TestAllKinds> full, partial;
    std::shared_ptr<QVModelSpriteContainer> container;
};

TEST_F(AllKindsGolden, KeysPackHoldsTheTableTheModelsUse) {
    EXPECT_EQ(keyTable(), allkinds::fixtureKeyTable());
}

// Attributes (the partial model is read, not written: below) and connections.
TEST_F(AllKindsGolden, FixtureModelsPackToTheFixtureBytes) {
    buildFixtureModels();
    for (bool connections : {false, true}) {
        const PackFile file(connections ? "all-kinds.connections.pack" : "all-kinds.attributes.pack");
        SCOPED_TRACE(connections ? "connections" : "attributes");
        ASSERT_EQ(file.objects.size(), 3u);
        EXPECT_FALSE(file.endedAtNil);
        EXPECT_EQ(hex(packed(*full, connections)), hex(file.objectBytes[0]));
        if (connections) {
            EXPECT_EQ(hex(packed(*partial, true)), hex(file.objectBytes[1]));
        }
        EXPECT_EQ(hex(packed(*container, connections)), hex(file.objectBytes[2]));
    }
}

TEST_F(AllKindsGolden, UnpackingTheFullObjectGivesEveryKnownValue) {
    const PackFile file("all-kinds.attributes.pack");
    ASSERT_EQ(file.objects.size(), 3u);
    auto model = TestAllKinds::create();
    model->unpack(file.map(0));

    EXPECT_EQ(model->id(), allkinds::kFullId);
    EXPECT_EQ(model->name(), "All Kinds");
    // Every other value is pinned by the bytes: the fixture model packs to
    // them (above) and what was read packs back to them (below). Here: what
    // the bytes do not show.
    EXPECT_FALSE(model->boolAttribute()->isEmpty());
    EXPECT_TRUE(model->emptyIntAttribute()->isEmpty());
    EXPECT_FALSE(model->emptyIntAttribute()->hasValue());
    EXPECT_EQ(model->emptyIntAttribute()->value(), -100);
    EXPECT_EQ(model->textAttribute()->value(), allkinds::kFullText);
    EXPECT_EQ(model->floatAttribute()->animationCurves(2).at(0)->preset(), 2);
    EXPECT_EQ(model->pointAttribute()->curvesX().at(1)->keys()[1], (QVAnimationKey{1.5f, 0.25f, 4.f, 6.5f}));

    // Links travel in the connections pack only.
    EXPECT_FALSE(model->spriteAttribute()->valueModel());
    EXPECT_EQ(model->targetAttribute()->connectedAttribute(), nullptr);
    EXPECT_EQ(model->loadAttribute()->connectionMode(), QVBaseAttribute::kConnectionSource);

    // What was read packs back to the same bytes.
    EXPECT_EQ(hex(packed(*model)), hex(file.objectBytes[0]));
}

TEST_F(AllKindsGolden, PartialModelKeepsItsDefaults) {
    const PackFile file("all-kinds.attributes.pack");
    ASSERT_EQ(file.objects.size(), 3u);
    auto model = TestAllKinds::create();
    auto defaults = TestAllKinds::create();
    model->unpack(file.map(1));

    EXPECT_EQ(model->id(), allkinds::kPartialId);
    EXPECT_EQ(model->name(), "Partial");
    EXPECT_EQ(model->intAttribute()->value(), -1234);
    EXPECT_EQ(model->intAttribute()->variableValue(), 0);
    EXPECT_FALSE(model->intAttribute()->isEmpty());
    EXPECT_EQ(model->edgeStateAttribute()->value(), kQVObjectFrameEdgeNone) << "a map without \"enum\" gives 0";
    EXPECT_EQ(model->textAttribute()->value(), allkinds::kPartialText);
    EXPECT_EQ(model->textAttribute()->value().size(), 72u) << "packs are not cut to maxLength";

    for (QVAttribute* attribute : model->attributes()) {
        const std::string& name = attribute->name();
        if (name == "Name" || name == "Int" || name == "Edge State" || name == "Text") continue;
        EXPECT_EQ(hex(packed(*attribute)), hex(packed(*defaults->attribute(name))))
            << name << " changed although the pack does not name it";
    }
    EXPECT_EQ(model->uintAttribute()->value(), 1u);
    EXPECT_TRUE(model->boolAttribute()->value());
    EXPECT_EQ(model->orientationAttribute()->value(), kQVOrientationLandscape);
}

TEST_F(AllKindsGolden, ConnectionsLinkTheRegisteredModels) {
    const PackFile attributes("all-kinds.attributes.pack");
    const PackFile connections("all-kinds.connections.pack");
    ASSERT_EQ(attributes.objects.size(), 3u);
    ASSERT_EQ(connections.objects.size(), 3u);
    auto model = TestAllKinds::create();
    auto partialModel = TestAllKinds::create();
    auto containerModel = QVModelSpriteContainer::create();
    model->unpack(attributes.map(0));
    partialModel->unpack(attributes.map(1));
    containerModel->unpack(attributes.map(2));

    QVModelController* controller = QVModelController::shared();
    controller->addModel(model);
    controller->addModel(partialModel);
    controller->addModel(containerModel);
    model->unpackConnections(connections.map(0));
    partialModel->unpackConnections(connections.map(1));
    containerModel->unpackConnections(connections.map(2));

    EXPECT_EQ(model->targetAttribute()->connectedAttribute(), partialModel->loadAttribute());
    EXPECT_TRUE(partialModel->loadAttribute()->contains(model->targetAttribute()));
    EXPECT_EQ(model->spriteAttribute()->valueModel(), containerModel);
    ASSERT_EQ(model->children().size(), 2u);
    EXPECT_EQ(model->children()[0], partialModel);
    EXPECT_EQ(model->children()[1], containerModel);
    EXPECT_EQ(hex(packed(*model, true)), hex(connections.objectBytes[0]));
}

TEST_F(AllKindsGolden, StreamObjectsReadAtEverySizeClassAndUnknownChildrenAreSkipped) {
    const PackFile file("stream.pack");
    ASSERT_EQ(file.objects.size(), 3u);
    EXPECT_TRUE(file.endedAtNil) << "the trailing garbage after the nil is never read";

    auto model = TestAllKinds::create();
    model->floatAttribute()->setAnimationCurves({new QVAnimationCurve}, 3);
    model->unpack(file.map(0));
    EXPECT_EQ(model->id(), 1u);
    EXPECT_EQ(model->intAttribute()->value(), -32);
    EXPECT_EQ(model->intAttribute()->variableValue(), -33);
    EXPECT_EQ(model->keyAttribute()->value(), -129);
    EXPECT_EQ(model->keyAttribute()->variableValue(), -32768);
    EXPECT_EQ(model->uintAttribute()->value(), 65536u);
    EXPECT_EQ(model->uintAttribute()->variableValue(), 255u);
    EXPECT_EQ(model->emptyIntAttribute()->value(), -2147483647 - 1);
    EXPECT_EQ(model->emptyIntAttribute()->variableValue(), -32769);
    EXPECT_TRUE(model->emptyIntAttribute()->isEmpty());
    EXPECT_EQ(model->floatAttribute()->value(), 3.f);
    EXPECT_EQ(model->floatAttribute()->variableValue(), 0.1f);
    EXPECT_EQ(model->floatAttribute()->curves().size(), 1u) << "an empty \"animations\" keeps the curves";
    EXPECT_EQ(model->textAttribute()->value(), "Thirty-one bytes, fixstr limit!");
    EXPECT_EQ(model->choiceAttribute()->value(), "kJump") << "strings also come as bin";

    auto frames = QVModelSpriteContainer::create();
    frames->unpack(file.map(1));
    EXPECT_EQ(frames->id(), 128u);
    EXPECT_EQ(frames->animationSpeed(), 0.5f);
    EXPECT_EQ(attributeCast<QVAttributeFloat>(frames->attribute("Animation Speed"))->variableValue(), -1.f);
    EXPECT_TRUE(frames->excludedFromAtlas());

    auto other = TestAllKinds::create();
    other->setId(allkinds::kFullId);
    QVModelController::shared()->addModel(model);
    QVModelController::shared()->addModel(frames);
    QVModelController::shared()->addModel(other);
    model->unpackConnections(file.map(2));
    ASSERT_EQ(model->children().size(), 2u);
    EXPECT_EQ(model->children()[0], frames);
    EXPECT_EQ(model->children()[1], other);
}

}  // namespace
