#include "resident/ShutdownPlatform.h"

CShutdownPlatform& DefaultShutdownPlatform()
{
    static CWinShutdownPlatform platform;
    return platform;
}
