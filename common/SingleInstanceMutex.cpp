#include "common/SingleInstanceMutex.h"

CSingleInstanceMutex::CSingleInstanceMutex(const char* name)
{
    m_mutex.reset(CreateMutexA(nullptr, TRUE, name));
    m_ownedAtCreation = m_mutex && GetLastError() != ERROR_ALREADY_EXISTS;
}

bool CSingleInstanceMutex::Lock(DWORD timeout)
{
    if (m_locked || !m_mutex)
        return false;
    const DWORD result = WaitForSingleObject(m_mutex.get(), timeout);
    m_locked = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    return m_locked;
}

void CSingleInstanceMutex::Unlock()
{
    if (m_locked) {
        ReleaseMutex(m_mutex.get());
        m_locked = false;
    }
    if (m_ownedAtCreation) {
        ReleaseMutex(m_mutex.get());
        m_ownedAtCreation = false;
    }
}
