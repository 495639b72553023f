#pragma once
// The Windows 8 road for the end-to-end tests and tools: the per-program Windows release
// that Wine reports, and the lock-screen program that the resident program starts.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
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

// The class name of the system's screen savers' windows, registered in this process as
// any program can.
const char* ScreenSaverClass();

// This program as the user's configured screen saver (SCRNSAVE.EXE) while the object
// lives, a stand-in that anyone may have started; the earlier setting comes back after.
class CThisProgramAsScreenSaver {
public:
    CThisProgramAsScreenSaver();
    CThisProgramAsScreenSaver(const CThisProgramAsScreenSaver&) = delete;
    CThisProgramAsScreenSaver& operator=(const CThisProgramAsScreenSaver&) = delete;
    ~CThisProgramAsScreenSaver();

private:
    bool m_hadSetting = false;
    std::string m_saved;
};

// Shows, in turn, windows in front of the shown lock display `display` (above another
// program's `other`) that may or may not be the configured screen saver's own: one of the
// screen savers' class in a program that is not the configured saver, the settings box of
// the configured saver's program (this one standing in), and the saver's own window. The
// display must come back above the first two, and stand aside for the last, for three
// cover checks. The cases that went otherwise, one a line; empty when each went as it must.
std::string ScreenSaverCasesGoneWrong(HWND display, HWND other);

// A window of this process that stands for another program's: a top-most popup over part
// of the primary monitor, shown without taking the foreground; a hidden plain popup when
// `visible` is false (a parent for another program's window). Its own thread serves its
// messages, as another program does, while the test waits.
class COtherProgramWindow {
public:
    explicit COtherProgramWindow(bool visible = true, const char* className = "STATIC");
    COtherProgramWindow(const COtherProgramWindow&) = delete;
    COtherProgramWindow& operator=(const COtherProgramWindow&) = delete;
    ~COtherProgramWindow();

    HWND Get() const { return m_window; }
    // Raised and made the foreground window, as a Task Manager set to stay on top.
    void TakeForeground() const;
    // Destroyed by its own thread, with every window it is the parent of.
    void Destroy();

private:
    void Serve(bool visible, const char* className, HANDLE created);

    HWND m_window = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

// Another program's message box owned by `owner`, as MessageBox(GetForegroundWindow(), ...)
// makes one while the lock display has the foreground; shown on a thread of its own until
// the object goes, which ends its modal loop.
class COtherProgramBox {
public:
    explicit COtherProgramBox(HWND owner);
    COtherProgramBox(const COtherProgramBox&) = delete;
    COtherProgramBox& operator=(const COtherProgramBox&) = delete;
    ~COtherProgramBox();

    // Null when the box did not show within 5 s.
    HWND Get() const { return m_box; }

private:
    HWND m_box = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

// Whether the lock windows let go of another program's `window`: none of them owns it or is
// its parent, and it is hidden or below each of them. True for a null window.
bool IsLetGo(HWND window, const std::vector<HWND>& lockWindows);

// Another program's styles on the window: layered with alpha 0 and transparent to clicks
// (an invisible window that lets clicks through), or any extended style added.
void MakeInvisibleToClicks(HWND window);
void AddExtendedStyle(HWND window, LONG_PTR style);
// An empty window region: the window stays visible and in place and draws nothing.
void ClipAway(HWND window);
// Whether `upper` comes before `lower` in the z-order of the top-level windows.
bool IsAbove(HWND upper, HWND lower);
// Whether the window is as the lock display keeps it: top-level, top-most, enabled, and
// neither layered nor transparent to clicks nor refusing activation, nor cut to a region.
bool IsHeldAsShown(HWND window);
