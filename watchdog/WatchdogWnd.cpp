#include "watchdog/WatchdogWnd.h"

#include "common/CompanionLink.h"
#include "watchdog/WatchdogApp.h"

namespace {

constexpr char kClassName[] = "PernwickWatchWnd";
constexpr UINT_PTR kCheckTimer = 1;
constexpr UINT kCheckPeriod = 500;

} // namespace

bool CWatchdogWnd::CreateHidden()
{
    if (!Create(kClassName, kWatchdogMarker, WS_CAPTION))
        return false;
    SetWindowPos(GetHwnd(), nullptr, -300, -300, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

LRESULT CWatchdogWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        StartTimer();
        return 0;
    case WM_TIMER:
        OnTimer();
        return 0;
    case WM_DESTROY:
        StopTimer();
        return 0;
    case WM_NCDESTROY:
        m_app.OnWatchWindowGone();
        PostQuitMessage(0);
        break;
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return 0;
    case UM_WATCHDOG_STOP:
        m_watch = false;
        m_app.OnStop();
        return 0;
    case UM_WATCHDOG_PAUSE:
        m_watch = false;
        return 0;
    case UM_WATCHDOG_RESUME:
        m_watch = true;  // the timer is not started again
        return 0;
    }
    return DefaultProc(message, wParam, lParam);
}

void CWatchdogWnd::StartTimer()
{
    if (m_timerId == 0)
        m_timerId = SetTimer(GetHwnd(), kCheckTimer, kCheckPeriod, nullptr);
}

void CWatchdogWnd::StopTimer()
{
    if (m_timerId != 0)
        KillTimer(GetHwnd(), m_timerId);
    m_timerId = 0;
}

void CWatchdogWnd::OnTimer()
{
    if (m_watch && !CWatchdogApp::IsResidentRunning())
        m_app.RestartResident();
}

// A cancelled session end (some program refused it; the locked resident program refuses
// every one) must not end the watching: the resident program would find the watchdog
// running and start none, and a killed resident program would never come back.
void CWatchdogWnd::OnEndSession(bool ending)
{
    if (ending) {
        m_watch = false;
        StopTimer();
    }
    CCompanionLink::PostWatchdogState(ending);
    m_app.OnEndSession(ending);
}
