#include "resident/AlarmRules.h"

bool CanCountAlarmEvent(int useAlarm, bool controlsHidden, bool messageShown, bool boxOpen)
{
    return useAlarm == 1 && !controlsHidden && !messageShown && !boxOpen;
}

bool CountAlarmEvent(AlarmEventMap& events, std::int64_t nowSecond, int windowSeconds, int limit)
{
    ++events[nowSecond];
    while (!events.empty() && nowSecond - events.begin()->first >= windowSeconds)
        events.erase(events.begin());
    int sum = 0;
    for (const auto& entry : events)
        sum += entry.second;
    return sum >= limit;
}

int ChooseAlarmPicture(bool alarm, bool active, int changeBmp, int& toggle)
{
    if (!alarm && !active)
        return 1;
    if (changeBmp == 0)
        return 2;
    if (toggle == 1) {
        toggle = 2;
        return 3;
    }
    toggle = 1;
    return 2;
}

bool IsAlarmOver(int playSeconds, std::uint64_t startMs, std::uint64_t nowMs)
{
    const std::int64_t elapsedSeconds = static_cast<std::int64_t>((nowMs - startMs) / 1000);
    return playSeconds < elapsedSeconds;
}

std::uint64_t CAlarmClock::Advance(std::uint32_t tick)
{
    if (m_started)
        m_elapsed += static_cast<std::uint32_t>(tick - m_lastTick);
    m_started = true;
    m_lastTick = tick;
    return m_elapsed;
}
