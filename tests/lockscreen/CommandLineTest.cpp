// The lock-screen program's command line: only "/id <id>" counts.
#include "lockscreen/LockScreenCommandLineInfo.h"

#include <gtest/gtest.h>

namespace {

struct SCase {
    std::vector<std::string> arguments;
    std::string id;
};

TEST(LockScreenCommandLine, TakesTheIdAfterTheIdFlag)
{
    const SCase cases[] = {
        {{"/id", "1234"}, "1234"},
        {{"-ID", "1234"}, "1234"},
        {{"/Id", "1234"}, "1234"},
        {{"/id", "12", "/id", "34"}, "34"},        // a later id replaces the first
        {{"/id", "/x", "12"}, "12"},               // another flag leaves the flag set
        {{"/id"}, ""},                             // the flag last: no id
        {{"1234"}, ""},                            // no flag: ignored
        {{"1234", "/id"}, ""},
        {{"/id", "12", "34"}, "12"},               // the flag takes one argument only
        {{"/idx", "12"}, ""},
        {{"id", "12"}, ""},                        // "id" without "/" or "-" is plain
        {{}, ""},
    };
    for (const SCase& c : cases) {
        CLockScreenCommandLineInfo info;
        info.ParseArguments(c.arguments);
        std::string line;
        for (const std::string& a : c.arguments)
            line += a + " ";
        EXPECT_EQ(c.id, info.InstanceId()) << line;
    }
}

} // namespace
