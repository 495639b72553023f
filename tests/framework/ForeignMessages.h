#pragma once
// Messages as another program delivers them: sent from a thread other than the window's,
// or posted and then taken by the window's own loop.
#include <windows.h>

#include <gtest/gtest.h>

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
