#pragma once
// The lock display in a dialog of the lock-display template (the resident program's own
// main window before Windows 8, the lock-screen program's from then on): the window over
// the primary monitor with the picture, the message, the clock and the exit button, a
// cover dialog on every further monitor, the moving message, the modal dialogs, and the
// system keys blocked while it shows. The dialog hands its display commands and timer
// ticks to it.
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handle.h"
#include "display/CoverDialogs.h"
#include "display/LockDisplayDialogs.h"
#include "display/LockPictures.h"
#include "display/PictureStatic.h"
#include "display/RollOverBtn.h"
#include "display/SystemKeyBlock.h"

class CLockSetting;
class CMovingMessageWnd;
class CTopmostWindowList;

class CLockDisplayFrame {
public:
    static constexpr UINT_PTR TIMER_CLOCK = 0x1001;
    static constexpr UINT_PTR TIMER_COVER_CHECK = 0x1003;

    // The settings are read when they are needed: they may change between calls. The
    // monitors are the program's own (a scenario's in test builds).
    CLockDisplayFrame(const CLockSetting& settings, CTopmostWindowList& topmost,
                      display::CMonitorPlatform& monitors = display::DefaultMonitorPlatform());
    ~CLockDisplayFrame();

    // At the dialog's initialisation: the exit button, the picture control, the message
    // font, and the dialog as the window that the keyboard hook reports key-ups to.
    void Attach(HWND dialog);

    // Covers the primary monitor, top-most, with a cover dialog on every other one,
    // blocks the system keys and starts the clock and the cover check.
    void Show();
    // Hides all of it; an open exit box and password dialog end with 2 (no shutdown or
    // unlock follows), the refusal stays.
    void Hide();
    bool IsShown() const { return m_systemKeys.IsBlocked(); }
    // While shown, the dialog refuses to be minimised, moved, sized or closed.
    bool RefusesSystemCommand(WPARAM command) const;
    // The clock and cover-check ticks; false for another timer.
    bool OnTimer(UINT_PTR id);

    void ReloadPictures();
    // PICTURE_*; any other value shows the lock picture.
    void SelectPicture(int picture);
    void ShowMovingMessage();
    void HideMovingMessage();
    bool IsMovingMessageShown() const { return m_movingMessage != nullptr; }
    void ShowControls(bool show);

    CLockDisplayDialogs& Dialogs() { return m_dialogs; }
    const CLockDisplayDialogs& Dialogs() const { return m_dialogs; }

private:
    RECT PrimaryMonitorRect() const;
    void FitToPrimaryMonitor();
    void CheckPrimaryMonitor();
    void KeepOnPrimaryMonitor();
    void CheckMovingMessage();
    void OnCoverCheck();
    void UpdateTexts();
    void UpdateClock();
    void StartTimer(UINT_PTR& handle, UINT_PTR id, UINT period);
    void StopTimer(UINT_PTR& handle);
    int Width() const { return m_primary.right - m_primary.left; }
    int Height() const { return m_primary.bottom - m_primary.top; }

    const CLockSetting& m_settings;
    CTopmostWindowList& m_topmost;
    display::CMonitorPlatform& m_monitors;
    HWND m_dialog = nullptr;
    CRollOverBtn m_exitButton;
    CPictureStatic m_picture;
    CLockPictures m_pictures;
    fw::unique_hgdiobj m_messageFont;
    std::string m_messageText;
    std::unique_ptr<CMovingMessageWnd> m_movingMessage;
    CLockDisplayDialogs m_dialogs;
    CCoverDialogs m_covers;
    CSystemKeyBlock m_systemKeys;
    RECT m_primary{};
    UINT_PTR m_clockTimer = 0;
    UINT_PTR m_coverTimer = 0;
};
