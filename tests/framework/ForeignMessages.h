#pragma once
// Messages as another program delivers them: sent from a thread other than the window's,
// or posted and then taken by the window's own loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "framework/Handle.h"
#include "framework/Thread.h"

// Sends from a thread of its own while this (the window's) thread handles it.
inline void SendFromAnotherThread(HWND window, UINT message, LPARAM lParam = 0)
{
    struct SSend {
        HWND window;
        UINT message;
        LPARAM lParam;
    } send{window, message, lParam};
    const fw::unique_handle thread(CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            const auto* s = static_cast<const SSend*>(parameter);
            SendMessageA(s->window, s->message, 0, s->lParam);
            return 0;
        },
        &send, 0, nullptr));
    ASSERT_TRUE(thread);
    EXPECT_EQ(WAIT_OBJECT_0, fw::WaitHandlingSentMessages(thread.get(), 5000));
}

// Dispatches what is queued for this thread, as its message loop would.
inline void HandlePostedMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Handles this thread's messages, timers among them, for `milliseconds`.
inline void HandleMessagesFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        HandlePostedMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

// A hidden window of a thread of its own, as another program's: a parent that a test
// makes one of its windows the child of. Its thread serves its messages until it ends.
class CAnotherThreadsWindow {
public:
    CAnotherThreadsWindow()
    {
        const fw::unique_handle created(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        m_thread = std::thread([this, event = created.get()] {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, for the WM_QUIT
            m_threadId = GetCurrentThreadId();
            m_window = CreateWindowExA(0, "STATIC", "another thread", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                       nullptr, nullptr);
            SetEvent(event);
            while (GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
        });
        WaitForSingleObject(created.get(), 5000);
    }
    CAnotherThreadsWindow(const CAnotherThreadsWindow&) = delete;
    CAnotherThreadsWindow& operator=(const CAnotherThreadsWindow&) = delete;
    ~CAnotherThreadsWindow()
    {
        Destroy();
        PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }

    HWND Get() const { return m_window; }
    // Destroyed by its own thread, with the windows it is the parent of, while this
    // thread handles what that sends it.
    void Destroy()
    {
        if (m_window)
            SendMessageA(m_window, WM_CLOSE, 0, 0);
        m_window = nullptr;
    }

private:
    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};
