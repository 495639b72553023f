#include "resident/LockStateWriter.h"

#include <algorithm>
#include <chrono>
#include <utility>

CLockStateWriter::CLockStateWriter(Store store, DWORD firstBackOff)
    : m_store(std::move(store)), m_firstBackOff(firstBackOff), m_backOff(firstBackOff), m_thread([this] { Run(); })
{
}

CLockStateWriter::~CLockStateWriter()
{
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CLockStateWriter::Write(int lock)
{
    {
        std::unique_lock<std::mutex> guard(m_mutex);
        // A state on its way is stored by the thread alone, so the states land in order.
        if (m_unwritten || m_storing) {
            m_unwritten = lock;
            guard.unlock();
            m_changed.notify_all();
            return;
        }
    }
    if (TryStore(lock, false))
        return;
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_unwritten = lock;
        m_backOff = m_firstBackOff;
    }
    m_changed.notify_all();
}

std::optional<int> CLockStateWriter::Unwritten() const
{
    const std::lock_guard<std::mutex> guard(m_mutex);
    return m_unwritten;
}

bool CLockStateWriter::Finish()
{
    std::unique_lock<std::mutex> guard(m_mutex);
    m_changed.wait(guard, [this] { return !m_storing; });
    if (m_unwritten)
        StoreWaiting(guard, *m_unwritten);
    return !m_unwritten;
}

bool CLockStateWriter::StoreWaiting(std::unique_lock<std::mutex>& guard, int lock)
{
    m_storing = true;
    guard.unlock();
    const bool landed = TryStore(lock, true);
    guard.lock();
    m_storing = false;
    if (landed && m_unwritten == lock)
        m_unwritten.reset();
    m_changed.notify_all();  // the thread, or Finish, may wait for this attempt's end
    return landed;
}

bool CLockStateWriter::TryStore(int lock, bool wait) const
{
    try {
        return m_store(lock, wait);
    } catch (...) {
        return false;  // tried again later: the lock itself does not depend on the file
    }
}

void CLockStateWriter::Run()
{
    std::unique_lock<std::mutex> guard(m_mutex);
    for (;;) {
        m_changed.wait(guard, [this] { return (m_unwritten && !m_storing) || m_stopping; });
        if (!m_unwritten)
            return;
        const bool last = m_stopping;
        const int lock = *m_unwritten;
        const bool landed = StoreWaiting(guard, lock);
        if (last)
            return;
        if (landed) {
            m_backOff = m_firstBackOff;
            continue;
        }
        // Woken early by a newer state, tried at once, or by the stop, for the last attempt.
        m_changed.wait_for(guard, std::chrono::milliseconds(m_backOff),
                           [&] { return m_stopping || m_unwritten != lock; });
        m_backOff = std::min(m_backOff * 2, kLongestBackOff);
    }
}
