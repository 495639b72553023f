#pragma once
// ArdenvaleAPI.dll: lock events of the resident program for any program on the desktop.
//
// 1. RegGetEvent(window, message) once: the library starts a worker that registers with
//    the resident program's event server (also when that program starts later).
// 2. For each event the window receives `message` posted with wParam = an id; call
//    GetEventData(id, &code) once: TRUE with code 1 locked, 2 unlocked, 3 settings
//    changed, 4 alarm. An id is read once; a second read answers FALSE.
// 3. UnRegGetEvent() when done; unread events are dropped.
// The functions use the standard calling convention and are exported undecorated.
#include <windows.h>

extern "C" {
// Always 1, within 3 seconds; a second call changes nothing while the registered
// window exists (once it is gone, the new window and message replace it).
int WINAPI RegGetEvent(HWND window, UINT message);
// 0 when nothing was registered or the worker ended in time, else non-zero.
int WINAPI UnRegGetEvent();
int WINAPI GetEventData(UINT id, int* code);
}

using RegGetEventFunction = int(WINAPI*)(HWND, UINT);
using UnRegGetEventFunction = int(WINAPI*)();
using GetEventDataFunction = int(WINAPI*)(UINT, int*);

// For callers that load the library at run time: its three functions, bound by name.
struct SArdenvaleFunctions {
    RegGetEventFunction RegGetEvent = nullptr;
    UnRegGetEventFunction UnRegGetEvent = nullptr;
    GetEventDataFunction GetEventData = nullptr;

    // False when one of them is missing.
    bool Bind(HMODULE library)
    {
        RegGetEvent = Export<RegGetEventFunction>(library, "RegGetEvent");
        UnRegGetEvent = Export<UnRegGetEventFunction>(library, "UnRegGetEvent");
        GetEventData = Export<GetEventDataFunction>(library, "GetEventData");
        return RegGetEvent && UnRegGetEvent && GetEventData;
    }

private:
    // Through void(*)(), which any function pointer converts to and from.
    template <typename Function>
    static Function Export(HMODULE library, const char* name)
    {
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    }
};
