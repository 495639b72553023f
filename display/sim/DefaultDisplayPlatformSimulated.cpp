// Test builds: the monitors and the mixer are those of a simulated machine whose scenario
// is the file named by the KV_DISPLAY_SCENARIO environment variable, else
// "display-scenario.txt" beside the program. Without that file the calls go to Win32.
#include "display/DisplayPlatform.h"

#include "common/ScenarioFile.h"
#include "display/WinDisplayPlatform.h"
#include "display/sim/SimDisplayMachine.h"

namespace display {

namespace {

std::string ScenarioPath()
{
    return ScenarioFilePath("KV_DISPLAY_SCENARIO", "display-scenario.txt");
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
