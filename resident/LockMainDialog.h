#pragma once
// The hidden main window of the resident program: it holds the lock state and decides,
// on every notice and timer tick, whether to lock or unlock. The decisions are the lock
// engine's; this window feeds it and carries them out through the lock display
// interface, the settings file and the event publisher. It never shows the lock display
// itself: the display interface does, in this window (before Windows 8) or in the
// lock-screen program.
#include "resident/LockEngine.h"
#include "resident/SessionNotification.h"
#include "resident/display/HideDialog.h"

class CResidentApp;
class CResidentLockCore;
namespace Corvantis {
class SLockScreen;
}

class CLockMainDialog : public CHideDialog {
public:
    CLockMainDialog(CResidentApp& app, CResidentLockCore& core);

    void Lock();
    void Unlock();
    // The start-up, resume and session check; `reload` reads the settings file first.
    void StartWatching(bool reload);
    // No idle timer and no device notices until watching starts again.
    void StopWatching();
    void ApplyDisplaySettings();

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // Enter and Escape never end the main window.
    void OnOK() override {}
    void OnCancel() override {}

private:
    bool IsLocked() const;
    void SetUpWindow();
    void OnKeyListChanged();
    void OnKeyStateChanged();
    void OnNoInputTick();
    void OnLockCoreCheck();
    void OnTimer(UINT_PTR id);
    void Act(EWatchAction action);
    LRESULT OnLockCommand(int code, LPARAM argument);
    INT_PTR OnQueryEndSession();
    void OnEndSession(bool ending);
    void StartNoInputTimer();
    void StopNoInputTimer();
    int ReadLockState() const;
    void WriteLockState(int lock) const;
    void RequestUsbCheck();
    void Publish(int event);

    CResidentApp& m_app;
    CResidentLockCore& m_core;
    CLockEngine m_engine;
    UINT_PTR m_noInputTimer = 0;
    UINT_PTR m_lockCoreCheckTimer = 0;
    Corvantis::SLockScreen* m_display = nullptr;
    CSessionNotification m_sessionNotices;
};
