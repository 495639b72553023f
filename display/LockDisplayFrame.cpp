#include "display/LockDisplayFrame.h"

#include "common/LockSetting.h"
#include "display/DisplayMonitors.h"
#include "display/KeyboardHook.h"
#include "display/LockLayout.h"
#include "display/MovingMessageWnd.h"
#include "display/TopmostWindowList.h"
#include "display/WindowPlacement.h"

namespace {

constexpr UINT kClockPeriod = 100;
constexpr UINT kCoverCheckPeriod = 1000;

} // namespace

CLockDisplayFrame::CLockDisplayFrame(const CLockSetting& settings, CTopmostWindowList& topmost,
                                     display::CMonitorPlatform& monitors)
    : m_settings(settings), m_topmost(topmost), m_monitors(monitors), m_dialogs(topmost), m_covers(monitors)
{
}

CLockDisplayFrame::~CLockDisplayFrame() = default;

void CLockDisplayFrame::Attach(HWND dialog)
{
    m_dialog = dialog;
    m_exitButton.AutoLoad(locklayout::kExitButton, dialog);
    m_picture.SubclassDlgItem(locklayout::kPicture, dialog);
    if (!m_messageFont)
        m_messageFont.reset(locklayout::CreateMessageFont());
    SendDlgItemMessageA(dialog, locklayout::kMessage, WM_SETFONT, reinterpret_cast<WPARAM>(m_messageFont.get()), TRUE);
    SetKeyReleaseWindow(dialog);
}

void CLockDisplayFrame::Show()
{
    FitToPrimaryMonitor();
    m_topmost.Add(m_dialog);
    m_systemKeys.Block();
    m_covers.Create(m_settings.LockBmpFilePath);
    StartTimer(m_clockTimer, TIMER_CLOCK, kClockPeriod);
    StartTimer(m_coverTimer, TIMER_COVER_CHECK, kCoverCheckPeriod);
}

void CLockDisplayFrame::Hide()
{
    StopTimer(m_coverTimer);
    StopTimer(m_clockTimer);
    HideMovingMessage();
    m_dialogs.EndOnHide();
    ShowWindow(m_dialog, SW_HIDE);
    m_topmost.Remove(m_dialog);
    m_systemKeys.Unblock();
    m_covers.Destroy();
}

bool CLockDisplayFrame::RefusesSystemCommand(WPARAM command) const
{
    return IsShown() && IsPutAwayCommand(command);
}

bool CLockDisplayFrame::OnTimer(UINT_PTR id)
{
    if (m_clockTimer && id == m_clockTimer)
        UpdateClock();
    else if (m_coverTimer && id == m_coverTimer)
        OnCoverCheck();
    else
        return false;
    return true;
}

RECT CLockDisplayFrame::PrimaryMonitorRect() const
{
    RECT rect{};
    CDisplayMonitors(m_monitors).GetPrimaryMonitorRect(rect);
    return rect;
}

void CLockDisplayFrame::FitToPrimaryMonitor()
{
    m_primary = PrimaryMonitorRect();
    SetWindowPos(m_dialog, HWND_TOPMOST, 0, 0, Width(), Height(), SWP_HIDEWINDOW);
    locklayout::LayoutControls(m_dialog, Width(), Height());
    UpdateTexts();
    ShowWindow(m_dialog, SW_SHOW);
}

void CLockDisplayFrame::CheckPrimaryMonitor()
{
    const RECT primary = PrimaryMonitorRect();
    if (!EqualRect(&m_primary, &primary))
        FitToPrimaryMonitor();
}

// Other programs can hide, minimise, move or disable the lock windows: the display is put
// back in place whatever they did. It is disabled of its own only while a dialog of it runs.
void CLockDisplayFrame::KeepOnPrimaryMonitor()
{
    KeepAt(m_dialog, {0, 0, Width(), Height()});
    if (!m_dialogs.IsAnyOpen() && !IsWindowEnabled(m_dialog))
        EnableWindow(m_dialog, TRUE);
}

// Each second: the display follows the monitors, is put back where it belongs, has again
// the windows that went, and is raised again, unless a screen saver runs.
void CLockDisplayFrame::OnCoverCheck()
{
    CheckPrimaryMonitor();
    KeepOnPrimaryMonitor();
    CheckMovingMessage();
    m_covers.Check(m_settings.LockBmpFilePath);
    m_covers.KeepInPlace();
    if (m_systemKeys.IsScreenSaverRunning())
        return;
    m_topmost.BringLastToTop(HWND_TOPMOST);
    m_covers.Restack(m_topmost);
}

void CLockDisplayFrame::UpdateTexts()
{
    SetDlgItemTextA(m_dialog, locklayout::kMessage, m_messageText.c_str());
    UpdateClock();
}

void CLockDisplayFrame::UpdateClock()
{
    if (!m_movingMessage)  // it shows the time itself
        locklayout::PlaceClock(m_dialog, Width(), Height());
}

void CLockDisplayFrame::ReloadPictures()
{
    m_messageText = m_settings.LockMessage;
    m_pictures.Reload(m_settings, m_picture);
    UpdateTexts();
}

void CLockDisplayFrame::SelectPicture(int picture)
{
    m_pictures.Show(picture, m_picture, Width(), Height());
    UpdateTexts();
}

void CLockDisplayFrame::ShowMovingMessage()
{
    if (m_movingMessage)
        return;
    auto window = std::make_unique<CMovingMessageWnd>(m_topmost);
    window->SetMessage(m_settings.LockMessage);
    if (!window->Create(Width(), Height(), m_dialog))
        return;
    SetWindowPos(window->GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_movingMessage = std::move(window);
}

// A moving message whose window went (with another program's window that it was made a
// child of) is shown anew.
void CLockDisplayFrame::CheckMovingMessage()
{
    if (!m_movingMessage || IsWindow(m_movingMessage->GetHwnd()))
        return;
    HideMovingMessage();
    ShowMovingMessage();
}

void CLockDisplayFrame::HideMovingMessage()
{
    m_movingMessage.reset();  // destroys the window
}

void CLockDisplayFrame::ShowControls(bool show)
{
    for (const int id : locklayout::kHideableControls)
        ShowWindow(GetDlgItem(m_dialog, id), show ? SW_SHOW : SW_HIDE);
}

void CLockDisplayFrame::StartTimer(UINT_PTR& handle, UINT_PTR id, UINT period)
{
    if (!handle)
        handle = SetTimer(m_dialog, id, period, nullptr);
}

void CLockDisplayFrame::StopTimer(UINT_PTR& handle)
{
    if (handle)
        KillTimer(m_dialog, handle);
    handle = 0;
}
