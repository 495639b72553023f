#pragma once
// A value replaced as a whole and read as a copy, each under the holder's lock.
#include <mutex>
#include <utility>

namespace usbkey {

template <typename T>
class CSnapshotHolder {
public:
    void CopyOut(T& target) const
    {
        const std::lock_guard lock(m_mutex);
        target = m_value;
    }

    void Replace(T value)
    {
        const std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};

} // namespace usbkey
