// A small program that uses ArdenvaleAPI.dll as any other program would: it loads the
// library from its own folder, registers a hidden window and writes down each lock event.
//
// Usage: SampleClient <log file> [/hold]
// Lines written to the log, each flushed at once:
//   ready                         registered
//   event CODE id ID again AGAIN  an event read; AGAIN is GetEventData's answer to the same id
//                                 read a second time (0: it was read once only)
//   record ID refused             GetEventData answered FALSE: the record was no lock event
//   pending ID                    with /hold: an id noticed and kept unread until "read"
//   unregistered RESULT           UnRegGetEvent's result
//   freed MS                      FreeLibrary, without UnRegGetEvent first, took MS milliseconds
// Commands on its input, one a line: read, unregister, free, quit.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "eventapi/ArdenvaleAPI.h"

namespace {

constexpr UINT UM_LOCK_EVENT = WM_APP + 1;  // wParam: the id of an event to read
constexpr UINT UM_COMMAND = WM_APP + 2;     // thread message, wParam: a Command

enum Command : WPARAM { Read, Unregister, Free, Quit };

FILE* theLog = nullptr;

void Log(const char* format, unsigned long first, unsigned long second = 0, unsigned long third = 0)
{
    std::fprintf(theLog, format, first, second, third);
    std::fputc('\n', theLog);
    std::fflush(theLog);
}

class CLockEventClient {
public:
    bool Load()
    {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        std::strcpy(std::strrchr(path, '\\') + 1, "ArdenvaleAPI.dll");
        m_library = LoadLibraryA(path);
        return m_library && m_api.Bind(m_library);
    }

    void Register(HWND window) { m_api.RegGetEvent(window, UM_LOCK_EVENT); }

    void ReadEvent(UINT id)
    {
        int code = 0;
        if (!m_api.GetEventData(id, &code)) {
            Log("record %lu refused", id);
            return;
        }
        int again = 0;
        Log("event %lu id %lu again %lu", static_cast<unsigned long>(code), id, m_api.GetEventData(id, &again));
    }

    void Unregister() { Log("unregistered %lu", static_cast<unsigned long>(m_api.UnRegGetEvent())); }

    void Free()
    {
        const DWORD start = GetTickCount();
        FreeLibrary(m_library);
        Log("freed %lu", GetTickCount() - start);
    }

private:
    HMODULE m_library = nullptr;
    SArdenvaleFunctions m_api;
};

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHiddenWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SampleLockEventClient";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// Reads commands from the input and hands them to the main thread.
DWORD WINAPI ReadCommands(void* mainThread)
{
    const DWORD threadId = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mainThread));
    for (std::string line; std::getline(std::cin, line);) {
        const Command command = line == "read"         ? Read
                                : line == "unregister" ? Unregister
                                : line == "free"       ? Free
                                                       : Quit;
        PostThreadMessageA(threadId, UM_COMMAND, command, 0);
    }
    PostThreadMessageA(threadId, UM_COMMAND, Quit, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !(theLog = std::fopen(argv[1], "w"))) {
        std::fprintf(stderr, "usage: SampleClient <log file> [/hold]\n");
        return 2;
    }
    const bool hold = argc > 2 && std::strcmp(argv[2], "/hold") == 0;
    CLockEventClient client;
    const HWND window = CreateHiddenWindow();
    if (!window || !client.Load()) {
        Log("failed %lu", GetLastError());
        return 1;
    }
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue, before commands come
    client.Register(window);
    Log("ready", 0);
    CloseHandle(CreateThread(nullptr, 0, ReadCommands,
                             reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId())), 0, nullptr));

    std::vector<UINT> pending;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == UM_LOCK_EVENT) {
            const UINT id = static_cast<UINT>(msg.wParam);
            if (hold) {
                pending.push_back(id);
                Log("pending %lu", id);
            } else {
                client.ReadEvent(id);
            }
        } else if (msg.message == UM_COMMAND) {
            switch (msg.wParam) {
            case Read:
                for (const UINT id : pending)
                    client.ReadEvent(id);
                pending.clear();
                break;
            case Unregister:
                client.Unregister();
                break;
            case Free:
                client.Free();
                break;
            default:
                return 0;
            }
        } else {
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
