// QVPObjectButtonLock: guards a world or level section until it is bought
// with coins or in the store; unlocked, it sets the start section and
// navigates. Its images follow the lock state, also when something else
// changes it.
#pragma once

#include <optional>
#include <string>

#include "player/app/LockStateStore.h"
#include "player/ui/QVPObjectButton.h"

class QVModelObjectLockButton;

class QVPObjectButtonLock : public QVPObjectButton {
public:
    // Autoreleased; setModel makes its images.
    static QVPObjectButtonLock* create();

    QVPObjectButtonLock();
    ~QVPObjectButtonLock() override;

    void setModel(std::shared_ptr<QVModelObjectButton> model) override;
    void activate() override;
    void update(float dt) override;
    // The store's callback, and the end of a coin unlock.
    void onUnlockCompleted(const std::string& identifier);
    void bindLockFlag();
    void refreshImages();

    bool isLocked() const { return m_lastLocked; }

private:
    std::shared_ptr<QVModelObjectLockButton> lockModel() const;

    std::optional<LockStateStore::Flag> m_lockFlag;
    bool m_lastLocked = true;
};
