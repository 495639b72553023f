// A lock-event client for the tests, in a process of its own (a server's announce skips
// its own process). Usage: LockCoreEventClient REGISTER ANNOUNCE LOG [twice|hang=MS]
// Logs "ready" once registered, "announce" when it registered again, and per record
// "event CODE" (or "bad SIZE DWDATA" for anything but a well-formed record). Ends by
// itself after a minute. "windows=N" registers N windows that take records without
// logging them, for the benchmark.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "lockcore/EventMessage.h"
#include "tests/lockcore/TestLog.h"

namespace {

std::string g_log;
bool g_quiet = false;
UINT g_register = 0;
UINT g_announce = 0;

void Register(HWND window)
{
    PostMessageA(HWND_BROADCAST, g_register, reinterpret_cast<WPARAM>(window), 0);
}

void OnCopyData(const COPYDATASTRUCT* data)
{
    int32_t code = 0;
    if (g_quiet)
        return;
    if (data && data->dwData == 0 && ParseEventMessage(data->lpData, data->cbData, code))
        AppendLine(g_log, "event " + std::to_string(code));
    else
        AppendLine(g_log, "bad " + std::to_string(data ? data->cbData : 0) + " " +
                              std::to_string(data ? data->dwData : 0));
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    if (message == g_announce && g_announce != 0) {
        Register(window);
        AppendLine(g_log, "announce");
        return 0;
    }
    if (message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    g_register = RegisterWindowMessageA(argv[1]);
    g_announce = RegisterWindowMessageA(argv[2]);
    g_log = argv[3];
    const std::string mode = argc > 4 ? argv[4] : "";

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KvTestEventClient";
    RegisterClassA(&windowClass);
    const int windows = mode.rfind("windows=", 0) == 0 ? std::atoi(mode.c_str() + 8) : 1;
    g_quiet = windows > 1;
    for (int i = 0; i < windows; ++i) {
        const HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                            windowClass.hInstance, nullptr);
        if (!window)
            return 3;
        if (i == 0)
            SetTimer(window, 1, 60000, nullptr);
        Register(window);
        if (mode == "twice")
            Register(window);
    }
    AppendLine(g_log, "ready");
    if (mode.rfind("hang=", 0) == 0)
        Sleep(static_cast<DWORD>(std::atoi(mode.c_str() + 5)));

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}
