#include "display/sim/SimDisplayMachine.h"


namespace display {

namespace {

constexpr DWORD kSpeakersLineId = 0xFFFF0000;
constexpr DWORD kVolumeControlId = 1;
constexpr DWORD kMuteControlId = 2;

HMONITOR MonitorHandle(std::size_t index)
{
    return reinterpret_cast<HMONITOR>(static_cast<UINT_PTR>(index + 1));
}

} // namespace

bool CSimDisplayMachine::Load(const std::string& text, std::string& error)
{
    return ParseSimDisplayScenario(text, m_scenario, error);
}

void CSimDisplayMachine::WatchScenarioFile(std::string path)
{
    m_scenarioFile.Watch(std::move(path));
    ReloadIfChanged();
}

void CSimDisplayMachine::ReloadIfChanged()
{
    if (!m_scenarioFile.Watching() || !m_open.empty() || !m_scenarioFile.Changed())
        return;
    std::string error;
    Load(m_scenarioFile.Text(), error);
    m_lastError = m_scenarioFile.Readable() ? error : "cannot read " + m_scenarioFile.Path();
}

// Monitors

BOOL CSimDisplayMachine::EnumMonitors(const std::function<bool(HMONITOR)>& visit)
{
    ReloadIfChanged();
    for (std::size_t i = 0; i < m_scenario.monitors.size(); ++i)
        if (!visit(MonitorHandle(i)))
            break;
    return TRUE;
}

BOOL CSimDisplayMachine::GetMonitorInfo(HMONITOR monitor, MONITORINFO& info)
{
    const UINT_PTR index = reinterpret_cast<UINT_PTR>(monitor) - 1;
    if (index >= m_scenario.monitors.size() || info.cbSize != sizeof info)
        return FALSE;
    const SimMonitor& sim = m_scenario.monitors[index];
    if (sim.fails)
        return FALSE;
    info.rcMonitor = {sim.left, sim.top, sim.right, sim.bottom};
    info.rcWork = info.rcMonitor;
    info.dwFlags = sim.flags;
    return TRUE;
}

SIZE CSimDisplayMachine::ScreenSize()
{
    if (m_scenario.screenWidth >= 0)
        return {m_scenario.screenWidth, m_scenario.screenHeight};
    for (const SimMonitor& monitor : m_scenario.monitors)
        if (monitor.flags & MONITORINFOF_PRIMARY)
            return {monitor.right - monitor.left, monitor.bottom - monitor.top};
    return {0, 0};
}

// Mixer

UINT CSimDisplayMachine::GetNumDevs()
{
    ReloadIfChanged();
    return m_scenario.mixer.devices;
}

MMRESULT CSimDisplayMachine::GetDevCaps(UINT device, MIXERCAPSA& caps)
{
    if (device >= m_scenario.mixer.devices)
        return MMSYSERR_BADDEVICEID;
    if (m_scenario.mixer.capsFail)
        return MMSYSERR_ERROR;
    caps = {};
    lstrcpynA(caps.szPname, "Simulated mixer", MAXPNAMELEN);
    caps.cDestinations = m_scenario.mixer.destinations;
    return MMSYSERR_NOERROR;
}

MMRESULT CSimDisplayMachine::Open(HMIXER& mixer, UINT device)
{
    ReloadIfChanged();
    if (device >= m_scenario.mixer.devices)
        return MMSYSERR_BADDEVICEID;
    if (m_scenario.mixer.openFails)
        return MMSYSERR_ALLOCATED;
    m_nextMixer += 4;
    m_open.insert(m_nextMixer);
    mixer = reinterpret_cast<HMIXER>(m_nextMixer);
    return MMSYSERR_NOERROR;
}

MMRESULT CSimDisplayMachine::GetLineInfo(HMIXER mixer, MIXERLINEA& line, DWORD flags)
{
    if (!IsOpen(mixer) || line.cbStruct != sizeof line ||
        flags != (MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE))
        return MMSYSERR_INVALPARAM;
    const SimMixer& sim = m_scenario.mixer;
    if (line.dwComponentType != MIXERLINE_COMPONENTTYPE_DST_SPEAKERS || !sim.speakers)
        return MIXERR_INVALLINE;
    if (sim.speakersFail)
        return MMSYSERR_ERROR;
    line.dwLineID = kSpeakersLineId;
    line.cChannels = 2;
    line.cControls = (sim.volume.present ? 1 : 0) + (sim.mute.present ? 1 : 0);
    lstrcpynA(line.szName, "Speakers", MIXER_LONG_NAME_CHARS);
    return MMSYSERR_NOERROR;
}

MMRESULT CSimDisplayMachine::GetLineControls(HMIXER mixer, MIXERLINECONTROLSA& controls, DWORD flags)
{
    if (!IsOpen(mixer) || controls.cbStruct != sizeof controls || controls.cControls != 1 ||
        controls.cbmxctrl != sizeof(MIXERCONTROLA) || !controls.pamxctrl ||
        flags != (MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE))
        return MMSYSERR_INVALPARAM;
    if (controls.dwLineID != kSpeakersLineId)
        return MIXERR_INVALLINE;
    const bool volume = controls.dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME;
    const bool mute = controls.dwControlType == MIXERCONTROL_CONTROLTYPE_MUTE;
    const SimMixerControl* sim = volume ? &m_scenario.mixer.volume : mute ? &m_scenario.mixer.mute : nullptr;
    if (!sim || !sim->present)
        return MIXERR_INVALCONTROL;
    if (sim->findFails)
        return MMSYSERR_ERROR;
    MIXERCONTROLA& control = *controls.pamxctrl;
    control = {};
    control.cbStruct = sizeof control;
    control.dwControlID = volume ? kVolumeControlId : kMuteControlId;
    control.dwControlType = controls.dwControlType;
    control.Bounds.dwMinimum = volume ? sim->minimum : 0;
    control.Bounds.dwMaximum = volume ? sim->maximum : 1;
    return MMSYSERR_NOERROR;
}

MMRESULT CSimDisplayMachine::GetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags)
{
    SimMixerControl* control = nullptr;
    if (const MMRESULT result = CheckDetails(mixer, details, flags, control); result != MMSYSERR_NOERROR)
        return result;
    if (control->readFails)
        return MMSYSERR_ERROR;
    *static_cast<DWORD*>(details.paDetails) = control->value;
    return MMSYSERR_NOERROR;
}

MMRESULT CSimDisplayMachine::SetControlDetails(HMIXER mixer, MIXERCONTROLDETAILS& details, DWORD flags)
{
    SimMixerControl* control = nullptr;
    if (const MMRESULT result = CheckDetails(mixer, details, flags, control); result != MMSYSERR_NOERROR)
        return result;
    const DWORD value = *static_cast<const DWORD*>(details.paDetails);
    if (control->writeFails)
        return MMSYSERR_ERROR;
    if (value < control->minimum || value > control->maximum)
        return MMSYSERR_INVALPARAM;  // outside the control's range
    control->value = value;
    m_writes.push_back((control == &m_scenario.mixer.volume ? "volume " : "mute ") + std::to_string(value));
    return MMSYSERR_NOERROR;
}

MMRESULT CSimDisplayMachine::Close(HMIXER mixer)
{
    return m_open.erase(reinterpret_cast<UINT_PTR>(mixer)) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

bool CSimDisplayMachine::IsOpen(HMIXER mixer) const
{
    return m_open.count(reinterpret_cast<UINT_PTR>(mixer)) != 0;
}

SimMixerControl* CSimDisplayMachine::ControlById(DWORD id)
{
    SimMixer& sim = m_scenario.mixer;
    if (id == kVolumeControlId && sim.volume.present)
        return &sim.volume;
    if (id == kMuteControlId && sim.mute.present)
        return &sim.mute;
    return nullptr;
}

// One 32-bit value for all channels, as the speaker volume asks.
MMRESULT CSimDisplayMachine::CheckDetails(HMIXER mixer, const MIXERCONTROLDETAILS& details, DWORD flags,
                                          SimMixerControl*& control)
{
    if (!IsOpen(mixer) || details.cbStruct != sizeof details || details.cChannels != 1 ||
        details.cbDetails != sizeof(DWORD) || !details.paDetails || flags != MIXER_OBJECTF_HMIXER)
        return MMSYSERR_INVALPARAM;
    control = ControlById(details.dwControlID);
    return control ? MMSYSERR_NOERROR : MIXERR_INVALCONTROL;
}

} // namespace display
