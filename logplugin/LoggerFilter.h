#pragma once
// Which lock events the plug-in logs, and their file "HalvoLogger.dat": section "Log"
// with LogLock, LogUnlock, LogChangeSetting and LogAlarm, each 0 or 1.
#include <string>
#include <string_view>

class CLoggerFilter {
public:
    static constexpr const char* kFileName = "HalvoLogger.dat";

    int LogLock = 1;           // event 1
    int LogUnlock = 1;         // event 2
    int LogChangeSetting = 1;  // event 3
    int LogAlarm = 1;          // event 4

    // The flag of an event code, null for codes other than 1 to 4.
    int* FlagOf(int code);
    const int* FlagOf(int code) const { return const_cast<CLoggerFilter*>(this)->FlagOf(code); }

    // Each of the four keys present sets its flag (its leading decimal number); a key line
    // counts only when it cuts into exactly two parts at its "="s. Others keep their flags.
    void Parse(std::string_view text);
    std::string Serialize() const;

    bool operator==(const CLoggerFilter&) const = default;
};
