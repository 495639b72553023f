#include "resident/SessionNotification.h"

std::optional<std::string> InputDesktopName()
{
    return WinInputDesktopName();
}

std::optional<unsigned> SessionConnectState()
{
    return WinSessionConnectState();
}

void SwitchInputDesktop(const std::string& name)
{
    WinSwitchInputDesktop(name);
}
