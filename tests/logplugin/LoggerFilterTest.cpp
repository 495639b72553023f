// The plug-in's filter file: its own key-line rule and the text it writes.
#include <gtest/gtest.h>

#include "logplugin/LoggerFilter.h"

namespace {

CLoggerFilter Parsed(const std::string& text)
{
    CLoggerFilter filter;
    filter.Parse(text);
    return filter;
}

TEST(LoggerFilter, KeyLinesCountOnlyWithExactlyTwoParts)
{
    const struct {
        const char* text;
        int lock, unlock, change, alarm;
    } cases[] = {
        {"[Log]\r\nLogAlarm=0\r\n", 1, 1, 1, 0},
        {"[Log]\r\nLogLock=0=1\r\nLogUnlock=0\r\n", 1, 0, 1, 1},  // three parts: ignored
        {"[Log]\r\nLogLock==0\r\n", 0, 1, 1, 1},                   // a run of "=" is one cut
        {"[Log]\r\n=LogLock=0=\r\n", 0, 1, 1, 1},                  // cuts at the ends give no part
        {"[Log]\r\nLogLock=\r\nLogUnlock\r\n", 1, 1, 1, 1},        // one part: ignored
        {"[Log]\r\nLogChangeSetting=0x\r\nLogAlarm= 7\r\n", 1, 1, 0, 7},
        {"[Other]\r\nLogLock=0\r\n", 1, 1, 1, 1},
        {"[Log]\nLogLock=0\nLogUnlock=0", 0, 0, 1, 1},            // no CR, no final line end
        {"", 1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        const CLoggerFilter filter = Parsed(c.text);
        EXPECT_EQ(c.lock, filter.LogLock) << c.text;
        EXPECT_EQ(c.unlock, filter.LogUnlock) << c.text;
        EXPECT_EQ(c.change, filter.LogChangeSetting) << c.text;
        EXPECT_EQ(c.alarm, filter.LogAlarm) << c.text;
    }
}

TEST(LoggerFilter, WritesTheFourKeysInOrderAndReadsThemBack)
{
    CLoggerFilter filter;
    filter.LogUnlock = 0;
    EXPECT_EQ("[Log]\r\nLogLock=1\r\nLogUnlock=0\r\nLogChangeSetting=1\r\nLogAlarm=1\r\n\r\n", filter.Serialize());
    CLoggerFilter read;
    read.LogUnlock = 1;
    read.Parse(filter.Serialize());
    EXPECT_EQ(filter, read);
}

TEST(LoggerFilter, FlagOfEachEventCode)
{
    CLoggerFilter filter;
    EXPECT_EQ(&filter.LogLock, filter.FlagOf(1));
    EXPECT_EQ(&filter.LogAlarm, filter.FlagOf(4));
    EXPECT_EQ(nullptr, filter.FlagOf(0));
    EXPECT_EQ(nullptr, filter.FlagOf(5));
}

} // namespace
