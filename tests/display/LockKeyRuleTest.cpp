#include "display/LockKeyRule.h"

#include <gtest/gtest.h>

namespace {

using namespace lockkeys;

struct KeyStep {
    unsigned message;
    unsigned key;
    bool swallow;
    bool released;
};

constexpr unsigned kA = 0x41;
constexpr unsigned kTab = 0x09;
constexpr unsigned kAlt = 0x12;

// Sequences through one tracker: the Windows-key state carries from step to step.
TEST(LockKeyRule, SwallowsSystemKeysWindowsKeysAndWinL)
{
    const KeyStep steps[] = {
        {kKeyDown, kL, false, false},           // a plain L reaches the password field
        {kKeyUp, kL, false, true},              // every release counts
        {kKeyDown, kLeftWindows, true, false},  // no start menu
        {kKeyDown, kL, true, false},            // Win+L
        {kKeyUp, kL, true, true},
        {kKeyUp, kLeftWindows, true, true},
        {kKeyDown, kL, false, false},           // the Windows key is up again
        {kKeyDown, kRightWindows, true, false},
        {kSysKeyDown, kL, true, false},
        {kSysKeyUp, kRightWindows, true, true},  // released as a system key
        {kKeyDown, kL, false, false},
        {kSysKeyDown, kAlt, true, false},       // Alt+Tab, Alt+F4: every system-key message
        {kSysKeyDown, kTab, true, false},
        {kSysKeyUp, kTab, true, true},
        {kKeyUp, kAlt, false, true},
        {kKeyDown, kA, false, false},
        {0x0200, kLeftWindows, false, false},   // not a key message
    };
    SWindowsKeys keys;
    int index = 0;
    for (const KeyStep& step : steps) {
        const SVerdict verdict = Decide(step.message, step.key, keys);
        EXPECT_EQ(step.swallow, verdict.swallow) << "step " << index;
        EXPECT_EQ(step.released, verdict.released) << "step " << index;
        ++index;
    }
}

} // namespace
