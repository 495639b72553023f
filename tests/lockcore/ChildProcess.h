#pragma once
// A test program started for one test and ended with it.
#include <windows.h>

#include <string>

#include "framework/Handle.h"

// The folder of the running test program, with a trailing "\".
inline std::string TestProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

inline std::string TempFilePath(const std::string& stem)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + stem;
}

class ChildProcess {
public:
    // `program` is a file name in the test program's folder.
    ChildProcess(const std::string& program, const std::string& arguments)
    {
        std::string line;
        line.append("\"").append(TestProgramFolder()).append(program).append("\" ").append(arguments);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            m_process.reset(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    ChildProcess(ChildProcess&&) = default;
    ~ChildProcess() { Kill(); }

    explicit operator bool() const { return static_cast<bool>(m_process); }

    void Kill()
    {
        if (!m_process)
            return;
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 5000);
        m_process.reset();
    }

private:
    fw::unique_handle m_process;
};
