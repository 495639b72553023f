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
#include "display/LockLayout.h"
#include "resident/resource.h"
#include "usbkey/FilterUsbCheckThread.h"

CLockMainDialog::~CLockMainDialog() = default;

LRESULT CLockMainDialog::OnLockCommand(int code, LPARAM argument)
{
    switch (code) {
    case LOCKCMD_SHOW_LOCK_SCREEN: m_lockDisplay.Show(); break;
    case LOCKCMD_HIDE_LOCK_SCREEN: HideLockDisplay(); break;
    case LOCKCMD_RELOAD_PICTURES: m_lockDisplay.ReloadPictures(); break;
    case LOCKCMD_SELECT_PICTURE: m_lockDisplay.SelectPicture(static_cast<int>(argument)); break;
    case LOCKCMD_SHOW_MESSAGE: m_lockDisplay.ShowMovingMessage(); break;
    case LOCKCMD_HIDE_MESSAGE: m_lockDisplay.HideMovingMessage(); break;
    case LOCKCMD_HIDE_CONTROLS: m_lockDisplay.ShowControls(false); break;
    case LOCKCMD_SHOW_CONTROLS: m_lockDisplay.ShowControls(true); break;
    case LOCKCMD_REFUSE_END_SESSION: m_lockDisplay.Dialogs().ShowRefusal(GetSafeHwnd()); break;
    case LOCKCMD_SHOW_PASSWORD_DIALOG: RunPasswordDialog(); break;
    case LOCKCMD_QUERY_MAY_UNLOCK: return m_engine.QueryMayUnlock(m_app.IsKeyPresent());
    case LOCKCMD_WATCH_KEY_STATE: WatchKeyState(); break;
    case LOCKCMD_UNLOCK_REQUEST: OnUnlockRequest(reinterpret_cast<const Corvantis::SUnlockRequest*>(argument)); break;
    case LOCKCMD_CHECK_PASSWORD: OnCheckPassword(reinterpret_cast<const std::string*>(argument)); break;
    case LOCKCMD_PASSWORD_RESULT:
        m_lockDisplay.Dialogs().OnPasswordResult(reinterpret_cast<const Corvantis::SPasswordResult*>(argument));
        break;
    case LOCKCMD_PASSWORD_DIALOG_STATE:
        m_lockDisplay.Dialogs().OnPasswordDialogState(static_cast<int>(argument));
        break;
    case LOCKCMD_SHUTDOWN: PowerOff(); break;
    case LOCKCMD_KEY_EVENT: m_alarm.OnKeyEvent(); break;
    case LOCKCMD_MOUSE_EVENT: m_alarm.OnMouseEvent(); break;
    default: break;
    }
    return 0;
}

// Back to the hidden 1 x 1 window; an open refusal box stays.
void CLockMainDialog::HideLockDisplay()
{
    m_lockDisplay.Hide();
    SetWindowPos(GetSafeHwnd(), HWND_TOPMOST, -10, -10, 1, 1, SWP_NOACTIVATE);
}

void CLockMainDialog::OnExitButton()
{
    if (m_lockDisplay.Dialogs().ConfirmExit(GetSafeHwnd()))
        m_display->Shutdown();
}

void CLockMainDialog::PowerOff()
{
    CSystemShutdown shutdown;
    PowerOffWithWatchdogPaused(shutdown);
}

void CLockMainDialog::RunPasswordDialog()
{
    if (const std::optional<Corvantis::SUnlockRequest> request = m_lockDisplay.Dialogs().RunPasswordDialog(*m_display, GetSafeHwnd()))
        m_display->RequestUnlock(*request);
}

// The password dialog has opened and waits for the key state before it shows.
void CLockMainDialog::WatchKeyState()
{
    m_engine.OnPasswordDialogOpened();
    CFilterUsbCheckThread* worker = m_app.GetUsbCheckThread();
    if (!worker) {
        OnKeyStateChanged();  // no worker will ever report: answer from what is known now
        return;
    }
    worker->RemoveNotifyWindow(GetSafeHwnd());
    worker->AddNotifyWindow(GetSafeHwnd(), UM_KEY_STATE_CHANGED);
    worker->RequestCheck();
}

// Kind 1: the dialog ended with 1 (password accepted, or a key opened it), which opens the
// lock only as far as this program's own checks allow; kind 2 with the flag: the alarm.
// Either way the key notices go back to the key decision.
void CLockMainDialog::OnUnlockRequest(const Corvantis::SUnlockRequest* request)
{
    if (!request)
        return;
    if (request->kind == 1 && m_engine.AcceptUnlock(IsLocked(), m_app.IsKeyPresent(), request->value)) {
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
    case WM_NCDESTROY:
        if (IsModalRunning())  // not the end of the run: another program's doing
            OnDisplayLost();
        return false;
    default:
        return false;
    }
}
