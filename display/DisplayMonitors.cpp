#include "display/DisplayMonitors.h"

namespace {

MONITORINFO EmptyMonitorInfo()
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    return info;
}

} // namespace

BOOL CDisplayMonitors::GetMonitors(std::vector<MONITORINFO>& monitors)
{
    monitors.clear();
    return m_platform.EnumMonitors([&](HMONITOR monitor) {
        MONITORINFO info = EmptyMonitorInfo();
        if (m_platform.GetMonitorInfo(monitor, info))
            monitors.push_back(info);
        return true;
    });
}

bool CDisplayMonitors::GetPrimaryMonitorRect(RECT& rect)
{
    bool found = false;
    m_platform.EnumMonitors([&](HMONITOR monitor) {
        MONITORINFO info = EmptyMonitorInfo();
        if (!m_platform.GetMonitorInfo(monitor, info) || info.dwFlags != MONITORINFOF_PRIMARY)
            return true;
        rect = info.rcMonitor;
        found = true;
        return false;
    });
    if (!found) {
        const SIZE screen = m_platform.ScreenSize();
        rect = {0, 0, screen.cx, screen.cy};
    }
    return found;
}
