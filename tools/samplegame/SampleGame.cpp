#include "SampleGame.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>

#include "PackWriter.h"
#include "QVPackageWriter.h"
#include "base/CCArray.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDictionary.h"
#include "base/CCString.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelAsset.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/classes/QVModelPolygon.h"
#include "model/classes/QVModelSound.h"
#include "model/core/QVAnimationCurve.h"
#include "model/core/QVAttributeEnum.h"
#include "model/core/QVAttributeFundamental.h"
#include "model/core/QVAttributeModel.h"
#include "model/core/QVAttributeSprite.h"
#include "model/core/QVAttributeValue.h"
#include "model/core/QVDataFormat.h"
#include "model/core/QVKeyTable.h"
#include "model/core/QVModel.h"
#include "model/core/QVModelController.h"
#include "model/core/QVPackMap.h"

namespace samplegame {

namespace {

using cocos2d::CCPoint;
using cocos2d::CCRect;
using cocos2d::CCSize;

// Keyboard codes as the desktop host maps them.
constexpr int kKeySpace = 32;
constexpr int kKeyB = 66;
constexpr int kKeyC = 67;
constexpr int kKeyD = 68;
constexpr int kKeyE = 69;
constexpr int kKeyL = 76;
constexpr int kKeyM = 77;
constexpr int kKeyP = 80;
constexpr int kKeyS = 83;
constexpr int kKeyW = 87;

constexpr uint32_t kFont = 1020;
constexpr uint32_t kSoundClick = 1034;
constexpr uint32_t kSoundMusic = 1035;

// Authoring helpers over the controller. Every setter is silent so that no
// notification replaces a planned value; an attribute the class lacks, or
// one of another kind, is a fault in the plan and throws.
class Plan {
public:
    explicit Plan(QVModelController& controller) : m_controller(controller) {}

    // `shapeId`: the planned id of the default polygon the class makes for
    // itself, given before the model (and with it the shape) is registered.
    QVModel& make(const char* className, uint32_t id, const std::string& name, uint32_t shapeId = 0) {
        std::shared_ptr<QVModel> model = m_controller.createModel(className);
        if (!model) throw std::runtime_error(std::string("no factory for ") + className);
        if (shapeId != 0) {
            auto* shape = dynamic_cast<QVAttributeModelLink*>(model->attribute("Collision Shape"));
            if (!shape || !shape->linkedModel()) throw std::runtime_error(std::string(className) + " has no own shape");
            shape->linkedModel()->setId(shapeId);
        }
        model->setId(id);
        m_controller.addModel(model);
        if (m_controller.getModel(id) != model) throw std::runtime_error("id taken: " + std::to_string(id));
        model->nameAttribute()->setValue(name, true);
        return *model;
    }

    QVModel& get(uint32_t id) const {
        QVModel* model = m_controller.findModel(id);
        if (!model) throw std::runtime_error("no model " + std::to_string(id));
        return *model;
    }

    void num(uint32_t id, const char* name, double value) {
        QVAttribute* a = attr(id, name);
        if (auto* f = dynamic_cast<QVAttributeFloat*>(a)) {
            f->setValue(static_cast<float>(value), true);
        } else if (auto* i = dynamic_cast<QVAttributeInt*>(a)) {
            i->setValue(static_cast<int>(value), true);
        } else if (auto* u = dynamic_cast<QVAttributeUInt*>(a)) {
            u->setValue(static_cast<unsigned>(value), true);
        } else if (auto* b = dynamic_cast<QVAttributeBool*>(a)) {
            b->setValue(value != 0, true);
        } else if (auto* o = dynamic_cast<QVAttributeOrientation*>(a)) {
            o->setValue(static_cast<QVOrientation>(value), true);
        } else if (auto* s = dynamic_cast<QVAttributeScreenAdjustment*>(a)) {
            s->setValue(static_cast<QVScreenAdjustment>(value), true);
        } else if (auto* e = dynamic_cast<QVAttributeFrameEdgeState*>(a)) {
            e->setValue(static_cast<QVObjectFrameEdgeState>(value), true);
        } else {
            wrongKind(id, name);
        }
    }
    // A float's value and its variance (the "±" of the plan).
    void vary(uint32_t id, const char* name, float value, float variance) {
        auto* f = dynamic_cast<QVAttributeFloat*>(attr(id, name));
        if (!f) wrongKind(id, name);
        f->setValue(value, true);
        f->setVariableValue(variance, true);
    }
    void gradientKey(uint32_t id, const char* name, float position, float r, float g, float b, float a) {
        auto* gradient = dynamic_cast<QVAttributeGradient*>(attr(id, name));
        if (!gradient) wrongKind(id, name);
        gradient->setColor(position, cocos2d::ccColor4F{r, g, b, a}, true);
    }
    void text(uint32_t id, const char* name, const std::string& value) {
        auto* s = dynamic_cast<QVAttributeString*>(attr(id, name));
        if (!s) wrongKind(id, name);
        s->setValue(value, true);
    }
    void point(uint32_t id, const char* name, float x, float y) {
        auto* p = dynamic_cast<QVBaseAttributePoint*>(attr(id, name));
        if (!p) wrongKind(id, name);
        p->setValue(CCPoint(x, y), true);
    }
    // A point whose "empty" axes the model ignores; the marks are set per
    // axis only through the attribute's (silent) dictionary reader.
    void pointAxes(uint32_t id, const char* name, float x, float y, bool xEmpty, bool yEmpty) {
        point(id, name, x, y);
        auto* p = dynamic_cast<QVBaseAttributePoint*>(attr(id, name));
        if (!p || !p->allowEmpty()) wrongKind(id, name);
        cocos2d::CCDictionary* marks = cocos2d::CCDictionary::create();
        marks->setObject(cocos2d::CCString::create(xEmpty ? "1" : "0"), "isXEmpty");
        marks->setObject(cocos2d::CCString::create(yEmpty ? "1" : "0"), "isYEmpty");
        p->valueFromDictionary(marks);
        cocos2d::CCPoolManager::sharedPoolManager()->drain();
        if (p->isXEmpty() != xEmpty || p->isYEmpty() != yEmpty) wrongKind(id, name);
    }
    void size(uint32_t id, const char* name, float w, float h) {
        auto* s = dynamic_cast<QVAttributeSize*>(attr(id, name));
        if (!s) wrongKind(id, name);
        s->setValue(CCSize(w, h), true);
    }
    void rect(uint32_t id, const char* name, float x, float y, float w, float h) {
        auto* r = dynamic_cast<QVAttributeRect*>(attr(id, name));
        if (!r) wrongKind(id, name);
        r->setValue(CCRect(x, y, w, h), true);
    }
    void color(uint32_t id, const char* name, float r, float g, float b, float a) {
        auto* c = dynamic_cast<QVBaseAttributeColor*>(attr(id, name));
        if (!c) wrongKind(id, name);
        c->setValue(cocos2d::ccColor4F{r, g, b, a}, true);
    }

    // A reference attribute of `id` to the model `target`.
    void link(uint32_t id, const char* name, uint32_t target) {
        QVAttribute* a = attr(id, name);
        const std::shared_ptr<QVModel> model = get(target).sharedFromThis();
        bool linked = false;
        if (auto* sprite = dynamic_cast<QVAttributeSprite*>(a)) {
            sprite->setValue(model, true);
            linked = true;
        } else if (auto* sound = dynamic_cast<QVAttributeSound*>(a)) {
            linked = setTyped<QVModelSound>(*sound, model);
        } else if (auto* animation = dynamic_cast<QVBaseAttributeAnimation*>(a)) {
            linked = setTyped<QVModelAnimation>(*animation, model);
        } else if (auto* shape = dynamic_cast<QVBaseAttributeShape*>(a)) {
            linked = setTyped<QVModelPolygon>(*shape, model);
        } else if (auto* asset = dynamic_cast<QVAttributeAsset*>(a)) {
            linked = setTyped<QVModelAsset>(*asset, model);
        } else if (auto* objectAsset = dynamic_cast<QVAttributeObjectAsset*>(a)) {
            linked = setTyped<QVModelObjectAsset>(*objectAsset, model);
        } else if (auto* object = dynamic_cast<QVAttributeObject*>(a)) {
            linked = setTyped<QVModelObject>(*object, model);
        }
        if (!linked) wrongKind(id, name);
    }

    // A centred w x h box.
    void box(uint32_t id, float w, float h) {
        auto* polygon = dynamic_cast<QVModelPolygon*>(&get(id));
        if (!polygon) wrongKind(id, "points");
        polygon->initAsBox(CCSize(w, h), CCPoint(0, 0), true);
    }
    // Centre (0, 0), rim point at radius r.
    void circle(uint32_t id, float r) {
        auto* circle = dynamic_cast<QVModelCircle*>(&get(id));
        if (!circle) wrongKind(id, "points");
        while (!circle->points().empty()) circle->removePoint(0, true);
        circle->addPoint(CCPoint(0, 0), true);
        circle->addPoint(CCPoint(r, 0), true);
    }

    // Values a class takes only from a dictionary (the path's points, a
    // polygon's one-way vector): its own dictionary with `key` replaced, read
    // back. A polygon's points are read again from it, so they are cleared first.
    void dictionaryValue(uint32_t id, const char* key, cocos2d::CCObject* value) {
        QVModel& model = get(id);
        cocos2d::CCDictionary* dict = model.toDictionary();
        dict->setObject(value, key);
        if (auto* polygon = dynamic_cast<QVModelPolygon*>(&model)) {
            while (!polygon->points().empty()) polygon->removePoint(0, true);
        }
        model.fromDictionary(dict);
        cocos2d::CCPoolManager::sharedPoolManager()->drain();
        if (model.id() != id) throw std::runtime_error("dictionary read changed the id of " + std::to_string(id));
    }

    // A straight curve `from` -> `to` over `seconds` for object state 0 under
    // `curveKey` ("animations", or "animationsY" for a point's y). Curves
    // are cubic: controls at a third and two thirds make the segment linear
    // in time. The attribute's dictionary reader is the silent way in.
    void linearCurve(uint32_t id, const char* name, const char* curveKey, float from, float to, float seconds) {
        auto pointText = [](float a, float b) {
            char text[64];
            std::snprintf(text, sizeof text, "{%.9g,%.9g}", static_cast<double>(a), static_cast<double>(b));
            return cocos2d::CCString::create(text);
        };
        const float step = (to - from) / 3.0f;
        cocos2d::CCArray* points = cocos2d::CCArray::create();
        points->addObject(pointText(0, from));
        points->addObject(pointText(from, from + step));
        points->addObject(pointText(seconds, to));
        points->addObject(pointText(from + 2 * step, to));
        cocos2d::CCDictionary* animation = cocos2d::CCDictionary::create();
        animation->setObject(points, "points");
        animation->setObject(cocos2d::CCString::create(std::to_string(QVAnimationCurve::kDefaultPreset)), "preset");
        cocos2d::CCDictionary* element = cocos2d::CCDictionary::create();
        element->setObject(cocos2d::CCString::create("0"), "state");
        element->setObject(animation, "animation");
        cocos2d::CCArray* curves = cocos2d::CCArray::create();
        curves->addObject(element);
        cocos2d::CCDictionary* dict = cocos2d::CCDictionary::create();
        dict->setObject(curves, curveKey);
        QVAttribute* a = attr(id, name);
        a->valueFromDictionary(dict);
        cocos2d::CCPoolManager::sharedPoolManager()->drain();
        if (a->animationCurves(0).empty()) wrongKind(id, name);
    }

    void child(uint32_t parent, uint32_t childId) { get(parent).addChild(get(childId).sharedFromThis(), true); }

    // A flow link named `name` from node `from` to node `to`'s "Load"; the
    // node's own follower of that name when it has one.
    void flow(uint32_t from, const std::string& name, uint32_t to) {
        QVModel& node = get(from);
        QVAttribute* link = node.attribute(name);
        if (!link || link->connectionMode() != QVBaseAttribute::kConnectionFollower) {
            link = new QVAttribute(name, &node);
            link->setConnectionMode(QVBaseAttribute::kConnectionFollower, true);
        }
        QVAttribute* load = nullptr;
        for (QVAttribute* candidate : get(to).attributes()) {
            if (candidate->connectionMode() == QVBaseAttribute::kConnectionSource && candidate->name() == "Load") {
                load = candidate;
            }
        }
        if (!load) throw std::runtime_error("node " + std::to_string(to) + " has no source \"Load\"");
        link->connect(load, true);
    }

private:
    QVAttribute* attr(uint32_t id, const char* name) const {
        QVAttribute* a = get(id).attribute(name);
        if (!a) throw std::runtime_error(std::string(get(id).className()) + " has no attribute \"" + name + "\"");
        return a;
    }
    [[noreturn]] void wrongKind(uint32_t id, const char* name) const {
        throw std::runtime_error("attribute \"" + std::string(name) + "\" of " + std::to_string(id) +
                                 " is not of the planned kind");
    }
    template <class T, class A>
    static bool setTyped(A& attribute, const std::shared_ptr<QVModel>& model) {
        auto typed = modelKindCast<T>(model);
        if (!typed) return false;
        attribute.setModel(typed);
        return true;
    }

    QVModelController& m_controller;
};

void authorSettings(Plan& p) {
    const uint32_t s = 1001;
    p.make("QVModelGeneralSettings", s, "Settings");
    p.text(s, "Application Name", "Sample Runner");
    p.text(s, "ZK Version", "1.0");
    p.num(s, "Last ID", 1999);
    p.num(s, "Orientation", 1);
    // Fixed width: every window shows the design's full width and its
    // bottom edge, where the ground lies; a 4:3 window adds sky above, a
    // 21:9 one keeps the lower 479 points, and items that stick to the top
    // edge follow it.
    p.num(s, "Screen Adjustment", 2);
    p.size(s, "Design Size", 1136, 640);
    p.text(s, "User ID", kUserId);
    p.text(s, "Build Date", "2020-01-01");
    p.num(s, "Move Up Key", 16777235);
    p.num(s, "Move Down Key", 16777237);
    p.num(s, "Move Left Key", 16777234);
    p.num(s, "Move Right Key", 16777236);
    p.num(s, "Jump Key", kKeySpace);
    for (const char* key : {"Shoot Key", "Motor CW Key", "Motor CCW Key", "Rotate Left Key", "Rotate Right Key"}) {
        p.num(s, key, 0);
    }
}

struct Look {
    uint32_t container;
    const char* name;
    std::vector<uint32_t> sprites;
    float width, height;
    float speed;
    uint32_t atlas;  // 0: none
};

// The looks of the main road: sprites 1100-1123, containers 1200-1219.
const std::vector<Look>& mainLooks() {
    static const std::vector<Look> looks = {
        {1200, "Runner", {1100, 1101}, 80, 96, 0.25f, 1010},
        {1201, "Dasher", {1102, 1103}, 80, 96, 0.25f, 1010},
        {1202, "Ground", {1104}, 568, 64, 1, 1010},
        {1203, "Ledge", {1105}, 192, 32, 1, 1010},
        {1204, "Coin", {1106, 1107}, 40, 40, 0.2f, 1010},
        {1205, "Magnet", {1108}, 48, 48, 1, 1010},
        {1206, "Spiky", {1109, 1110}, 64, 56, 0.15f, 1010},
        {1207, "Checkpoint", {1111}, 32, 112, 1, 1010},
        {1208, "Play", {1112}, 240, 80, 1, 1010},
        {1209, "Resume", {1113}, 240, 80, 1, 1010},
        {1210, "Retry", {1114}, 240, 80, 1, 1010},
        {1211, "Continue", {1115}, 240, 80, 1, 1010},
        {1212, "Menu", {1116}, 240, 80, 1, 1010},
        {1213, "Unlock", {1117}, 180, 60, 1, 1010},
        {1214, "Pause", {1118}, 72, 72, 1, 1010},
        {1215, "Sound On", {1119}, 72, 72, 1, 1010},
        {1216, "Sound Off", {1120}, 72, 72, 1, 1010},
        {1217, "Sky", {1121}, 568, 320, 1, 1011},
        {1218, "Hills", {1122}, 512, 160, 1, 1011},
        {1219, "Spark", {1123}, 16, 16, 1, 0},
    };
    return looks;
}

void authorMedia(Plan& p) {
    p.make("QVModelAtlas", 1010, "Sprites");
    p.make("QVModelAtlas", 1011, "Backgrounds");
    p.make("QVModelFont", kFont, "Main");
    const char* sounds[] = {"Jump", "Coin", "Power", "Hit", "Click", "Music"};
    for (uint32_t i = 0; i < 6; ++i) p.make("QVModelSound", 1030 + i, sounds[i]);

    for (const Look& look : mainLooks()) {
        for (size_t i = 0; i < look.sprites.size(); ++i) {
            const std::string name =
                look.sprites.size() > 1 ? std::string(look.name) + " " + std::to_string(i + 1) : look.name;
            p.make("QVModelSprite", look.sprites[i], name);
        }
    }
    for (const Look& look : mainLooks()) p.make("QVModelSpriteContainer", look.container, look.name);

    // Values and links, after every model of the group exists.
    p.num(1010, "width", 1024);
    p.num(1010, "height", 1024);
    p.num(1010, "padding", 2);
    p.num(1011, "width", 1024);
    p.num(1011, "height", 512);
    p.num(1011, "padding", 2);
    for (const Look& look : mainLooks()) {
        p.num(look.container, "Animation Speed", look.speed);
        if (look.atlas == 0) p.num(look.container, "Excluded From Atlas", 1);
        for (uint32_t sprite : look.sprites) {
            p.size(sprite, "Size", look.width, look.height);
            p.size(sprite, "SourceSize", look.width, look.height);
            p.point(sprite, "Offset", 0, 0);
            p.child(look.container, sprite);
        }
    }
    for (const uint32_t atlas : {1010u, 1011u}) {
        for (const Look& look : mainLooks()) {
            if (look.atlas != atlas) continue;
            for (uint32_t sprite : look.sprites) p.child(atlas, sprite);
        }
    }
}

// Frames, animations, shapes, assets and their components (1240-1344).
void authorAssets(Plan& p) {
    struct Frame {
        uint32_t image, container;
        const char* name;
        int sprites;
    };
    const Frame frames[] = {{1240, 1200, "Runner", 2}, {1241, 1201, "Dasher", 2},     {1242, 1202, "Ground", 1},
                            {1243, 1203, "Ledge", 1},  {1244, 1204, "Coin", 2},       {1245, 1205, "Magnet", 1},
                            {1246, 1206, "Spiky", 2},  {1247, 1207, "Checkpoint", 1}, {1248, 1213, "Unlock", 1}};
    for (const Frame& f : frames) p.make("QVModelObjectImage", f.image, f.name);
    struct Anim {
        uint32_t id;
        const char* name;
        uint32_t image;
        int sprites;
    };
    const Anim animations[] = {{1280, "Runner Run", 1240, 2}, {1281, "Runner Icon", 1240, 2},
                               {1282, "Dasher Run", 1241, 2}, {1283, "Ground", 1242, 1},
                               {1284, "Ledge", 1243, 1},      {1285, "Coin", 1244, 2},
                               {1286, "Magnet", 1245, 1},     {1287, "Spiky", 1246, 2},
                               {1288, "Checkpoint", 1247, 1}, {1289, "Unlock Button", 1248, 1}};
    for (const Anim& a : animations) p.make("QVModelAnimation", a.id, a.name);
    p.make("QVModelObjectTrail", 1290, "Runner Trail");
    const char* boxes[] = {"Runner Box", "Ground Box", "Ledge Box"};
    for (uint32_t i = 0; i < 3; ++i) p.make("QVModelPolygon", 1300 + i, boxes[i]);
    p.make("QVModelCircle", 1303, "Coin Circle");
    p.make("QVModelCircle", 1304, "Magnet Circle");
    p.make("QVModelPolygon", 1305, "Spiky Box");
    p.make("QVModelPolygon", 1306, "Checkpoint Box");
    p.make("QVModelAssetCharacter", 1320, "Runner");
    p.make("QVModelAssetCharacter", 1321, "Dasher");
    p.make("QVModelAssetObstacle", 1322, "Ground");
    p.make("QVModelAssetObstacle", 1323, "Ledge");
    p.make("QVModelAssetObstacle", 1324, "Spiky");
    p.make("QVModelAssetPowerup", 1325, "Coin");
    p.make("QVModelAssetPowerup", 1326, "Magnet");
    p.make("QVModelAssetPowerup", 1327, "Checkpoint");
    p.make("QVModelComponentCharacterGameplaySettings", 1340, "Gameplay");
    p.make("QVModelComponentHealth", 1341, "Health");
    p.make("QVModelComponentCharacterIcon", 1342, "Icon");
    p.make("QVModelComponentCharacterGameplaySettings", 1343, "Gameplay");
    p.make("QVModelComponentHealth", 1344, "Health");

    for (const Frame& f : frames) {
        // The unlock button between the selector's character and Play.
        p.point(f.image, "Position", 0, f.image == 1248 ? -102 : 0);
        p.num(f.image, "Stick To Edge", 0);
        p.link(f.image, "Image", f.container);
    }
    for (const Anim& a : animations) {
        p.num(a.id, "Speed", 1);
        p.num(a.id, "Loop", 1);
        p.num(a.id, "Duration", a.sprites / 30.0);
        p.child(a.id, a.image);
    }
    p.child(1280, 1290);
    p.point(1290, "Position", -10, 0);
    p.num(1290, "Z Depth", -1);
    p.num(1290, "Start Width", 14);
    p.num(1290, "End Width", 2);
    p.num(1290, "Speed", 0);
    p.num(1290, "Length", 180);
    p.num(1290, "Wave Height", 0);
    p.num(1290, "Wave Length", 50);

    p.box(1300, 56, 84);
    p.box(1301, 568, 64);
    p.box(1302, 192, 24);
    p.dictionaryValue(1302, "oneWayCollisionVector", cocos2d::CCString::create("{0,1}"));
    p.circle(1303, 16);
    p.circle(1304, 20);
    p.box(1305, 56, 44);
    p.box(1306, 32, 112);

    for (const uint32_t c : {1320u, 1321u}) {
        const bool runner = c == 1320;
        p.link(c, "Collision Shape", 1300);
        p.link(c, "Default Animation", runner ? 1280 : 1282);
        p.link(c, "Jump Sound", 1030);
        p.link(c, "Defeated Sound", 1033);
        p.num(c, "Price", runner ? 0 : 10);
        p.text(c, "Purchase Method", runner ? "kFree" : "kInGameCurrency");
        p.num(c, "Cast Shadow", 1);
        p.num(c, "Game Over Delay", 1);
        p.num(c, "Camera Shake", 0.4);
        const uint32_t gameplay = runner ? 1340 : 1343;
        p.point(gameplay, "Max Speed", runner ? 15 : 18, 0);
        p.point(gameplay, "Jump Force", 0, runner ? 14 : 16);
        p.point(gameplay, "Bounce Force", 0, 0);
        p.num(gameplay, "Jump Timeout", 0.2);
        p.num(gameplay, "Jump Counter", 2);
        p.num(gameplay, "Ground Threshold", 0.05);
        p.num(gameplay, "Jump From Ground", 1);
        p.point(gameplay, "Air Drag", 1, 1);
        p.num(gameplay, "Rotation Drag", 1);
        p.num(gameplay, "Platform Friction", 0);
        p.num(gameplay, "Forced Movement", 1);
        p.num(gameplay, "Fixed Rotation", 1);
        p.num(gameplay, "Direct Movement", 0);
        p.num(gameplay, "Image Direction", 0);
        const uint32_t health = gameplay + 1;
        p.num(health, "Health", 1);
        p.num(health, "Lives", 1);
        p.num(health, "Death Delay", 0);
        p.child(c, gameplay);
        p.child(c, health);
    }
    p.link(1342, "Regular Icon", 1281);
    p.child(1320, 1342);

    const uint32_t obstacleShapes[] = {1301, 1302, 1305}, obstacleIdle[] = {1283, 1284, 1287};
    for (uint32_t i = 0; i < 3; ++i) {
        p.link(1322 + i, "Collision Shape", obstacleShapes[i]);
        p.link(1322 + i, "Idle Animation", obstacleIdle[i]);
    }
    const uint32_t powerupShapes[] = {1303, 1304, 1306}, powerupIdle[] = {1285, 1286, 1288},
                   powerupSound[] = {1031, 1032, 1032};
    const char* powerupTypes[] = {"kPowerupCoin", "kPowerupMagnet", "kPowerupCheckpoint"};
    for (uint32_t i = 0; i < 3; ++i) {
        const uint32_t a = 1325 + i;
        p.link(a, "Collision Shape", powerupShapes[i]);
        p.link(a, "Idle Animation", powerupIdle[i]);
        p.link(a, "Start Sound", powerupSound[i]);
        p.text(a, "Powerup Type", powerupTypes[i]);
        p.num(a, "Appearance Chance", 100);
    }
    p.num(1325, "Reward Coins", 1);
    p.num(1325, "Show coin reward", 1);
    p.num(1325, "Reward Points", 10);
    p.num(1326, "Duration", 6);
    p.text(1326, "Animation Placement", "kPowerupCharacterConstraint");
}

enum class Placement { kCharacter, kGround, kLedge, kEnemy, kCoin, kMagnet, kCheckpoint };

// A placement of an asset in a level section.
void place(Plan& p, uint32_t id, Placement kind, float x, float y) {
    struct Kind {
        const char* className;
        const char* name;
        uint32_t asset;
        int z;
    };
    static const std::map<Placement, Kind> kinds = {
        {Placement::kCharacter, {"QVModelObjectAssetCharacter", "Player", 1320, 5}},
        {Placement::kGround, {"QVModelObjectAssetUnit", "Ground", 1322, 1}},
        {Placement::kLedge, {"QVModelObjectAssetUnit", "Ledge", 1323, 1}},
        {Placement::kEnemy, {"QVModelObjectAssetUnit", "Spiky", 1324, 1}},
        {Placement::kCoin, {"QVModelObjectAssetPowerup", "Coin", 1325, 3}},
        {Placement::kMagnet, {"QVModelObjectAssetPowerup", "Magnet", 1326, 3}},
        {Placement::kCheckpoint, {"QVModelObjectAssetPowerup", "Checkpoint", 1327, 3}},
    };
    const Kind& k = kinds.at(kind);
    p.make(k.className, id, k.name);
    p.point(id, "Position", x, y);
    p.num(id, "Z Depth", k.z);
    p.link(id, "Asset", k.asset);
    if (std::string(k.className) == "QVModelObjectAssetUnit") {
        const bool enemy = kind == Placement::kEnemy;
        p.text(id, "Object Type", enemy ? "kEnemyObjectType" : "kPlatformObjectType");
        p.text(id, "Movement Type", "kMovementLinear");
        p.point(id, "Linear Velocity", enemy ? -3 : 0, 0);
        p.text(id, "Collision Type", "kCharacterCollision");
        p.text(id, "Destroy Type", enemy ? "kDestroyCollision" : "kDestroyNo");
    }
}

void section(Plan& p, uint32_t id, const char* name, bool init, float start, float end, float cooldown) {
    p.make("QVModelLevelSection", id, name);
    p.num(id, "Width", 1136);
    p.num(id, "Init Section", init ? 1 : 0);
    if (!init) {
        p.num(id, "Start Distance", start);
        p.num(id, "End Distance", end);
        p.num(id, "Play Cooldown", cooldown);
    }
}

// World1's sections and what they hold (1410-1450).
void authorSections(Plan& p) {
    section(p, 1410, "Start", true, 0, 0, 0);
    section(p, 1411, "Gap", false, 0, -1, 1);
    section(p, 1412, "Spiky", false, 1500, -1, 1);
    section(p, 1413, "Checkpoint", false, 4000, -1, 3);
    using P = Placement;
    struct Item {
        uint32_t id;
        P kind;
        float x, y;
    };
    const std::vector<std::pair<uint32_t, std::vector<Item>>> placed = {
        {1410,
         {{1420, P::kCharacter, 260, 200},
          {1421, P::kGround, 284, 32},
          {1422, P::kGround, 852, 32},
          {1423, P::kCoin, 640, 140},
          {1424, P::kCoin, 720, 140},
          {1425, P::kCoin, 800, 140}}},
        {1411,
         {{1426, P::kGround, 284, 32},
          {1427, P::kGround, 1000, 32},
          {1428, P::kLedge, 900, 230},
          {1429, P::kCoin, 600, 180},
          {1430, P::kCoin, 642, 220},
          {1431, P::kCoin, 684, 180}}},
        {1412,
         {{1432, P::kGround, 284, 32},
          {1433, P::kGround, 852, 32},
          {1434, P::kEnemy, 820, 86},
          {1436, P::kLedge, 420, 220},
          {1437, P::kMagnet, 420, 280},
          {1438, P::kCoin, 620, 110},
          {1439, P::kCoin, 680, 110},
          {1440, P::kCoin, 740, 110}}},
        {1413, {{1442, P::kGround, 284, 32}, {1443, P::kGround, 1000, 32}, {1445, P::kCheckpoint, 880, 120}}},
    };
    for (const auto& group : placed) {
        for (const Item& item : group.second) {
            place(p, item.id, item.kind, item.x, item.y);
            p.child(group.first, item.id);
        }
    }
    p.make("QVModelComponentWakeup", 1435, "Wakeup");
    p.text(1435, "Wake Up", "kTimeBasedWakeup");
    p.num(1435, "Wakeup Distance", 600);
    p.text(1435, "Sleep", "kDistanceBasedSleep");
    p.num(1435, "Sleep Distance", 400);
    p.child(1434, 1435);

    p.make("QVModelObjectLight", 1441, "Lamp");
    p.point(1441, "Position", 560, 380);
    p.num(1441, "Radius", 6);
    p.color(1441, "Color", 255, 214, 140, 180);
    p.num(1441, "Cast Shadow", 1);
    p.num(1441, "Z Depth", 8);
    p.child(1412, 1441);

    p.make("QVModelObjectMirror", 1444, "Pond");
    // A puddle let into the ground the Runner runs over: the band it
    // reflects, one puddle height above it, holds the Runner's lower half.
    p.point(1444, "Position", 420, 40);
    p.num(1444, "Z Depth", 2);
    p.point(1444, "Scale", 1.48f, 0.48f);
    p.color(1444, "Color", 140, 180, 255, 200);
    // The banner and the sparks belong to the pole: taking the checkpoint
    // takes them along, and a Continue, which does not build the taken pole
    // again, leaves none in mid-air.
    p.make("QVModelObjectFlag", 1446, "Banner");
    p.point(1446, "Position", 4, 40);
    p.num(1446, "Start Width", 12);
    p.num(1446, "End Width", 8);
    p.num(1446, "Speed", 200);
    p.num(1446, "Length", 60);
    p.num(1446, "Wave Height", 6);
    p.num(1446, "Wave Length", 40);
    p.make("QVModelObjectParticles", 1447, "Sparkle");
    p.point(1447, "Position", 0, 64);
    p.make("QVModelObjectParticlesEmitter", 1448, "Sparks");
    p.num(1448, "Total Particles", 60);
    p.num(1448, "Emission Rate", 40);
    p.vary(1448, "Life", 1, 0.3f);
    p.vary(1448, "Speed", 80, 30);
    p.vary(1448, "Angle", 90, 40);
    p.point(1448, "Gravity", 0, -60);
    p.vary(1448, "Start Size", 16, 4);
    // Yellow to orange, blended over the sky: added to its blue they would
    // read pale cyan.
    p.gradientKey(1448, "Color", 0, 1, 0.88f, 0.3f, 1);
    p.gradientKey(1448, "Color", 1, 1, 0.4f, 0.05f, 0.5f);
    p.num(1448, "End Size", 4);
    p.num(1448, "Blend Additive", 0);
    p.text(1448, "Position Type", "kCCPositionTypeRelative");
    p.link(1448, "Texture", 1219);
    p.child(1447, 1448);
    p.child(1413, 1444);
    p.child(1288, 1446);
    p.child(1288, 1447);
}

void screenCommon(Plan& p, uint32_t id, const char* key) {
    p.text(id, "Key", key);
    p.text(id, "Ad Banner", "kNoAds");
    p.text(id, "Ad Interstitial", "kNoAds");
}

void makeScreen(Plan& p, uint32_t id, const char* name, const char* key) {
    p.make("QVModelScreen", id, name);
    screenCommon(p, id, key);
}

// A label: custom text unless a score kind is given afterwards.
void makeLabel(Plan& p, uint32_t id, const char* name, const std::string& text, float x, float y, float scale = 1) {
    p.make("QVModelObjectLabel", id, name);
    p.point(id, "Position", x, y);
    p.point(id, "Scale", scale, scale);
    p.text(id, "Font", std::to_string(kFont));
    p.text(id, "Action", "kCustomVector");
    p.text(id, "Text", text);
    p.num(id, "Stick To Edge", 0);
}

void scoreLabel(Plan& p, uint32_t id, const char* world, const char* type, const char* amount) {
    p.text(id, "Action", "kScoreVector");
    p.text(id, "World", world);
    p.text(id, "Score Type", type);
    if (amount) p.text(id, "Amount", amount);
    p.text(id, "Alignment", "kCCTextAlignmentLeft");
}

void makeButton(Plan& p, const char* className, uint32_t id, const char* name, uint32_t look, const char* action,
                float x, float y, int key) {
    p.make(className, id, name);
    p.point(id, "Position", x, y);
    p.link(id, std::string(className) == "QVModelObjectButtonSoundControl" ? "Sound is ON" : "Image", look);
    p.link(id, "Click Sound", kSoundClick);
    if (action) p.text(id, "Action", action);
    p.num(id, "Keyboard Key", key);
    p.num(id, "Stick To Edge", 0);
}

void makeCoinIcon(Plan& p, uint32_t id, float x, float y, bool stick) {
    p.make("QVModelObjectImage", id, "Coin Icon");
    p.point(id, "Position", x, y);
    p.link(id, "Image", 1204);
    p.num(id, "Stick To Edge", stick ? 1 : 0);
}

void authorScreens(Plan& p) {
    // Loading screen: the start-up set.
    // Under the splash's title and face (Default.png), which the window
    // centres and crops while these keep to its bottom edge.
    makeScreen(p, 1500, "Loading", "QVPScreenStart");
    makeLabel(p, 1501, "Loading", "LOADING", 568, 140);
    makeLabel(p, 1502, "Counter", "", 568, 95);
    p.text(1502, "Action", "kLoadingCounter");
    p.make("QVModelObjectLoadingBar", 1503, "Loading Bar");
    p.point(1503, "Position", 568, 50);
    for (uint32_t c = 1501; c <= 1503; ++c) p.child(1500, c);

    // Main menu.
    makeScreen(p, 1510, "Main Menu", "QVPScreenMainMenu");
    // The screens keep their top rows (titles, coins, sound, pause) at the
    // top edge; the rest lies within the lowest 479 points, what a 21:9
    // window shows.
    makeLabel(p, 1511, "Title", "SAMPLE RUNNER", 568, 560, 1.5f);
    p.num(1511, "Stick To Edge", 1);
    // The title fades in and drops into place.
    p.linearCurve(1511, "Opacity", "animations", -1, 0, 1);
    p.linearCurve(1511, "Position", "animationsY", 60, 0, 0.8f);
    // Room for six digits before the right edge.
    makeCoinIcon(p, 1512, 930, 600, true);
    makeLabel(p, 1513, "Coins", "", 960, 600);
    scoreLabel(p, 1513, "kGlobal", "kScoreCoins", "kScoreTotal");
    p.num(1513, "Stick To Edge", 1);
    makeButton(p, "QVModelObjectButton", 1514, "Play", 1208, nullptr, 568, 52, kKeySpace);
    makeButton(p, "QVModelObjectButtonSoundControl", 1515, "Sound", 1215, "kMuteAllSound", 70, 590, kKeyS);
    p.link(1515, "Sound is OFF", 1216);
    p.num(1515, "Stick To Edge", 1);
    p.make("QVModelObjectCharacterSelector", 1516, "Characters");
    p.point(1516, "Position", 568, 236);
    p.text(1516, "Label Name", std::to_string(kFont));
    p.num(1516, "Spread", 220);
    p.num(1516, "Label Vertical Spacing", 70);
    p.link(1516, "Unlock Button", 1289);
    p.link(1516, "Unlock Yes", 1032);
    p.link(1516, "Unlock No", 1033);
    p.link(1510, "Music", kSoundMusic);
    for (uint32_t c = 1511; c <= 1516; ++c) p.child(1510, c);

    // HUD.
    makeScreen(p, 1520, "HUD", "HUD");
    makeLabel(p, 1521, "Distance", "", 40, 600);
    scoreLabel(p, 1521, "kCurrentWorld", "kScoreDistance", nullptr);
    makeCoinIcon(p, 1522, 520, 600, true);
    makeLabel(p, 1523, "Coins", "", 550, 600);
    // The run's coins as the game's record counts them: the same as the
    // world's in a run from the menu, and kept over the Lab's exit.
    scoreLabel(p, 1523, "kGlobal", "kScoreCoins", nullptr);
    makeButton(p, "QVModelObjectButton", 1524, "Pause", 1214, "kPauseButton", 1090, 594, kKeyP);
    p.make("QVModelObjectEventObserver", 1525, "Game Over");
    p.text(1525, "Event Type", "kGameOver");
    p.num(1525, "Pause Current World", 1);
    for (uint32_t c = 1521; c <= 1524; ++c) p.num(c, "Stick To Edge", 1);
    for (uint32_t c = 1521; c <= 1525; ++c) p.child(1520, c);
    // A jump for the mouse, in the corner behind the Runner, which the
    // world's left edge keeps right of x 130 (sprite 1985, container 1986).
    p.make("QVModelSprite", 1985, "Jump Button");
    p.make("QVModelSpriteContainer", 1986, "Jump Button");
    p.size(1985, "Size", 96, 96);
    p.size(1985, "SourceSize", 96, 96);
    p.child(1986, 1985);
    p.child(1010, 1985);
    makeButton(p, "QVModelObjectButton", 1529, "Jump", 1986, "kCharacterJumpButton", 60, 116, 0);
    p.child(1520, 1529);

    // Pause.
    makeScreen(p, 1530, "Pause", "Pause");
    makeLabel(p, 1531, "Paused", "PAUSED", 568, 440, 1.4f);
    makeButton(p, "QVModelObjectButton", 1532, "Resume", 1209, "kBackButton", 568, 300, kKeyP);
    makeButton(p, "QVModelObjectButton", 1533, "Menu", 1212, "kBackToButton", 568, 190, kKeyM);
    p.text(1533, "Back To", "QVPScreenMainMenu");
    for (uint32_t c = 1531; c <= 1533; ++c) p.child(1530, c);

    // Game over.
    makeScreen(p, 1540, "Game Over", "Game Over");
    makeLabel(p, 1541, "Game Over", "GAME OVER", 568, 590, 1.4f);
    p.num(1541, "Stick To Edge", 1);
    makeLabel(p, 1542, "Score Caption", "SCORE", 470, 370, 0.8f);
    makeLabel(p, 1543, "Score", "", 600, 370);
    scoreLabel(p, 1543, "kCurrentWorld", "kScoreDistance", nullptr);
    makeLabel(p, 1544, "Best Caption", "BEST", 470, 315, 0.8f);
    makeLabel(p, 1545, "Best", "", 600, 315);
    scoreLabel(p, 1545, "kCurrentWorld", "kScoreDistance", "kScoreBest");
    makeButton(p, "QVModelObjectButton", 1546, "Retry", 1210, "kRestartButton", 568, 236, kKeySpace);
    makeButton(p, "QVModelObjectButton", 1547, "Continue", 1211, "kRestartCheckpointButton", 568, 146, kKeyC);
    makeButton(p, "QVModelObjectButton", 1548, "Menu", 1212, "kBackToButton", 568, 56, kKeyM);
    p.text(1548, "Back To", "QVPScreenMainMenu");
    for (uint32_t c = 1541; c <= 1548; ++c) p.child(1540, c);
}

// Both reach 40 points past the bottom and the sky past the top of the
// tallest window (852 points at 4:3), so the death shake (at most 28
// points) shows no edge.
void backgrounds(Plan& p, uint32_t sky, uint32_t hills) {
    p.point(sky, "Position", 568, 440);
    p.point(sky, "Scale", 2, 3);
    p.num(sky, "Speed", 0.05);
    p.num(sky, "Z Depth", -20);
    p.link(sky, "Image", 1217);
    p.point(hills, "Position", 256, 60);
    p.point(hills, "Scale", 1, 1.25f);
    p.num(hills, "Speed", 0.3);
    p.num(hills, "Z Depth", -10);
    p.link(hills, "Image", 1218);
}

void worldValues(Plan& p, uint32_t w, const char* key) {
    screenCommon(p, w, key);
    p.point(w, "Gravity", 0, -40);
    p.num(w, "Time Warp", 1);
    p.num(w, "Game Speed Min", 4);
    // The Runner's top speed (15 m/s, 5 points a frame): a faster view
    // would leave it riding the frame's left edge, which pushes it along.
    p.num(w, "Game Speed Max", 5);
    p.num(w, "Speed Increase", 0.001);
    p.num(w, "Velocity Drag", 1);
    p.num(w, "Score Multiplier", 0.05);
    p.num(w, "Camera Smooth", 0.2);
    p.rect(w, "Object Frame Rect", 0.15f, 0, 0.5f, 1);
    p.num(w, "Object Frame State 1", 0);
    p.num(w, "Object Frame State 2", 0);
    p.num(w, "Object Frame State 3", 2);
    p.num(w, "Object Frame State 4", 1);
    p.link(w, "Music", kSoundMusic);
    p.num(w, "Loop Music", 1);
}

void authorWorld(Plan& p) {
    p.make("QVModelScreenScene", 1400, "World 1");
    p.make("QVModelComponentScore", 1401, "Score");
    p.make("QVModelObjectBackground", 1402, "Sky");
    p.make("QVModelObjectBackground", 1403, "Hills");
    authorSections(p);
    worldValues(p, 1400, "World1");
    p.num(1401, "Reset Distance", 1);
    p.num(1401, "Reset Points", 1);
    p.num(1401, "Reset Coins", 0);
    backgrounds(p, 1402, 1403);
    for (uint32_t c = 1410; c <= 1413; ++c) p.child(1400, c);
    for (uint32_t c = 1401; c <= 1403; ++c) p.child(1400, c);
}

// Button looks of the extras and the Lab (sprites 1800-1811, containers 1820-1831).
void authorExtraLooks(Plan& p) {
    const char* names[] = {"Extras", "Back",  "Buy",  "Get",    "Lab",     "Lab Locked",
                           "Web",    "Share", "Push", "Hop On", "Hop Off", "Magnet Button"};
    for (uint32_t i = 0; i < 12; ++i) p.make("QVModelSprite", 1800 + i, names[i]);
    for (uint32_t i = 0; i < 12; ++i) p.make("QVModelSpriteContainer", 1820 + i, names[i]);
    for (uint32_t i = 0; i < 12; ++i) {
        const bool round = i >= 8;
        // Buy, Get and both Lab looks carry a price beside the caption.
        const float width = round ? 96 : i >= 2 && i <= 5 ? 220 : 180;
        p.size(1800 + i, "Size", width, round ? 96 : 60);
        p.size(1800 + i, "SourceSize", width, round ? 96 : 60);
        p.child(1820 + i, 1800 + i);
        p.child(1010, 1800 + i);
    }
}

// One Lab asset with its look: asset `base`, container +1, image frame +2,
// animation +3, shape +4 (none for the plain asset), sprites from +5.
void labAsset(Plan& p, uint32_t base, const char* className, const char* name, int sprites, float w, float h,
              float radius) {
    p.make(className, base, name);
    p.make("QVModelSpriteContainer", base + 1, name);
    p.make("QVModelObjectImage", base + 2, name);
    p.make("QVModelAnimation", base + 3, name);
    const bool plain = std::string(className) == "QVModelAsset";
    if (!plain) p.make(radius > 0 ? "QVModelCircle" : "QVModelPolygon", base + 4, std::string(name) + " Shape");
    for (int i = 0; i < sprites; ++i) {
        const uint32_t sprite = base + 5 + static_cast<uint32_t>(i);
        p.make("QVModelSprite", sprite, std::string(name) + " " + std::to_string(i + 1));
        p.size(sprite, "Size", w, h);
        p.size(sprite, "SourceSize", w, h);
        p.child(base + 1, sprite);
        p.child(1010, sprite);
    }
    p.num(base + 1, "Animation Speed", sprites > 1 ? 0.2 : 1);
    p.link(base + 2, "Image", base + 1);
    p.num(base + 2, "Stick To Edge", 0);
    p.num(base + 3, "Duration", sprites / 30.0);
    p.child(base + 3, base + 2);
    if (plain) {
        p.child(base, base + 3);
        return;
    }
    if (radius > 0) {
        p.circle(base + 4, radius);
    } else {
        p.box(base + 4, w, h);
    }
    p.link(base, "Collision Shape", base + 4);
    p.link(base, "Idle Animation", base + 3);
}

// A move component of a Lab asset, driven by `event`: velocity `v` along
// x, or along y when `vertical` (the other axis left as it is), for
// `timeout` seconds or while held (0). Shape id +1.
void labMove(Plan& p, uint32_t id, const char* name, uint32_t asset, const char* event, float v, bool vertical,
             float timeout) {
    p.make("QVModelComponentMove", id, name, id + 1);
    p.text(id, "Event", event);
    p.pointAxes(id, "Linear Velocity", vertical ? 0 : v, vertical ? v : 0, vertical, !vertical);
    p.num(id, "Timeout", timeout);
    p.child(asset, id);
}

// A decoration: a unit that only shows its asset (no body, no collision),
// where a trigger, which draws nothing, stands.
void labLook(Plan& p, uint32_t id, const char* name, uint32_t asset, float x, float y) {
    p.make("QVModelObjectAssetUnit", id, name);
    p.point(id, "Position", x, y);
    p.num(id, "Z Depth", 1);
    p.link(id, "Asset", asset);
    p.text(id, "Object Type", "kDecorationObjectType");
    p.text(id, "Movement Type", "kMovementLinear");
    p.point(id, "Linear Velocity", 0, 0);
    p.text(id, "Collision Type", "kNoCollision");
    p.text(id, "Destroy Type", "kDestroyNo");
}

// The Lab's assets (1840-1896, 1940-1973).
void authorLabAssets(Plan& p) {
    labAsset(p, 1840, "QVModelAssetObstacle", "Wheel", 4, 88, 88, 44);
    p.make("QVModelComponentMotor", 1849, "Motor");
    p.num(1849, "Angular Velocity", -1.5);
    p.text(1849, "Event", "kEventButton");
    p.num(1849, "Angular Multiplier", 1.5);
    p.make("QVModelComponentRotationMapper", 1850, "Rotation");
    p.link(1850, "Animation", 1843);
    p.child(1840, 1849);
    p.child(1840, 1850);

    labAsset(p, 1851, "QVModelAssetObstacle", "Frog", 2, 56, 40, 0);
    p.make("QVModelComponentIsoJump", 1858, "Hop", 1859);
    // The switch starts on, so its first press (off) is the one that hops.
    p.text(1858, "Event", "kSwitch-Hop-1");
    p.link(1858, "Animation", 1854);
    p.point(1858, "Jump Velocity", 0, 240);
    p.point(1858, "Jump Gravity", 0, 480);
    p.num(1858, "Jump Timeout", 0.1);
    p.num(1858, "Jump Duration", 1.5);
    p.num(1858, "Continuous Jump", 1);
    p.make("QVModelComponentDamage", 1860, "Damage");
    p.num(1860, "Damage", 1);
    p.child(1851, 1858);
    p.child(1851, 1860);

    labAsset(p, 1861, "QVModelAssetObstacle", "Crate", 1, 60, 60, 0);
    p.make("QVModelComponentSlide", 1867, "Slide");
    p.make("QVModelPolygon", 1868, "Crate Slide Box");
    p.box(1868, 60, 30);
    p.link(1867, "Collision Shape", 1868);
    p.link(1867, "Animation", 1864);
    p.text(1867, "Event", "kEventButton");
    p.child(1861, 1867);
    // Swipes shove it a crate's width each way.
    labMove(p, 1940, "Crate Push", 1861, "kButton-Push-0", 4, false, 0);
    labMove(p, 1942, "Crate Left", 1861, "kSwipe-Swipe-0", -4, false, 0.75f);
    labMove(p, 1944, "Crate Right", 1861, "kSwipe-Swipe-1", 4, false, 0.75f);
    labMove(p, 1875, "Crate Up", 1861, "kSwipe-Swipe-2", 4, true, 0.75f);
    labMove(p, 1946, "Crate Down", 1861, "kSwipe-Swipe-3", -4, true, 0.75f);

    labAsset(p, 1869, "QVModelAssetObstacle", "Lift", 1, 160, 24, 0);

    labAsset(p, 1877, "QVModelAssetObstacle", "Cannon", 1, 64, 48, 0);
    p.make("QVModelComponentSpawner", 1883, "Spawner");
    p.vary(1883, "Spawn Rate", 3, 0.5f);
    p.text(1883, "Spawn Action", "kPermanentSpawning");
    p.child(1877, 1883);

    labAsset(p, 1884, "QVModelAssetObstacle", "Saw", 1, 60, 60, 30);
    p.make("QVModelComponentDamage", 1890, "Damage");
    p.num(1890, "Damage", 1);
    p.num(1890, "Damage delay", 0.5);
    p.child(1884, 1890);

    labAsset(p, 1891, "QVModelAsset", "Flower", 1, 40, 56, 0);
    // The triggers' looks, placed as decorations: only obstacle assets are
    // placed as units.
    labAsset(p, 1950, "QVModelAssetObstacle", "Portal", 1, 60, 80, 0);
    labAsset(p, 1956, "QVModelAssetObstacle", "Gate", 1, 40, 140, 0);
    labAsset(p, 1962, "QVModelAssetObstacle", "Booster", 1, 60, 40, 0);
    labAsset(p, 1968, "QVModelAssetObstacle", "Exit", 1, 60, 80, 0);
}

// A unit of the Lab with part 1's four strings.
void labUnit(Plan& p, uint32_t id, const char* name, uint32_t asset, bool enemy, float x, float y,
             const char* movement = "kMovementLinear") {
    p.make("QVModelObjectAssetUnit", id, name);
    p.point(id, "Position", x, y);
    p.num(id, "Z Depth", 1);
    p.link(id, "Asset", asset);
    p.text(id, "Object Type", enemy ? "kEnemyObjectType" : "kPlatformObjectType");
    p.text(id, "Movement Type", movement);
    p.point(id, "Linear Velocity", 0, 0);
    p.text(id, "Collision Type", "kCharacterCollision");
    p.text(id, "Destroy Type", enemy ? "kDestroyCollision" : "kDestroyNo");
}

// The Lab's sections and what they hold (1770, 1771, 1900-1933, 1974-1978).
// The start shows the gadgets the controls drive: the wheel turns on its
// axle (PUSH speeds it up), PUSH slides the crate onto the booster, which
// sends it on. The loop is a trap and a way out: portal A sends the runner
// back to portal B, before the gate, which lets it pass twice; a jump over
// portal A reaches the exit.
void authorLabSections(Plan& p) {
    section(p, 1770, "Lab Start", true, 0, 0, 0);
    section(p, 1771, "Lab Loop", false, 0, -1, 1);
    place(p, 1900, Placement::kCharacter, 260, 200);
    place(p, 1901, Placement::kGround, 284, 32);
    place(p, 1902, Placement::kGround, 852, 32);
    // Above the runner's head, on a free axle held by the ground.
    labUnit(p, 1903, "Wheel", 1840, false, 500, 230, "kMovementPhysics");
    p.make("QVModelLinker", 1904, "Wheel Joint");
    p.link(1904, "Object A", 1901);
    p.link(1904, "Object B", 1903);
    p.num(1904, "Speed", 0);
    // A physics body: the runner shoves it, and it falls back after a swipe.
    labUnit(p, 1905, "Crate", 1861, false, 760, 94, "kMovementPhysics");
    p.make("QVModelObjectAsset", 1906, "Flower");
    p.point(1906, "Position", 960, 92);
    p.link(1906, "Asset", 1891);
    p.make("QVModelObject", 1907, "Spawn Marker");
    p.point(1907, "Position", 1040, 200);
    p.make("QVModelObjectGroup", 1908, "Coin Row");
    p.num(1908, "Auto Depth Sorting", 1);
    p.text(1908, "Sort Direction", "gAxisX");
    p.text(1908, "Sort Order", "gSortAsc");
    // Past the wheel, so that one jump from under its right side sweeps
    // the row (and clears the crate); the echo, before the wheel, asks for
    // a jump of its own and stays under the controls.
    place(p, 1909, Placement::kCoin, 680, 270);
    place(p, 1910, Placement::kCoin, 740, 270);
    place(p, 1911, Placement::kCoin, 800, 270);
    for (uint32_t c = 1909; c <= 1911; ++c) p.child(1908, c);
    p.make("QVModelObjectInstance", 1912, "Coin Echo");
    p.point(1912, "Position", 380, 250);
    p.link(1912, "Reference", 1909);
    p.make("QVModelObjectLogic", 1930, "Booster");
    p.point(1930, "Position", 880, 94);
    // 192 points/s on top: the crate visibly pulls away before the ground's
    // friction slows it.
    p.pointAxes(1930, "Linear Velocity Modifier", 6, 0, false, true);
    p.text(1930, "Affect operation", "kAdd");
    p.text(1930, "Affected asset", "1861");
    labLook(p, 1977, "Booster Look", 1962, 880, 84);
    // The group only sorts its members; the section creates them.
    for (uint32_t c = 1900; c <= 1911; ++c) p.child(1770, c);
    for (uint32_t c : {1912u, 1930u, 1977u}) p.child(1770, c);

    place(p, 1920, Placement::kGround, 284, 32);
    place(p, 1921, Placement::kGround, 1000, 32);
    p.make("QVModelObjectTeleport", 1928, "Portal B");
    p.point(1928, "Position", 120, 110);
    p.num(1928, "Group ID", 1);
    p.num(1928, "Exit Only", 1);
    p.make("QVModelObjectGatekeeper", 1929, "Gate");
    p.point(1929, "Position", 260, 110);
    p.num(1929, "Passed Amount", 2);
    p.make("QVModelObjectTeleport", 1927, "Portal A");
    p.point(1927, "Position", 400, 110);
    p.num(1927, "Group ID", 1);
    p.num(1927, "Single Use", 0);
    p.make("QVModelObjectScreenJump", 1931, "Exit");
    p.point(1931, "Position", 560, 240);
    p.text(1931, "Function", "kStartKeepScores");
    labLook(p, 1975, "Portal B Look", 1950, 120, 110);
    labLook(p, 1976, "Gate Look", 1956, 260, 134);
    labLook(p, 1974, "Portal A Look", 1950, 400, 110);
    labLook(p, 1978, "Exit Look", 1968, 560, 240);
    labUnit(p, 1924, "Frog", 1851, true, 720, 84);
    labUnit(p, 1922, "Lift", 1869, false, 860, 60);
    p.make("QVModelObjectPath", 1923, "Lift Path");
    p.num(1923, "Speed", 4);
    p.point(1923, "Position", 860, 60);
    cocos2d::CCArray* liftPoints = cocos2d::CCArray::create();
    for (const char* point : {"{0,0}", "{0,180}", "{0,0}"}) liftPoints->addObject(cocos2d::CCString::create(point));
    p.dictionaryValue(1923, "points", liftPoints);
    p.text(1923, "Play Mode", "kPlayModePingPong");
    p.text(1923, "Affected Asset", "kAssets");
    // The placed asset's model id, not the unit's.
    p.text(1923, "Object Asset", "1869");
    labUnit(p, 1925, "Saw", 1884, true, 1000, 130);
    labUnit(p, 1926, "Cannon", 1877, true, 1080, 88);
    place(p, 1932, Placement::kCoin, 480, 240);
    place(p, 1933, Placement::kCoin, 640, 240);
    for (uint32_t c = 1920; c <= 1933; ++c) {
        if (c != 1930) p.child(1771, c);
    }
    for (uint32_t c = 1974; c <= 1976; ++c) p.child(1771, c);
    p.child(1771, 1978);
}

void authorExtras(Plan& p) {
    authorExtraLooks(p);
    makeButton(p, "QVModelObjectButton", 1713, "Extras", 1820, nullptr, 840, 52, kKeyE);
    p.child(1510, 1713);

    makeScreen(p, 1700, "Extras", "Extras");
    makeLabel(p, 1701, "Extras", "EXTRAS", 568, 580, 1.4f);
    p.num(1701, "Stick To Edge", 1);
    makeCoinIcon(p, 1702, 930, 600, true);
    makeLabel(p, 1703, "Coins", "", 960, 600);
    scoreLabel(p, 1703, "kGlobal", "kScoreCoins", "kScoreTotal");
    p.num(1703, "Stick To Edge", 1);
    // Every button has a key: M buys a magnet, D gets Dasher, L the Lab, W
    // and S open the web and share pages, B goes back.
    makeButton(p, "QVModelObjectButtonPurchase", 1704, "Buy Magnet", 1822, nullptr, 300, 290, kKeyM);
    p.text(1704, "Powerup Selection", "1326");
    p.text(1704, "Type", "kPurchasePowerup");
    p.text(1704, "Purchase Method", "kInGameCurrency");
    p.num(1704, "Price", 5);
    p.num(1704, "Quantity", 1);
    // Bought again and again, unlike the empty value's one-time purchase.
    p.text(1704, "One Time Purchase", "kDefault");
    p.link(1704, "Purchase Complete", 1032);
    // "Character" is the character's model id. No "kUnlockCharacter" action:
    // the screen shows that action's button only while some character is
    // affordable, and this button unlocks its own character.
    makeButton(p, "QVModelObjectButtonCharacterUnlock", 1705, "Get Dasher", 1823, nullptr, 568, 290, kKeyD);
    p.text(1705, "Character", "1321");
    makeButton(p, "QVModelObjectLockButton", 1706, "Lab", 1824, nullptr, 836, 290, kKeyL);
    p.text(1706, "Unlock", "kInGameCurrency");
    p.num(1706, "Price", 20);
    // The press that buys the Lab also opens it.
    p.num(1706, "Auto Follow", 1);
    p.text(1706, "Destination", "kSceneDestination");
    p.text(1706, "World", "Lab");
    p.text(1706, "Scene", "1770");
    p.link(1706, "Locked Image", 1825);
    makeButton(p, "QVModelObjectButtonUrl", 1707, "Web", 1826, nullptr, 400, 180, kKeyW);
    p.text(1707, "URL", "https://example.org/");
    makeButton(p, "QVModelObjectButtonFacebook", 1708, "Share", 1827, nullptr, 736, 180, kKeyS);
    p.text(1708, "Facebook URL", "https://example.org/share");
    p.text(1708, "Facebook ID", "0");
    makeButton(p, "QVModelObjectButton", 1709, "Back", 1821, "kBackButton", 568, 64, kKeyB);
    for (uint32_t c = 1701; c <= 1709; ++c) p.child(1700, c);
    // What Buy and Get are for.
    makeLabel(p, 1710, "Magnet Caption", "MAGNET", 300, 345, 0.7f);
    makeLabel(p, 1711, "Dasher Caption", "DASHER", 568, 345, 0.7f);
    p.child(1700, 1710);
    p.child(1700, 1711);

    makeScreen(p, 1730, "Lab HUD", "Lab HUD");
    makeButton(p, "QVModelObjectButton", 1731, "Pause", 1214, "kPauseButton", 1090, 594, kKeyP);
    makeLabel(p, 1732, "Distance", "", 40, 600);
    scoreLabel(p, 1732, "kCurrentWorld", "kScoreDistance", nullptr);
    makeLabel(p, 1733, "Coins", "", 550, 600);
    scoreLabel(p, 1733, "kCurrentWorld", "kScoreCoins", nullptr);
    // The controls keep off the play: PUSH, HOP and the stick pad in a
    // column left of x 110, which the Runner never reaches (the world's left
    // edge holds it right of x 130); the magnet and the swipe pad right of
    // x 810, where the Runner never runs, above the gadgets (below y 280).
    makeButton(p, "QVModelObjectButtonControl", 1734, "Push", 1828, "kInputControllerActionButton", 60, 116, 0);
    // A switch shows "Image" while on (its start) and "Image Selected" while
    // off, when the frog hops.
    makeButton(p, "QVModelObjectButtonSwitch", 1735, "Hop", 1830, nullptr, 60, 224, 0);
    p.link(1735, "Image Selected", 1829);
    makeButton(p, "QVModelObjectButtonPowerup", 1736, "Magnet", 1831, nullptr, 1080, 340, 0);
    p.text(1736, "Powerup Selection", "1326");
    p.num(1736, "Max Refill", 3);
    p.num(1736, "Refill Timeout", 1);
    p.num(1736, "Refill At Start", 1);
    // Its amount and refill labels are drawn in its own font child: the
    // amount in the disc above the caption, the refill time just above the disc.
    p.child(1736, kFont);
    p.num(1736, "Label Vertical Spacing", -22);
    p.make("QVModelObjectManipulator", 1737, "Stick");
    p.point(1737, "Position", 60, 334);
    p.num(1737, "Sensitivity", 1);
    p.text(1737, "Control Style", "kControlStyleAbsolute");
    p.make("QVModelObjectAccelerometer", 1738, "Tilt");
    p.text(1738, "Control Type", "kControlTypeMove");
    p.text(1738, "Active Axes", "kActiveAxeX");
    p.num(1738, "Sensitivity", 1);
    p.make("QVModelObjectSwipeControl", 1739, "Swipe");
    p.point(1739, "Position", 915, 390);
    p.point(1739, "Scale", 2, 1.4f);
    p.make("QVModelObjectUnlocker", 1740, "Unlocker");
    p.text(1740, "Unlock Type", "kCharacterUnlock");
    p.text(1740, "Object", "Dasher");
    p.make("QVModelObjectEventObserver", 1741, "Game Over");
    p.text(1741, "Event Type", "kGameOver");
    p.num(1741, "Pause Current World", 1);
    for (uint32_t c = 1731; c <= 1733; ++c) p.num(c, "Stick To Edge", 1);
    for (uint32_t c = 1731; c <= 1741; ++c) p.child(1730, c);
    makeCoinIcon(p, 1742, 520, 600, true);
    // The stick's and the swipe area's pads (sprites 1980, 1982).
    for (uint32_t i = 0; i < 2; ++i) {
        const uint32_t sprite = 1980 + 2 * i;
        const float w = i == 0 ? 100 : 200, h = i == 0 ? 100 : 140;
        p.make("QVModelSprite", sprite, i == 0 ? "Stick Pad" : "Swipe Pad");
        p.make("QVModelSpriteContainer", sprite + 1, i == 0 ? "Stick Pad" : "Swipe Pad");
        p.size(sprite, "Size", w, h);
        p.size(sprite, "SourceSize", w, h);
        p.child(sprite + 1, sprite);
        p.child(1010, sprite);
        p.make("QVModelObjectImage", 1743 + i, i == 0 ? "Stick Pad" : "Swipe Pad");
        p.point(1743 + i, "Position", i == 0 ? 60 : 915, i == 0 ? 334 : 390);
        p.link(1743 + i, "Image", sprite + 1);
        p.num(1743 + i, "Stick To Edge", 0);
    }
    for (uint32_t c = 1742; c <= 1744; ++c) p.child(1730, c);
    // The unlocker's gift, said where it is given; it fades after a while.
    makeLabel(p, 1745, "Dasher Gift", "DASHER UNLOCKED", 568, 560, 0.7f);
    p.num(1745, "Autohide", 3);
    p.child(1730, 1745);

    authorLabAssets(p);
    p.make("QVModelScreenScene", 1760, "Lab");
    worldValues(p, 1760, "Lab");
    // A shoved crate slides to a stop (the runner's own contacts take the
    // platform friction instead).
    p.num(1760, "Friction", 0.2);
    p.make("QVModelComponentForcedMovement", 1761, "Forced Movement");
    p.num(1761, "Froce Min", 3);
    p.num(1761, "Force Max", 5);
    p.num(1761, "Force Increase", 0.001);
    p.make("QVModelComponentDeletionThreshold", 1762, "Deletion");
    p.num(1762, "Back Deletion Threshold", 600);
    p.num(1762, "Sides Deletion Threshold", 800);
    p.make("QVModelComponentScore", 1763, "Score");
    p.num(1763, "Reset Distance", 1);
    p.num(1763, "Reset Points", 1);
    p.num(1763, "Reset Coins", 0);
    p.make("QVModelObjectBackground", 1764, "Sky");
    p.make("QVModelObjectBackground", 1765, "Hills");
    backgrounds(p, 1764, 1765);
    authorLabSections(p);
    for (uint32_t c = 1761; c <= 1765; ++c) p.child(1760, c);
    p.child(1760, 1770);
    p.child(1760, 1771);
}

void authorNodes(Plan& p) {
    struct Node {
        uint32_t id;
        const char* className;
        const char* name;
        uint32_t screen;
    };
    const Node nodes[] = {
        {1600, "QVNodeUIStart", "QVPScreenStart", 1500},
        {1601, "QVNodeUI", "QVPScreenMainMenu", 1510},
        {1602, "QVNodeScene", "World1", 1400},
        {1603, "QVNodeUI", "HUD", 1520},
        {1604, "QVNodeUI", "Pause", 1530},
        {1605, "QVNodeUI", "Game Over", 1540},
        {1606, "QVNodeUI", "Extras", 1700},
        {1607, "QVNodeScene", "Lab", 1760},
        {1608, "QVNodeUI", "Lab HUD", 1730},
    };
    for (const Node& node : nodes) p.make(node.className, node.id, node.name);
    for (const Node& node : nodes) p.child(node.id, node.screen);
    p.flow(1600, "Load", 1601);
    p.flow(1601, "Play", 1602);
    p.flow(1601, "Extras", 1606);
    p.flow(1602, "UI", 1603);
    p.flow(1603, "Pause", 1604);
    p.flow(1603, "Game Over", 1605);
    p.flow(1606, "Lab", 1607);
    p.flow(1607, "UI", 1608);
    p.flow(1607, "Exit", 1602);
    p.flow(1608, "Pause", 1604);
    p.flow(1608, "Game Over", 1605);
}

// Pack numbers: the start-up set alone in pack 0 of its classes.
int packNumber(const QVModel& model) {
    const std::string className = model.className();
    if (className == "QVModelScreen") return model.id() == 1500 ? 0 : 1;
    if (className == "QVModelObjectLabel") return model.id() == 1501 || model.id() == 1502 ? 0 : 1;
    return 0;
}

// Key lines the first read of the settings relies on.
const std::map<size_t, std::string>& fixedKeyLines() {
    static const std::map<size_t, std::string> lines = {{10, "value"}, {33, "Class Name"}, {42, "id"}, {50, "User ID"}};
    return lines;
}

}  // namespace

void authorModels(QVModelController& controller) {
    controller.clear();
    Plan plan(controller);
    authorSettings(plan);
    authorMedia(plan);
    authorAssets(plan);
    authorWorld(plan);
    authorScreens(plan);
    authorExtras(plan);
    authorNodes(plan);
}

std::vector<PackFile> packGame(const QVModelController& controller) {
    const std::vector<std::shared_ptr<QVModel>> models = controller.modelsById();

    collectedKeys().clear();
    setCollectingKeys(true);
    for (const auto& model : models) {
        model->collectKeys();
        msgpack::zone zone;
        QVPackMap map(zone);
        model->pack(map);
        model->packConnections(map);
    }
    setCollectingKeys(false);

    std::set<std::string> names = collectedKeys();
    for (const auto& line : fixedKeyLines()) names.erase(line.second);
    std::vector<std::string> lines;
    auto rest = names.begin();  // std::set iterates in byte order
    for (size_t n = 0; rest != names.end() || n <= fixedKeyLines().rbegin()->first; ++n) {
        const auto fixed = fixedKeyLines().find(n);
        if (fixed != fixedKeyLines().end()) {
            lines.push_back(fixed->second);
        } else if (rest != names.end()) {
            lines.push_back(*rest++);
        } else {
            throw std::runtime_error("too few key names to place the fixed ones");
        }
    }
    QVKeyTableMap table;
    for (size_t n = 0; n < lines.size(); ++n) table.emplace(lines[n], static_cast<std::int32_t>(n));
    installKeyTable(std::move(table));

    std::vector<PackFile> files;
    files.push_back({"Keys.pack", writeKeysPack(lines, kUserId)});
    // Registry order, then pack number; each class list is ascending id.
    std::vector<PackFile> attributes, connections;
    for (const std::string& className : QVModelController::classNames()) {
        std::map<int, std::vector<std::shared_ptr<QVModel>>> byPack;
        for (const auto& model : models) {
            if (className == model->className()) byPack[packNumber(*model)].push_back(model);
        }
        for (const auto& pack : byPack) {
            attributes.push_back(
                {packwriter::packFileName(className, pack.first, false), packwriter::packBytes(pack.second, false)});
            connections.push_back(
                {packwriter::packFileName(className, pack.first, true), packwriter::packBytes(pack.second, true)});
        }
    }
    for (auto* group : {&attributes, &connections}) {
        for (PackFile& file : *group) files.push_back(std::move(file));
    }
    return files;
}

std::vector<unsigned char> packageBytes(const std::vector<PackFile>& files) {
    const std::string password = QVModelController::decodeArchivePassword(qvformat::kStoredArchivePassword);
    QVPackageWriter writer(1);
    for (const PackFile& file : files) {
        QVPackageEntry entry;
        entry.name = file.name;
        entry.data = file.bytes;
        entry.kind = QVPackageEntry::Kind::Traditional;
        entry.dataDescriptor = false;
        writer.add(entry, password);
    }
    return writer.finish();
}

}  // namespace samplegame
