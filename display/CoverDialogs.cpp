#include "display/CoverDialogs.h"

#include "display/DisplayMonitors.h"
#include "display/TopmostWindowList.h"

namespace {

bool SameMonitors(const std::vector<MONITORINFO>& a, const std::vector<MONITORINFO>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!EqualRect(&a[i].rcMonitor, &b[i].rcMonitor))
            return false;
    return true;
}

} // namespace

void CCoverDialogs::Create(const std::string& picturePath)
{
    std::vector<MONITORINFO> monitors;
    CDisplayMonitors(m_monitors).GetMonitors(monitors);
    for (const MONITORINFO& monitor : monitors) {
        if (monitor.dwFlags == MONITORINFOF_PRIMARY)
            continue;
        auto cover = std::make_unique<CPictureDialog>(GetDesktopWindow(), picturePath);
        if (!cover->Create())
            continue;
        const RECT& r = monitor.rcMonitor;
        SetWindowPos(cover->GetSafeHwnd(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
        cover->ResizePicture(r.right - r.left, r.bottom - r.top);
        ShowWindow(cover->GetSafeHwnd(), SW_SHOW);
        m_covers.push_back(std::move(cover));
    }
    m_known = std::move(monitors);
}

void CCoverDialogs::Destroy()
{
    m_covers.clear();
    m_known.clear();
}

bool CCoverDialogs::Check(const std::string& picturePath)
{
    std::vector<MONITORINFO> monitors;
    CDisplayMonitors(m_monitors).GetMonitors(monitors);
    if (SameMonitors(monitors, m_known))
        return false;
    Destroy();
    Create(picturePath);
    return true;
}

void CCoverDialogs::Restack(CTopmostWindowList& topmost)
{
    if (m_covers.empty())
        return;
    std::vector<HWND> windows;
    topmost.CopyTo(windows);
    if (windows.empty())
        return;
    for (const auto& cover : m_covers)
        SetWindowPos(cover->GetSafeHwnd(), windows.back(), 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}
