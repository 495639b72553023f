#pragma once
// Tells a window's real destruction from a WM_DESTROY or WM_NCDESTROY that some program
// sent or posted to it: any program of the session can, and the window lives on. While a
// thread has watched windows, a CBT hook on it notes every window DestroyWindow is about
// to destroy, whoever calls it (this program, a property sheet, the end of an owner);
// the children of a noted window go with it, and a note goes with its window's handle.
// A window that a program made the child of another thread's window is destroyed with
// that window and no DestroyWindow on this thread, so its destroy messages tell nothing:
// they wait until the window is seen gone (then they are taken) or outliving them.
#include <windows.h>

#include <functional>

namespace fw {

class CWindowDestruction {
public:
    // One Watch per bound object, on its window's thread, and one Unwatch at the end of
    // its binding, which drops whatever is held for it.
    static void Watch();
    static void Unwatch(const void* owner);
    // Whether the procedure of `owner`, the object bound to `window`, takes a WM_DESTROY
    // or WM_NCDESTROY now: true in the window's real destruction, and for every message
    // while the hook could not be set, as Windows sends them. False for one that some
    // program sent or posted, which is dropped, and for one that the window may have got
    // from another thread's parent: `take` takes that one later, once the window is
    // gone; it is dropped once the window, a second on at least, is no longer another
    // thread's child.
    static bool TakesNow(HWND window, const void* owner, UINT message, std::function<void()> take);
    // The messages held for `owner` whose window is gone are taken now: before the object
    // goes, or destroys a window that no longer exists.
    static void TakeHeldIfGone(const void* owner);
};

} // namespace fw
