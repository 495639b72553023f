#include "common/CompanionLink.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/PathText.h"
#include "common/PathUtil.h"
#include "common/ProcessFinder.h"
#include "framework/Handle.h"

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

bool IsResidentWindow(HWND window)
{
    const HWND marker = GetDlgItem(window, kResidentMarkerControlId);
    return marker && HasText(marker, kResidentMarker);
}

bool IsWatchdogWindow(HWND window)
{
    return HasText(window, kWatchdogMarker);
}

constexpr DWORD kQuitWaitMs = 3000;

bool EndedWithin(DWORD processId, DWORD access, DWORD timeout, bool terminate)
{
    const fw::unique_handle process(OpenProcess(access | SYNCHRONIZE, FALSE, processId));
    if (!process)
        return true;  // gone already, or never to be reached
    if (terminate)
        TerminateProcess(process.get(), 0);
    return WaitForSingleObject(process.get(), timeout) == WAIT_OBJECT_0;
}

// WM_QUIT to every marked window of the program, then the bounded wait and the forced end.
BOOL EndProgram(const char* executableName, bool (*isMarked)(HWND))
{
    const CProcessFinder finder;
    const DWORD processId = finder.FindProcessId(executableName);
    if (!processId)
        return FALSE;
    BOOL posted = FALSE;
    for (const HWND window : finder.EnumProcessWindows(processId)) {
        if (isMarked(window) && PostMessageA(window, WM_QUIT, 0, 0))
            posted = TRUE;
    }
    if (!EndedWithin(processId, 0, kQuitWaitMs, false))
        EndedWithin(processId, PROCESS_TERMINATE, kQuitWaitMs, true);
    return posted;
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
        if (IsWatchdogWindow(window))
            return window;
    }
    return nullptr;
}

bool CCompanionLink::IsUtilityRunning()
{
    return static_cast<bool>(fw::unique_handle(OpenMutexA(SYNCHRONIZE, FALSE, kUtilityInstanceMutex)));
}

HWND CCompanionLink::FindResidentWindow()
{
    for (const HWND window : WindowsOfProgram(kResidentExecutable)) {
        if (IsResidentWindow(window))
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

BOOL CCompanionLink::EndResident() { return EndProgram(kResidentExecutable, IsResidentWindow); }
BOOL CCompanionLink::EndWatchdog() { return EndProgram(kWatchdogExecutable, IsWatchdogWindow); }

BOOL CCompanionLink::StopCompanions()
{
    StopWatchdog();
    SuspendResidentLock();
    const BOOL residentAsked = EndResident();
    const BOOL watchdogAsked = EndWatchdog();
    return residentAsked || watchdogAsked;
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
