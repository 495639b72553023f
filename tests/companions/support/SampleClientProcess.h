#pragma once
// The sample client program of the lock-event library, run from the installed folder:
// commands go to its input, and the lines it writes down are read back from its log.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Handle.h"

class CSampleClientProcess {
public:
    // Starts the client from that folder's "SampleClient.exe" and waits for "ready".
    bool Start(const std::string& folder, bool hold = false);
    ~CSampleClientProcess();

    // The next line not taken yet that starts with `prefix` (lines before it are
    // skipped), waiting up to `timeout` ms.
    std::optional<std::string> Next(const std::string& prefix, DWORD timeout = 8000);
    // The next event line's code; nothing when no event came in time. `again` receives
    // what a second read of the same id answered.
    std::optional<int> NextEvent(DWORD timeout = 8000, int* again = nullptr);
    bool Command(const std::string& line);
    HANDLE Process() const { return m_process.get(); }
    DWORD ProcessId() const { return m_processId; }

private:
    std::vector<std::string> ReadLog() const;

    std::string m_log;
    fw::unique_handle m_process;
    fw::unique_handle m_input;
    DWORD m_processId = 0;
    size_t m_taken = 0;
};
