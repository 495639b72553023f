#pragma once
// Test support for cross-process tests: private temp folders, helper programs copied
// under the names a test needs, started, waited for and ended cleanly.
#include <windows.h>

#include "framework/Handle.h"

#include <string>
#include <vector>

namespace testsupport {

// The window class of the helper program's own windows ("CompanionHelper.exe").
inline constexpr char kHelperWindowClass[] = "KvCompanionHelper";

// The folder of the running test program, with its final "\".
std::string OwnFolder();

// A helper program built beside the test program.
std::string HelperPath(const char* fileName);

std::string Quote(const std::string& text);

std::vector<std::string> ReadLines(const std::string& path);

// A fresh folder under the temp folder, named with the tag and the process id so that
// tests running side by side never share one; removed with its contents at the end.
class CTempFolder {
public:
    explicit CTempFolder(const std::string& tag);
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; } // ends with "\"
    std::string operator/(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

// Top-level windows of a process, found without the code under test.
std::vector<HWND> WindowsOf(DWORD processId);
// Ids and main-module paths of the running processes with that file name (any case).
std::vector<DWORD> ProcessesNamed(const std::string& fileName);
std::string ProcessPath(DWORD processId);
// How many of the process's top-level windows are the helper program's own (Wine adds
// a hidden IME window to every thread that has windows).
std::size_t HelperWindowCount(DWORD processId);

// Opens the process with that id only while it still runs the named program. Wine hands
// an ended program's id to the next program at once, so an id read from a process list may
// already name another test's process: the name is checked again once the handle holds the id.
fw::unique_handle OpenProcessNamed(DWORD processId, const std::string& fileName, DWORD access);
// Forcibly ends every process that runs the named program, and waits for each.
void KillProcessesNamed(const std::string& fileName);

// Ends the named program's process: WM_CLOSE to its windows, then a forced end if it lingers.
void EndProcess(DWORD processId, const std::string& fileName);

class CHelperProcess {
public:
    // Starts the program with the arguments (already quoted as needed).
    CHelperProcess(const std::string& program, const std::string& arguments);
    ~CHelperProcess() { End(); }
    CHelperProcess(const CHelperProcess&) = delete;
    CHelperProcess& operator=(const CHelperProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    // Polls until the process owns at least that many top-level helper windows.
    bool WaitForWindows(std::size_t count, DWORD timeoutMs = 15000) const;
    bool WaitForExit(DWORD timeoutMs = 15000) const;
    DWORD ExitCode() const;
    // Closes its windows, which ends it after the messages already posted.
    void End();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

// The copied helper's command line for the record mode.
std::string RecordArguments(const std::string& recordFile, const std::vector<std::string>& windows);

} // namespace testsupport
