#include "resident/Alarm.h"

#include "common/LockSetting.h"
#include "lockcore/EventMessage.h"
#include "lockcore/LockScreen.h"
#include "resident/LockEngine.h"
#include "resident/SoundPlatform.h"
#include "resident/resource.h"

#include <mmsystem.h>

namespace {

constexpr UINT kAlarmPeriod = 1000;
constexpr DWORD kFullVolume = 0xFFFF;
constexpr DWORD kLoopFlags = SND_ASYNC | SND_NODEFAULT | SND_LOOP;

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

CAlarm::CAlarm(const CLockSetting& setting, CLockEngine& engine, display::CMixerPlatform& mixer,
               CSoundPlatform& sound, Publisher publish)
    : m_setting(setting), m_engine(engine), m_volume(mixer), m_sound(sound), m_publish(std::move(publish))
{
}

CAlarm::~CAlarm()
{
    Silence();
}

void CAlarm::Attach(HWND window, Corvantis::SLockScreen* display)
{
    m_window = window;
    m_display = display;
}

std::uint64_t CAlarm::NowMs()
{
    return m_clock.Advance(GetTickCount());
}

bool CAlarm::CanCountAlarmEvent(bool boxOpen) const
{
    return m_display && ::CanCountAlarmEvent(m_setting.AlarmSetting.UseAlarm, m_display->AreControlsHidden() != 0,
                                             m_display->IsMessageShown() != 0, boxOpen);
}

void CAlarm::OnKeyEvent()
{
    const CAlarmSetting& alarm = m_setting.AlarmSetting;
    CountAlarmEvent(alarm.AlarmKeySec, alarm.AlarmKeyCount, m_keyEvents);
}

void CAlarm::OnMouseEvent()
{
    const CAlarmSetting& alarm = m_setting.AlarmSetting;
    CountAlarmEvent(alarm.AlarmMouseSec, alarm.AlarmMouseCount, m_mouseEvents);
}

void CAlarm::CountAlarmEvent(int windowSeconds, int limit, AlarmEventMap& events)
{
    if (m_state.active)
        return;
    const auto nowSecond = static_cast<std::int64_t>(NowMs() / 1000);
    if (::CountAlarmEvent(events, nowSecond, windowSeconds, limit))
        StartAlarm();
}

void CAlarm::StartAlarm()
{
    if (m_display && m_display->IsLockScreenShown() == 1 && m_setting.AlarmSetting.UseAlarm != 0 && !m_state.active) {
        m_state = SState{};
        m_state.active = true;
        m_state.volumeSaved = m_volume.GetVolume(&m_state.savedVolume, &m_state.savedMute) != FALSE;
        ForceFullVolume();
        PlayAlarmSound();
        UpdatePicture(true);
        m_display->HideControls();
        m_timer = SetTimer(m_window, TIMER_ALARM, kAlarmPeriod, nullptr);
        m_state.startMs = NowMs();
        m_publish(EVENT_ALARM);
    }
    ResetAlarmCounters();
}

// Only a volume that could be read is forced (and later restored): without a mixer or
// its controls the speakers stay as they are.
void CAlarm::ForceFullVolume()
{
    if (m_state.volumeSaved) {
        const BOOL unmuted = FALSE;
        m_volume.SetVolume(&kFullVolume, &unmuted);
    }
}

// The chosen file when it plays, else the program's own alarm sound.
void CAlarm::PlayAlarmSound()
{
    const std::string& path = m_setting.AlarmSetting.AlarmWavPath;
    if (!path.empty() && IsFile(path) && m_sound.Play(path.c_str(), nullptr, SND_FILENAME | kLoopFlags))
        return;
    m_sound.Play(MAKEINTRESOURCEA(IDW_ALARM_SOUND), GetModuleHandleA(nullptr), SND_RESOURCE | kLoopFlags);
}

void CAlarm::StopAlarm()
{
    if (!m_state.active)
        return;
    Silence();
    UpdatePicture(false);
    if (m_display)
        m_display->ShowControls();
}

void CAlarm::Silence()
{
    if (!m_state.active)
        return;
    if (m_timer)
        KillTimer(m_window, m_timer);
    m_timer = 0;
    m_sound.Play(nullptr, GetModuleHandleA(nullptr), SND_PURGE);
    if (m_state.volumeSaved)
        m_volume.SetVolume(&m_state.savedVolume, &m_state.savedMute);
    m_state = SState{};
}

void CAlarm::OnTimer(UINT_PTR id)
{
    const std::uint64_t now = NowMs();
    if (!m_timer || id != m_timer)
        return;
    KillTimer(m_window, m_timer);
    m_timer = 0;
    const CAlarmSetting& alarm = m_setting.AlarmSetting;
    if (IsAlarmOver(alarm.AlarmPlaySec, m_state.startMs, now)) {
        StopAlarm();
        return;
    }
    if (alarm.AlarmChangeBmp != 0)
        UpdatePicture(true);
    ForceFullVolume();
    m_timer = SetTimer(m_window, TIMER_ALARM, kAlarmPeriod, nullptr);
}

void CAlarm::UpdatePicture(bool alarm)
{
    const int picture =
        ChooseAlarmPicture(alarm, m_state.active, m_setting.AlarmSetting.AlarmChangeBmp, m_state.pictureToggle);
    if (m_display)
        m_display->SelectPicture(picture);
}

void CAlarm::ResetAlarmCounters()
{
    m_keyEvents.clear();
    m_mouseEvents.clear();
    m_engine.ResetPasswordErrors();
}
