#pragma once
// The system-wide lock of the settings file. Each read-modify-write of the file (the
// utility's and the wizard's save, Brontal's lock state) holds it, so that no program
// writes back what it read before another program's write. It lives only as long as one
// read-modify-write: the named mutex exists only while some program saves.
#include <windows.h>

#include <string>

#include "framework/Handle.h"

class CSettingFileLock {
public:
    static constexpr const char* kMutexName = "SS-{249B12B4-1BB8-44d3-BB56-2367AEED3D04}";
    // Longer than any save takes; a holder that hangs costs a waiting save no more.
    static constexpr DWORD kTimeout = 3000;

    // Waits for the lock; throws fw::CFileException for `path` when it cannot be had in
    // time (a sharing violation, as when another program holds the file itself).
    explicit CSettingFileLock(const std::string& path);
    CSettingFileLock(const CSettingFileLock&) = delete;
    CSettingFileLock& operator=(const CSettingFileLock&) = delete;
    ~CSettingFileLock();

private:
    // False with the last error set when the mutex could not be had.
    bool OpenMutex(DWORD deadline);

    fw::unique_handle m_mutex;
};
