#include "HelperProcess.h"

#include <tlhelp32.h>

#include <algorithm>

#include <fstream>

namespace testsupport {
namespace {

constexpr DWORD kPollMs = 20;

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + name + "\\");
            else
                DeleteFileA((folder + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam)
{
    auto* wanted = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == wanted->first)
        wanted->second.push_back(window);
    return TRUE;
}

} // namespace

std::string OwnFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string HelperPath(const char* fileName)
{
    return OwnFolder() + fileName;
}

std::string Quote(const std::string& text)
{
    return std::string("\"").append(text).append("\"");
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

CTempFolder::CTempFolder(const std::string& tag)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    m_path = std::string(temp) + "kv-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    RemoveTree(m_path); // left by an earlier run whose process id came round again
    CreateDirectoryA(m_path.c_str(), nullptr);
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_path);
}

std::vector<HWND> WindowsOf(DWORD processId)
{
    std::pair<DWORD, std::vector<HWND>> wanted{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&wanted));
    return wanted.second;
}

std::vector<DWORD> ProcessesNamed(const std::string& fileName)
{
    std::vector<DWORD> ids;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, fileName.c_str()) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::string ProcessPath(DWORD processId)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {};
    MODULEENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::string path;
    if (Module32First(snapshot, &entry))
        path = entry.szExePath;
    CloseHandle(snapshot);
    return path;
}

fw::unique_handle OpenProcessNamed(DWORD processId, const std::string& fileName, DWORD access)
{
    fw::unique_handle process(OpenProcess(access, FALSE, processId));
    const std::vector<DWORD> ids = ProcessesNamed(fileName);
    if (process && std::find(ids.begin(), ids.end(), processId) == ids.end())
        process.reset();
    return process;
}

void KillProcessesNamed(const std::string& fileName)
{
    for (const DWORD id : ProcessesNamed(fileName)) {
        if (const fw::unique_handle process = OpenProcessNamed(id, fileName, SYNCHRONIZE | PROCESS_TERMINATE)) {
            TerminateProcess(process.get(), 1);
            WaitForSingleObject(process.get(), 5000);
        }
    }
}

void EndProcess(DWORD processId, const std::string& fileName)
{
    const fw::unique_handle owned = OpenProcessNamed(processId, fileName, SYNCHRONIZE | PROCESS_TERMINATE);
    const HANDLE process = owned.get();
    if (!process)
        return;
    // A process found just after its start may not have its window yet.
    for (DWORD waited = 0; waited < 5000 && HelperWindowCount(processId) == 0; waited += kPollMs) {
        if (WaitForSingleObject(process, kPollMs) == WAIT_OBJECT_0)
            break;
    }
    for (const HWND window : WindowsOf(processId))
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 15000) != WAIT_OBJECT_0)
        TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
}

CHelperProcess::CHelperProcess(const std::string& program, const std::string& arguments)
{
    std::string commandLine = Quote(program) + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
}

std::size_t HelperWindowCount(DWORD processId)
{
    std::size_t count = 0;
    for (const HWND window : WindowsOf(processId)) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        count += std::string(name) == kHelperWindowClass;
    }
    return count;
}

bool CHelperProcess::WaitForWindows(std::size_t count, DWORD timeoutMs) const
{
    for (DWORD waited = 0; m_process && waited < timeoutMs; waited += kPollMs) {
        if (HelperWindowCount(m_id) >= count)
            return true;
        if (WaitForSingleObject(m_process, kPollMs) == WAIT_OBJECT_0)
            return false;
    }
    return false;
}

bool CHelperProcess::WaitForExit(DWORD timeoutMs) const
{
    return m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD CHelperProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_process)
        GetExitCodeProcess(m_process, &code);
    return code;
}

void CHelperProcess::End()
{
    if (!m_process)
        return;
    for (const HWND window : WindowsOf(m_id))
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (!WaitForExit(15000))
        TerminateProcess(m_process, 99);
    WaitForSingleObject(m_process, 5000);
    CloseHandle(m_process);
    m_process = nullptr;
}

std::string RecordArguments(const std::string& recordFile, const std::vector<std::string>& windows)
{
    std::string arguments = std::string("record ") + Quote(recordFile);
    for (const std::string& window : windows)
        arguments.append(" ").append(Quote(window));
    return arguments;
}

} // namespace testsupport
