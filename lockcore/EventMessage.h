#pragma once
// The lock event record that the event server hands to client windows by WM_COPYDATA:
// the 38 characters of the register-message name, no terminator, then an int32 code.
#include <cstddef>
#include <cstdint>
#include <vector>

enum LockEvent : int32_t {
    EVENT_LOCK = 1,
    EVENT_UNLOCK = 2,
    EVENT_CHANGE_SETTING = 3,
    EVENT_ALARM = 4,
};

// Posted by a client to all top-level windows, wParam its window; also the record's marker.
constexpr char kEventRegisterMessage[] = "{25A4AB39-1122-4620-8042-D0ACA0B3E1DB}";
// Broadcast by the server when it starts, so running clients register again.
constexpr char kEventAnnounceMessage[] = "{1D67ACE9-7654-4fc1-8639-6F9F975DE933}";

constexpr size_t kEventMarkerSize = sizeof kEventRegisterMessage - 1;  // 38
constexpr size_t kEventMessageSize = kEventMarkerSize + 4;            // 42

std::vector<uint8_t> BuildEventMessage(int32_t code);
// True, with the code, only for exactly 42 bytes that start with the marker; reads
// nothing beyond `size` bytes and accepts a null pointer (as false).
bool ParseEventMessage(const void* data, size_t size, int32_t& code);
