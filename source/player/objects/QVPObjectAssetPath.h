// QVPObjectAssetPath: an invisible guide: its own position and a list of
// points relative to it. Once handed over by the creation queue it captures
// nearby objects of one kind and steers their bodies from point to point,
// once, in a loop or back and forth; held objects float (gravity scale 0).
//
// Guarantees:
//  - an object is held by one path at a time (type flag 512) and only while
//    it has a body;
//  - a held record and its object unlink each other: the object's finish
//    (or destruction) removes the record, and the path's cleanup, state 4
//    and destructor release every remaining object (flag cleared,
//    controllable, gravity scale 1, callback removed);
//  - the path has no body of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "math/CCGeometry.h"
#include "player/objects/QVPObjectAsset.h"

class QVModelObjectPath;

namespace cocos2d {
class CCArray;
}

class QVPObjectAssetPath : public QVPObjectAsset {
public:
    static constexpr int32_t kPlayModeSingle = 0;
    static constexpr int32_t kPlayModeLoop = 1;
    static constexpr int32_t kPlayModePingPong = 2;
    static constexpr int32_t kAffectAll = 0;
    static constexpr int32_t kAffectCharacter = 1;
    static constexpr int32_t kAffectAssets = 2;

    struct HeldRecord {
        QVPObjectAsset* object = nullptr;  // not owned
        int32_t index = 0;                 // the next point
        cocos2d::CCPoint target;           // in the game layer
        int32_t direction = 1;
    };

    explicit QVPObjectAssetPath(std::shared_ptr<QVModelObject> model);
    ~QVPObjectAssetPath() override;

    // The factory's builder: a new object with one reference.
    static QVPObjectAsset* build(const std::shared_ptr<QVModelObject>& model);

    // Searches the game layer and steers, once handed over (controllable).
    void update(float dt) override;
    void setState(int32_t state) override;
    void cleanup() override;
    cocos2d::CCRect getBoundingRect() override;
    void createBody(b2World*, bool) override {}

    // Point `index` in the game layer; out of range, the path's position.
    cocos2d::CCPoint pointAt(int32_t index);
    void search(cocos2d::CCArray* nodes);
    void steer();
    // The held object's finish callback: forgets its record only.
    void release(QVPObject* object);
    // The reference count's release stays reachable.
    using QVPObjectAsset::release;

    const std::vector<HeldRecord>& held() const { return m_held; }
    int32_t playMode() const { return m_playMode; }
    int32_t affected() const { return m_affected; }

private:
    bool accepts(QVPObjectAsset* object) const;
    void capture(QVPObjectAsset* object);
    // Arrival at the record's target.
    void arrive(HeldRecord& record, bool& releaseIt);
    void releaseObject(QVPObjectAsset* object);
    void releaseAll();

    std::shared_ptr<QVModelObjectPath> m_pathModel;
    std::vector<HeldRecord> m_held;
    int32_t m_playMode = kPlayModeSingle;
    int32_t m_affected = kAffectAll;
    bool m_releaseFar = true;
    int32_t m_objectAssetId = 0;
};
