#include "lockcore/LockCommandChannel.h"

#include <algorithm>

void CLockCommandChannel::SetTarget(HWND window, UINT message)
{
    std::lock_guard lock(m_mutex);
    m_window = window;
    m_message = message;
}

std::shared_ptr<CLockCommandChannel::SPending> CLockCommandChannel::Enqueue(int code, LPARAM argument, bool sent)
{
    auto pending = std::make_shared<SPending>();
    pending->command = {code, argument, sent};
    std::lock_guard lock(m_mutex);
    m_queue.push_back(pending);
    return pending;
}

void CLockCommandChannel::Forget(const std::shared_ptr<SPending>& pending)
{
    std::lock_guard lock(m_mutex);
    m_queue.erase(std::remove(m_queue.begin(), m_queue.end(), pending), m_queue.end());
}

LRESULT CLockCommandChannel::Send(int code, LPARAM argument)
{
    const auto pending = Enqueue(code, argument, true);
    HWND window;
    UINT message;
    {
        std::lock_guard lock(m_mutex);
        window = m_window;
        message = m_message;
    }
    // The window carries out every command queued before this message arrives, this one
    // included. One that it never took must not stay queued with the caller's pointer;
    // one that it took may still run (in a modal loop of an earlier delivery).
    SendMessageA(window, message, 0, 0);
    std::unique_lock lock(m_mutex);
    const auto queued = std::find(m_queue.begin(), m_queue.end(), pending);
    if (queued != m_queue.end()) {
        m_queue.erase(queued);
        return 0;
    }
    m_delivered.wait(lock, [&] { return pending->done; });
    return pending->result;
}

BOOL CLockCommandChannel::Post(int code, LPARAM argument)
{
    const auto pending = Enqueue(code, argument, false);
    HWND window;
    UINT message;
    {
        std::lock_guard lock(m_mutex);
        window = m_window;
        message = m_message;
    }
    if (PostMessageA(window, message, 0, 0))
        return TRUE;
    Forget(pending);
    return FALSE;
}

void CLockCommandChannel::Deliver(const Handler& handler)
{
    for (;;) {
        std::shared_ptr<SPending> pending;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                return;
            pending = m_queue.front();
            m_queue.pop_front();
        }
        const LRESULT result = handler(pending->command);
        {
            std::lock_guard lock(m_mutex);
            pending->result = result;
            pending->done = true;
        }
        m_delivered.notify_all();
    }
}
