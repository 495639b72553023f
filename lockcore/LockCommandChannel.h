#pragma once
// Carries the lock-display commands to the display window inside this process. The
// window message only says "look": each command and its argument travel in a queue
// guarded by a lock, so no other program can give the display a command, let alone a
// pointer, by sending or posting that message.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class CLockCommandChannel {
public:
    struct SCommand {
        int code = 0;
        LPARAM argument = 0;
        bool sent = false;  // the sender waits for the result
    };
    using Handler = std::function<LRESULT(const SCommand& command)>;

    void SetTarget(HWND window, UINT message);

    // Waits until the window has carried the command out (from any thread); the window's
    // result, 0 when the window is gone. The argument may point to the caller's data.
    LRESULT Send(int code, LPARAM argument = 0);
    // Carried out later in the window's message loop; the argument must be a value.
    BOOL Post(int code, LPARAM argument = 0);

    // The window's side, on each of its messages: carries out every queued command in
    // order. A handler may run a modal loop, in which later commands are delivered.
    void Deliver(const Handler& handler);

private:
    struct SPending {
        SCommand command;
        LRESULT result = 0;
        bool done = false;
    };

    std::shared_ptr<SPending> Enqueue(int code, LPARAM argument, bool sent);
    void Forget(const std::shared_ptr<SPending>& pending);

    std::mutex m_mutex;
    std::condition_variable m_delivered;
    std::deque<std::shared_ptr<SPending>> m_queue;
    HWND m_window = nullptr;
    UINT m_message = 0;
};
