// Stands in for the log service's library "ALogExAPI.dll" in the plug-in's tests: its two
// functions, with the conventions of logplugin/ALogExAPI.h. Driven by the environment:
//   KV_ALOG_SETTING_DIR  the settings folder it answers;
//   KV_ALOG_ANSWER       "empty": answers nothing; "unterminated": fills the whole buffer
//                        with no terminator (a broken service);
//   KV_ALOG_RECORDS      the file to which each record is appended as one line:
//                        "{guid} time reserved size code flags arrival" (arrival: the
//                        QueryPerformanceCounter value when the record came in).
// Like the service, it copies the record and its data during the call and keeps no pointer.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#define ALOGEX_API  // exported through ALogExAPI.def
#include "logplugin/ALogExAPI.h"

namespace {

std::string Environment(const char* name)
{
    char value[1024] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

} // namespace

extern "C" {

int WINAPI ALogEx_GetALogSettingDirectoryPath(char* buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const std::string answer = Environment("KV_ALOG_ANSWER");
    if (answer == "empty")
        return 0;
    if (answer == "unterminated") {
        std::memset(buffer, 'x', static_cast<std::size_t>(size));
        return size;
    }
    const std::string folder = Environment("KV_ALOG_SETTING_DIR");
    if (folder.empty() || folder.size() >= static_cast<std::size_t>(size))
        return 0;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return static_cast<int>(folder.size());
}

long WINAPI ALogEx_SendLog(tagALOGEX_DATA* record, unsigned long flags)
{
    LARGE_INTEGER arrival;
    QueryPerformanceCounter(&arrival);
    if (!record)
        return 0;
    const tagALOGEX_DATA copy = *record;
    int code = 0;
    if (copy.data && copy.size == sizeof code)
        std::memcpy(&code, copy.data, sizeof code);
    FILE* out = std::fopen(Environment("KV_ALOG_RECORDS").c_str(), "a");
    if (!out)
        return 0;
    const GUID& g = copy.source;
    std::fprintf(out, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X} %lu %lu %lu %d %lu %lld\n",
                 static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                 g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7], static_cast<unsigned long>(copy.time),
                 static_cast<unsigned long>(copy.reserved), static_cast<unsigned long>(copy.size), code, flags,
                 static_cast<long long>(arrival.QuadPart));
    std::fclose(out);
    return 1;
}

} // extern "C"
