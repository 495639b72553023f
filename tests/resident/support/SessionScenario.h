#pragma once
// The simulated Brontal's session scenario (KV_SESSION_SCENARIO): its first line names the
// input desktop, and the program writes there the desktop it switches the input to.
#include <string>

// Replaces the scenario in one step: the program never reads a half-written one. While the
// program has the file open the replace is tried again, for up to 5 s.
void WriteSessionScenario(const std::string& path, const std::string& text);
// The input desktop as the scenario has it now: its first line.
std::string SessionScenarioDesktop(const std::string& path);
// The name of the calling thread's desktop: under Wine the one that every program of the
// tests, the lock display's included, runs on.
std::string ThreadDesktopName();
