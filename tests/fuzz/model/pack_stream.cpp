// Fuzzes the pack road: the bounded reader, the map conversion, a model's
// unpack and unpackConnections, then pack again. Reading may fail only with
// msgpack's type error or its unpack errors; packing what was read may not
// fail at all, and reading the packed bytes back must pack to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "TestAllKinds.h"
#include "model/classes/QVModelSpriteContainer.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"
#include "model/core/QVPackStream.h"

namespace {

// Objects read per input: enough for every fixture, few enough that an input
// of 65536 one-byte objects does not spend seconds building models.
constexpr int kMaxObjectsPerInput = 64;

// Registered models the connections can name: the source "Load" of id 3000
// and the sprite container 77, as in the fixtures.
struct LinkTargets {
    std::shared_ptr<TestAllKinds> source = TestAllKinds::create();
    std::shared_ptr<QVModelSpriteContainer> container = QVModelSpriteContainer::create();

    LinkTargets() {
        installKeyTable(allkinds::fixtureKeyTable());
        source->setId(allkinds::kPartialId);
        container->setId(allkinds::kContainerId);
        QVModelController::shared()->addModel(source);
        QVModelController::shared()->addModel(container);
    }
};

std::vector<unsigned char> packAttributes(TestAllKinds& model) {
    msgpack::zone zone;
    QVPackMap map(zone);
    model.pack(map);
    return map.toBytes();
}

void packConnections(TestAllKinds& model) {
    msgpack::zone zone;
    QVPackMap map(zone);
    model.packConnections(map);
    (void)map.toBytes();
}

void readOne(const msgpack::object& object) {
    QVPackMap map;
    try {
        map = QVPackMap(object);
    } catch (const msgpack::type_error&) {
        return;  // not a map of key numbers: nothing to read into a model
    }
    auto model = TestAllKinds::create();
    try {
        model->unpack(map);
        model->unpackConnections(map);
    } catch (const msgpack::type_error&) {
        // A wrongly typed entry: the model keeps what it read before it.
    }
    const std::vector<unsigned char> first = packAttributes(*model);
    packConnections(*model);

    auto again = TestAllKinds::create();
    const msgpack::object_handle handle = msgpack::unpack(reinterpret_cast<const char*>(first.data()), first.size());
    again->unpack(QVPackMap(handle.get()));
    if (packAttributes(*again) != first) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static LinkTargets targets;
    QVPackStream stream(data, size);
    msgpack::object_handle handle;
    try {
        for (int n = 0; n < kMaxObjectsPerInput && stream.next(handle); ++n) readOne(handle.get());
    } catch (const msgpack::unpack_error&) {
        // Truncated, oversized or too deep: the stream stops here.
    }
    return 0;
}
