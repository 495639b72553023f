// The in-process lock display (before Windows 8): the main window covers the primary
// monitor with the lock picture, the exit button, the lock message and the clock, puts a
// cover dialog on every further monitor, keeps these windows on top and blocks the system
// keys. The lock core drives it through the command channel.
#include "resident/LockMainDialog.h"

#include "lockcore/LockScreen.h"
#include "lockcore/ResidentLockCore.h"
#include "resident/ResidentApp.h"
#include "resident/ResidentMessages.h"
#include "resident/SystemShutdown.h"
#include "resident/display/DisplayMonitors.h"
#include "resident/display/KeyboardHook.h"
#include "resident/display/LockLayout.h"
#include "resident/display/MovingMessageWnd.h"
#include "resident/display/TopmostWindowList.h"
#include "resident/resource.h"
#include "usbkey/FilterUsbCheckThread.h"

namespace {

constexpr UINT kClockPeriod = 100;
constexpr UINT kCoverCheckPeriod = 1000;

} // namespace

CLockMainDialog::~CLockMainDialog() = default;

// The part of OnInitDialog that sets up the display's controls.
void CLockMainDialog::SetUpDisplay()
{
    m_exitButton.AutoLoad(IDC_EXIT_BUTTON, GetSafeHwnd());
    m_picture.SubclassDlgItem(IDC_PICTURE, GetSafeHwnd());
    if (!m_messageFont)
        m_messageFont.reset(locklayout::CreateMessageFont());
    SendDlgItemMessageA(GetSafeHwnd(), IDC_MESSAGE, WM_SETFONT, reinterpret_cast<WPARAM>(m_messageFont.get()), TRUE);
    SetKeyReleaseWindow(GetSafeHwnd());
}

LRESULT CLockMainDialog::OnLockCommand(int code, LPARAM argument)
{
    switch (code) {
    case LOCKCMD_SHOW_LOCK_SCREEN: ShowLockDisplay(); break;
    case LOCKCMD_HIDE_LOCK_SCREEN: HideLockDisplay(); break;
    case LOCKCMD_RELOAD_PICTURES: ReloadPictures(); break;
    case LOCKCMD_SELECT_PICTURE: SelectPicture(static_cast<int>(argument)); break;
    case LOCKCMD_SHOW_MESSAGE: ShowMovingMessage(); break;
    case LOCKCMD_HIDE_MESSAGE: HideMovingMessage(); break;
    case LOCKCMD_HIDE_CONTROLS: ShowControls(false); break;
    case LOCKCMD_SHOW_CONTROLS: ShowControls(true); break;
    case LOCKCMD_REFUSE_END_SESSION: m_dialogs.ShowRefusal(GetSafeHwnd()); break;
    case LOCKCMD_SHOW_PASSWORD_DIALOG: RunPasswordDialog(); break;
    case LOCKCMD_QUERY_MAY_UNLOCK: return m_engine.QueryMayUnlock(m_app.IsKeyPresent());
    case LOCKCMD_WATCH_KEY_STATE: WatchKeyState(); break;
    case LOCKCMD_UNLOCK_REQUEST: OnUnlockRequest(reinterpret_cast<const Corvantis::SUnlockRequest*>(argument)); break;
    case LOCKCMD_CHECK_PASSWORD: OnCheckPassword(reinterpret_cast<const std::string*>(argument)); break;
    case LOCKCMD_PASSWORD_RESULT:
        m_dialogs.OnPasswordResult(reinterpret_cast<const Corvantis::SPasswordResult*>(argument));
        break;
    case LOCKCMD_PASSWORD_DIALOG_STATE:
        m_dialogs.OnPasswordDialogState(static_cast<int>(argument));
        break;
    case LOCKCMD_SHUTDOWN: PowerOff(); break;
    case LOCKCMD_KEY_EVENT: m_alarm.OnKeyEvent(); break;
    case LOCKCMD_MOUSE_EVENT: m_alarm.OnMouseEvent(); break;
    default: break;
    }
    return 0;
}

void CLockMainDialog::ShowLockDisplay()
{
    FitToPrimaryMonitor();
    m_topmost.Add(GetSafeHwnd());
    m_systemKeys.Block();
    m_covers.Create(m_app.Settings().LockBmpFilePath);
    if (!m_clockTimer)
        m_clockTimer = SetTimer(GetSafeHwnd(), TIMER_CLOCK, kClockPeriod, nullptr);
    if (!m_coverTimer)
        m_coverTimer = SetTimer(GetSafeHwnd(), TIMER_COVER_CHECK, kCoverCheckPeriod, nullptr);
}

// Back to the hidden 1 x 1 window; an open refusal box stays.
void CLockMainDialog::HideLockDisplay()
{
    if (m_coverTimer)
        KillTimer(GetSafeHwnd(), m_coverTimer);
    if (m_clockTimer)
        KillTimer(GetSafeHwnd(), m_clockTimer);
    m_coverTimer = m_clockTimer = 0;
    HideMovingMessage();
    m_dialogs.EndOnHide();
    ShowWindow(GetSafeHwnd(), SW_HIDE);
    SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, -10, -10, 1, 1, SWP_NOACTIVATE);  // the 1 x 1 window again
    m_topmost.Remove(GetSafeHwnd());
    m_systemKeys.Unblock();
    m_covers.Destroy();
}

void CLockMainDialog::FitToPrimaryMonitor()
{
    CDisplayMonitors().GetPrimaryMonitorRect(m_primary);
    SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, 0, 0, DisplayWidth(), DisplayHeight(), SWP_HIDEWINDOW);
    locklayout::LayoutControls(GetSafeHwnd(), DisplayWidth(), DisplayHeight());
    UpdateTexts();
    ShowWindow(GetSafeHwnd(), SW_SHOW);
}

void CLockMainDialog::CheckPrimaryMonitor()
{
    RECT primary = m_primary;
    CDisplayMonitors().GetPrimaryMonitorRect(primary);
    if (!EqualRect(&primary, &m_primary))
        FitToPrimaryMonitor();
}

void CLockMainDialog::UpdateClock()
{
    if (!m_movingMessage)
        locklayout::PlaceClock(GetSafeHwnd(), DisplayWidth(), DisplayHeight());
}

void CLockMainDialog::UpdateTexts()
{
    SetDlgItemTextA(GetSafeHwnd(), IDC_MESSAGE, m_messageText.c_str());
    UpdateClock();
}

// Each second: the display follows the monitors and is raised again, unless a screen
// saver runs.
void CLockMainDialog::OnCoverCheck()
{
    CheckPrimaryMonitor();
    m_covers.Check(m_app.Settings().LockBmpFilePath);
    if (m_systemKeys.IsScreenSaverRunning())
        return;
    m_topmost.BringLastToTop(HWND_TOPMOST);
    m_covers.Restack(m_topmost);
}

void CLockMainDialog::ReloadPictures()
{
    const CLockSetting& settings = m_app.Settings();
    m_messageText = settings.LockMessage;
    m_pictures.Reload(settings, m_picture);
    UpdateTexts();
}

void CLockMainDialog::SelectPicture(int picture)
{
    m_pictures.Show(picture, m_picture, DisplayWidth(), DisplayHeight());
    UpdateTexts();
}

void CLockMainDialog::ShowMovingMessage()
{
    if (m_movingMessage)
        return;
    auto message = std::make_unique<CMovingMessageWnd>(m_topmost);
    message->SetMessage(m_app.Settings().LockMessage);
    if (!message->Create(DisplayWidth(), DisplayHeight(), GetSafeHwnd()))
        return;
    SetWindowPos(message->GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_movingMessage = std::move(message);
}

void CLockMainDialog::HideMovingMessage()
{
    m_movingMessage.reset();
}

void CLockMainDialog::ShowControls(bool show)
{
    for (const int id : locklayout::kHideableControls)
        ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
}

void CLockMainDialog::OnExitButton()
{
    if (m_dialogs.ConfirmExit(GetSafeHwnd()))
        m_display->Shutdown();
}

void CLockMainDialog::PowerOff()
{
    CSystemShutdown shutdown;
    PowerOffWithWatchdogPaused(shutdown);
}

void CLockMainDialog::RunPasswordDialog()
{
    if (const std::optional<Corvantis::SUnlockRequest> request = m_dialogs.RunPasswordDialog(*m_display, GetSafeHwnd()))
        m_display->RequestUnlock(*request);
}

void CLockMainDialog::WatchKeyState()
{
    if (CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread()) {
        worker->RemoveNotifyWindow(GetSafeHwnd());
        worker->AddNotifyWindow(GetSafeHwnd(), UM_KEY_STATE_CHANGED);
        worker->RequestCheck();
    }
}

// Kind 1: the dialog ended with 1 (password accepted, or a key opened it); kind 2 with
// the flag: the alarm. Either way the key notices go back to the key decision.
void CLockMainDialog::OnUnlockRequest(const Corvantis::SUnlockRequest* request)
{
    if (!request)
        return;
    if (request->kind == 1 && m_engine.AcceptUnlock(IsLocked(), m_app.IsKeyPresent())) {
        m_engine.OnPasswordUnlock(request->value != 0);
        Unlock();
    } else if (request->kind == 2 && request->flag != 0) {
        m_alarm.StartAlarm();
    }
    CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread();
    if (!worker)
        return;
    worker->RemoveNotifyWindow(GetSafeHwnd());
    worker->AddNotifyWindow(GetSafeHwnd(), UM_KEY_LIST_CHANGED);
    if (request->kind == 1)
        worker->RequestCheck();
}

void CLockMainDialog::OnCheckPassword(const std::string* typed)
{
    if (!typed)
        return;
    const SPasswordVerdict verdict = m_engine.CheckPassword(*typed);
    m_display->SetPasswordResult({verdict.ok, verdict.mayUnlock, verdict.raiseAlarm});
}

void CLockMainDialog::OnLeftButtonUp(WPARAM keys)
{
    if (!m_display->AreControlsHidden() && (keys & MK_SHIFT) && (keys & MK_CONTROL))
        m_display->ShowPasswordDialog();
    OnButtonUp();
}

// The display's own messages; false for the others.
bool CLockMainDialog::OnDisplayMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_CTLCOLORSTATIC:
        if (const HBRUSH brush =
                locklayout::ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
            result = reinterpret_cast<INT_PTR>(brush);
            return true;
        }
        return false;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_EXIT_BUTTON && HIWORD(wParam) == BN_CLICKED) {
            OnExitButton();
            result = TRUE;
            return true;
        }
        return false;
    case WM_LBUTTONUP:
        OnLeftButtonUp(wParam);
        return false;
    default:
        return false;
    }
}
