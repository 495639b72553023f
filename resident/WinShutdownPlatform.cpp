#include "resident/ShutdownPlatform.h"

#include "common/ToolhelpLibrary.h"
#include "framework/Handle.h"

namespace {

BOOL CALLBACK VisitWindow(HWND window, LPARAM data)
{
    (*reinterpret_cast<const std::function<void(HWND)>*>(data))(window);
    return TRUE;
}

} // namespace

BOOL CWinShutdownPlatform::OpenProcessToken(DWORD access, HANDLE& token)
{
    return ::OpenProcessToken(GetCurrentProcess(), access, &token);
}

BOOL CWinShutdownPlatform::LookupPrivilegeValue(const char* name, LUID& luid)
{
    return ::LookupPrivilegeValueA(nullptr, name, &luid);
}

BOOL CWinShutdownPlatform::AdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES& privileges)
{
    return ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
}

BOOL CWinShutdownPlatform::CloseHandle(HANDLE handle)
{
    return ::CloseHandle(handle);
}

BOOL CWinShutdownPlatform::ExitWindowsEx(UINT flags, DWORD reason)
{
    return ::ExitWindowsEx(flags, reason);
}

void CWinShutdownPlatform::EnumWindows(const std::function<void(HWND)>& visit)
{
    ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

LRESULT CWinShutdownPlatform::SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                 UINT flags, UINT timeoutMs)
{
    DWORD_PTR answer = 0;
    return ::SendMessageTimeoutA(window, message, wParam, lParam, flags, timeoutMs, &answer);
}

DWORD CWinShutdownPlatform::GetWindowProcessId(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

BOOL CWinShutdownPlatform::TerminateProcess(DWORD processId, UINT exitCode)
{
    const fw::unique_handle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    return process && ::TerminateProcess(process.get(), exitCode);
}

bool CWinShutdownPlatform::ListProcesses(std::vector<SProcessEntry>& processes)
{
    processes.clear();
    CToolhelpLibrary toolhelp;
    if (!toolhelp.Load() || !toolhelp.createSnapshot || !toolhelp.process32First || !toolhelp.process32Next)
        return false;
    const fw::unique_hfile snapshot(toolhelp.createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = toolhelp.process32First(snapshot.get(), &entry); more;
         more = toolhelp.process32Next(snapshot.get(), &entry))
        processes.push_back({entry.th32ProcessID, entry.szExeFile});
    return true;
}
