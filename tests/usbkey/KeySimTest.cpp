// The key-simulation tool: rewrites the scenario and tells the top-level windows.
#include "UsbScenario.h"

#include "framework/Handle.h"

#include <windows.h>
#include <dbt.h>

#include <gmock/gmock.h>

#include <fstream>
#include <iterator>

namespace usbkey::test {
namespace {

std::string Here()
{
    char path[MAX_PATH] = {};
    std::string self(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of('\\') + 1);
}

DWORD RunKeySim(const std::string& scenario, const char* arguments)
{
    std::string command = "\"";
    command.append(Here()).append("keysim.exe\" \"").append(scenario).append("\" ").append(arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0xFFFF;
    fw::unique_handle processHandle(process.hProcess);
    fw::unique_handle threadHandle(process.hThread);
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0xFFFF;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int DevicesChangedNotices(HWND window)
{
    int count = 0;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 500) {
        MSG msg;
        while (PeekMessageA(&msg, window, WM_DEVICECHANGE, WM_DEVICECHANGE, PM_REMOVE))
            count += msg.wParam == DBT_DEVNODES_CHANGED;
        Sleep(10);
    }
    return count;
}

TEST(KeySim, PullAndInsertRewriteTheScenarioAndTellTheWindows)
{
    const std::string path = Here() + "keysim-" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string scenario = std::string(kOneController) +
                                 "device hub=RH0 port=1 driver=K1 vid=1 pid=1 tag=key\n";
    std::ofstream(path, std::ios::binary) << scenario;
    fw::unique_hwnd window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);

    CSimUsbMachine machine;
    machine.WatchScenarioFile(path);
    EXPECT_EQ(1u, Enumerate(machine).size());

    ASSERT_EQ(0u, RunKeySim(path, "pull key"));
    EXPECT_EQ(1, DevicesChangedNotices(window.get()));
    EXPECT_TRUE(Enumerate(machine).empty());
    ASSERT_EQ(0u, RunKeySim(path, "pull key"));  // pulling twice changes nothing
    EXPECT_EQ(1, DevicesChangedNotices(window.get()));
    EXPECT_EQ(scenario + "pulled key\n", ReadFile(path));

    ASSERT_EQ(0u, RunKeySim(path, "insert key"));
    EXPECT_EQ(1, DevicesChangedNotices(window.get()));
    EXPECT_EQ(scenario, ReadFile(path));
    EXPECT_EQ(1u, Enumerate(machine).size());

    EXPECT_EQ(1u, RunKeySim(path, "shake key"));
    EXPECT_EQ(2u, RunKeySim(path + ".missing", "pull key"));
    DeleteFileA(path.c_str());
}

} // namespace
} // namespace usbkey::test
