// Attributes that are members of their model: list order, removal and
// re-adding, run-time attributes beside them, copies; and the key numbers
// that all models share per attribute name, across key-table changes.
#include "model/classes/QVModelLinker.h"
#include "model/core/QVPackMap.h"
#include "test_models.h"

namespace {

using MemberAttributes = SpineTest;

std::vector<std::string> names(const QVModel& model) {
    std::vector<std::string> result;
    for (const QVAttribute* attribute : model.attributes()) result.push_back(attribute->name());
    return result;
}

TEST_F(MemberAttributes, ListRemovalRunTimeAttributesAndCopiesKeepTheirOrder) {
    auto linker = QVModelLinker::create();
    EXPECT_EQ(names(*linker),
              (std::vector<std::string>{"Name", "Object A", "Object B", "Speed", "Torque", "Button Activated"}));
    auto* extra = new QVAttributeFloat("Extra", linker.get());  // owned by the model from here
    extra->setValue(4.0f, true);
    QVAttribute* speed = linker->attribute("Speed");
    ASSERT_NE(speed, nullptr);

    linker->removeAttribute(speed);  // taken out, not freed
    EXPECT_EQ(speed->owner(), nullptr);
    EXPECT_EQ(linker->attribute("Speed"), nullptr);
    const std::vector<std::string> expected{"Name", "Object A", "Object B", "Torque", "Button Activated", "Extra"};
    EXPECT_EQ(names(*linker), expected);
    EXPECT_FLOAT_EQ(linker->torque(), 200.0f);

    auto copy = std::static_pointer_cast<QVModelLinker>(linker->clone(false, false));
    EXPECT_EQ(names(*copy), expected);
    EXPECT_FLOAT_EQ(copy->speed(), 0.0f);  // the copy lacks it, as its source does
    EXPECT_FLOAT_EQ(copy->torque(), 200.0f);
    auto* copiedExtra = attributeCast<QVAttributeFloat>(copy->attribute("Extra"));
    ASSERT_NE(copiedExtra, nullptr);
    EXPECT_NE(copiedExtra, extra);
    EXPECT_EQ(copiedExtra->owner(), copy.get());
    EXPECT_FLOAT_EQ(copiedExtra->value(), 4.0f);
    for (const QVAttribute* attribute : copy->attributes()) EXPECT_EQ(attribute->owner(), copy.get());

    // Put back, it is listed last and still dies with its model only.
    linker->addAttribute(speed);
    EXPECT_EQ(speed->owner(), linker.get());
    EXPECT_EQ(names(*linker).back(), "Speed");
    RecordingListener listener;
    linker->addListener(&listener);
    linker.reset();
    copy.reset();
    EXPECT_TRUE(listener.attributeEvents.empty());  // a dying model hears nothing
}

TEST_F(MemberAttributes, KeyNumbersFollowEveryKeyTableChange) {
    // One row per table: the number "Speed" has in it, and what that table
    // puts on the other row's number.
    const struct {
        int speed;
        int torque;
    } rows[] = {{5, 6}, {6, 5}, {7, 8}};
    auto early = QVModelLinker::create();  // built before any of the tables
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speed);
        installKeyTable({{"value", 10}, {"Speed", row.speed}, {"Torque", row.torque}});
        msgpack::zone zone;
        QVPackMap value(zone), map(zone);
        value.put("value", 1.5f * static_cast<float>(row.speed));
        map.put("Speed", value);
        for (const auto& model : {early, QVModelLinker::create()}) {
            model->unpack(QVPackMap(map.toObject(zone)));
            EXPECT_FLOAT_EQ(model->speed(), 1.5f * static_cast<float>(row.speed));
        }
        // A renamed attribute has a name of its own and follows it.
        auto renamed = QVModelLinker::create();
        renamed->attribute("Torque")->setName("Speed", true);
        renamed->attribute("Speed")->setName("Other", true);
        renamed->unpack(QVPackMap(map.toObject(zone)));
        EXPECT_FLOAT_EQ(renamed->torque(), 1.5f * static_cast<float>(row.speed));
        EXPECT_FLOAT_EQ(renamed->speed(), 0.0f);
    }
}

}  // namespace
