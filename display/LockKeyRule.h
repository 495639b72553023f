#pragma once
// Which keys the lock display swallows: every system-key message (Alt combinations), the
// Windows keys, and "L" while a Windows key is down (Win+L would lock the session). A
// release is swallowed only when its press was: a key already down when the display came
// up (its press reached Windows) must reach Windows going up too, or Windows keeps it down.
#include <bitset>

namespace lockkeys {

// The keyboard messages of a low-level hook and the keys the rule knows.
constexpr unsigned kKeyDown = 0x0100;     // WM_KEYDOWN
constexpr unsigned kKeyUp = 0x0101;       // WM_KEYUP
constexpr unsigned kSysKeyDown = 0x0104;  // WM_SYSKEYDOWN
constexpr unsigned kSysKeyUp = 0x0105;    // WM_SYSKEYUP
constexpr unsigned kLeftWindows = 0x5B;   // VK_LWIN
constexpr unsigned kRightWindows = 0x5C;  // VK_RWIN
constexpr unsigned kL = 0x4C;
constexpr unsigned kKeyCount = 256;       // virtual-key codes

// The keys the rule knows to be down, and which of them went down swallowed.
struct SKeyboardState {
    std::bitset<kKeyCount> down;
    std::bitset<kKeyCount> pressSwallowed;

    // A key that was already down when the rule started: its press reached Windows.
    void MarkHeld(unsigned virtualKey);
};

struct SVerdict {
    bool swallow = false;
    bool released = false;  // a key went up: one key event for the alarm count
};

// Tracks the keys in `keys`, then decides on the message.
SVerdict Decide(unsigned message, unsigned virtualKey, SKeyboardState& keys);

} // namespace lockkeys
