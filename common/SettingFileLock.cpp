#include "common/SettingFileLock.h"

#include "framework/File.h"

namespace {

constexpr DWORD kRetryInterval = 20;

// Milliseconds left before `deadline` (a GetTickCount value), 0 once it has passed.
DWORD TimeLeft(DWORD deadline)
{
    const DWORD left = deadline - GetTickCount();
    return left <= CSettingFileLock::kTimeout ? left : 0;
}

} // namespace

CSettingFileLock::CSettingFileLock(const std::string& path)
{
    const DWORD deadline = GetTickCount() + kTimeout;
    if (!OpenMutex(deadline))
        fw::CFileException::ThrowOsError(path);
    const DWORD result = WaitForSingleObject(m_mutex.get(), TimeLeft(deadline));
    // An abandoned lock is free: the file is replaced in one step, so a saver that died
    // holding it left the old file or the new one whole.
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
        m_mutex.reset();
        fw::CFileException::ThrowOsError(path, result == WAIT_TIMEOUT ? ERROR_SHARING_VIOLATION : GetLastError());
    }
}

CSettingFileLock::~CSettingFileLock()
{
    ReleaseMutex(m_mutex.get());
}

// A mutex made by a program of another user or integrity level (an elevated utility) may
// deny this one: that lasts only while the other program saves, as it closes the mutex then.
bool CSettingFileLock::OpenMutex(DWORD deadline)
{
    for (;;) {
        m_mutex.reset(CreateMutexA(nullptr, FALSE, kMutexName));
        if (m_mutex)
            return true;
        if (GetLastError() != ERROR_ACCESS_DENIED || TimeLeft(deadline) == 0)
            return false;
        Sleep(kRetryInterval);
    }
}
