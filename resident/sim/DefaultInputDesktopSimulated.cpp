// Test builds: the session is told by the file that the KV_SESSION_SCENARIO environment
// variable names, else "session-scenario.txt" beside the program, read afresh at every
// call. Its first line names the input desktop ("Winlogon" while the simulated session is
// locked), its second gives the connect state as a WTS_CONNECTSTATE_CLASS number (4 while
// it is disconnected). Without that file, or without the second line, the call goes to
// Win32. A switch of the input desktop writes the desktop's name on the first line, the
// rest kept; without the file it goes to Win32 too.
#include "resident/SessionNotification.h"

#include "common/ScenarioFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string ScenarioPath()
{
    return ScenarioFilePath("KV_SESSION_SCENARIO", "session-scenario.txt");
}

// The scenario's first two lines; none without the file.
std::optional<std::vector<std::string>> ScenarioLines()
{
    FILE* scenario = std::fopen(ScenarioPath().c_str(), "rb");
    if (!scenario)
        return std::nullopt;
    std::vector<std::string> lines;
    char line[256] = {};
    while (lines.size() < 2 && std::fgets(line, sizeof line, scenario)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        lines.emplace_back(line);
    }
    std::fclose(scenario);
    return lines;
}

// The whole scenario; none without the file.
std::optional<std::string> ScenarioText(const std::string& path)
{
    std::ifstream scenario(path, std::ios::binary);
    if (!scenario)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(scenario), std::istreambuf_iterator<char>());
}

// Replaced in one step, as the tests write it: no reader sees a half-written scenario.
void WriteScenario(const std::string& path, const std::string& text)
{
    const std::string written = path + ".switched";
    bool complete = false;
    {
        std::ofstream scenario(written, std::ios::binary | std::ios::trunc);
        complete = scenario.write(text.data(), static_cast<std::streamsize>(text.size())).flush().good();
    }
    if (!complete || !MoveFileExA(written.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileA(written.c_str());
}

} // namespace

std::optional<std::string> InputDesktopName()
{
    const auto lines = ScenarioLines();
    if (!lines)
        return WinInputDesktopName();
    return lines->empty() ? std::string() : lines->front();
}

std::optional<unsigned> SessionConnectState()
{
    const auto lines = ScenarioLines();
    if (!lines || lines->size() < 2)
        return WinSessionConnectState();
    return static_cast<unsigned>(std::strtoul((*lines)[1].c_str(), nullptr, 10));
}

void SwitchInputDesktop(const std::string& name)
{
    const std::string path = ScenarioPath();
    const std::optional<std::string> text = ScenarioText(path);
    if (!text) {
        WinSwitchInputDesktop(name);
        return;
    }
    const size_t firstLineEnd = text->find_first_of("\r\n");
    WriteScenario(path, name + (firstLineEnd == std::string::npos ? std::string() : text->substr(firstLineEnd)));
}
