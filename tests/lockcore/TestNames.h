#pragma once
// Names of pipes and mutexes unique to one test process and one use.
#include <windows.h>

#include <atomic>
#include <string>

inline std::string UniqueSuffix()
{
    static std::atomic<int> counter{0};
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

inline std::string UniquePipeName() { return "\\\\.\\pipe\\kvtest-" + UniqueSuffix(); }
