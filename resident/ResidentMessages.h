#pragma once
// Messages that reach the resident program's main window from inside the program.
#include <windows.h>

// From the USB worker: the attached devices changed.
constexpr UINT UM_KEY_LIST_CHANGED = WM_APP + 2;
// From the USB worker while the password dialog is open: the key state may have changed.
constexpr UINT UM_KEY_STATE_CHANGED = WM_APP + 11;

// Timers of the main window.
constexpr UINT_PTR TIMER_NO_INPUT = 0x1002;
constexpr UINT_PTR TIMER_LOCK_CORE_CHECK = 0x2001;
constexpr UINT_PTR TIMER_SUSPEND_QUERY = 0x2002;
// The lock display's own timers are CLockDisplayFrame's (0x1001, 0x1003).
