#include "player/objects/QVPAnimationObject.h"

#include <utility>

#include "base/CCArray.h"
#include "model/classes/QVModelAnimation.h"
#include "model/classes/QVModelEffects.h"
#include "model/classes/QVModelObject.h"
#include "model/classes/QVModelObjectAsset.h"
#include "model/classes/QVModelObjectImage.h"
#include "model/classes/QVModelObjectLabel.h"
#include "model/classes/QVModelObjectParticles.h"
#include "model/core/QVNumeric.h"
#include "platform/QVLog.h"
#include "player/objects/QVPObject.h"
#include "player/objects/QVPObjectAsset.h"
#include "player/objects/QVPObjectAssetParticles.h"
#include "player/screens/QVPGameFieldCamera.h"
#include "player/screens/QVPScreenScene.h"
#include "player/screens/ScreenManager.h"
#include "player/ui/QVPObjectImage.h"
#include "player/ui/QVPObjectText.h"

using cocos2d::CCNode;

namespace {

bool isParticles(const std::shared_ptr<QVModelObject>& model) {
    return model && model->isKindOf(typeId<QVModelObjectParticles>());
}

// The kinds an animation plays; characters, triggers and the rest would act
// on the field from inside a picture.
bool playsInAnimation(const QVModelObject& model) {
    const uint32_t type = model.type();
    return type == typeId<QVModelObjectAssetUnit>() || type == typeId<QVModelObjectParticles>() ||
           type == typeId<QVModelObjectLight>() || type == typeId<QVModelObjectTrail>() ||
           type == typeId<QVModelObjectFlag>() || type == typeId<QVModelObjectAssetPowerup>();
}

// The running game scene gives a child its camera and world; elsewhere
// (screens) the child has neither.
void joinGameScene(QVPObject* object) {
    QVPScreenScene* scene = ScreenManager::shared()->getGameScene();
    if (!scene) {
        object->setGameLayer(nullptr);
        return;
    }
    object->setGameLayer(scene->getGameFieldCamera());
    if (auto* asset = dynamic_cast<QVPObjectAsset*>(object)) asset->createBody(scene->getWorld(), false);
}

}  // namespace

QVPAnimationObject* QVPAnimationObject::create(std::shared_ptr<QVBaseModelAnimation> model, bool spawner) {
    auto* object = new QVPAnimationObject(std::move(model));
    object->build(spawner);
    object->autorelease();
    return object;
}

QVPAnimationObject::QVPAnimationObject(std::shared_ptr<QVBaseModelAnimation> model) : m_model(std::move(model)) {}

QVPAnimationObject::~QVPAnimationObject() = default;

template <class F>
void QVPAnimationObject::forEachChildNode(F&& f) const {
    if (!m_model) return;
    for (const auto& child : m_model->objects()) {
        auto found = m_nodes.find(child);
        if (found != m_nodes.end()) f(child, found->second);
    }
}

CCNode* QVPAnimationObject::makeNode(const std::shared_ptr<QVModelObject>& child, bool spawner) {
    if (playsInAnimation(*child)) {
        QVPObjectAsset* object = QVPObjectAsset::create(child);
        if (!object) return nullptr;
        if (spawner) object->setSpawner(child->hasSpawner());
        if (child->hasSpawner() && child->zDepth() == 0) child->setZDepth(-1);
        joinGameScene(object);
        if (object->typeFlags() & QVPObject::kTypePowerup) object->setMovementDisabled(true);
        return object;
    }
    if (auto image = std::dynamic_pointer_cast<QVModelObjectImage>(child)) {
        image->setStickToEdge(false);
        return QVPObjectImage::create(image, m_model->speed(), m_model->loop());
    }
    if (auto label = std::dynamic_pointer_cast<QVModelObjectLabel>(child)) {
        QVPObjectText* text = QVPObjectText::create(label);
        if (!text) return nullptr;
        text->setTag(static_cast<int>(label->id()));
        joinGameScene(text);
        return text;
    }
    logMessage("Warning uknown object type");
    return nullptr;
}

void QVPAnimationObject::build(bool spawner) {
    if (!m_model) return;
    for (const auto& child : m_model->objects()) {
        if (!child) continue;
        if (CCNode* node = makeNode(child, spawner)) m_nodes[child] = node;
    }
    forEachChildNode([this](const std::shared_ptr<QVModelObject>& child, CCNode* node) {
        CCNode* parentNode = this;
        for (const auto& parent : child->parents()) {
            auto parentObject = std::dynamic_pointer_cast<QVModelObject>(parent);
            if (!parentObject) continue;
            auto found = m_nodes.find(parentObject);
            if (found != m_nodes.end()) parentNode = found->second;
            break;
        }
        parentNode->addChild(node, child->zDepth());
        if (std::dynamic_pointer_cast<QVModelObjectLabel>(child)) return;
        const cocos2d::CCSize& size = parentNode->getContentSize();
        const cocos2d::CCPoint position = child->position(0.0f, 0);
        node->setPosition(cocos2d::CCPoint(position.x + size.width * 0.5f, position.y + size.height * 0.5f));
        node->setRotation(child->rotation(0.0f, 0));
        const cocos2d::CCPoint scale = child->scale(0.0f, 0);
        node->setScaleX(scale.x);
        node->setScaleY(scale.y);
    });
    updateBoundingRect();
}

void QVPAnimationObject::update(float dt) {
    if (!m_model) return;
    const float step = m_model->speed() * dt;
    if (isVisible()) m_elapsed += step;
    if (m_elapsed > m_model->duration()) {
        m_elapsed = 0.0f;
        // The callback may clear itself; call a copy.
        if (m_endCallback) {
            auto callback = m_endCallback;
            callback();
        }
        if (!m_model->loop()) {
            pause();
            forEachNodeOf<QVPObjectAssetParticles>([](QVPObjectAssetParticles* p) { p->stopEmitters(); });
        }
    }
    if (!isVisible()) return;
    forEachChildNode([&](const std::shared_ptr<QVModelObject>& child, CCNode* node) {
        node->update(isParticles(child) ? dt : step);
    });
}

int QVPAnimationObject::getZOrder() {
    CCNode* parent = getParent();
    return parent ? parent->getZOrder() : CCNode::getZOrder();
}

void QVPAnimationObject::setVisible(bool visible) {
    CCNode::setVisible(visible);
    forEachChildNode([&](const std::shared_ptr<QVModelObject>&, CCNode* node) { node->setVisible(visible); });
}

void QVPAnimationObject::setParent(CCNode* parent) {
    CCNode::setParent(parent);
    if (!parent) return;
    const int tag = parent->getTag();
    setTag(tag);
    forEachChildNode([&](const std::shared_ptr<QVModelObject>&, CCNode* node) { node->setTag(tag); });
}

int QVPAnimationObject::frameCount() const { return m_model ? static_cast<int>(m_model->objects().size()) : 0; }

int QVPAnimationObject::totalFrames() const { return m_model ? truncToInt(m_model->duration() * 30.0f) : 0; }

CCNode* QVPAnimationObject::frameNode(unsigned index) const {
    if (!m_model) return nullptr;
    auto found = m_nodes.find(m_model->objectAt(index));
    return found == m_nodes.end() ? nullptr : found->second;
}

void QVPAnimationObject::updateBoundingRect() {
    cocos2d::CCRect rect;
    cocos2d::CCArray* children = getChildren();
    const cocos2d::CCPoint& origin = getPosition();
    for (unsigned i = 0; children && i < children->count(); ++i) {
        auto* child = static_cast<CCNode*>(children->objectAtIndex(i));
        const float w = child->getContentSize().width * child->getScaleX();
        const float h = child->getContentSize().height * child->getScaleY();
        rect = rect.unionWithRect(cocos2d::CCRect(origin.x - w * 0.5f, origin.y - h * 0.5f, w, h));
    }
    m_boundingRect = rect;
}

template <class T, class F>
void QVPAnimationObject::forEachNodeOf(F&& f) const {
    forEachChildNode([&f](const std::shared_ptr<QVModelObject>&, CCNode* node) {
        if (auto* typed = dynamic_cast<T*>(node)) f(typed);
    });
}

void QVPAnimationObject::restart() {
    m_elapsed = 0.0f;
    forEachNodeOf<QVPObjectImage>([](QVPObjectImage* image) { image->restart(); });
    forEachNodeOf<QVPObjectAssetParticles>([](QVPObjectAssetParticles* p) { p->resetEmitters(); });
}

void QVPAnimationObject::stop() {
    m_elapsed = 0.0f;
    forEachNodeOf<QVPObjectImage>([](QVPObjectImage* image) { image->stopAnimation(); });
    forEachNodeOf<QVPObjectAssetParticles>([](QVPObjectAssetParticles* p) { p->stopEmitters(); });
}

void QVPAnimationObject::pause() {
    forEachNodeOf<QVPObjectImage>([](QVPObjectImage* image) { image->pauseAnimation(); });
}

void QVPAnimationObject::resume() {
    forEachNodeOf<QVPObjectImage>([](QVPObjectImage* image) { image->resumeAnimation(); });
}

void QVPAnimationObject::setFrame(int index) {
    forEachNodeOf<QVPObjectImage>([index](QVPObjectImage* image) { image->setFrame(index); });
}

void QVPAnimationObject::setGameLayer(CCNode* gameLayer) {
    forEachNodeOf<QVPObject>([gameLayer](QVPObject* object) { object->setGameLayer(gameLayer); });
}

void QVPAnimationObject::setSpeed(float speed) {
    m_speed = speed;
    // Owners pass their opacity here; images take it as their opacity factor.
    forEachNodeOf<QVPObjectImage>([speed](QVPObjectImage* image) { image->setOpacityFactor(speed); });
    forEachNodeOf<QVPObject>([speed](QVPObject* object) { object->setAnimationSpeed(speed); });
}

int QVPAnimationObject::zOrderInCamera() {
    CCNode* below = this;
    CCNode* parent = getParent();
    while (dynamic_cast<QVPObject*>(parent) || dynamic_cast<QVPAnimationObject*>(parent)) {
        below = parent;
        parent = parent->getParent();
    }
    return dynamic_cast<QVPGameFieldCamera*>(parent) ? below->getZOrder() : 0;
}
