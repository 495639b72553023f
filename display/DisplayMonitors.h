#pragma once
// The display monitors, for covering every one of them: the lock display goes on the
// primary monitor, a cover dialog on each further one.
#include "display/DisplayPlatform.h"

#include <vector>

class CDisplayMonitors {
public:
    CDisplayMonitors() : CDisplayMonitors(display::DefaultMonitorPlatform()) {}
    explicit CDisplayMonitors(display::CMonitorPlatform& platform) : m_platform(platform) {}

    // Empties the list, then appends one record per monitor in the system's order. A
    // monitor whose information cannot be read is left out (a zeroed record would give a
    // 0 x 0 cover and leave it open); the next check sees it again. The enumeration's
    // result.
    BOOL GetMonitors(std::vector<MONITORINFO>& monitors);
    // The primary monitor's rectangle; when no monitor reports itself primary, the screen
    // size, so the lock display never ends up 0 x 0. True when a primary monitor gave it.
    bool GetPrimaryMonitorRect(RECT& rect);

private:
    display::CMonitorPlatform& m_platform;
};
