#include "display/SpeakerVolume.h"

#include <algorithm>

// Mixer device 0 opened on its speakers line; the mixer is closed with the object.
class CSpeakerVolume::COpenSpeakers {
public:
    explicit COpenSpeakers(display::CMixerPlatform& mixer) : m_mixer(mixer) { m_ready = Open(); }
    ~COpenSpeakers()
    {
        if (m_handle)
            m_mixer.Close(m_handle);
    }
    COpenSpeakers(const COpenSpeakers&) = delete;
    COpenSpeakers& operator=(const COpenSpeakers&) = delete;

    bool Ready() const { return m_ready; }

    // The line's control of the given type; false when it has none.
    bool FindControl(DWORD type, MIXERCONTROLA& control)
    {
        control = {};
        control.cbStruct = sizeof control;
        MIXERLINECONTROLSA controls = {};
        controls.cbStruct = sizeof controls;
        controls.dwLineID = m_lineId;
        controls.dwControlType = type;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof control;
        controls.pamxctrl = &control;
        return m_mixer.GetLineControls(m_handle, controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
               MMSYSERR_NOERROR;
    }

    bool Read(const MIXERCONTROLA& control, DWORD items, DWORD& value)
    {
        MIXERCONTROLDETAILS details = Details(control, items, value);
        return m_mixer.GetControlDetails(m_handle, details, MIXER_OBJECTF_HMIXER) == MMSYSERR_NOERROR;
    }

    bool Write(const MIXERCONTROLA& control, DWORD items, DWORD value)
    {
        MIXERCONTROLDETAILS details = Details(control, items, value);
        return m_mixer.SetControlDetails(m_handle, details, MIXER_OBJECTF_HMIXER) == MMSYSERR_NOERROR;
    }

private:
    bool Open()
    {
        if (m_mixer.GetNumDevs() == 0)
            return false;
        MIXERCAPSA caps = {};
        if (m_mixer.GetDevCaps(0, caps) != MMSYSERR_NOERROR || caps.cDestinations == 0)
            return false;
        HMIXER handle = nullptr;
        if (m_mixer.Open(handle, 0) != MMSYSERR_NOERROR)
            return false;
        m_handle = handle;
        MIXERLINEA line = {};
        line.cbStruct = sizeof line;
        line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        if (m_mixer.GetLineInfo(m_handle, line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
            MMSYSERR_NOERROR)
            return false;
        m_lineId = line.dwLineID;
        return true;
    }

    // One value for all channels.
    static MIXERCONTROLDETAILS Details(const MIXERCONTROLA& control, DWORD items, DWORD& value)
    {
        MIXERCONTROLDETAILS details = {};
        details.cbStruct = sizeof details;
        details.dwControlID = control.dwControlID;
        details.cChannels = 1;
        details.cMultipleItems = items;
        details.cbDetails = sizeof value;
        details.paDetails = &value;
        return details;
    }

    display::CMixerPlatform& m_mixer;
    HMIXER m_handle = nullptr;
    DWORD m_lineId = 0;
    bool m_ready = false;
};

BOOL CSpeakerVolume::GetVolume(DWORD* volume, BOOL* mute)
{
    COpenSpeakers speakers(m_mixer);
    if (!speakers.Ready())
        return FALSE;
    MIXERCONTROLA control;
    if (speakers.FindControl(MIXERCONTROL_CONTROLTYPE_VOLUME, control)) {
        DWORD value = 0;
        if (!speakers.Read(control, control.cMultipleItems, value))
            return FALSE;
        *volume = value;
    }
    if (speakers.FindControl(MIXERCONTROL_CONTROLTYPE_MUTE, control)) {
        DWORD value = 0;
        if (!speakers.Read(control, 0, value))
            return FALSE;
        *mute = static_cast<BOOL>(value);
    }
    return TRUE;
}

BOOL CSpeakerVolume::SetVolume(const DWORD* volume, const BOOL* mute)
{
    COpenSpeakers speakers(m_mixer);
    if (!speakers.Ready())
        return FALSE;
    BOOL result = TRUE;
    MIXERCONTROLA control;
    if (speakers.FindControl(MIXERCONTROL_CONTROLTYPE_VOLUME, control)) {
        const DWORD value = std::clamp(*volume, control.Bounds.dwMinimum,
                                       std::max(control.Bounds.dwMinimum, control.Bounds.dwMaximum));
        if (!speakers.Write(control, control.cMultipleItems, value))
            result = FALSE;
    }
    if (speakers.FindControl(MIXERCONTROL_CONTROLTYPE_MUTE, control) &&
        !speakers.Write(control, 0, static_cast<DWORD>(*mute)))
        result = FALSE;
    return result;
}
