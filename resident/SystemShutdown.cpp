#include "resident/SystemShutdown.h"

#include "common/CompanionLink.h"
#include "common/OSVersion.h"
#include "framework/Mbcs.h"

namespace {

constexpr UINT kEndSessionTimeoutMs = 2000;

int ProcessPlatformType()
{
    if (GetPlatformType() == 0)
        InitPlatformType();
    return GetPlatformType();
}

// The part of an executable path after its last "\".
std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = fw::MbcsReverseFind(path, '\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CSystemShutdown::CSystemShutdown() : CSystemShutdown(DefaultShutdownPlatform(), ProcessPlatformType()) {}

CSystemShutdown::CSystemShutdown(CShutdownPlatform& platform, int platformType)
    : m_platform(platform), m_platformType(platformType)
{
}

BOOL CSystemShutdown::PowerOff()
{
    if (m_platformType == PLATFORM_NT)
        return PowerOffNT();
    m_platform.EnumWindows([this](HWND window) { EndSession(window); });
    return ExitWindows9x(EWX_POWEROFF | EWX_FORCE | EWX_SHUTDOWN);
}

// Without the privilege ExitWindowsEx fails and reports it.
BOOL CSystemShutdown::PowerOffNT()
{
    HANDLE token = nullptr;
    if (m_platform.OpenProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token)) {
        TOKEN_PRIVILEGES privileges = {};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (m_platform.LookupPrivilegeValue("SeShutdownPrivilege", privileges.Privileges[0].Luid))
            m_platform.AdjustTokenPrivileges(token, privileges);
        m_platform.CloseHandle(token);
    }
    return m_platform.ExitWindowsEx(EWX_POWEROFF | EWX_FORCE, 0);
}

// A window that answers the query, whatever it says, is told the session ends; one that
// does not answer in time loses its process.
void CSystemShutdown::EndSession(HWND window)
{
    if (m_platform.SendMessageTimeout(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                      kEndSessionTimeoutMs)) {
        m_platform.SendMessageTimeout(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                      kEndSessionTimeoutMs);
        return;
    }
    m_platform.TerminateProcess(m_platform.GetWindowProcessId(window), 0);
}

BOOL CSystemShutdown::ExitWindows9x(UINT flags)
{
    if (!(flags & EWX_FORCE))
        return m_platform.ExitWindowsEx(flags, 0);
    std::vector<SProcessEntry> processes;
    if (!m_platform.ListProcesses(processes))
        return FALSE;
    for (const SProcessEntry& process : processes) {
        const std::string name = FileNameOf(process.exeFile);
        if (!name.empty() && lstrcmpiA(name.c_str(), "explorer.exe") == 0)
            m_platform.TerminateProcess(process.id, 1);
    }
    return m_platform.ExitWindowsEx(flags, 0);
}

BOOL PowerOffWithWatchdogPaused(CSystemShutdown& shutdown)
{
    CCompanionLink::PauseWatchdog();
    const BOOL poweredOff = shutdown.PowerOff();
    if (!poweredOff)
        CCompanionLink::ResumeWatchdog();
    return poweredOff;
}
