#pragma once
// Line logs that test programs append to and the tests poll.
#include <windows.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

// Appends one line; the file is opened and closed each time so readers see it at once.
inline void AppendLine(const std::string& path, const std::string& line)
{
    const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

inline std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// Polls the log until `done` holds for its lines or `timeout` ms pass; returns the lines.
inline std::vector<std::string> WaitForLines(const std::string& path,
                                             const std::function<bool(const std::vector<std::string>&)>& done,
                                             DWORD timeout = 10000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        auto lines = ReadLines(path);
        if (done(lines) || GetTickCount() - start >= timeout)
            return lines;
        Sleep(10);
    }
}

inline bool HasLine(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const auto& line : lines) {
        if (line == wanted)
            return true;
    }
    return false;
}
