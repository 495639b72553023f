#include "resident/SoundPlatform.h"

CSoundPlatform& DefaultSoundPlatform()
{
    static CWinSoundPlatform platform;
    return platform;
}
