#pragma once
// A worker thread with its own message loop, started suspended and resumed, ended by
// Stop with a bounded wait. Any program may post WM_QUIT to the thread: the loop ends
// only on the quit that Stop posts after setting its stop event. Thread messages (posted
// with no window) go to OnThreadMessage; messages for windows created on the thread are
// dispatched as usual.
#include <windows.h>

#include "framework/Handle.h"

namespace fw {

class CThread {
public:
    CThread() = default;
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    // Derived classes whose members the thread uses call Stop in their own destructor.
    virtual ~CThread();

    // Creates the thread suspended, resumes it and returns once its message queue
    // exists, so a message posted right after a successful start is never lost.
    // False when the thread could not be created or its start-up failed.
    bool Start(int priority = THREAD_PRIORITY_NORMAL);

    // Sets the stop event, posts WM_QUIT and waits up to `timeout` ms, still handling
    // messages sent to this (calling) thread so a worker blocked in SendMessage can
    // finish; past the wait the thread is terminated with exit code -1. Safe to call
    // when not started or ended.
    void Stop(DWORD timeout = 10000);

    bool PostThreadMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    DWORD ThreadId() const { return m_threadId; }
    HANDLE ThreadHandle() const { return m_thread.get(); }
    bool IsRunning() const;

protected:
    // Runs on the new thread before the loop; false ends the thread at once.
    virtual bool InitInstance() { return true; }
    // Runs on the thread after the loop, also after InitInstance failed.
    virtual void ExitInstance() {}
    virtual void OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The thread's body; the default is the message loop until Stop's WM_QUIT.
    virtual void Run();

private:
    static DWORD WINAPI ThreadProc(void* parameter);
    void Body();

    unique_handle m_thread;
    DWORD m_threadId = 0;
    unique_handle m_ready;   // signalled once the queue exists and InitInstance ran
    unique_handle m_stop;    // set by Stop before its WM_QUIT
    bool m_started = false;  // InitInstance succeeded
};

// Waits for `object`, handling messages sent to the calling thread meanwhile.
// Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitHandlingSentMessages(HANDLE object, DWORD timeout);

} // namespace fw
