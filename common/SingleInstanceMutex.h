#pragma once
// A program's single-instance lock: a named mutex created initially owned when the
// object is built, and taken with a bounded wait. An instance that was killed leaves the
// mutex abandoned, which counts as free.
#include <windows.h>

#include "framework/Handle.h"

class CSingleInstanceMutex {
public:
    explicit CSingleInstanceMutex(const char* name);
    CSingleInstanceMutex(const CSingleInstanceMutex&) = delete;
    CSingleInstanceMutex& operator=(const CSingleInstanceMutex&) = delete;
    ~CSingleInstanceMutex() { Unlock(); }

    // Waits up to `timeout` ms; false when this object holds the lock already or another
    // instance kept it for the whole wait.
    bool Lock(DWORD timeout);
    // Gives up the lock and the ownership taken at creation.
    void Unlock();
    bool IsLocked() const { return m_locked; }

private:
    fw::unique_handle m_mutex;
    bool m_ownedAtCreation = false;
    bool m_locked = false;
};
