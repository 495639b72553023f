#include "resident/SoundPlatform.h"

#include <mmsystem.h>

BOOL CWinSoundPlatform::Play(LPCSTR sound, HMODULE module, DWORD flags)
{
    return PlaySoundA(sound, module, flags);
}
