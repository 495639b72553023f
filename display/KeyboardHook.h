#pragma once
// The system-wide keyboard hooks of the lock display: a low-level hook on every Windows
// release and, on Windows 9x, the classic one. The hooks belong to the process (hook
// procedures have no object to go to) and run on a thread of their own, which nothing
// else keeps waiting; CKeyboardHook only switches them on and off.
#include <windows.h>

// Posted to the key-release window for every key that goes up while the hooks are on.
constexpr UINT UM_KEY_RELEASED = WM_APP + 5;

class CKeyboardHook {
public:
    virtual ~CKeyboardHook() = default;

    // A null procedure passes every key on. A second install changes nothing; each new
    // installation starts from the keys that are down at that moment. TRUE when a hook is
    // on, from the return on.
    BOOL Install(HOOKPROC classicProc, HOOKPROC lowLevelProc);
    // Always TRUE; the hooks and their thread are gone at the return. The program's end
    // removes them too.
    BOOL Remove();
    static bool IsInstalled();
};

// The program's main window, told about each key release by LockLowLevelKeyboardProc (a
// posted message, so the count runs on the window's own thread).
void SetKeyReleaseWindow(HWND window);

// CallNextHookEx with the stored hook of each kind (null when there is none, which still
// passes the key on).
LRESULT CallNextKeyboardHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CallNextLowLevelKeyboardHook(int code, WPARAM wParam, LPARAM lParam);

// The lock display's procedures: the low-level one swallows the system keys, the Windows
// keys and Win+L and reports every key release; the classic one swallows the Windows keys.
LRESULT CALLBACK LockLowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LockKeyboardProc(int code, WPARAM wParam, LPARAM lParam);
