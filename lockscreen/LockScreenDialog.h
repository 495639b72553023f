#pragma once
// The lock display of the lock-screen program: a borderless topmost window over the
// primary monitor with the lock picture, the lock message, the clock, the exit button and
// the logo. It carries out the resident program's commands, which arrive as posted
// UM_LOCK_COMMAND messages, and reports the user's activity through its controller.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "resident/display/CoverDialogs.h"
#include "resident/display/HideDialog.h"
#include "resident/display/LockDisplayDialogs.h"
#include "resident/display/LockPictures.h"
#include "resident/display/PictureStatic.h"
#include "resident/display/SystemKeyBlock.h"
#include "resident/display/RollOverBtn.h"

class CMovingMessageWnd;
class CScreenController;
class CScreenLockCore;
class CTopmostWindowList;

class CLockScreenDialog : public CHideDialog {
public:
    static constexpr UINT_PTR TIMER_CLOCK = 0x1001;
    static constexpr UINT_PTR TIMER_COVER_CHECK = 0x1003;
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

    void ShowLockScreen();
    void HideLockScreen();
    void FitToPrimaryMonitor();
    void CheckPrimaryMonitor();
    void OnCoverCheck();
    void ShowMovingMessage();
    void HideMovingMessage();
    void LayoutControls();
    void UpdateClock();
    void ReloadPictures();
    void SelectPicture(LPARAM picture);
    void ShowControls(bool show);
    void TakeSettings();
    bool IsActivityReported() const;
    void StartTimer(UINT_PTR& handle, UINT_PTR id, UINT period);
    void StopTimer(UINT_PTR& handle);

    int Width() const { return m_primary.right - m_primary.left; }
    int Height() const { return m_primary.bottom - m_primary.top; }

    CScreenLockCore& m_core;
    CScreenController& m_controller;
    CTopmostWindowList& m_topmost;
    HICON m_icon = nullptr;
    CSystemKeyBlock m_systemKeys;
    CRollOverBtn m_exitButton;
    CPictureStatic m_picture;
    CLockPictures m_pictures;
    fw::unique_hgdiobj m_messageFont;
    std::string m_messageText;
    std::unique_ptr<CMovingMessageWnd> m_movingMessage;
    CLockDisplayDialogs m_dialogs;
    CCoverDialogs m_covers;
    RECT m_primary{};
    UINT_PTR m_lockCoreCheckTimer = 0;
    UINT_PTR m_clockTimer = 0;
    UINT_PTR m_coverCheckTimer = 0;
    bool m_residentGone = false;
};
