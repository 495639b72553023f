#pragma once
// The machine-wide lock of the settings file. Each read-modify-write of the file (the
// utility's and the wizard's save, Brontal's lock state) holds it, so that no program
// writes back what it read before another program's write. The file is one for the
// machine, so the lock is one mutex for every session: in the global namespace where
// Windows has sessions, with an access list that lets every user who may write the file
// wait on it. It lives only as long as one read-modify-write: the named mutex exists only
// while some program saves.
#include <windows.h>

#include <string>
#include <vector>

#include "common/PathUtil.h"
#include "framework/Handle.h"

class CSettingFileLock {
public:
    static constexpr const char* kMutexName = "SS-{249B12B4-1BB8-44d3-BB56-2367AEED3D04}";
    // Longer than any save takes; a holder that hangs costs a waiting save no more.
    static constexpr DWORD kTimeout = 3000;
    // What a program that finds the mutex made by another user opens it with.
    static constexpr DWORD kWaitAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

    // The mutex a program asks for: its name and the access list it is made with
    // (none: the default security).
    struct SMutexRequest {
        std::string name;
        std::vector<SFolderAccess> access;
    };
    // The global name and its access list where Windows has sessions (NT); the plain
    // name alone on Windows 9x, and where Windows refuses the global name.
    static SMutexRequest MutexRequest(bool hasSessions);
    // The errors by which Windows NT 4 without terminal services refuses "Global\".
    static bool RefusesGlobalName(DWORD error);

    // Whether some program saves the file (holds the lock, or waits for it), asked without
    // taking the lock: the mutex exists only then.
    static bool IsInUse();

    // Waits up to `timeout` ms (kTimeout at most) for the lock; throws fw::CFileException
    // for `path` when it cannot be had in time (a sharing violation, as when another
    // program holds the file itself).
    explicit CSettingFileLock(const std::string& path, DWORD timeout = kTimeout);
    CSettingFileLock(const CSettingFileLock&) = delete;
    CSettingFileLock& operator=(const CSettingFileLock&) = delete;
    ~CSettingFileLock();

private:
    // False with the last error set when the mutex could not be had.
    bool GetMutex(DWORD deadline);
    // One attempt: create the mutex, or open the one another user made.
    bool CreateOrOpen(const SMutexRequest& request);

    fw::unique_handle m_mutex;
};
