// One finger (or the mouse's left button). The view position is in design
// units with y down, as the window reports it; the location is the same point
// in GL coordinates (y up), which is what nodes convert.
#pragma once

#include "base/CCObject.h"
#include "math/CCGeometry.h"

namespace cocos2d {

class CCTouch : public CCObject {
public:
    CCTouch() = default;

    int getID() const { return m_nId; }

    // GL coordinates: (view.x, winHeight - view.y).
    CCPoint getLocation() const;
    CCPoint getPreviousLocation() const;
    CCPoint getStartLocation() const;
    // getLocation() - getPreviousLocation().
    CCPoint getDelta() const;

    // Design units, origin at the top-left of the design area.
    CCPoint getLocationInView() const { return m_point; }
    CCPoint getPreviousLocationInView() const { return m_prevPoint; }
    CCPoint getStartLocationInView() const { return m_startPoint; }

    // The first call fixes the start point; later calls keep the previous
    // position. Coordinates are view coordinates (design units, y down).
    void setTouchInfo(int id, float x, float y);

private:
    int m_nId = 0;
    bool m_bStartSet = false;
    CCPoint m_point;
    CCPoint m_prevPoint;
    CCPoint m_startPoint;
};

}  // namespace cocos2d
