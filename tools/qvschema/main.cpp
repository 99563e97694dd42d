// qvschema [CLASS...]
// qvschema --registry
// Lists fresh instances of model classes as the attribute API sees them: for
// each class (none named: every class with a factory, in registry order,
// except the general settings) a line "class <name> "<default name>"", then
// one line per attribute in list order with its class, flags and what its
// kind declares (value, variance, range, empty rule, max length, link ...).
// The test-data writer prints the same text from its own tables, so the two
// can be compared byte for byte.
// --registry prints the registry's names in order, one a line, each without a
// factory followed by " (no factory)": the check that every class attached.
// Exit: 0 listed, 2 for a class without a factory (nothing is listed) or a
// usage error; with --registry 1 when a name has no factory.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/classes/QVModelClasses.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"

#include "../common/ToolText.h"

namespace {

using tooltext::quoted;

std::string number(float value) {
    if (std::isnan(value)) return "nan";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(value));
    return buf;
}
std::string number(int value) { return std::to_string(value); }
std::string number(unsigned int value) { return std::to_string(value); }
std::string number(bool value) { return value ? "true" : "false"; }

std::string pair(float a, float b) { return "(" + number(a) + ", " + number(b) + ")"; }
std::string quad(float a, float b, float c, float d) {
    return "(" + number(a) + ", " + number(b) + ", " + number(c) + ", " + number(d) + ")";
}

template <typename T>
std::string fundamental(const QVBaseAttributeFundamental<T>& a) {
    std::string out = "value " + number(a.value()) + " variance " + number(a.variableValue()) + " range " +
                      number(a.minValue()) + " " + number(a.maxValue()) + " empty ";
    if (!a.allowEmpty()) return out + "no";
    return out + (a.isEmpty() ? "allowed marked" : "allowed");
}

template <typename E>
const QVBaseAttributeEnum<E>* asEnum(const QVAttribute* a) {
    return dynamic_cast<const QVBaseAttributeEnum<E>*>(a);
}

// The part of an attribute line after "flags N".
std::string describe(const QVAttribute* a) {
    if (auto* f = dynamic_cast<const QVBaseAttributeFundamental<int>*>(a)) return fundamental(*f);
    if (auto* f = dynamic_cast<const QVBaseAttributeFundamental<unsigned int>*>(a)) return fundamental(*f);
    if (auto* f = dynamic_cast<const QVBaseAttributeFundamental<bool>*>(a)) return fundamental(*f);
    if (auto* f = dynamic_cast<const QVBaseAttributeFundamental<float>*>(a)) return fundamental(*f);
    if (auto* p = dynamic_cast<const QVBaseAttributePoint*>(a)) {
        std::string out = "value " + pair(p->value().x, p->value().y) + " variance " +
                          pair(p->variableValue().x, p->variableValue().y) + " range " +
                          pair(p->minValue().x, p->minValue().y) + " " + pair(p->maxValue().x, p->maxValue().y) +
                          " empty ";
        if (!p->allowEmpty()) return out + "no";
        out += "allowed";
        if (p->isXEmpty()) out += " x";
        if (p->isYEmpty()) out += " y";
        return out;
    }
    if (auto* s = dynamic_cast<const QVAttributeString*>(a))
        return "value " + quoted(s->value()) + " max " + std::to_string(s->maxLength());
    if (auto* r = dynamic_cast<const QVAttributeRect*>(a)) {
        const cocos2d::CCRect& v = r->value();
        return "value " + quad(v.origin.x, v.origin.y, v.size.width, v.size.height);
    }
    if (auto* s = dynamic_cast<const QVAttributeSize*>(a)) return "value " + pair(s->value().width, s->value().height);
    if (auto* c = dynamic_cast<const QVBaseAttributeColor*>(a)) {
        const cocos2d::ccColor4F& v = c->value();
        return "value " + quad(v.r, v.g, v.b, v.a);
    }
    if (auto* g = dynamic_cast<const QVAttributeGradient*>(a)) {
        std::string out = "keys " + std::to_string(g->colors().size());
        for (const auto& key : g->colors())
            out += " " + number(key.first) + ":" + quad(key.second.r, key.second.g, key.second.b, key.second.a);
        return out;
    }
    if (auto* e = asEnum<QVObjectFrameEdgeState>(a)) return "value " + std::to_string(e->intValue());
    if (auto* e = asEnum<QVOrientation>(a)) return "value " + std::to_string(e->intValue());
    if (auto* e = asEnum<QVScreenAdjustment>(a)) return "value " + std::to_string(e->intValue());
    if (auto* m = dynamic_cast<const QVAttributeModelLink*>(a)) {
        const auto& linked = m->linkedModel();
        std::string out = std::string("link ") + (linked ? linked->className() : "none");
        if (auto* anim = dynamic_cast<const QVBaseAttributeAnimation*>(a)) out += " loop " + number(anim->loop());
        return out;
    }
    if (auto* s = dynamic_cast<const QVAttributeSprite*>(a)) {
        const auto& linked = s->valueModel();
        return std::string("link ") + (linked ? linked->className() : "none") + " excluded " +
               number(s->excludedFromAtlas());
    }
    return "mode " + std::to_string(a->connectionMode());
}

int listRegistry(const QVModelController& controller) {
    bool missing = false;
    for (const std::string& name : QVModelController::classNames()) {
        const bool attached = controller.hasFactory(name);
        missing = missing || !attached;
        std::printf("%s%s\n", name.c_str(), attached ? "" : " (no factory)");
    }
    if (std::fflush(stdout) != 0) return 1;
    return missing ? 1 : 0;
}

void list(const QVModel& model) {
    std::printf("class %s %s\n", model.className(), quoted(model.name()).c_str());
    size_t index = 0;
    for (const QVAttribute* a : model.attributes()) {
        std::printf("  %zu %s %s flags %u %s\n", index++, quoted(a->name()).c_str(), a->className(), a->flags(),
                    describe(a).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    QVModelController* controller = QVModelController::shared();
    registerModelClasses(controller);

    if (argc > 1 && std::string(argv[1]) == "--registry") {
        if (argc != 2) {
            std::fprintf(stderr, "usage: qvschema [CLASS...] | qvschema --registry\n");
            return 2;
        }
        return listRegistry(*controller);
    }
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) names.emplace_back(argv[i]);
    if (names.empty()) {
        for (const std::string& name : QVModelController::classNames())
            if (name != "QVModelGeneralSettings" && controller->hasFactory(name)) names.push_back(name);
    }
    bool unknown = false;
    for (const std::string& name : names) {
        if (!controller->hasFactory(name)) {
            std::fprintf(stderr, "qvschema: no model class %s\n", quoted(name).c_str());
            unknown = true;
        }
    }
    if (unknown) return 2;

    for (const std::string& name : names) {
        const std::shared_ptr<QVModel> model = controller->createModel(name);
        list(*model);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
