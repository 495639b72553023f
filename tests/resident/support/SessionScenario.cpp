#include "tests/resident/support/SessionScenario.h"

#include <windows.h>

#include <fstream>

namespace {

// How long a replace waits while the program reads the file, or writes it itself.
constexpr DWORD kReplaceTimeout = 5000;

} // namespace

void WriteSessionScenario(const std::string& path, const std::string& text)
{
    const std::string written = path + ".new";
    std::ofstream(written, std::ios::binary) << text;
    const DWORD start = GetTickCount();
    while (!MoveFileExA(written.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) &&
           GetTickCount() - start < kReplaceTimeout)
        Sleep(10);
}

std::string SessionScenarioDesktop(const std::string& path)
{
    std::ifstream scenario(path, std::ios::binary);
    std::string line;
    std::getline(scenario, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string ThreadDesktopName()
{
    char name[256] = {};
    DWORD needed = 0;
    if (!GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name, sizeof name - 1, &needed))
        return {};
    return name;
}
