#include "watchdog/WatchdogApp.h"

#include "common/CompanionLink.h"
#include "common/ProcessFinder.h"
#include "common/ProcessFinderFactory.h"
#include "watchdog/WatchdogWnd.h"

namespace {

constexpr const char* kInstanceMutexName = "SS-{D8111E53-85BA-49e6-BF45-82C95666D977}";
// An instance that is ending (after a session end it starts its successor) gets this
// long to let go of the mutex.
constexpr DWORD kInstanceWait = 3000;
constexpr DWORD kAppearWait = 5000;
constexpr DWORD kAppearPoll = 300;

} // namespace

CWatchdogApp::CWatchdogApp() : m_instance(kInstanceMutexName) {}

CWatchdogApp::~CWatchdogApp() = default;

bool CWatchdogApp::InitInstance()
{
    ChooseProcessFinder();
    if (!m_instance.Lock(kInstanceWait))
        return false;
    m_window = std::make_unique<CWatchdogWnd>(*this);
    return m_window->CreateHidden();
}

int CWatchdogApp::Run()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

void CWatchdogApp::ExitInstance()
{
    m_window.reset();
    m_instance.Unlock();
    ReleaseProcessFinder();
}

bool CWatchdogApp::IsResidentRunning()
{
    return CProcessFinder().IsRunning(kResidentExecutable);
}

bool CWatchdogApp::RestartResident()
{
    if (m_sessionEnding || m_stopped)
        return false;
    CCompanionLink::StartResident();
    // Blocks this thread meanwhile: the timer's messages do not pile up.
    const DWORD start = GetTickCount();
    while (!IsResidentRunning() && GetTickCount() - start <= kAppearWait)
        Sleep(kAppearPoll);
    return true;
}

void CWatchdogApp::OnEndSession(bool ending)
{
    if (ending)
        m_sessionEnding = true;
}

void CWatchdogApp::OnWatchWindowGone()
{
    m_instance.Unlock();
    // No lookup first: this watchdog is still listed. The successor waits for the mutex
    // released just now, and one that finds another instance holding it ends by itself.
    if (m_sessionEnding)
        CCompanionLink::LaunchWatchdog();
}
