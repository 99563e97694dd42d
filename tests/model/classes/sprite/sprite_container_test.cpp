// The sprite container: its shell, and its pack against the fixtures (its
// link, over a stand-in: tests/model/core/spine/sprite_link_test.cpp).
#include <gtest/gtest.h>

#include "../../core/support/model_test_support.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"

namespace {

// The fixtures' containers (tests/model/core/golden reads the rest of these
// files with a stand-in) read field by field and pack back to their bytes.
TEST(SpriteContainer, ContainerReadsAndPacksTheFixtureBytes) {
    const std::string dir = std::string(QV_SOURCE_DIR) + "/tests/fixtures/packs/";
    const auto keys = modeltest::readFile(dir + "Keys.pack");
    installKeyTable(readKeysPack(keys.data(), keys.size(), "12345"));
    struct Row {
        const char* file;
        size_t index;
        uint32_t id;
        float speed, duration;
        bool excluded;
    };
    for (const Row& row :
         {Row{"all-kinds.attributes.pack", 2, 77, 1.5f, 0.75f, false}, Row{"stream.pack", 1, 128, 0.5f, 0.f, true}}) {
        SCOPED_TRACE(row.file);
        const auto bytes = modeltest::readFile(dir + row.file);
        QVPackStream stream(bytes.data(), bytes.size());
        msgpack::object_handle handle;
        for (size_t i = 0; i <= row.index; ++i) ASSERT_TRUE(stream.next(handle));
        const modeltest::Bytes object(bytes.begin() + static_cast<std::ptrdiff_t>(stream.objectOffset()),
                                      bytes.begin() + static_cast<std::ptrdiff_t>(stream.offset()));
        auto container = QVModelSpriteContainer::create();
        container->unpack(QVPackMap(handle.get()));
        EXPECT_EQ(container->id(), row.id);
        EXPECT_EQ(container->animationSpeed(), row.speed);
        EXPECT_EQ(container->duration(), row.duration);
        EXPECT_EQ(container->excludedFromAtlas(), row.excluded);
        if (row.id != 77) continue;  // the stream object is written in other size classes
        msgpack::zone packZone;
        QVPackMap packed(packZone);
        container->pack(packed);
        EXPECT_EQ(modeltest::hexText(packed.toBytes()), modeltest::hexText(object));
    }
}

TEST(SpriteContainer, ContainerShellClonesWithItsDefaults) {
    auto clone =
        std::static_pointer_cast<QVModelSpriteContainer>(QVModelSpriteContainer::create()->clone(false, false));
    EXPECT_STREQ(clone->className(), "QVModelSpriteContainer");
    EXPECT_FLOAT_EQ(clone->animationSpeed(), 1.0f);
    EXPECT_FLOAT_EQ(clone->duration(), 0.0f);
    EXPECT_FALSE(clone->excludedFromAtlas());
}

}  // namespace
