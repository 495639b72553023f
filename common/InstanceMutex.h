#pragma once
// A program's single-instance mutex: created without owning it, then taken with a wait.
// (Created owned and then waited for, it would be held twice and freed only at exit.)
#include <windows.h>

#include "framework/Handle.h"

class CInstanceMutex {
public:
    explicit CInstanceMutex(const char* name) : m_mutex(CreateMutexA(nullptr, FALSE, name)) {}
    CInstanceMutex(const CInstanceMutex&) = delete;
    CInstanceMutex& operator=(const CInstanceMutex&) = delete;
    ~CInstanceMutex() { Unlock(); }

    // True when taken within `timeout` ms; one that a killed instance left abandoned
    // counts as taken.
    bool Lock(DWORD timeout);
    void Unlock();

private:
    fw::unique_handle m_mutex;
    bool m_locked = false;
};
