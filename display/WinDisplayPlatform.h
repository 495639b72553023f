#pragma once
// The display platform calls as Win32 makes them.
#include "display/DisplayPlatform.h"

namespace display {

class CWinMonitorPlatform : public CMonitorPlatform {
public:
    BOOL EnumMonitors(const std::function<bool(HMONITOR)>& visit) override;
    BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFO& info) override;
    SIZE ScreenSize() override;
};

class CWinMixerPlatform : public CMixerPlatform {
public:
    UINT GetNumDevs() override;
    MMRESULT GetDevCaps(UINT device, MIXERCAPSA& caps) override;
    MMRESULT Open(HMIXER& mixer, UINT device) override;
    MMRESULT GetLineInfo(HMIXER mixer, MIXERLINEA& line, DWORD flags) override;
    MMRESULT GetLineControls(HMIXER mixer, MIXERLINECONTROLSA& controls, DWORD flags) override;
    MMRESULT GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags) override;
    MMRESULT SetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags) override;
    MMRESULT Close(HMIXER mixer) override;
};

} // namespace display
