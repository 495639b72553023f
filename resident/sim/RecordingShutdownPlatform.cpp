#include "resident/sim/RecordingShutdownPlatform.h"

#include "common/CompanionLink.h"
#include "common/ScenarioFile.h"

#include <cstdio>

BOOL CRecordingShutdownPlatform::ExitWindowsEx(UINT flags, DWORD)
{
    if (FILE* record = std::fopen(m_recordPath.c_str(), "ab")) {
        std::fprintf(record, "ExitWindowsEx 0x%X\n", flags);
        std::fclose(record);
    }
    if (GetEnvironmentVariableA("KV_POWER_OFF_NOTICE", nullptr, 0) > 0) {
        if (const HWND watchdog = CCompanionLink::FindWatchdogWindow())
            PostMessageA(watchdog, UM_POWER_OFF_RECORDED, flags, 0);
    }
    if (GetEnvironmentVariableA("KV_POWER_OFF_FAILS", nullptr, 0) > 0) {
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
        return FALSE;
    }
    return TRUE;
}

CShutdownPlatform& DefaultShutdownPlatform()
{
    static CRecordingShutdownPlatform platform(ScenarioFilePath("KV_POWER_OFF_RECORD", "power-off.txt"));
    return platform;
}
