#pragma once
// Tells a window's real destruction from a WM_DESTROY or WM_NCDESTROY that some program
// sent or posted to it: any program of the session can, and the window lives on. While a
// thread has watched windows, a CBT hook on it notes every window DestroyWindow is about
// to destroy, whoever calls it (this program, a property sheet, the end of an owner);
// the children of a noted window go with it, and a note goes with its window's handle.
#include <windows.h>

namespace fw {

class CWindowDestruction {
public:
    // One call per bound window, on the window's thread, and one Unwatch at its real end.
    static void Watch();
    static void Unwatch();
    // True when `window` is being destroyed now by its own thread. Without the hook (it
    // could not be set) every destroy message counts as real, as Windows sends them.
    static bool IsUnderway(HWND window);
};

} // namespace fw
