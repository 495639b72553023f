#pragma once
// The alarm of the locked display: too many key-ups or clicks in a short time, or too
// many wrong passwords, sound a looping alarm at full speaker volume, show the alarm
// pictures with the display's controls hidden and tell the client programs
// (EVENT_ALARM), for `AlarmPlaySec` seconds. It lives in the main window, which feeds it
// the events and its timer ticks.
//
// Its event windows and its duration run on the monotonic tick, so a clock set back or
// forward during an alarm changes nothing; events still count per whole second. The
// alarm that is running when the alarm ends with its window (or program) stops its sound
// and puts the speakers back.
#include "resident/AlarmRules.h"
#include "display/SpeakerVolume.h"

#include <functional>
#include <string>

class CLockEngine;
class CLockSetting;
class CSoundPlatform;
namespace Corvantis {
class SLockScreen;
}

constexpr UINT_PTR TIMER_ALARM = 0x1004;

class CAlarm {
public:
    using Publisher = std::function<void(int event)>;

    CAlarm(const CLockSetting& setting, CLockEngine& engine, display::CMixerPlatform& mixer, CSoundPlatform& sound,
           Publisher publish);
    ~CAlarm();
    CAlarm(const CAlarm&) = delete;
    CAlarm& operator=(const CAlarm&) = delete;

    // The window that holds the alarm timer and the display the alarm shows on.
    void Attach(HWND window, Corvantis::SLockScreen* display);

    // `boxOpen`: the password dialog, the exit box or the refusal box is open.
    bool CanCountAlarmEvent(bool boxOpen) const;
    // One key-up or click on the locked display, already admitted by CanCountAlarmEvent.
    void OnKeyEvent();
    void OnMouseEvent();
    void StartAlarm();
    void StopAlarm();
    // The alarm tick, for every timer tick of the window: only the alarm timer's acts,
    // each one keeps the monotonic clock going.
    void OnTimer(UINT_PTR id);
    void UpdatePicture(bool alarm);
    // Both event counts and the password errors back to zero.
    void ResetAlarmCounters();
    bool IsActive() const { return m_state.active; }

private:
    // Cleared together when the alarm starts and ends.
    struct SState {
        bool active = false;
        DWORD savedVolume = 0;
        BOOL savedMute = FALSE;
        bool volumeSaved = false;
        int pictureToggle = 0;
        std::uint64_t startMs = 0;
    };

    void CountAlarmEvent(int windowSeconds, int limit, AlarmEventMap& events);
    std::uint64_t NowMs();
    void ForceFullVolume();
    void PlayAlarmSound();
    // Stops the timer and the sound and puts the volume back: all of the alarm that
    // outlives the display.
    void Silence();

    const CLockSetting& m_setting;
    CLockEngine& m_engine;
    CSpeakerVolume m_volume;
    CSoundPlatform& m_sound;
    Publisher m_publish;
    HWND m_window = nullptr;
    Corvantis::SLockScreen* m_display = nullptr;
    UINT_PTR m_timer = 0;
    SState m_state;
    CAlarmClock m_clock;
    AlarmEventMap m_keyEvents;
    AlarmEventMap m_mouseEvents;
};
