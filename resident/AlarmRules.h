#pragma once
// The alarm's decisions, no Win32 call: which events count, when enough came in a short
// time, which picture shows, when the alarm is over, and the monotonic clock they run on.
#include <cstdint>
#include <map>

// Counted events by the whole second of the alarm clock in which they came.
using AlarmEventMap = std::map<std::int64_t, int>;

// An event counts only while the alarm is on and the display shows its controls, with no
// moving message and no password dialog, exit box or refusal box open.
bool CanCountAlarmEvent(int useAlarm, bool controlsHidden, bool messageShown, bool boxOpen);

// Counts one event at `nowSecond` and drops, from the oldest, the entries `windowSeconds`
// or more seconds old, so that the last window-seconds whole seconds count, this one
// included. True when the remaining events reach `limit`: the alarm is due.
bool CountAlarmEvent(AlarmEventMap& events, std::int64_t nowSecond, int windowSeconds, int limit);

// The lock-display picture for UpdatePicture: 1 the lock picture, 2 and 3 the alarm
// pictures; `toggle` remembers the alarm picture shown last (1 or 2) to alternate them.
int ChooseAlarmPicture(bool alarm, bool active, int changeBmp, int& toggle);

// The alarm is over once more than `playSeconds` whole seconds passed since its start.
bool IsAlarmOver(int playSeconds, std::uint64_t startMs, std::uint64_t nowMs);

// Milliseconds that only go forward: the 32-bit tick count extended past its wrap. Fed
// at least once every 49 days (the main window's timers feed it each second).
class CAlarmClock {
public:
    std::uint64_t Advance(std::uint32_t tick);

private:
    bool m_started = false;
    std::uint32_t m_lastTick = 0;
    std::uint64_t m_elapsed = 0;
};
