// Test builds: the session is told by the file that the KV_SESSION_SCENARIO environment
// variable names, else "session-scenario.txt" beside the program, read afresh at every
// call. Its first line names the input desktop ("Winlogon" while the simulated session is
// locked), its second gives the connect state as a WTS_CONNECTSTATE_CLASS number (4 while
// it is disconnected). Without that file, or without the second line, the call goes to
// Win32.
#include "resident/SessionNotification.h"

#include "common/ScenarioFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The scenario's first two lines; none without the file.
std::optional<std::vector<std::string>> ScenarioLines()
{
    FILE* scenario = std::fopen(ScenarioFilePath("KV_SESSION_SCENARIO", "session-scenario.txt").c_str(), "rb");
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
