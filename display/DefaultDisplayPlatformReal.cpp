#include "display/WinDisplayPlatform.h"

namespace display {

CMonitorPlatform& DefaultMonitorPlatform()
{
    static CWinMonitorPlatform platform;
    return platform;
}

CMixerPlatform& DefaultMixerPlatform()
{
    static CWinMixerPlatform platform;
    return platform;
}

} // namespace display
