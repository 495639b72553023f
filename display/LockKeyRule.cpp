#include "display/LockKeyRule.h"

namespace lockkeys {

namespace {

bool IsDown(unsigned message)
{
    return message == kKeyDown || message == kSysKeyDown;
}

bool IsUp(unsigned message)
{
    return message == kKeyUp || message == kSysKeyUp;
}

bool IsWindowsKeyDown(const SKeyboardState& keys)
{
    return keys.down[kLeftWindows] || keys.down[kRightWindows];
}

// The rule for the message alone, with the Windows keys as they are after it.
bool SwallowedByRule(unsigned message, unsigned virtualKey, const SKeyboardState& keys)
{
    if (message == kSysKeyDown || message == kSysKeyUp)
        return true;
    if (message == kKeyDown || message == kKeyUp)
        return virtualKey == kLeftWindows || virtualKey == kRightWindows ||
               (virtualKey == kL && IsWindowsKeyDown(keys));
    return false;
}

} // namespace

void SKeyboardState::MarkHeld(unsigned virtualKey)
{
    if (virtualKey >= kKeyCount)
        return;
    down[virtualKey] = true;
    pressSwallowed[virtualKey] = false;
}

SVerdict Decide(unsigned message, unsigned virtualKey, SKeyboardState& keys)
{
    SVerdict verdict;
    verdict.released = IsUp(message);
    if (virtualKey >= kKeyCount) {  // no such key: the rule alone
        verdict.swallow = SwallowedByRule(message, virtualKey, keys);
        return verdict;
    }
    const bool firstPress = IsDown(message) && !keys.down[virtualKey];  // not a repeat
    if (IsDown(message) || IsUp(message))
        keys.down[virtualKey] = IsDown(message);
    verdict.swallow = SwallowedByRule(message, virtualKey, keys);
    if (firstPress)
        keys.pressSwallowed[virtualKey] = verdict.swallow;
    if (IsUp(message)) {
        verdict.swallow = verdict.swallow && keys.pressSwallowed[virtualKey];
        keys.pressSwallowed[virtualKey] = false;
    }
    return verdict;
}

} // namespace lockkeys
