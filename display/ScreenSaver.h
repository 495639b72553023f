#pragma once
// The screen saver of the user's settings, told by its window's class together with the
// program file of the window's process: any program can take a class or a title, and
// anyone can start the saver's program to show its settings box or preview.
#include <windows.h>

// Whether `window` is the saver's own screen-saver window: a top-level window of the class
// "WindowsScreenSaverClass" in a process whose program file is the configured screen saver
// (SCRNSAVE.EXE under HKCU\Control Panel\Desktop); false when none is configured or the
// process cannot be asked.
bool IsScreenSaverWindow(HWND window);
