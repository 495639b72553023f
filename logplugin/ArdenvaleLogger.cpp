// The exports the log host calls, standard calling convention, undecorated names
// (ArdenvaleLogger.def). The host calls them on the thread that owns the plug-in's
// windows; nothing thrown inside leaves them.
#include <windows.h>

#include <cstring>
#include <new>

#include "logplugin/ALogExAPI.h"
#include "logplugin/LoggerApp.h"
#include "logplugin/PluginInfo.h"

namespace {

// The library's one object, from load to unload.
CLoggerApp* g_app = nullptr;

template <typename Result, typename Call>
Result Guarded(Result failed, Call call)
{
    try {
        return g_app ? call(*g_app) : failed;
    } catch (...) {
        return failed;
    }
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_app = new (std::nothrow) CLoggerApp;
        return g_app != nullptr;
    case DLL_PROCESS_DETACH:
        // At FreeLibrary the window goes with its class, also when the host never stopped
        // logging. At process exit nothing is left to tidy for.
        if (!reserved)
            delete g_app;
        g_app = nullptr;
        return TRUE;
    default:
        return TRUE;
    }
}

extern "C" {

void WINAPI GetDllInfomation(void* buffer)
{
    if (!buffer)
        return;
    const SPluginInfo info;
    std::memcpy(buffer, &info, sizeof info);
}

int WINAPI OnInit(BOOL wipe)
{
    return Guarded(-1, [wipe](CLoggerApp& app) { return app.OnInit(wipe); });
}

int WINAPI OnExit()
{
    return Guarded(0, [](CLoggerApp& app) { return app.LoggingStop(); });
}

int WINAPI LoggingStart()
{
    return Guarded(-1, [](CLoggerApp& app) { return app.LoggingStart(); });
}

int WINAPI LoggingStop()
{
    return Guarded(0, [](CLoggerApp& app) { return app.LoggingStop(); });
}

int WINAPI GetListViewDrawData(const tagALOGEX_DATA* record, const int* column, char* buffer, int size)
{
    return Guarded(0, [=](CLoggerApp& app) { return app.GetListViewDrawData(record, column, buffer, size); });
}

HWND WINAPI OnCreateOptionPage(HWND parent, LPARAM)
{
    return Guarded<HWND>(nullptr, [parent](CLoggerApp& app) { return app.OnCreateOptionPage(parent); });
}

void WINAPI OnDestroyOptionPage(LPARAM)
{
    Guarded(0, [](CLoggerApp& app) {
        app.OnDestroyOptionPage();
        return 0;
    });
}

BOOL WINAPI OnApplayOptionPage(LPARAM)
{
    return Guarded<BOOL>(FALSE, [](CLoggerApp& app) { return app.OnApplayOptionPage(); });
}

void WINAPI AddExclusion(const tagALOGEX_DATA* record, HWND owner)
{
    Guarded(0, [=](CLoggerApp& app) {
        app.AddExclusion(record, owner);
        return 0;
    });
}

void WINAPI Uninstall()
{
    Guarded(0, [](CLoggerApp& app) {
        app.Uninstall();
        return 0;
    });
}

} // extern "C"
