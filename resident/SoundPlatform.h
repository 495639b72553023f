#pragma once
// PlaySound, the alarm's one sound call, behind an interface: shipped programs play the
// sound; test builds record the calls instead (sim/), as a test machine may have no
// sound device.
#include <windows.h>

class CSoundPlatform {
public:
    virtual ~CSoundPlatform() = default;
    // PlaySoundA with its arguments and result.
    virtual BOOL Play(LPCSTR sound, HMODULE module, DWORD flags) = 0;
};

class CWinSoundPlatform : public CSoundPlatform {
public:
    BOOL Play(LPCSTR sound, HMODULE module, DWORD flags) override;
};

// The Win32 platform in shipped programs, the recorder in test builds.
CSoundPlatform& DefaultSoundPlatform();
