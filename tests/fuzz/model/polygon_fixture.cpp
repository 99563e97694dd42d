// Fuzzes the shape models' fixture builder: the first byte picks polygon or
// circle (low bit) and a point count (0 to 12); then come the points as raw
// float pairs and a scale pair. isValidShape must agree with the builder, and
// whatever shape comes out must go to Box2D through the physics layer (which
// may still refuse it on its mass bounds) and survive a step without an
// abort.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "model/classes/QVModelPolygon.h"

namespace {

constexpr int kMaxPoints = 12;

// Raw values; missing bytes read as zero.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    float number() {
        const std::uint8_t raw[4] = {byte(), byte(), byte(), byte()};
        float value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in(data, size);
    const std::uint8_t head = in.byte();
    std::shared_ptr<QVModelPolygon> shape;
    if (head & 1) {
        shape = QVModelCircle::create();
    } else {
        shape = QVModelPolygon::create();
    }
    const int count = (head >> 1) % (kMaxPoints + 1);
    for (int i = 0; i < count; ++i) {
        const float x = in.number();
        shape->addPoint(cocos2d::CCPoint(x, in.number()), true);
    }
    const float scaleX = in.number();
    const float scaleY = in.number();

    QVFixtureDef made = shape->createFixtureShape(scaleX, scaleY);
    if (shape->isValidShape(scaleX, scaleY) != made.hasShape()) std::abort();
    if (made.def.shape != made.shape.get()) std::abort();
    if (!made.hasShape()) return 0;

    b2World world(b2Vec2(0.0f, -10.0f));
    b2BodyDef bodyDef;
    bodyDef.type = b2_dynamicBody;
    b2Body* body = physics::createBody(&world, bodyDef);
    made.def.density = 0.1f;
    physics::createFixture(body, made.def);
    world.Step(1.0f / 60.0f, 8, 3);
    return 0;
}
