// A plug-in that uses the lock events from its DllMain, so that the client library runs
// while the loader lock is held: it registers at load when KV_PLUGIN_CALLER names a window
// (in hex; the message is the test's caller message), and stops the events at unload.
#include <windows.h>

#include <cstdlib>

#include "eventapi/ArdenvaleAPI.h"

namespace {

constexpr UINT kCallerMessage = WM_APP + 7;

bool BindLoadedLibrary(SArdenvaleFunctions& api)
{
    const HMODULE library = GetModuleHandleA("ArdenvaleAPI.dll");
    return library && api.Bind(library);
}

void RegisterNamedCaller()
{
    char text[32] = {};
    SArdenvaleFunctions api;
    if (GetEnvironmentVariableA("KV_PLUGIN_CALLER", text, sizeof text) == 0 || !BindLoadedLibrary(api))
        return;
    const auto window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 16)));
    api.RegGetEvent(window, kCallerMessage);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    SArdenvaleFunctions api;
    if (reason == DLL_PROCESS_ATTACH)
        RegisterNamedCaller();
    else if (reason == DLL_PROCESS_DETACH && reserved == nullptr && BindLoadedLibrary(api))
        api.UnRegGetEvent();
    return TRUE;
}
