#include "common/InstanceMutex.h"

bool CInstanceMutex::Lock(DWORD timeout)
{
    if (m_locked)
        return true;
    if (!m_mutex)
        return false;
    const DWORD result = WaitForSingleObject(m_mutex.get(), timeout);
    m_locked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return m_locked;
}

void CInstanceMutex::Unlock()
{
    if (m_locked)
        ReleaseMutex(m_mutex.get());
    m_locked = false;
}
