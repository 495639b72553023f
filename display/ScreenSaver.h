#pragma once
// The screen saver of the user's settings, told by the program file of a window's process:
// a window class or title is no sign, since any program can take them.
#include <windows.h>

// Whether `window` belongs to a process whose program file is the configured screen
// saver (SCRNSAVE.EXE under HKCU\Control Panel\Desktop); false when none is configured
// or the process cannot be asked.
bool IsScreenSaverWindow(HWND window);
