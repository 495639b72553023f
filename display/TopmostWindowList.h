#pragma once
// The windows that currently form the lock display, oldest first, the re-raise that
// brings the newest live one back to the foreground, and the z-order that keeps them all
// above every other window. The application object owns one;
// every window of the lock display adds itself while it exists.
#include "framework/Handle.h"

#include <vector>

class CTopmostWindowList {
public:
    CTopmostWindowList();
    CTopmostWindowList(const CTopmostWindowList&) = delete;
    CTopmostWindowList& operator=(const CTopmostWindowList&) = delete;

    // False when the window is listed already.
    bool Add(HWND window);
    // False when the window was not listed.
    bool Remove(HWND window);
    // Replaces `windows` with the listed ones, oldest first.
    void CopyTo(std::vector<HWND>& windows);
    // Drops dead windows from the end of the list; the newest live one, when visible and
    // not already the foreground window, is forced to the foreground after `insertAfter`.
    void BringLastToTop(HWND insertAfter);
    // Every listed live window, newest on top, then the `below` windows (the covers), above
    // every other window and each one top-most, whatever has the foreground: the windows
    // are taken back (TakeBack), let go of other programs' windows that they own or hold
    // (LetGoOfOtherProgramsWindows) and, when the z-order has another window above one of
    // them or has them out of order, stacked again without activation. Nothing while no
    // listed window lives.
    void KeepOnTop(const std::vector<HWND>& below);

private:
    // Holds the list's lock (a semaphore of count 1, not re-entrant) for one operation.
    class CHold {
    public:
        explicit CHold(HANDLE semaphore);
        ~CHold();
        CHold(const CHold&) = delete;
        CHold& operator=(const CHold&) = delete;

    private:
        HANDLE m_semaphore;
    };

    HWND TakeWindowToRaise();

    fw::unique_handle m_lock;
    std::vector<HWND> m_windows;
};

// Makes the window the foreground window despite the system's foreground lock, and
// places it after `insertAfter` in the z-order. The foreground lock time-out is set to
// 0 only for the forcing and restored afterwards.
void ForceForegroundWindow(HWND window, HWND insertAfter);
