// QVComponentSlide: while an on-screen button is held, its owner slides: the
// body takes the slide's collision shape, the slide animation shows and the
// owner's steering is taken away.
//
// Guarantees: the fixture is swapped only through the owner's one fixture
// swap, to the slide's shape and back to the owner model's shape, so only
// the fixture the owner holds is ever destroyed (whatever swapped it in
// between), the body keeps one fixture, its filter and sensor flag; a slide
// pressed while the owner is not controllable starts once it is, while
// still held; a dying owner stops sliding without a swap.
#pragma once

#include <memory>

#include "player/objects/QVComponent.h"

class QVModelComponentSlide;
class QVPAnimationObject;

class QVComponentSlide : public QVComponent {
public:
    static QVComponent* build() { return new QVComponentSlide(); }
    QVComponentSlide();
    ~QVComponentSlide() override;

    void update(float dt) override;
    void setModel(std::shared_ptr<QVModelComponent> model) override;
    void setOwner(QVPObject* owner) override;
    void onStateChanged() override;

    void startSlide(cocos2d::CCObject* source);
    void endSlide(cocos2d::CCObject* source);

    bool isSliding() const { return m_active; }
    QVPAnimationObject* slideAnimation() const { return m_slideAnimation; }

private:
    std::shared_ptr<QVModelComponentSlide> slideModel() const;

    QVPAnimationObject* m_slideAnimation = nullptr;
    bool m_pressed = false;
    std::unique_ptr<QVSound> m_slideSound;
};
