#pragma once
// The platform calls of the forced power-off, one virtual per Win32 call (the process
// ones grouped as the power-off uses them). Shipped programs make them; test builds
// record the final ExitWindowsEx instead (resident/sim/), since under Wine it would end
// every process of the prefix.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SProcessEntry {
    DWORD id = 0;
    std::string exeFile;  // as Toolhelp gives it: a path or a bare name
};

class CShutdownPlatform {
public:
    virtual ~CShutdownPlatform() = default;

    virtual BOOL OpenProcessToken(DWORD access, HANDLE& token) = 0;
    virtual BOOL LookupPrivilegeValue(const char* name, LUID& luid) = 0;
    virtual BOOL AdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES& privileges) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;

    // EnumWindows: `visit` for every top-level window.
    virtual void EnumWindows(const std::function<void(HWND)>& visit) = 0;
    // SendMessageTimeout's result (0 on failure or time-out).
    virtual LRESULT SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                                       UINT timeoutMs) = 0;
    virtual DWORD GetWindowProcessId(HWND window) = 0;
    // OpenProcess(PROCESS_ALL_ACCESS), TerminateProcess, CloseHandle.
    virtual BOOL TerminateProcess(DWORD processId, UINT exitCode) = 0;
    // The running processes, by the Toolhelp calls of "Kernel32.DLL" bound at run time;
    // false when they are missing or the snapshot fails.
    virtual bool ListProcesses(std::vector<SProcessEntry>& processes) = 0;
};

// Win32 itself.
class CWinShutdownPlatform : public CShutdownPlatform {
public:
    BOOL OpenProcessToken(DWORD access, HANDLE& token) override;
    BOOL LookupPrivilegeValue(const char* name, LUID& luid) override;
    BOOL AdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES& privileges) override;
    BOOL CloseHandle(HANDLE handle) override;
    BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
    void EnumWindows(const std::function<void(HWND)>& visit) override;
    LRESULT SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                               UINT timeoutMs) override;
    DWORD GetWindowProcessId(HWND window) override;
    BOOL TerminateProcess(DWORD processId, UINT exitCode) override;
    bool ListProcesses(std::vector<SProcessEntry>& processes) override;
};

// Where the program's power-off goes: Win32 in shipped programs, the recorder in test
// builds (the KV_SIMULATED_POWER_OFF build option).
CShutdownPlatform& DefaultShutdownPlatform();
