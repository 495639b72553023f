// Test builds: the input desktop is named by the first line of the file that the
// KV_SESSION_SCENARIO environment variable names, else "session-scenario.txt" beside the
// program ("Winlogon" while the simulated session is locked), read afresh at every call.
// Without that file the call goes to Win32.
#include "resident/SessionNotification.h"

#include "common/ScenarioFile.h"

#include <cstdio>
#include <cstring>

std::optional<std::string> InputDesktopName()
{
    FILE* scenario = std::fopen(ScenarioFilePath("KV_SESSION_SCENARIO", "session-scenario.txt").c_str(), "rb");
    if (!scenario)
        return WinInputDesktopName();
    char line[256] = {};
    const bool read = std::fgets(line, sizeof line, scenario) != nullptr;
    std::fclose(scenario);
    if (!read)
        return std::string();
    line[std::strcspn(line, "\r\n")] = '\0';
    return std::string(line);
}
