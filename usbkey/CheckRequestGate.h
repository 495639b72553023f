#pragma once
// Folds re-check requests that arrive during a rebuild into one more rebuild. One lock
// covers both flags, so a request can never fall between the worker's last look at
// "pending" and its clearing of "busy".
#include <mutex>

namespace usbkey {

class CCheckRequestGate {
public:
    // True when no rebuild runs: the caller posts the check request. Otherwise the
    // request is noted and the running loop rebuilds once more.
    bool RequestOrFold()
    {
        const std::lock_guard lock(m_mutex);
        if (!m_busy)
            return true;
        m_pending = true;
        return false;
    }

    // Runs `rebuild` until no request came in during the last run.
    template <typename Rebuild>
    void RunRebuilds(Rebuild rebuild)
    {
        SetBusy();
        do
            rebuild();
        while (TakePendingOrClearBusy());
    }

    bool IsBusy() const
    {
        const std::lock_guard lock(m_mutex);
        return m_busy;
    }

private:
    void SetBusy()
    {
        const std::lock_guard lock(m_mutex);
        m_busy = true;
        m_pending = false;
    }

    bool TakePendingOrClearBusy()
    {
        const std::lock_guard lock(m_mutex);
        if (m_pending) {
            m_pending = false;
            return true;
        }
        m_busy = false;
        return false;
    }

    mutable std::mutex m_mutex;
    bool m_busy = false;
    bool m_pending = false;
};

} // namespace usbkey
