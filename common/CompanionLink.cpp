#include "common/CompanionLink.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/PathText.h"
#include "common/PathUtil.h"
#include "common/ProcessFinder.h"

namespace {

constexpr int kTextBufferBytes = 512;

std::vector<HWND> WindowsOfProgram(const char* executableName)
{
    const CProcessFinder finder;
    const DWORD processId = finder.FindProcessId(executableName);
    return processId ? finder.EnumProcessWindows(processId) : std::vector<HWND>();
}

bool HasText(HWND window, const char* text)
{
    char buffer[kTextBufferBytes] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return std::strcmp(buffer, text) == 0;
}

BOOL PostTo(HWND window, UINT message, WPARAM wParam)
{
    return window ? PostMessageA(window, message, wParam, 0) : FALSE;
}

// Starts the program file of that name in this program's own folder (a folder of any
// length); false when the folder is unknown or the start failed.
bool StartBesideThisProgram(const char* fileName, const char* parameters, int showCommand)
{
    const std::string folder = CPathUtil::GetModuleFolder(nullptr);
    if (folder.empty()) // never search the current folder or the path for it
        return false;
    const std::string program = PathText::AppendBackslash(folder) + fileName;
    const HINSTANCE result = ShellExecuteA(nullptr, nullptr, program.c_str(), parameters, nullptr, showCommand);
    return reinterpret_cast<UINT_PTR>(result) > 32;
}

} // namespace

HWND CCompanionLink::FindWatchdogWindow()
{
    for (const HWND window : WindowsOfProgram(kWatchdogExecutable)) {
        if (HasText(window, kWatchdogMarker))
            return window;
    }
    return nullptr;
}

HWND CCompanionLink::FindResidentWindow()
{
    for (const HWND window : WindowsOfProgram(kResidentExecutable)) {
        const HWND marker = GetDlgItem(window, kResidentMarkerControlId);
        if (marker && HasText(marker, kResidentMarker))
            return window;
    }
    return nullptr;
}

BOOL CCompanionLink::StopWatchdog() { return PostTo(FindWatchdogWindow(), UM_WATCHDOG_STOP, 0); }
BOOL CCompanionLink::PauseWatchdog() { return PostTo(FindWatchdogWindow(), UM_WATCHDOG_PAUSE, 0); }
BOOL CCompanionLink::ResumeWatchdog() { return PostTo(FindWatchdogWindow(), UM_WATCHDOG_RESUME, 0); }

BOOL CCompanionLink::ReloadResidentSettings()
{
    return PostTo(FindResidentWindow(), UM_RELOAD_SETTINGS, 0);
}

BOOL CCompanionLink::SuspendResidentLock() { return PostTo(FindResidentWindow(), UM_SUSPEND_LOCK, 0); }
BOOL CCompanionLink::ResumeResidentLock() { return PostTo(FindResidentWindow(), UM_SUSPEND_LOCK, 1); }
BOOL CCompanionLink::LockNow() { return PostTo(FindResidentWindow(), UM_LOCK_NOW, 0); }

BOOL CCompanionLink::PostWatchdogState(BOOL sessionEnding)
{
    return PostTo(FindResidentWindow(), UM_WATCHDOG_STATE, static_cast<WPARAM>(sessionEnding));
}

void CCompanionLink::StartWatchdog()
{
    if (CProcessFinder().FindProcessId(kWatchdogExecutable) == 0)
        StartBesideThisProgram(kWatchdogExecutable, "", SW_SHOWNORMAL);
}

BOOL CCompanionLink::LaunchWatchdog()
{
    return StartBesideThisProgram(kWatchdogExecutable, nullptr, SW_SHOW);
}

void CCompanionLink::StartResident()
{
    if (CProcessFinder().FindProcessId(kResidentExecutable) == 0)
        StartBesideThisProgram(kResidentExecutable, "", SW_SHOWNORMAL);
}
