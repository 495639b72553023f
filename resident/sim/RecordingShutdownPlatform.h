#pragma once
// Test builds: the power-off does everything but switch the machine off. ExitWindowsEx
// is recorded, one line "ExitWindowsEx 0x<flags>" appended to the file named by the
// KV_POWER_OFF_RECORD environment variable (else "power-off.txt" beside the program),
// and answers FALSE with ERROR_PRIVILEGE_NOT_HELD when KV_POWER_OFF_FAILS is set, else
// TRUE. With KV_POWER_OFF_NOTICE set, the recorded call also posts UM_POWER_OFF_RECORDED
// (wParam: the flags) to the watchdog's window: it queues behind whatever this thread
// posted there before, so a stand-in watchdog sees in its own order what came before the
// power-off and what after. Every other call goes to Win32.
#include "resident/ShutdownPlatform.h"

constexpr UINT UM_POWER_OFF_RECORDED = WM_APP + 0x3F0;

class CRecordingShutdownPlatform : public CWinShutdownPlatform {
public:
    explicit CRecordingShutdownPlatform(std::string recordPath) : m_recordPath(std::move(recordPath)) {}

    BOOL ExitWindowsEx(UINT flags, DWORD reason) override;

private:
    std::string m_recordPath;
};
