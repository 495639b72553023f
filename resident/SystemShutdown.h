#pragma once
// The forced power-off behind the lock display's exit button: on NT with the shutdown
// privilege enabled, on Windows 9x after every top-level window was asked to end its
// session (a window that does not answer in 2 s has its process ended) and every
// explorer.exe was ended. Unsaved data in other programs is lost.
#include "resident/ShutdownPlatform.h"

class CSystemShutdown {
public:
    // The platform type is the process's (set when still unset).
    CSystemShutdown();
    CSystemShutdown(CShutdownPlatform& platform, int platformType);
    virtual ~CSystemShutdown() = default;

    // The result of the last ExitWindowsEx; FALSE when the Windows 9x road cannot start.
    BOOL PowerOff();
    // Ends every explorer.exe first when the flags force (EWX_FORCE), then ExitWindowsEx.
    BOOL ExitWindows9x(UINT flags);

private:
    BOOL PowerOffNT();
    void EndSession(HWND window);

    CShutdownPlatform& m_platform;
    int m_platformType;
};

// The exit button's power-off: the watchdog pauses first, so that a restart cannot race
// the power-off, and watches again when the power-off fails (the PC then stays locked
// and still guarded).
BOOL PowerOffWithWatchdogPaused(CSystemShutdown& shutdown);
