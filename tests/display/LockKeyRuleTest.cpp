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
constexpr unsigned kF10 = 0x79;
constexpr unsigned kControl = 0x11;
constexpr unsigned kShift = 0x10;
constexpr unsigned kEscape = 0x1B;

// Sequences through one tracker: the key state carries from step to step.
template <size_t N>
void ExpectVerdicts(const KeyStep (&steps)[N], SKeyboardState& keys)
{
    int index = 0;
    for (const KeyStep& step : steps) {
        const SVerdict verdict = Decide(step.message, step.key, keys);
        EXPECT_EQ(step.swallow, verdict.swallow) << "step " << index;
        EXPECT_EQ(step.released, verdict.released) << "step " << index;
        ++index;
    }
}

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
        {kKeyDown, kControl, false, false},     // Ctrl+Esc and Ctrl+Shift+Esc pass
        {kKeyDown, kEscape, false, false},
        {kKeyUp, kEscape, false, true},
        {kKeyDown, kShift, false, false},
        {kKeyDown, kEscape, false, false},
        {kKeyUp, kEscape, false, true},
        {kKeyUp, kShift, false, true},
        {kKeyUp, kControl, false, true},
        {0x0200, kLeftWindows, false, false},   // not a key message
    };
    SKeyboardState keys;
    ExpectVerdicts(steps, keys);
}

// Keys held while the display came up: Windows saw them go down, so it must see them go
// up, or it keeps the Windows key (or Alt) down for every later key. Their repeats and
// the keys pressed meanwhile are swallowed as usual.
TEST(LockKeyRule, KeysHeldBeforeTheLockGoUpInWindowsToo)
{
    SKeyboardState keys;
    keys.MarkHeld(kLeftWindows);
    keys.MarkHeld(kAlt);
    const KeyStep steps[] = {
        {kKeyDown, kL, true, false},             // Win+L, with the Windows key held from before
        {kKeyUp, kL, true, true},
        {kKeyDown, kLeftWindows, true, false},   // a repeat of the held key
        {kKeyUp, kLeftWindows, false, true},
        {kKeyDown, kL, false, false},            // the Windows key is up now
        {kKeyUp, kL, false, true},
        {kSysKeyDown, kTab, true, false},        // Alt+Tab with Alt held from before
        {kSysKeyUp, kTab, true, true},
        {kSysKeyUp, kAlt, false, true},
        {kSysKeyDown, kF10, true, false},        // a system key pressed afresh stays swallowed
        {kSysKeyUp, kF10, true, true},
        {kKeyDown, kLeftWindows, true, false},   // and so does a fresh Windows key
        {kKeyUp, kLeftWindows, true, true},
    };
    ExpectVerdicts(steps, keys);
}

} // namespace
