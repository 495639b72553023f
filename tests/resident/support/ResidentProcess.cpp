#include "tests/resident/support/ResidentProcess.h"

#include "common/CompanionLink.h"
#include "common/PathUtil.h"
#include "common/ProcessFinder.h"
#include "common/ProcessFinderFactory.h"
#include "common/SettingFile.h"
#include "framework/File.h"
#include "tests/resident/support/EventClient.h"

#include <algorithm>
#include <cstring>

namespace {

// How long a write of the settings waits out the programs' reads: each lasts a moment.
constexpr DWORD kSettingsWriteWait = 5000;
constexpr DWORD kSettingsWriteRetryInterval = 20;

CSettingFile SettingFile()
{
    return CSettingFile(CPathUtil::GetSettingBaseFolder(), CSettingFile::kFileName);
}

// The top-level window of this process whose control 1000 bears the resident marker, as
// the other programs find it; other programs' windows never count, whatever their name.
HWND FindMarkedWindow(DWORD processId)
{
    for (const HWND window : CProcessFinder().EnumProcessWindows(processId)) {
        char text[512] = {};
        const HWND marker = GetDlgItem(window, kResidentMarkerControlId);
        if (marker && GetWindowTextA(marker, text, sizeof text) && std::strcmp(text, kResidentMarker) == 0)
            return window;
    }
    return nullptr;
}

// The old file goes first, so that the new one holds no lock state; where it cannot go
// (a reader holds it), the write fails, as a save would.
void ReplaceSettings(const CLockSetting& setting)
{
    const std::string path = SettingFile().GetPath();
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        fw::CFileException::ThrowOsError(path);
    SettingFile().SaveSetting(setting);
}

} // namespace

std::string WindowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The programs read the file without the settings lock, denying writes while they read
// (their start-up reads come after the resident program's window is there): a write that
// meets such a read is tried again, as the programs' own writers do.
void WriteSettings(const CLockSetting& setting)
{
    CPathUtil::CreateSettingBaseFolder();
    for (const DWORD start = GetTickCount();; Sleep(kSettingsWriteRetryInterval)) {
        try {
            ReplaceSettings(setting);
            return;
        } catch (const fw::CFileException& e) {
            if (e.m_cause != fw::CFileException::sharingViolation || GetTickCount() - start > kSettingsWriteWait)
                throw;
        }
    }
}

std::string SettingsFilePath()
{
    return SettingFile().GetPath();
}

void RemoveSettings()
{
    DeleteFileA(SettingsFilePath().c_str());
}

int ReadLockState()
{
    int lock = -1;
    try {
        SettingFile().LoadLockState(lock);
    } catch (...) {
        return -1;
    }
    return lock;
}

std::string ProgramString(const std::string& program, UINT id)
{
    const HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    char text[512] = {};
    if (module) {
        LoadStringA(module, id, text, sizeof text);
        FreeLibrary(module);
    }
    return text;
}

bool CResidentProcess::Launch(const std::string& program)
{
    Kill();
    ChooseProcessFinder();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    m_process.reset(process.hProcess);
    m_processId = process.dwProcessId;
    return true;
}

bool CResidentProcess::Start(const std::string& program, CEventClient* events, DWORD timeout)
{
    if (!Launch(program))
        return false;
    if (events)
        events->Follow(m_processId);  // its event server announces itself soon
    return WaitForMainWindow(events, timeout);
}

bool CResidentProcess::WaitForMainWindow(CEventClient* events, DWORD timeout)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        m_window = FindMarkedWindow(m_processId);
        if (m_window) {
            if (events)
                events->Register();  // in case the announcement came first
            return true;
        }
        if (WaitForSingleObject(m_process.get(), 20) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

bool CResidentProcess::WaitForExit(DWORD timeout)
{
    return !m_process || WaitForSingleObject(m_process.get(), timeout) == WAIT_OBJECT_0;
}

void CResidentProcess::Kill()
{
    if (m_process) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 5000);
    }
    m_process.reset();
    m_processId = 0;
    m_window = nullptr;
}

bool CResidentProcess::Post(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return m_window && PostMessageA(m_window, message, wParam, lParam);
}
