#pragma once
// Centring of the lock display's small dialogs.
#include <windows.h>

// Centres the window on its owner; on the screen when it has no visible owner.
void CenterOnOwner(HWND window);
void CenterOnScreen(HWND window);
// The window's rectangle in its parent's client coordinates (a control in its dialog).
RECT ChildRect(HWND child);
