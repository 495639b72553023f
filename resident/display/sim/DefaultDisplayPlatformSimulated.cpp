// Test builds: the monitors and the mixer are those of a simulated machine whose scenario
// is the file named by the KV_DISPLAY_SCENARIO environment variable, else
// "display-scenario.txt" beside the program. Without that file the calls go to Win32.
#include "resident/display/DisplayPlatform.h"

#include "resident/display/WinDisplayPlatform.h"
#include "resident/display/sim/SimDisplayMachine.h"

namespace display {

namespace {

std::string ScenarioPath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_DISPLAY_SCENARIO", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return path;
    const DWORD module = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, module < MAX_PATH ? module : 0);
    const std::size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + "display-scenario.txt";
}

bool HasScenario()
{
    return GetFileAttributesA(ScenarioPath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

CSimDisplayMachine& Machine()
{
    static CSimDisplayMachine machine;
    static const bool watching = (machine.WatchScenarioFile(ScenarioPath()), true);
    (void)watching;
    return machine;
}

} // namespace

CMonitorPlatform& DefaultMonitorPlatform()
{
    static CWinMonitorPlatform real;
    if (!HasScenario())
        return real;
    return Machine();
}

CMixerPlatform& DefaultMixerPlatform()
{
    static CWinMixerPlatform real;
    if (!HasScenario())
        return real;
    return Machine();
}

} // namespace display
