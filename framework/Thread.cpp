#include "framework/Thread.h"

namespace fw {

CThread::~CThread()
{
    Stop();
}

bool CThread::Start(int priority)
{
    if (m_thread)
        return false;
    m_ready.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    m_stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_ready || !m_stop)
        return false;
    m_thread.reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &m_threadId));
    if (!m_thread) {
        m_threadId = 0;
        return false;
    }
    SetThreadPriority(m_thread.get(), priority);
    ResumeThread(m_thread.get());
    // The thread signals once its queue exists; if it dies first, the handle signals.
    const HANDLE handles[] = {m_ready.get(), m_thread.get()};
    const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (which != WAIT_OBJECT_0 || !m_started) {
        Stop();
        return false;
    }
    return true;
}

void CThread::Stop(DWORD timeout)
{
    if (!m_thread)
        return;
    if (WaitForSingleObject(m_thread.get(), 0) == WAIT_TIMEOUT) {
        SetEvent(m_stop.get());
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        if (WaitHandlingSentMessages(m_thread.get(), timeout) != WAIT_OBJECT_0)
            TerminateThread(m_thread.get(), static_cast<DWORD>(-1));
    }
    m_thread.reset();
    m_threadId = 0;
}

bool CThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_threadId != 0 && ::PostThreadMessageA(m_threadId, message, wParam, lParam) != FALSE;
}

bool CThread::IsRunning() const
{
    return m_thread && WaitForSingleObject(m_thread.get(), 0) == WAIT_TIMEOUT;
}

void CThread::OnThreadMessage(UINT, WPARAM, LPARAM) {}

void CThread::Run()
{
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got < 0 || (got == 0 && WaitForSingleObject(m_stop.get(), 0) == WAIT_OBJECT_0))
            return;
        if (got == 0)
            continue;  // a quit Stop did not post
        if (msg.hwnd == nullptr) {
            OnThreadMessage(msg.message, msg.wParam, msg.lParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

DWORD WINAPI CThread::ThreadProc(void* parameter)
{
    static_cast<CThread*>(parameter)->Body();
    return 0;
}

void CThread::Body()
{
    // Nothing may escape a thread body.
    try {
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
        m_started = InitInstance();
        SetEvent(m_ready.get());
        if (m_started)
            Run();
        ExitInstance();
    } catch (...) {
        SetEvent(m_ready.get());
    }
}

DWORD WaitHandlingSentMessages(HANDLE object, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;  // wrap-safe
        const DWORD left = timeout == INFINITE ? INFINITE : (elapsed >= timeout ? 0 : timeout - elapsed);
        const DWORD result = MsgWaitForMultipleObjects(1, &object, FALSE, left, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1)
            return result;
        // Handles the messages other threads sent to this one; posted ones stay queued.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace fw
