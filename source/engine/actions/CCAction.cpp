#include "actions/CCAction.h"

namespace cocos2d {

void CCAction::startWithTarget(CCNode* target) {
    m_pTarget = target;
    m_pOriginalTarget = target;
}

void CCAction::stop() { m_pTarget = nullptr; }

}  // namespace cocos2d
