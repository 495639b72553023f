#pragma once
// Registration of a window for the terminal-services session notices
// (WM_WTSSESSION_CHANGE), bound at run time: releases before XP lack the library; and
// the input desktop and the connect state, by which a lock or disconnect notice is checked.
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
