#pragma once
// The platform calls of the lock display that Wine cannot show in full (several monitors,
// the multimedia mixer), one virtual per Win32 call with its arguments and results.
// The Win32 classes forward each call unchanged; test builds answer them from a
// scenario (display/sim/).
#include <windows.h>
#include <mmsystem.h>

#include <functional>

namespace display {

class CMonitorPlatform {
public:
    virtual ~CMonitorPlatform() = default;

    // EnumDisplayMonitors over the whole virtual screen: `visit` is called for each
    // monitor in the system's order until it returns false.
    virtual BOOL EnumMonitors(const std::function<bool(HMONITOR)>& visit) = 0;
    virtual BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO& info) = 0;
    // SM_CXSCREEN and SM_CYSCREEN.
    virtual SIZE ScreenSize() = 0;
};

class CMixerPlatform {
public:
    virtual ~CMixerPlatform() = default;

    virtual UINT GetNumDevs() = 0;
    virtual MMRESULT GetDevCaps(UINT device, MIXERCAPSA& caps) = 0;
    virtual MMRESULT Open(HMIXER& mixer, UINT device) = 0;
    virtual MMRESULT GetLineInfo(HMIXER mixer, MIXERLINEA& line, DWORD flags) = 0;
    virtual MMRESULT GetLineControls(HMIXER mixer, MIXERLINECONTROLSA& controls, DWORD flags) = 0;
    virtual MMRESULT GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags) = 0;
    virtual MMRESULT SetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags) = 0;
    virtual MMRESULT Close(HMIXER mixer) = 0;
};

// The platforms a program's display calls go to: the Win32 ones in shipped programs, the
// scenario in test builds (the KV_SIMULATED_DISPLAY build option).
CMonitorPlatform& DefaultMonitorPlatform();
CMixerPlatform& DefaultMixerPlatform();

} // namespace display
