// The library's exports and its one object.
#include "eventapi/ArdenvaleAPI.h"

#include "eventapi/EventSubscriber.h"

namespace {

// The library's application object, destroyed when the library is unloaded. A worker
// holds the library while it runs, so by then none is left to wait for.
CEventSubscriber theSubscriber;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // At the end of the process the system has ended every other thread already.
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr)
        theSubscriber.Abandon();
    return TRUE;
}

int WINAPI RegGetEvent(HWND window, UINT message)
{
    try {
        theSubscriber.Register(window, message);
    } catch (...) {
        // no worker: no events arrive, as when its window cannot be created
    }
    return 1;
}

int WINAPI UnRegGetEvent()
{
    return static_cast<int>(theSubscriber.Unregister());
}

int WINAPI GetEventData(UINT id, int* code)
{
    if (!code)
        return FALSE;
    try {
        return theSubscriber.GetEventData(id, *code) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}
