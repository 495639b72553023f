#include "display/WinDisplayPlatform.h"

namespace display {

namespace {

BOOL CALLBACK VisitMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    const auto& visit = *reinterpret_cast<const std::function<bool(HMONITOR)>*>(data);
    return visit(monitor) ? TRUE : FALSE;
}

HMIXEROBJ AsObject(HMIXER mixer)
{
    return reinterpret_cast<HMIXEROBJ>(mixer);
}

} // namespace

BOOL CWinMonitorPlatform::EnumMonitors(const std::function<bool(HMONITOR)>& visit)
{
    return ::EnumDisplayMonitors(nullptr, nullptr, VisitMonitor, reinterpret_cast<LPARAM>(&visit));
}

BOOL CWinMonitorPlatform::GetMonitorInfo(HMONITOR monitor, MONITORINFO& info)
{
    return ::GetMonitorInfoA(monitor, &info);
}

SIZE CWinMonitorPlatform::ScreenSize()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

UINT CWinMixerPlatform::GetNumDevs()
{
    return mixerGetNumDevs();
}

MMRESULT CWinMixerPlatform::GetDevCaps(UINT device, MIXERCAPSA& caps)
{
    return mixerGetDevCapsA(device, &caps, sizeof caps);
}

MMRESULT CWinMixerPlatform::Open(HMIXER& mixer, UINT device)
{
    return mixerOpen(&mixer, device, 0, 0, 0);
}

MMRESULT CWinMixerPlatform::GetLineInfo(HMIXER mixer, MIXERLINEA& line, DWORD flags)
{
    return mixerGetLineInfoA(AsObject(mixer), &line, flags);
}

MMRESULT CWinMixerPlatform::GetLineControls(HMIXER mixer, MIXERLINECONTROLSA& controls, DWORD flags)
{
    return mixerGetLineControlsA(AsObject(mixer), &controls, flags);
}

MMRESULT CWinMixerPlatform::GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags)
{
    return mixerGetControlDetailsA(AsObject(mixer), &details, flags);
}

MMRESULT CWinMixerPlatform::SetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags)
{
    return mixerSetControlDetails(AsObject(mixer), &details, flags);
}

MMRESULT CWinMixerPlatform::Close(HMIXER mixer)
{
    return mixerClose(mixer);
}

} // namespace display
