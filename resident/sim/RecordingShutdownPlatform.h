#pragma once
// Test builds: the power-off does everything but switch the machine off. ExitWindowsEx
// is recorded, one line "ExitWindowsEx 0x<flags>" appended to the file named by the
// KV_POWER_OFF_RECORD environment variable (else "power-off.txt" beside the program),
// and answers FALSE with ERROR_PRIVILEGE_NOT_HELD when KV_POWER_OFF_FAILS is set, else
// TRUE. Every other call goes to Win32.
#include "resident/ShutdownPlatform.h"

class CRecordingShutdownPlatform : public CWinShutdownPlatform {
public:
    explicit CRecordingShutdownPlatform(std::string recordPath) : m_recordPath(std::move(recordPath)) {}

    BOOL ExitWindowsEx(UINT flags, DWORD reason) override;

private:
    std::string m_recordPath;
};
