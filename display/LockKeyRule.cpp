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

} // namespace

SVerdict Decide(unsigned message, unsigned virtualKey, SWindowsKeys& keys)
{
    if (IsDown(message) || IsUp(message)) {
        if (virtualKey == kLeftWindows)
            keys.left = IsDown(message);
        else if (virtualKey == kRightWindows)
            keys.right = IsDown(message);
    }
    SVerdict verdict;
    verdict.released = IsUp(message);
    if (message == kSysKeyDown || message == kSysKeyUp)
        verdict.swallow = true;
    else if (message == kKeyDown || message == kKeyUp)
        verdict.swallow = virtualKey == kLeftWindows || virtualKey == kRightWindows ||
                          (virtualKey == kL && (keys.left || keys.right));
    return verdict;
}

} // namespace lockkeys
