#include "display/CoverDialogs.h"

#include "display/DisplayMonitors.h"
#include "display/TopmostWindowList.h"
#include "display/WindowPlacement.h"

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
    for (const MONITORINFO& monitor : monitors)
        if (monitor.dwFlags != MONITORINFOF_PRIMARY && !CreateCover(monitor.rcMonitor, picturePath))
            m_missing.push_back(monitor.rcMonitor);
    m_known = std::move(monitors);
}

bool CCoverDialogs::CreateCover(const RECT& monitor, const std::string& picturePath)
{
    const int width = monitor.right - monitor.left, height = monitor.bottom - monitor.top;
    auto cover = std::make_unique<CPictureDialog>(GetDesktopWindow(), m_pictures.Get(picturePath, width, height));
    if (!cover->Create())
        return false;
    SetWindowPos(cover->GetSafeHwnd(), HWND_TOPMOST, monitor.left, monitor.top, width, height, 0);
    cover->ResizePicture(width, height);
    ShowWindow(cover->GetSafeHwnd(), SW_SHOW);
    m_covers.push_back({monitor, std::move(cover)});
    return true;
}

void CCoverDialogs::Destroy()
{
    m_covers.clear();
    m_missing.clear();
    m_known.clear();
}

bool CCoverDialogs::Check(const std::string& picturePath)
{
    std::vector<MONITORINFO> monitors;
    CDisplayMonitors(m_monitors).GetMonitors(monitors);
    if (SameMonitors(monitors, m_known)) {
        DropLost();
        return CreateMissing(picturePath);
    }
    Destroy();
    Create(picturePath);
    return true;
}

// A cover whose window went (with another program's window that it was made a child of)
// is missing again.
void CCoverDialogs::DropLost()
{
    std::erase_if(m_covers, [this](const SCover& cover) {
        const HWND window = cover.dialog->GetSafeHwnd();
        if (window && IsWindow(window))
            return false;
        m_missing.push_back(cover.monitor);
        return true;
    });
}

bool CCoverDialogs::CreateMissing(const std::string& picturePath)
{
    const std::size_t before = m_covers.size();
    std::vector<RECT> missing;
    for (const RECT& monitor : m_missing)
        if (!CreateCover(monitor, picturePath))
            missing.push_back(monitor);
    m_missing = std::move(missing);
    return m_covers.size() > before;
}

void CCoverDialogs::KeepInPlace()
{
    for (const SCover& cover : m_covers)
        KeepAt(cover.dialog->GetSafeHwnd(), cover.monitor);
}

void CCoverDialogs::Restack(CTopmostWindowList& topmost)
{
    std::vector<HWND> covers;
    for (const SCover& cover : m_covers)
        covers.push_back(cover.dialog->GetSafeHwnd());
    topmost.KeepOnTop(covers);
}
