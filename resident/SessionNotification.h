#pragma once
// Registration of a window for the terminal-services session notices
// (WM_WTSSESSION_CHANGE), bound at run time: releases before XP lack the library.
#include <windows.h>

#include "framework/Handle.h"

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
