#pragma once
// The hidden main window of the resident program: it holds the lock state and decides,
// on every notice and timer tick, whether to lock or unlock. The decisions are the lock
// engine's; this window feeds it and carries them out through the lock display
// interface, the settings file and the event publisher. Before Windows 8 it is also the
// lock display (LockDisplay.cpp): the interface's commands come back to it through the
// lock core's command channel; from Windows 8 on they go to the lock-screen program.
#include "resident/Alarm.h"
#include "resident/LockEngine.h"
#include "resident/LockStateWriter.h"
#include "resident/SessionNotification.h"
#include "display/HideDialog.h"
#include "display/LockDisplayFrame.h"

#include <string>

class CResidentApp;
class CResidentLockCore;

class CLockMainDialog : public CHideDialog {
public:
    CLockMainDialog(CResidentApp& app, CResidentLockCore& core);
    ~CLockMainDialog() override;

    void Lock();
    void Unlock();
    // The start-up, resume and session check; `reload` reads the settings file first.
    void StartWatching(bool reload);
    // No idle timer and no device notices until watching starts again.
    void StopWatching();
    // Undoes StopWatching after a suspend that did not come.
    void ContinueWatching();
    void ApplyDisplaySettings();

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    // Enter and Escape never end the main window.
    void OnOK() override {}
    void OnCancel() override {}
    // This program never posts itself a quit: the one the uninstall posts ends it when
    // unlocked, but while locked no quit from another program opens the PC.
    bool EndsOnQuit() const override { return !IsLocked(); }

private:
    bool IsLocked() const;
    void SetUpWindow();
    void OnKeyListChanged();
    void OnKeyStateChanged();
    void OnNoInputTick();
    void OnLockCoreCheck();
    void CheckSessionAway();
    void KeepInputOnDisplayDesktop();
    void OnTimer(UINT_PTR id);
    void Act(EWatchAction action);
    void FollowSuspendQuery(bool wasWaiting);
    void OnSuspendQueryTimeout();
    LRESULT OnLockCommand(int code, LPARAM argument);

    // The lock display (LockDisplay.cpp).
    void HideLockDisplay();
    void RunPasswordDialog();
    void WatchKeyState();
    void OnUnlockRequest(const Corvantis::SUnlockRequest* request);
    void OnCheckPassword(const std::string* typed);
    void OnExitButton();
    void OnLeftButtonUp(WPARAM keys);
    void PowerOff();
    bool OnDisplayMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    void OnDisplayLost();
    void OnEndSession(bool ending);
    void StartNoInputTimer();
    void StopNoInputTimer();
    int ReadLockState() const;
    void WriteLockState(int lock);
    void RequestUsbCheck();
    void Publish(int event);

    // The alarm's events (LockAlarm.cpp).
    bool CanCountAlarmEvent() const;
    void OnKeyReleased();
    void OnButtonUp();

    CResidentApp& m_app;
    CResidentLockCore& m_core;
    CLockEngine m_engine;
    CAlarm m_alarm;
    UINT_PTR m_noInputTimer = 0;
    UINT_PTR m_lockCoreCheckTimer = 0;
    Corvantis::SLockScreen* m_display = nullptr;
    CSessionNotification m_sessionNotices;

    CLockDisplayFrame m_lockDisplay;
    CLockStateWriter m_lockState;
};
