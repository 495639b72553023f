#include "resident/SystemShutdown.h"
#include "resident/sim/RecordingShutdownPlatform.h"

#include "common/OSRelease.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Windows and processes of a machine, and every call made, as text.
class FakePlatform : public CShutdownPlatform {
public:
    std::vector<std::string> calls;
    std::vector<HWND> windows;
    std::set<HWND> hung;                 // do not answer WM_QUERYENDSESSION
    std::map<HWND, DWORD> owners;
    std::vector<SProcessEntry> processes;
    bool listFails = false;
    bool tokenFails = false;
    BOOL exitResult = TRUE;

    BOOL OpenProcessToken(DWORD access, HANDLE& token) override
    {
        calls.push_back("OpenProcessToken " + Hex(access));
        token = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x7E));
        return !tokenFails;
    }
    BOOL LookupPrivilegeValue(const char* name, LUID& luid) override
    {
        calls.push_back(std::string("LookupPrivilegeValue ") + name);
        luid.LowPart = 19;
        return TRUE;
    }
    BOOL AdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES& privileges) override
    {
        calls.push_back("AdjustTokenPrivileges " + Hex(reinterpret_cast<UINT_PTR>(token)) + " " +
                        std::to_string(privileges.PrivilegeCount) + " " +
                        std::to_string(privileges.Privileges[0].Luid.LowPart) + " " +
                        std::to_string(privileges.Privileges[0].Attributes));
        return TRUE;
    }
    BOOL CloseHandle(HANDLE handle) override
    {
        calls.push_back("CloseHandle " + Hex(reinterpret_cast<UINT_PTR>(handle)));
        return TRUE;
    }
    BOOL ExitWindowsEx(UINT flags, DWORD reason) override
    {
        calls.push_back("ExitWindowsEx " + Hex(flags) + " " + std::to_string(reason));
        return exitResult;
    }
    void EnumWindows(const std::function<void(HWND)>& visit) override
    {
        for (const HWND window : windows)
            visit(window);
    }
    LRESULT SendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT flags,
                               UINT timeoutMs) override
    {
        calls.push_back(std::string(message == WM_QUERYENDSESSION ? "Query " : "End ") +
                        Hex(reinterpret_cast<UINT_PTR>(window)) + " " + std::to_string(wParam) + " " +
                        Hex(static_cast<UINT_PTR>(lParam)) + " " + Hex(flags) + " " + std::to_string(timeoutMs));
        return hung.count(window) ? 0 : 1;
    }
    DWORD GetWindowProcessId(HWND window) override { return owners[window]; }
    BOOL TerminateProcess(DWORD processId, UINT exitCode) override
    {
        calls.push_back("TerminateProcess " + std::to_string(processId) + " " + std::to_string(exitCode));
        return TRUE;
    }
    bool ListProcesses(std::vector<SProcessEntry>& list) override
    {
        calls.push_back("ListProcesses");
        list = processes;
        return !listFails;
    }

private:
    static std::string Hex(UINT_PTR value)
    {
        char text[20];
        std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
        return text;
    }
};

HWND Window(UINT_PTR value)
{
    return reinterpret_cast<HWND>(value);
}

TEST(SystemShutdown, NtEnablesTheShutdownPrivilegeClosesTheTokenAndForcesPowerOff)
{
    for (const BOOL exitResult : {TRUE, FALSE}) {
        FakePlatform platform;
        platform.exitResult = exitResult;
        EXPECT_EQ(exitResult, CSystemShutdown(platform, PLATFORM_NT).PowerOff());
        const std::vector<std::string> expected = {
            "OpenProcessToken 0x28", "LookupPrivilegeValue SeShutdownPrivilege",
            "AdjustTokenPrivileges 0x7E 1 19 2", "CloseHandle 0x7E", "ExitWindowsEx 0xC 0"};
        EXPECT_EQ(expected, platform.calls);
    }

    FakePlatform noToken;
    noToken.tokenFails = true;
    EXPECT_TRUE(CSystemShutdown(noToken, PLATFORM_NT).PowerOff());
    EXPECT_EQ((std::vector<std::string>{"OpenProcessToken 0x28", "ExitWindowsEx 0xC 0"}), noToken.calls);
}

TEST(SystemShutdown, Windows9xEndsEverySessionAndEveryExplorerFirst)
{
    FakePlatform platform;
    platform.windows = {Window(0x10), Window(0x20)};
    platform.hung = {Window(0x20)};
    platform.owners = {{Window(0x10), 100}, {Window(0x20), 200}};
    platform.processes = {{1, "C:\\WINDOWS\\EXPLORER.EXE"}, {2, "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL"},
                          {3, "Explorer.exe"},         {4, ""},
                          {5, "C:\\x\\notexplorer.exe"}, {6, "C:\\表\\explorer.exe"}};
    EXPECT_TRUE(CSystemShutdown(platform, PLATFORM_9X).PowerOff());
    const std::vector<std::string> expected = {
        "Query 0x10 0 0x80000000 0x2 2000", "End 0x10 1 0x80000000 0x2 2000",  // answered: told the session ends
        "Query 0x20 0 0x80000000 0x2 2000", "TerminateProcess 200 0",           // hung: its process ends
        "ListProcesses",
        "TerminateProcess 1 1", "TerminateProcess 3 1", "TerminateProcess 6 1",
        "ExitWindowsEx 0xD 0"};
    EXPECT_EQ(expected, platform.calls);
}

TEST(SystemShutdown, Windows9xWithoutAProcessListDoesNotPowerOff)
{
    FakePlatform platform;
    platform.listFails = true;
    EXPECT_FALSE(CSystemShutdown(platform, PLATFORM_9X).PowerOff());
    EXPECT_EQ(std::vector<std::string>{"ListProcesses"}, platform.calls);

    FakePlatform unforced;
    EXPECT_TRUE(CSystemShutdown(unforced, PLATFORM_9X).ExitWindows9x(EWX_SHUTDOWN));
    EXPECT_EQ(std::vector<std::string>{"ExitWindowsEx 0x1 0"}, unforced.calls);
}

// The test build's power-off: recorded, never made.
TEST(SystemShutdown, RecorderWritesTheCallAndAnswersAsTold)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string record = std::string(folder) + "power-off-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(record.c_str());
    CRecordingShutdownPlatform platform(record);
    EXPECT_TRUE(CSystemShutdown(platform, PLATFORM_NT).PowerOff());
    SetEnvironmentVariableA("KV_POWER_OFF_FAILS", "1");
    EXPECT_FALSE(CSystemShutdown(platform, PLATFORM_NT).PowerOff());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD), GetLastError());
    SetEnvironmentVariableA("KV_POWER_OFF_FAILS", nullptr);

    char text[128] = {};
    FILE* file = std::fopen(record.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    const std::size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    DeleteFileA(record.c_str());
    EXPECT_EQ("ExitWindowsEx 0xC\nExitWindowsEx 0xC\n", std::string(text, length));
}

} // namespace
