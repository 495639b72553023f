#pragma once
// The outside log service's library "ALogExAPI.dll", as the plug-in uses it: the log
// record the plug-in fills and the two functions it imports.
//
// Conventions where the service's documentation leaves them to us:
// - Both functions use the standard calling convention; the 32-bit library exports them
//   as the usual Windows compiler decorates them ("_ALogEx_SendLog@8"), the 64-bit one
//   undecorated ("ALogEx_SendLog"): the plug-in binds them by those names at load time.
// - ALogEx_GetALogSettingDirectoryPath answers the length of the folder text it wrote,
//   or 0 when it has none; ALogEx_SendLog answers non-zero when it took the record. The
//   plug-in reads neither answer.
// - The record and the data it points to belong to the caller and live only for the call:
//   the service copies what it keeps before it returns.
#include <windows.h>

#include <cstddef>
#include <cstdint>

// One log record: 32 bytes in the 32-bit library. With 8-byte pointers the same fields
// take the platform's natural layout.
struct tagALOGEX_DATA {
    GUID source;            // the plug-in that sent it
    std::uint32_t time;     // seconds since 1970-01-01 UTC
    std::uint32_t reserved; // 0
    const void* data;       // the record's data: for this plug-in the 32-bit event code
    std::uint32_t size;     // bytes at `data`: 4
};

static_assert(offsetof(tagALOGEX_DATA, time) == 16 && offsetof(tagALOGEX_DATA, reserved) == 20 &&
              offsetof(tagALOGEX_DATA, data) == 24);
static_assert(sizeof(void*) != 4 || sizeof(tagALOGEX_DATA) == 32, "the 32-bit record is 32 bytes");

// The second argument of ALogEx_SendLog as the plug-in passes it.
constexpr unsigned long kALogExSendFlags = 1;

// Imported by the plug-in; a library that implements them defines ALOGEX_API empty.
#ifndef ALOGEX_API
#define ALOGEX_API __declspec(dllimport)
#endif

extern "C" {
ALOGEX_API int WINAPI ALogEx_GetALogSettingDirectoryPath(char* buffer, int size);
ALOGEX_API long WINAPI ALogEx_SendLog(tagALOGEX_DATA* record, unsigned long flags);
}
