#pragma once
// The watchdog's hidden window, titled with the watchdog marker so that the other
// programs find it; it carries the 500 ms check and the watchdog's messages.
#include "framework/Window.h"

class CWatchdogApp;

class CWatchdogWnd : public fw::CWindow {
public:
    explicit CWatchdogWnd(CWatchdogApp& app) : m_app(app) {}

    // Creates the window, never shown, off the screen; false when that fails.
    bool CreateHidden();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void StartTimer();
    void StopTimer();
    void OnTimer();
    void OnEndSession(bool ending);

    CWatchdogApp& m_app;
    UINT_PTR m_timerId = 0;
    bool m_watch = true;
};
