#pragma once
// The Windows 8 road for the end-to-end tests and tools: the per-program Windows release
// that Wine reports, and the lock-screen program that the resident program starts.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Wine reports `version` ("win10", "win7") to the program with this file name while the
// object lives (it reads the setting when a process starts); the setting goes after.
class CWineProgramVersion {
public:
    CWineProgramVersion(std::string executable, const char* version);
    CWineProgramVersion(const CWineProgramVersion&) = delete;
    CWineProgramVersion& operator=(const CWineProgramVersion&) = delete;
    ~CWineProgramVersion();

    bool IsSet() const { return m_set; }

private:
    std::string m_keyPath;
    bool m_set = false;
};

// The running lock-screen program's process id other than `except`, or 0.
DWORD FindLockScreenProcess(DWORD except = 0);
// Its lock display: the top-level window with the picture control, hidden or not.
HWND FindLockScreenWindow(DWORD processId);
// Its visible top-level windows with control `id` and without control `without`.
std::vector<HWND> VisibleWindowsWith(DWORD processId, int id, int without = 0);
// Ctrl+Shift+click on its display, then up to 10 s for the password dialog to show (the
// resident program allows a password, watches the key and lets it show); null when none.
HWND OpenLockScreenPasswordDialog(DWORD processId);
// Types `text` into that dialog and presses OK.
void TypeLockScreenPassword(HWND dialog, const char* text);
// Whether its display covers the primary monitor (`area`), top-most, painted with
// `colour` at a few points clear of the controls.
bool IsLockScreenCovering(DWORD processId, const RECT& area, COLORREF colour);
// Whether its display is hidden and no cover dialog shows.
bool IsLockScreenHidden(DWORD processId);

// A 24-bit picture file of one colour.
void WriteSolidBitmap(const std::string& path, COLORREF colour);
COLORREF ScreenPixel(int x, int y);
// Polls every 20 ms until `done` or `timeout` ms; the last answer.
bool WaitFor(const std::function<bool()>& done, DWORD timeout = 10000);
