#pragma once
// The lock display of the lock-screen program: a borderless topmost window over the
// primary monitor with the lock picture, the lock message, the clock, the exit button and
// the logo. It carries out the resident program's commands, which arrive as posted
// UM_LOCK_COMMAND messages, and reports the user's activity through its controller.
#include <windows.h>

#include "display/HideDialog.h"
#include "display/LockDisplayFrame.h"

class CScreenController;
class CScreenLockCore;
class CTopmostWindowList;

class CLockScreenDialog : public CHideDialog {
public:
    static constexpr UINT_PTR TIMER_LOCK_CORE_CHECK = 0x2001;
    // The dialog's result when the resident program cannot be reached or has gone.
    static constexpr INT_PTR kResidentGone = 2;

    CLockScreenDialog(CScreenLockCore& core, CTopmostWindowList& topmost);
    ~CLockScreenDialog() override;

protected:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    // Enter and Escape never close the lock display.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void SetUpWindow();
    void OnTimer(UINT_PTR id);
    void OnLockCommand(int code, LPARAM argument);
    INT_PTR OnControlColour(HDC dc, HWND control);
    void OnMouseUp(UINT message, WPARAM keys);
    void OnResidentGone();
    void OnExitButton();
    void RunPasswordDialog();
    void OnPasswordResult();
    void TakeSettings();
    bool IsActivityReported() const;

    CScreenLockCore& m_core;
    CScreenController& m_controller;
    HICON m_icon = nullptr;
    CLockDisplayFrame m_display;
    UINT_PTR m_lockCoreCheckTimer = 0;
    bool m_residentGone = false;
};
