// Attributes that are members of their model: list order, removal and
// re-adding, run-time attributes beside them, copies; and the key numbers
// that all models share per attribute name, across key-table changes.
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVPackMap.h"
#include "test_models.h"

namespace {

class MemberModel : public QVModel {
    QV_MODEL_GLUE(MemberModel, "Members", QVModel)
public:
    explicit MemberModel(const std::string& name) : QVModel(name), speed("Speed", this), torque("Torque", this) {
        torque.setValue(200.0f, true);
    }
    MemberModel(const MemberModel& source)
        : QVModel(source), speed("Speed", this, source.speed), torque("Torque", this, source.torque) {}

    QVMember<QVAttributeFloat> speed;
    QVMember<QVAttributeFloat> torque;
};

using MemberAttributes = SpineTest;

std::vector<std::string> names(const QVModel& model) {
    std::vector<std::string> result;
    for (const QVAttribute* attribute : model.attributes()) result.push_back(attribute->name());
    return result;
}

float valueOf(const QVModel& model, const char* name) {
    const auto* attribute = attributeCast<QVAttributeFloat>(model.attribute(name));
    return attribute ? attribute->value() : -1.0f;
}

TEST_F(MemberAttributes, ListRemovalRunTimeAttributesAndCopiesKeepTheirOrder) {
    auto model = MemberModel::create();
    EXPECT_EQ(names(*model), (std::vector<std::string>{"Name", "Speed", "Torque"}));
    auto* extra = new QVAttributeFloat("Extra", model.get());  // owned by the model from here
    extra->setValue(4.0f, true);

    model->removeAttribute(&model->speed);  // taken out, not freed
    EXPECT_EQ(model->speed.owner(), nullptr);
    EXPECT_EQ(model->attribute("Speed"), nullptr);
    const std::vector<std::string> expected{"Name", "Torque", "Extra"};
    EXPECT_EQ(names(*model), expected);

    auto copy = std::static_pointer_cast<MemberModel>(model->clone(false, false));
    EXPECT_EQ(names(*copy), expected);  // lacks what its source does not list
    EXPECT_FLOAT_EQ(valueOf(*copy, "Torque"), 200.0f);
    EXPECT_FLOAT_EQ(valueOf(*copy, "Extra"), 4.0f);
    EXPECT_NE(copy->attribute("Extra"), extra);
    for (const QVAttribute* attribute : copy->attributes()) EXPECT_EQ(attribute->owner(), copy.get());

    // Put back, it is listed last and still dies with its model only.
    model->addAttribute(&model->speed);
    EXPECT_EQ(model->speed.owner(), model.get());
    EXPECT_EQ(names(*model).back(), "Speed");
    RecordingListener listener;
    model->addListener(&listener);
    model.reset();
    copy.reset();
    EXPECT_TRUE(listener.attributeEvents.empty());  // a dying model hears nothing
}

TEST_F(MemberAttributes, KeyNumbersFollowEveryKeyTableChange) {
    // One row per table: the numbers "Speed" and "Torque" have in it.
    const struct {
        int speed;
        int torque;
    } rows[] = {{5, 6}, {6, 5}, {7, 8}};
    auto early = MemberModel::create();  // built before any of the tables
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speed);
        installKeyTable({{"value", 10}, {"Speed", row.speed}, {"Torque", row.torque}});
        msgpack::zone zone;
        QVPackMap value(zone), map(zone);
        const float expected = 1.5f * static_cast<float>(row.speed);
        value.put("value", expected);
        map.put("Speed", value);
        for (const auto& model : {early, MemberModel::create()}) {
            model->unpack(QVPackMap(map.toObject(zone)));
            EXPECT_FLOAT_EQ(model->speed.value(), expected);
        }
        // A renamed attribute has a name of its own and follows it.
        auto renamed = MemberModel::create();
        renamed->torque.setName("Speed", true);
        renamed->speed.setName("Other", true);
        renamed->unpack(QVPackMap(map.toObject(zone)));
        EXPECT_FLOAT_EQ(renamed->torque.value(), expected);
        EXPECT_FLOAT_EQ(renamed->speed.value(), 0.0f);
    }
}

}  // namespace
