#pragma once
// The lock-event client's worker: a thread with the hidden window and its message loop.
//
// The thread keeps its own reference on this library and on this object, and leaves
// through FreeLibraryAndExitThread. So a caller that unloads the library with the worker
// still running neither waits nor kills it: the library stays mapped until the worker has
// left it, and the object stays valid for whoever still holds it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "eventapi/EventRecordStore.h"
#include "framework/Handle.h"

class CEventClientThread : public std::enable_shared_from_this<CEventClientThread> {
public:
    CEventClientThread(std::string registerName, std::string announceName, HWND callerWindow,
                       UINT callerMessage);
    CEventClientThread(const CEventClientThread&) = delete;
    CEventClientThread& operator=(const CEventClientThread&) = delete;

    // Starts the thread; false when none could be started.
    bool Start();
    // Waits up to `timeout` ms until the worker's window exists or the worker has ended
    // (the window could not be created); false on time-out.
    bool WaitForWindow(DWORD timeout) const;
    // Asks the worker to end and waits up to `timeout` ms for it to be done with this
    // library: WAIT_OBJECT_0 when it was, else the wait's result (the worker is never
    // killed; it ends on its own and still holds the library until then). Only this
    // ends it: a WM_QUIT from anyone else is passed over.
    DWORD Stop(DWORD timeout);
    // The worker has ended (on its own or asked); its records are gone.
    bool HasEnded() const;
    // The window the worker posts its notices to still exists.
    bool CallerWindowExists() const;
    // Moves the record out of the store; false when there is none under the id.
    bool TakeEvent(uint32_t id, std::vector<uint8_t>& bytes);

private:
    static DWORD WINAPI ThreadProc(void* parameter);
    void Run(HMODULE library);
    void ServeUntilStopped() const;

    std::string m_registerName;
    std::string m_announceName;
    HWND m_callerWindow;
    UINT m_callerMessage;
    CEventRecordStore m_store;
    fw::unique_handle m_thread;
    DWORD m_threadId = 0;
    fw::unique_handle m_ready;     // the window exists, or the worker gave up
    fw::unique_handle m_finished;  // the worker left its loop and touches nothing more
    fw::unique_handle m_stop;      // the library's own stop, also before the thread runs
};
