#pragma once
// Finding, commanding and starting the companion programs: the resident program
// ("BRONTAL.EXE") and the watchdog ("PERNWICK.EXE"). Commands are posted window
// messages without replies; lParam is always 0.
#include <windows.h>

// To the resident program's main window.
constexpr UINT UM_RELOAD_SETTINGS = WM_USER + 0x70; // settings changed: reload and re-check
constexpr UINT UM_SUSPEND_LOCK = WM_USER + 0x71;    // wParam 0 suspend automatic locks, 1 resume
constexpr UINT UM_LOCK_NOW = WM_USER + 0x73;
constexpr UINT UM_WATCHDOG_STATE = WM_APP + 0x100;  // wParam TRUE: the watchdog ends with the session
// To the watchdog's window.
constexpr UINT UM_WATCHDOG_STOP = WM_USER + 0x61;
constexpr UINT UM_WATCHDOG_PAUSE = WM_USER + 0x62;
constexpr UINT UM_WATCHDOG_RESUME = WM_USER + 0x63;

inline constexpr char kResidentExecutable[] = "BRONTAL.EXE";
inline constexpr char kWatchdogExecutable[] = "PERNWICK.EXE";
// Text of control 1000, a child of the resident program's hidden main window.
inline constexpr char kResidentMarker[] = "SS-{C15D120F-B8C4-4c7d-8040-D2F3139AC05B}";
inline constexpr int kResidentMarkerControlId = 1000;
// The settings utility's single-instance mutex; it exists while the utility runs.
inline constexpr char kUtilityInstanceMutex[] = "SS-{2DFD016F-0BBD-4214-9941-1FB09FBEEB0F}";
// Title of the watchdog's hidden window.
inline constexpr char kWatchdogMarker[] = "SS-{3C38D6CF-4037-4ed1-B39B-09730D5DCD68}";

// Whether a named mutex exists, from the outcome of opening it by name (the error is
// GetLastError's after a failed open).
bool NamedMutexExists(bool opened, DWORD openError);

class CCompanionLink {
public:
    // The watchdog process's window titled with the watchdog marker (case counts), or null.
    static HWND FindWatchdogWindow();
    // The resident process's top-level window whose control 1000 bears the resident
    // marker (case counts), hidden or not, or null.
    static HWND FindResidentWindow();
    // Whether the settings utility runs (its single-instance mutex exists).
    static bool IsUtilityRunning();

    // Each posts its message when the receiver's window is found: FALSE when it is not
    // (nothing posted), otherwise PostMessageA's result.
    static BOOL StopWatchdog();
    static BOOL PauseWatchdog();
    static BOOL ResumeWatchdog();
    static BOOL ReloadResidentSettings();
    static BOOL SuspendResidentLock();
    static BOOL ResumeResidentLock();
    static BOOL LockNow();
    static BOOL PostWatchdogState(BOOL sessionEnding);

    // Ends a companion for the uninstall: WM_QUIT to each of its marked windows, a wait of
    // up to 3000 ms for the process, then TerminateProcess and up to 3000 ms more. A
    // companion restarted under another id while it is looked up is the one ended. TRUE
    // when a WM_QUIT was posted.
    static BOOL EndResident();
    static BOOL EndWatchdog();
    // Stops the watchdog for good, suspends the resident program's locks, then ends
    // both; TRUE when either was asked to quit.
    static BOOL StopCompanions();

    // Starts "PERNWICK.EXE" from this program's own folder unless a process of that
    // name runs; a failed start is not reported (the resident program asks again).
    static void StartWatchdog();
    // Starts "PERNWICK.EXE" from this program's own folder without looking for a running
    // one (a second watchdog ends by itself); TRUE when it could be started.
    static BOOL LaunchWatchdog();
    // Starts "BRONTAL.EXE" from this program's own folder unless a process of that name
    // runs; a failed start is not reported (the watchdog tries again).
    static void StartResident();
};
