#pragma once
// Centring of the lock display's small dialogs, and the lock windows held in place.
#include <windows.h>

#include <vector>

// Centres the window on its owner; on the screen when it has no visible owner.
void CenterOnOwner(HWND window);
void CenterOnScreen(HWND window);
// The window's rectangle in its parent's client coordinates (a control in its dialog).
RECT ChildRect(HWND child);

// The system commands that would take a lock window off its monitor while locked:
// minimise, maximise, move, size and close.
bool IsPutAwayCommand(WPARAM command);
// Shows the window again, restored, topmost and at `rect`, when another program hid,
// minimised, moved or sized it or took it back (TakeBack); a window in place is left alone.
void KeepAt(HWND window, const RECT& rect);
// A lock window that another program made the child of one of its own windows becomes a
// top-level window again, and loses the extended styles that hide it, let clicks through
// or refuse activation, and any window region (an empty one draws none of it).
void TakeBack(HWND window);
// No other program's window stays owned by one of `lockWindows`, nor inside one of them:
// Windows keeps an owned window above its owner, top-most with it, and a child shows
// within its parent. An owned one loses its owner, a child becomes a top-level window of
// its own (both stay with their program, shown); either then goes below the lock windows
// like any other.
void LetGoOfOtherProgramsWindows(const std::vector<HWND>& lockWindows);
