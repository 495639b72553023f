#pragma once
// Registration of a window for the terminal-services session notices
// (WM_WTSSESSION_CHANGE), bound at run time: releases before XP lack the library; and
// the input desktop and the connect state, by which a lock or disconnect notice is checked,
// and the switch of the input back to this program's desktop.
#include <windows.h>

#include "framework/Handle.h"

#include <optional>
#include <string>

class CSessionNotification {
public:
    CSessionNotification() = default;
    CSessionNotification(const CSessionNotification&) = delete;
    CSessionNotification& operator=(const CSessionNotification&) = delete;
    ~CSessionNotification() { Unregister(); }

    // Notices of this session only; false when the system offers none.
    bool Register(HWND window);
    void Unregister();

private:
    fw::unique_hmodule m_library;
    HWND m_window = nullptr;
};

// The name of the session's input desktop; none when it cannot be opened.
std::optional<std::string> WinInputDesktopName();
// Where the main window asks it: Win32 in shipped programs; test builds answer from a
// scenario (resident/sim/), since Wine cannot lock a session.
std::optional<std::string> InputDesktopName();
// The session's connect state (a WTS_CONNECTSTATE_CLASS value); none when it cannot be
// asked (no library, or the query failed).
std::optional<unsigned> WinSessionConnectState();
// Where the main window asks it, as the input desktop.
std::optional<unsigned> SessionConnectState();

// The name of the calling thread's desktop, the one its windows show on; none when it
// cannot be read.
std::optional<std::string> WinThreadDesktopName();
// Makes the named desktop of this window station the input desktop; false when it cannot
// be opened for that, or Windows refuses.
bool WinSwitchInputDesktop(const std::string& name);
// Where the main window switches it: Win32 in shipped programs; test builds switch their
// scenario's input desktop, since Wine cannot switch desktops.
void SwitchInputDesktop(const std::string& name);
