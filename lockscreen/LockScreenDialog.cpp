#include "lockscreen/LockScreenDialog.h"

#include "lockcore/LockScreen.h"
#include "lockscreen/ScreenLockCore.h"
#include "lockscreen/resource.h"
#include "display/LockLayout.h"

namespace {

constexpr UINT kLockCoreCheckPeriod = 1000;

} // namespace

CLockScreenDialog::CLockScreenDialog(CScreenLockCore& core, CTopmostWindowList& topmost)
    : CHideDialog(IDD_LOCK_SCREEN, nullptr), m_core(core), m_controller(core.Controller()),
      m_display(*core.GetSettings(), topmost)
{
}

CLockScreenDialog::~CLockScreenDialog() = default;

BOOL CLockScreenDialog::OnInitDialog()
{
    SetUpWindow();
    m_core.GetController(GetSafeHwnd(), UM_LOCK_COMMAND);
    if (!m_core.Connect()) {
        EndDialog(kResidentGone);
        return FALSE;
    }
    m_lockCoreCheckTimer = SetTimer(GetSafeHwnd(), TIMER_LOCK_CORE_CHECK, kLockCoreCheckPeriod, nullptr);
    return TRUE;
}

void CLockScreenDialog::SetUpWindow()
{
    const HWND window = GetSafeHwnd();
    m_icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    m_display.Attach(window);
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_APPWINDOW);
}

INT_PTR CLockScreenDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        if (!IsIconic(GetSafeHwnd()))
            break;
        {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(GetSafeHwnd(), &paint);
            RECT client{};
            GetClientRect(GetSafeHwnd(), &client);
            DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                     (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, m_icon);
            EndPaint(GetSafeHwnd(), &paint);
        }
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_icon);
    case WM_TIMER:
        OnTimer(wParam);
        return FALSE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnMouseUp(message, wParam);
        return FALSE;
    case WM_QUERYENDSESSION:
        return Result(CLockDisplayDialogs::AnswerQueryEndSession(&m_controller));
    case UM_KEY_RELEASED:
        if (IsActivityReported())
            m_controller.KeyEvent();
        return Result(0);
    case UM_LOCK_COMMAND:
        m_controller.Channel().Deliver([this](const CLockCommandChannel::SCommand& command) {
            OnLockCommand(command.code, command.argument);
            return LRESULT{0};
        });
        return Result(0);
    case WM_SYSCOMMAND:
        if (m_display.RefusesSystemCommand(wParam))
            return Result(0);
        break;
    case WM_NCDESTROY:
        // Destroyed while it runs (with another program's window that it was made a child
        // of): the program ends as when the resident program goes, and the resident
        // program puts up a new display, as for a lock screen that was killed.
        if (IsModalRunning()) {
            OnResidentGone();
            PostMessageA(nullptr, WM_NULL, 0, 0);  // wakes the loop: the window can no longer take it
        }
        break;
    case WM_DESTROY:
        // Only the end of the modal run destroys the window; one that another program
        // sends leaves it, and the display, as they are.
        if (IsModalRunning())
            return TRUE;
        // Whatever ends the program, what showing set is taken back: the screen-saver
        // flag, the keyboard hooks.
        if (m_display.IsShown())
            m_display.Hide();
        break;
    default:
        break;
    }
    return CHideDialog::OnMessage(message, wParam, lParam);
}

bool CLockScreenDialog::OnCommand(WORD code, WORD id, HWND control)
{
    if (id == IDC_EXIT_BUTTON && code == BN_CLICKED) {
        OnExitButton();
        return true;
    }
    return CHideDialog::OnCommand(code, id, control);
}

void CLockScreenDialog::OnTimer(UINT_PTR id)
{
    if (m_lockCoreCheckTimer && id == m_lockCoreCheckTimer) {
        if (!m_core.IsAlive())
            OnResidentGone();
    } else {
        m_display.OnTimer(id);
    }
}

// The resident program has gone. The single-instance lock goes first: the restarted
// resident program's new lock screen waits for it, and taking the windows down may take
// a while. Then nothing may stay on screen, and the program must end even when the check
// fired inside a box's or the password dialog's modal loop, or those loops would hold the
// program and its display: each loop ends, the handlers that opened them see the flag and
// send nothing, and the main loop ends last.
void CLockScreenDialog::OnResidentGone()
{
    m_residentGone = true;
    KillTimer(GetSafeHwnd(), m_lockCoreCheckTimer);
    m_lockCoreCheckTimer = 0;
    m_core.Stop();
    m_display.Hide();
    m_display.Dialogs().EndRefusal();
    EndDialog(kResidentGone);
}

void CLockScreenDialog::OnLockCommand(int code, LPARAM argument)
{
    switch (code) {
    case LOCKCMD_SHOW_LOCK_SCREEN:
        m_display.Show();
        break;
    case LOCKCMD_HIDE_LOCK_SCREEN:
        m_display.Hide();
        break;
    case LOCKCMD_RELOAD_PICTURES:
        m_display.ReloadPictures();
        break;
    case LOCKCMD_SELECT_PICTURE:
        m_display.SelectPicture(static_cast<int>(argument));
        break;
    case LOCKCMD_SHOW_MESSAGE:
        m_display.ShowMovingMessage();
        break;
    case LOCKCMD_HIDE_MESSAGE:
        m_display.HideMovingMessage();
        break;
    case LOCKCMD_HIDE_CONTROLS:
        m_display.ShowControls(false);
        break;
    case LOCKCMD_SHOW_CONTROLS:
        m_display.ShowControls(true);
        break;
    case LOCKCMD_SET_SETTINGS:
        TakeSettings();
        break;
    case LOCKCMD_REFUSE_END_SESSION:
        m_display.Dialogs().ShowRefusal(GetSafeHwnd());
        break;
    case LOCKCMD_SHOW_PASSWORD_DIALOG:
        RunPasswordDialog();
        break;
    case LOCKCMD_PASSWORD_RESULT:
        OnPasswordResult();
        break;
    case LOCKCMD_PASSWORD_DIALOG_STATE:
        m_display.Dialogs().OnPasswordDialogState(static_cast<int>(argument));
        break;
    default:
        break;  // the other operations are events that go to the resident program
    }
}

INT_PTR CLockScreenDialog::OnControlColour(HDC dc, HWND control)
{
    return reinterpret_cast<INT_PTR>(locklayout::ControlColours(control, dc));
}

void CLockScreenDialog::OnMouseUp(UINT message, WPARAM keys)
{
    const bool shortcut = message == WM_LBUTTONUP && (keys & MK_SHIFT) && (keys & MK_CONTROL);
    if (shortcut && !m_controller.AreControlsHidden())
        m_controller.ShowPasswordDialog();
    if (IsActivityReported())
        m_controller.MouseEvent();
}

bool CLockScreenDialog::IsActivityReported() const
{
    return m_core.GetSettings()->AlarmSetting.UseAlarm == 1 && !m_controller.AreControlsHidden() &&
           !m_controller.IsMessageShown() && !m_display.Dialogs().IsAnyOpen();
}

void CLockScreenDialog::OnExitButton()
{
    if (m_display.Dialogs().ConfirmExit(GetSafeHwnd()) && !m_residentGone)
        m_controller.Shutdown();
}

// The resident program answers the password dialog on the command pipe (codes 18 and 19);
// its end goes back as an unlock request.
void CLockScreenDialog::RunPasswordDialog()
{
    const std::optional<Corvantis::SUnlockRequest> request = m_display.Dialogs().RunPasswordDialog(m_controller, GetSafeHwnd());
    if (request && !m_residentGone)
        m_controller.RequestUnlock(*request);
}

void CLockScreenDialog::OnPasswordResult()
{
    if (const std::unique_ptr<Corvantis::SPasswordResult> result = m_controller.TakePasswordResult())
        m_display.Dialogs().OnPasswordResult(result.get());
}

void CLockScreenDialog::TakeSettings()
{
    if (const std::unique_ptr<CLockSetting> settings = m_controller.TakeSettings())
        m_core.SetSettings(*settings);
}
