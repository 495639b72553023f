#include "common/CompanionLink.h"

#include <shellapi.h>

#include <cstring>
#include <string>
#include <utility>
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

// For the wait and, where this program may, the forced end.
fw::unique_handle OpenToEnd(DWORD processId)
{
    fw::unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId));
    if (!process)
        process.reset(OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process;
}

BOOL PostQuitToMarkedWindows(const CProcessFinder& finder, DWORD processId, bool (*isMarked)(HWND))
{
    BOOL posted = FALSE;
    for (const HWND window : finder.EnumProcessWindows(processId)) {
        if (isMarked(window) && PostMessageA(window, WM_QUIT, 0, 0))
            posted = TRUE;
    }
    return posted;
}

constexpr int kLookupRounds = 3;

struct SOpenedProgram {
    DWORD processId = 0; // 0: none found
    fw::unique_handle process;
};

// The program's process, opened before it is asked to quit: an ended program's id passes
// to the next process at once, so only this handle is waited on and ended. The lookup runs
// again once the handle holds the id, as the first answer may name another program
// already; when it names another process of the program (restarted meanwhile, by the
// watchdog for instance), that one is opened and checked in turn, for a few rounds at most.
SOpenedProgram OpenProgram(const CProcessFinder& finder, const char* executableName)
{
    DWORD processId = finder.FindProcessId(executableName);
    for (int round = 0; processId && round < kLookupRounds; ++round) {
        fw::unique_handle process = OpenToEnd(processId);
        const DWORD again = finder.FindProcessId(executableName);
        if (again == processId)
            return {processId, std::move(process)};
        processId = again;
    }
    return {};
}

// WM_QUIT to every marked window of the program, then the bounded wait and the forced end.
BOOL EndProgram(const char* executableName, bool (*isMarked)(HWND))
{
    const CProcessFinder finder;
    const SOpenedProgram program = OpenProgram(finder, executableName);
    if (!program.processId)
        return FALSE;
    const BOOL posted = PostQuitToMarkedWindows(finder, program.processId, isMarked);
    const HANDLE process = program.process.get();
    if (process && WaitForSingleObject(process, kQuitWaitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, kQuitWaitMs);
    }
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

// A mutex made by an elevated program refuses the others' access: it exists all the same.
bool NamedMutexExists(bool opened, DWORD openError)
{
    return opened || openError == ERROR_ACCESS_DENIED;
}

bool CCompanionLink::IsUtilityRunning()
{
    const fw::unique_handle mutex(OpenMutexA(SYNCHRONIZE, FALSE, kUtilityInstanceMutex));
    return NamedMutexExists(static_cast<bool>(mutex), GetLastError());
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
