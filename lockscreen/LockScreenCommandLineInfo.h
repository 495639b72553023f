#pragma once
// The lock-screen program's command line: "/id <resident process id>", as the resident
// program writes it. Flags start with "/" or "-" and are compared without regard to case;
// "id" makes the next plain argument the instance id (a later one replaces it), any other
// flag and any other plain argument are ignored.
#include <string>
#include <vector>

class CLockScreenCommandLineInfo {
public:
    // One argument; `flag` when it began with "/" or "-", which `param` no longer holds.
    void ParseParam(const std::string& param, bool flag);
    // Every argument after the program's name, in order.
    void ParseArguments(const std::vector<std::string>& arguments);

    const std::string& InstanceId() const { return m_instanceId; }

private:
    int m_expectId = 0;
    std::string m_instanceId;
};
