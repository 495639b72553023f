#include "tests/companions/support/SampleClientProcess.h"

#include <cstdio>
#include <fstream>
#include <iterator>

CSampleClientProcess::~CSampleClientProcess()
{
    if (m_process) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 5000);
    }
}

bool CSampleClientProcess::Start(const std::string& folder, bool hold)
{
    m_log = folder + "client-" + std::to_string(GetTickCount()) + ".log";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return false;
    const fw::unique_handle childInput(readEnd);
    m_input.reset(writeEnd);
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);

    const std::string program = folder + "SampleClient.exe";
    std::string commandLine = "\"" + program + "\" \"" + m_log + "\"" + (hold ? " /hold" : "");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    m_process.reset(process.hProcess);
    m_processId = process.dwProcessId;
    return Next("ready", 15000).has_value();
}

// The complete lines written so far (a line still being written has no end yet).
std::vector<std::string> CSampleClientProcess::ReadLog() const
{
    std::ifstream in(m_log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end > start && text[end - 1] == '\r' ? end - start - 1 : end - start));
    return lines;
}

std::optional<std::string> CSampleClientProcess::Next(const std::string& prefix, DWORD timeout)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const std::vector<std::string> lines = ReadLog();
        while (m_taken < lines.size()) {
            const std::string& line = lines[m_taken++];
            if (line.compare(0, prefix.size(), prefix) == 0)
                return line;
        }
        if (GetTickCount() - start > timeout)
            return std::nullopt;
        Sleep(10);
    }
}

std::optional<int> CSampleClientProcess::NextEvent(DWORD timeout, int* again)
{
    const std::optional<std::string> line = Next("event ", timeout);
    int code = 0;
    unsigned id = 0;
    int second = -1;
    if (!line || std::sscanf(line->c_str(), "event %d id %u again %d", &code, &id, &second) != 3)
        return std::nullopt;
    if (again)
        *again = second;
    return code;
}

bool CSampleClientProcess::Command(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    return WriteFile(m_input.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}
