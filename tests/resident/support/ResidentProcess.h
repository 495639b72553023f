#pragma once
// Runs the resident program for end-to-end tests and tools: its settings file, its
// process and its main window, found the way the other programs find it.
#include <windows.h>

#include <string>

#include "common/LockSetting.h"
#include "framework/Handle.h"

class CEventClient;

// A Unix path of the build tree as Wine's Windows programs see it (drive Z:).
std::string WindowsPathOf(const std::string& unixPath);

// Replaces "Corvantis.ini" in the settings folder with the record and no lock state.
void WriteSettings(const CLockSetting& setting);
// The path of "Corvantis.ini" in the settings folder.
std::string SettingsFilePath();
// Deletes "Corvantis.ini": the program then starts as on its first run.
void RemoveSettings();
// The file's "Lock" value; -1 when the file or the key is missing.
int ReadLockState();
// String `id` of the program's string table; empty when the program or the string is missing.
std::string ProgramString(const std::string& program, UINT id);

class CResidentProcess {
public:
    CResidentProcess() = default;
    CResidentProcess(const CResidentProcess&) = delete;
    CResidentProcess& operator=(const CResidentProcess&) = delete;
    ~CResidentProcess() { Kill(); }

    // Starts the program and waits up to `timeout` ms for its marked main window; the
    // client, when given, follows the new process from its launch on.
    bool Start(const std::string& program, CEventClient* events = nullptr, DWORD timeout = 15000);
    // Starts the program without waiting for a window.
    bool Launch(const std::string& program);
    // Waits for the marked main window of the launched program; the client, when given,
    // registers with its event server then.
    bool WaitForMainWindow(CEventClient* events, DWORD timeout = 15000);
    // True when the process ended within `timeout` ms.
    bool WaitForExit(DWORD timeout);
    void Kill();

    HWND Window() const { return m_window; }
    DWORD ProcessId() const { return m_processId; }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

private:
    fw::unique_handle m_process;
    DWORD m_processId = 0;
    HWND m_window = nullptr;
};
