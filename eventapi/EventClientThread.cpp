#include "eventapi/EventClientThread.h"

#include "eventapi/EventClientWnd.h"
#include "eventapi/LibraryModule.h"

namespace {

// What the new thread receives: its own share of the object and its library reference.
struct SWorkerStart {
    std::shared_ptr<CEventClientThread> worker;
    HMODULE library;
};

bool IsSignalled(HANDLE object)
{
    return object && WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
}

} // namespace

CEventClientThread::CEventClientThread(std::string registerName, std::string announceName,
                                       HWND callerWindow, UINT callerMessage)
    : m_registerName(std::move(registerName)), m_announceName(std::move(announceName)),
      m_callerWindow(callerWindow), m_callerMessage(callerMessage)
{
}

bool CEventClientThread::Start()
{
    m_ready.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_finished.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_ready || !m_finished || !m_stop)
        return false;
    const HMODULE library = HoldThisLibrary();
    if (!library)
        return false;
    auto start = std::make_unique<SWorkerStart>(SWorkerStart{shared_from_this(), library});
    m_thread.reset(CreateThread(nullptr, 0, ThreadProc, start.get(), CREATE_SUSPENDED, &m_threadId));
    if (!m_thread) {
        FreeLibrary(library);
        m_threadId = 0;
        return false;
    }
    start.release();  // the thread's now
    ResumeThread(m_thread.get());
    return true;
}

bool CEventClientThread::WaitForWindow(DWORD timeout) const
{
    const HANDLE handles[] = {m_ready.get(), m_thread.get()};
    return WaitForMultipleObjects(2, handles, FALSE, timeout) != WAIT_TIMEOUT;
}

DWORD CEventClientThread::Stop(DWORD timeout)
{
    if (HasEnded())
        return WAIT_OBJECT_0;
    // The event reaches a worker whose queue does not exist yet, or is full; the quit
    // only wakes it.
    SetEvent(m_stop.get());
    PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
    // The finished event, not the thread's end: a caller holding the loader lock (a
    // plug-in unloading) must not wait for the thread's exit, which needs that lock.
    const HANDLE handles[] = {m_finished.get(), m_thread.get()};
    const DWORD result = WaitForMultipleObjects(2, handles, FALSE, timeout);
    return result == WAIT_OBJECT_0 + 1 ? WAIT_OBJECT_0 : result;
}

bool CEventClientThread::HasEnded() const
{
    return IsSignalled(m_finished.get()) || IsSignalled(m_thread.get());
}

bool CEventClientThread::CallerWindowExists() const
{
    return IsWindow(m_callerWindow) != FALSE;
}

bool CEventClientThread::TakeEvent(uint32_t id, std::vector<uint8_t>& bytes)
{
    return m_store.Take(id, bytes);
}

void CEventClientThread::Run(HMODULE library)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    if (IsSignalled(m_stop.get()))
        return;  // stopped before it ran (its starter held the loader lock)
    CEventClientWnd window(library, m_callerWindow, m_callerMessage, m_store);
    const bool created = window.Create(m_registerName, m_announceName);
    SetEvent(m_ready.get());
    if (created)
        ServeUntilStopped();
}

// Any program may post WM_QUIT to the window or the thread: such a quit is passed over,
// only the stop event ends the loop.
void CEventClientThread::ServeUntilStopped() const
{
    const HANDLE stop = m_stop.get();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (IsSignalled(stop))
                return;
            if (msg.message == WM_QUIT)
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
            return;  // the stop, or a wait that cannot go on
    }
}

DWORD WINAPI CEventClientThread::ThreadProc(void* parameter)
{
    const HMODULE library = static_cast<SWorkerStart*>(parameter)->library;
    {
        const std::unique_ptr<SWorkerStart> start(static_cast<SWorkerStart*>(parameter));
        const std::shared_ptr<CEventClientThread> self = std::move(start->worker);
        try {
            self->Run(library);
        } catch (...) {
            // nothing may escape the thread; it ends as if its window were gone
        }
        self->m_store.Clear();
        SetEvent(self->m_ready.get());
        SetEvent(self->m_finished.get());
    }
    // Our last instructions in this library: the release may unmap it.
    FreeLibraryAndExitThread(library, 0);
}
