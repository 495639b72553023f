#include "resident/AlarmRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds events at the given seconds; the first second at which the alarm became due, or
// -1 when it never did.
std::int64_t FirstDueSecond(const std::vector<std::int64_t>& seconds, int window, int limit)
{
    AlarmEventMap events;
    for (const std::int64_t second : seconds)
        if (CountAlarmEvent(events, second, window, limit))
            return second;
    return -1;
}

TEST(AlarmRulesTest, CountStartsTheAlarmOnlyWithinTheWindow)
{
    struct Case {
        const char* name;
        std::vector<std::int64_t> seconds;
        std::int64_t due;
    };
    const std::vector<Case> cases = {
        {"ten in one second", {5, 5, 5, 5, 5, 5, 5, 5, 5, 5}, 5},
        {"ten within 30 s", {0, 3, 6, 9, 12, 15, 18, 21, 24, 29}, 29},
        {"the first 30 s older than the last", {0, 3, 6, 9, 12, 15, 18, 21, 24, 30}, -1},
        {"nine are not enough", {1, 1, 1, 1, 1, 1, 1, 1, 1}, -1},
        {"old ones dropped, new ones reach it", {0, 0, 0, 0, 0, 40, 40, 40, 40, 40, 41, 41, 41, 41, 41}, 41},
        {"the eleventh after a gap", {0, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31}, 31},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstDueSecond(c.seconds, 30, 10), c.due) << c.name;
}

TEST(AlarmRulesTest, EntriesAreDroppedOnlyFromTheOldestWhenAnEventArrives)
{
    AlarmEventMap events;
    CountAlarmEvent(events, 10, 30, 100);
    CountAlarmEvent(events, 20, 30, 100);
    CountAlarmEvent(events, 20, 30, 100);
    EXPECT_EQ(events, (AlarmEventMap{{10, 1}, {20, 2}}));
    CountAlarmEvent(events, 45, 30, 100);  // 10 is 35 s old, 20 only 25 s
    EXPECT_EQ(events, (AlarmEventMap{{20, 2}, {45, 1}}));
    // A window of 0 or 1 keeps only the current second; a limit of 0 or 1 is due at once.
    EXPECT_TRUE(CountAlarmEvent(events, 46, 1, 1));
    EXPECT_EQ(events, (AlarmEventMap{{46, 1}}));
    EXPECT_TRUE(CountAlarmEvent(events, 47, 0, 0));
}

TEST(AlarmRulesTest, EventsCountOnlyWithTheAlarmOnAndNothingInFront)
{
    struct Case {
        int useAlarm;
        bool controlsHidden, messageShown, boxOpen;
        bool counts;
    };
    const std::vector<Case> cases = {
        {1, false, false, false, true},
        {0, false, false, false, false},
        {2, false, false, false, false},
        {1, true, false, false, false},   // the alarm runs
        {1, false, true, false, false},   // the screen-saver message
        {1, false, false, true, false},   // the password dialog or a box
    };
    for (const Case& c : cases)
        EXPECT_EQ(CanCountAlarmEvent(c.useAlarm, c.controlsHidden, c.messageShown, c.boxOpen), c.counts)
            << c.useAlarm << c.controlsHidden << c.messageShown << c.boxOpen;
}

TEST(AlarmRulesTest, PicturesAlternateOnlyWithChangeBmp)
{
    int toggle = 0;
    std::vector<int> shown;
    for (int tick = 0; tick < 4; ++tick)
        shown.push_back(ChooseAlarmPicture(true, true, 1, toggle));
    EXPECT_EQ(shown, (std::vector<int>{2, 3, 2, 3}));

    toggle = 0;
    EXPECT_EQ(ChooseAlarmPicture(true, true, 0, toggle), 2);
    EXPECT_EQ(ChooseAlarmPicture(true, true, 0, toggle), 2);
    EXPECT_EQ(ChooseAlarmPicture(false, false, 1, toggle), 1);
    EXPECT_EQ(ChooseAlarmPicture(false, true, 0, toggle), 2);  // still running: no lock picture
}

TEST(AlarmRulesTest, AlarmEndsAtTheFirstTickMoreThanPlaySecondsAfterItsStart)
{
    const std::uint64_t start = 5'000'123;
    EXPECT_FALSE(IsAlarmOver(30, start, start + 30'000));
    EXPECT_FALSE(IsAlarmOver(30, start, start + 30'999));
    EXPECT_TRUE(IsAlarmOver(30, start, start + 31'000));
    EXPECT_TRUE(IsAlarmOver(0, start, start + 1'000));
    EXPECT_FALSE(IsAlarmOver(0, start, start + 999));
}

// The clock the windows and the duration run on never goes back and survives the tick
// count's wrap; a wall clock set back or forward does not enter it at all.
TEST(AlarmRulesTest, ClockGoesForwardAcrossTheTickWrap)
{
    CAlarmClock clock;
    EXPECT_EQ(clock.Advance(0xFFFFF000u), 0u);
    EXPECT_EQ(clock.Advance(0xFFFFFC00u), 0xC00u);
    EXPECT_EQ(clock.Advance(0x00000400u), 0x1400u);
    EXPECT_EQ(clock.Advance(0x00000400u), 0x1400u);

    // An alarm started just before the wrap still lasts its 30 seconds.
    CAlarmClock alarmClock;
    const std::uint64_t start = alarmClock.Advance(0xFFFFF000u);
    EXPECT_FALSE(IsAlarmOver(30, start, alarmClock.Advance(0xFFFFF000u + 30'000u)));
    EXPECT_TRUE(IsAlarmOver(30, start, alarmClock.Advance(0xFFFFF000u + 31'000u)));
}

} // namespace
