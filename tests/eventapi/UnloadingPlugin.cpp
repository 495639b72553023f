// A plug-in that stops its lock events when it is unloaded, from its DllMain: the client
// library's stop then runs while the loader lock is held.
#include <windows.h>

#include "eventapi/ArdenvaleAPI.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason != DLL_PROCESS_DETACH || reserved != nullptr)
        return TRUE;
    SArdenvaleFunctions api;
    if (const HMODULE library = GetModuleHandleA("ArdenvaleAPI.dll"); library && api.Bind(library))
        api.UnRegGetEvent();
    return TRUE;
}
