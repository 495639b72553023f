#pragma once
// Pernwick, the watchdog: keeps the resident program running. Every 500 ms its hidden
// window looks for "BRONTAL.EXE" and starts it from the watchdog's own folder when none
// runs; other programs pause, resume or stop the watching through that window.
#include <windows.h>

#include <memory>

#include "common/InstanceMutex.h"

class CWatchdogWnd;

class CWatchdogApp {
public:
    CWatchdogApp();
    ~CWatchdogApp();

    // Takes the single-instance mutex (waiting up to 3000 ms for an instance that is
    // ending) and creates the window; false: the program ends quietly.
    bool InitInstance();
    int Run();
    void ExitInstance();

    static bool IsResidentRunning();
    // Starts the resident program unless the session is ending or the watching was
    // stopped, then waits up to 5000 ms for it to appear; false when nothing was tried.
    bool RestartResident();
    void OnStop() { m_stopped = true; }
    // Only a session that really ends stops the watching: a cancelled one goes on.
    void OnEndSession(bool ending);
    // The window is gone: release the mutex; after a session end, start a new watchdog.
    void OnWatchWindowGone();

private:
    CInstanceMutex m_instance;
    bool m_sessionEnding = false;
    bool m_stopped = false;
    std::unique_ptr<CWatchdogWnd> m_window;
};
